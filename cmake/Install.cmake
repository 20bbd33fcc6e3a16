# Installation. Two ways, each asked for by name:
#
#   cmake --install build [--prefix P]     under a prefix (CMake's default /usr/local):
#       P/lib/vst/Tovarine.so, P/lib/lv2/Tovarine.lv2/, P/bin/tovarine
#   cmake --install build --component user for the user running it, where Linux hosts look first:
#       ~/.vst/Tovarine.so, ~/.lv2/Tovarine.lv2/, ~/.local/bin/tovarine
#
# Either way the installed binaries are stripped copies of the build's (an
# optimised build by default), and `build/install_manifest.txt` lists them.
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/InstallStripped.cmake ALL_COMPONENTS)
install(CODE "set(tovarine_strip \"${CMAKE_STRIP}\")
    set(tovarine_build_type \"${CMAKE_BUILD_TYPE}\")
    tovarine_check_build_type()" ALL_COMPONENTS)

# tovarine_install(ITEM SYSTEM_DIR USER_DIR): ITEM (a file, or a bundle folder) into
# PREFIX/SYSTEM_DIR by default, or into ~/USER_DIR for the user component.
function(tovarine_install item system_dir user_dir)
    install(CODE "tovarine_install_stripped(\"${item}\" \"\${CMAKE_INSTALL_PREFIX}/${system_dir}\")")
    install(CODE "tovarine_install_stripped(\"${item}\" \"\$ENV{HOME}/${user_dir}\")" COMPONENT user EXCLUDE_FROM_ALL)
endfunction()

tovarine_install("$<TARGET_FILE:Tovarine>" lib/vst .vst)
if(DEFINED TOVARINE_LV2_BUNDLE_DIR)
    tovarine_install("${TOVARINE_LV2_BUNDLE_DIR}" lib/lv2 .lv2)
endif()
if(TOVARINE_TOOLS)
    tovarine_install("$<TARGET_FILE:tovarine>" bin .local/bin)
    install(CODE "tovarine_check_path(\"\$ENV{HOME}/.local/bin\")" COMPONENT user EXCLUDE_FROM_ALL)
endif()
