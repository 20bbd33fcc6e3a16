# Run by `cmake --install`: what every install rule of cmake/Install.cmake calls.

# Copies ITEM (a file, or a folder such as an LV2 bundle) into DESTINATION and
# strips the binaries it copied: hosts load them, nobody debugs them there.
function(tovarine_install_stripped item destination)
    file(INSTALL "${item}" DESTINATION "${destination}" USE_SOURCE_PERMISSIONS)
    get_filename_component(name "${item}" NAME)
    if(IS_DIRECTORY "${item}")
        file(GLOB_RECURSE binaries "${destination}/${name}/*.so")
    else()
        set(binaries "${destination}/${name}")
    endif()
    foreach(binary IN LISTS binaries)
        if(tovarine_strip)
            execute_process(COMMAND "${tovarine_strip}" --strip-unneeded "${binary}" RESULT_VARIABLE failed)
            if(failed)
                message(FATAL_ERROR "could not strip ${binary}")
            endif()
        endif()
    endforeach()
endfunction()

# Installed binaries should be optimised ones: say so when this build is not.
function(tovarine_check_build_type)
    if(tovarine_build_type STREQUAL "Debug")
        message(WARNING "This is a Debug build: the installed plug-in is slow. "
            "Configure with -DCMAKE_BUILD_TYPE=Release (or RelWithDebInfo) and build again before installing.")
    endif()
endfunction()

# The user install puts the command-line host where many shells do not look by default.
function(tovarine_check_path folder)
    string(REPLACE ":" ";" path "$ENV{PATH}")
    list(FIND path "${folder}" found)
    if(found EQUAL -1)
        message(NOTICE "${folder} is not on your PATH: run ${folder}/tovarine, or add the folder to PATH "
            "(in ~/.profile: export PATH=\"$HOME/.local/bin:$PATH\") and log in again.")
    endif()
endfunction()
