# Installation. `cmake --install build` installs for the user running it:
# the plug-in into ~/.vst/ (where Linux hosts look by default) and the
# command-line host into ~/.local/bin/. With --prefix P (or a prefix chosen at
# configure time) they go to P/lib/vst/ and P/bin/, as system packages lay them out.
# CMake says whether the prefix is its default only on the first configure run:
# remember it (a build folder configured before this rule counts /usr/local as the default).
if(NOT DEFINED TOVARINE_DEFAULT_PREFIX)
    if(CMAKE_INSTALL_PREFIX_INITIALIZED_TO_DEFAULT OR CMAKE_INSTALL_PREFIX STREQUAL "/usr/local")
        set(TOVARINE_DEFAULT_PREFIX "${CMAKE_INSTALL_PREFIX}" CACHE INTERNAL "The prefix no one chose")
    else()
        set(TOVARINE_DEFAULT_PREFIX "" CACHE INTERNAL "The prefix no one chose")
    endif()
endif()

install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"${TOVARINE_DEFAULT_PREFIX}\")
        set(tovarine_vst_dir \"\$ENV{HOME}/.vst\")
        set(tovarine_bin_dir \"\$ENV{HOME}/.local/bin\")
    else()
        set(tovarine_vst_dir \"\${CMAKE_INSTALL_PREFIX}/lib/vst\")
        set(tovarine_bin_dir \"\${CMAKE_INSTALL_PREFIX}/bin\")
    endif()
    file(INSTALL \"$<TARGET_FILE:Tovarine>\" DESTINATION \"\${tovarine_vst_dir}\" USE_SOURCE_PERMISSIONS)
")
if(TOVARINE_TOOLS)
    install(CODE "file(INSTALL \"$<TARGET_FILE:tovarine>\" DESTINATION \"\${tovarine_bin_dir}\" USE_SOURCE_PERMISSIONS)")
endif()
