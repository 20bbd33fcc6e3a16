# What both Windows targets share; the per-target files set the triple first.
set(CMAKE_C_COMPILER ${TOVARINE_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOVARINE_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOVARINE_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOVARINE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Tests and the plug-in run under Wine; CMake's own checks run them the same way.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# A user copies one file: the GCC runtime, the C++ library and winpthread are
# linked in, so only Windows system DLLs are imported.
# (-static takes the static archives wherever one exists; the system DLLs have only
# import libraries.)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${CMAKE_EXE_LINKER_FLAGS_INIT}")

if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Every build computes the same floats: SSE2 arithmetic, never the x87 unit.
    set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
    set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
endif()
