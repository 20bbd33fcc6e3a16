# The Windows build's skin: bitmap resources 1, 100, 101 and 102 of the DLL, written as
# BMP files by editor/skin/WriteSkinBitmaps.cpp, built for and run on the build machine
# with its own compiler and Cairo (the Windows build itself has no Cairo).
find_program(TOVARINE_HOST_CXX NAMES c++ g++ REQUIRED)
find_program(TOVARINE_HOST_PKG_CONFIG NAMES pkg-config REQUIRED)
execute_process(COMMAND env -u PKG_CONFIG_LIBDIR -u PKG_CONFIG_SYSROOT_DIR ${TOVARINE_HOST_PKG_CONFIG} --cflags --libs cairo
    OUTPUT_VARIABLE skin_cairo_flags OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE skin_cairo_found)
if(NOT skin_cairo_found EQUAL 0)
    message(FATAL_ERROR "The skin bitmaps need Cairo on the build machine (libcairo2-dev)")
endif()
separate_arguments(skin_cairo_flags UNIX_COMMAND "${skin_cairo_flags}")

set(skin_dir ${CMAKE_BINARY_DIR}/skin)
set(skin_tool ${skin_dir}/write-skin-bitmaps)
set(skin_ids 1 100 101 102)
set(skin_bitmaps "")
set(skin_rc "")
foreach(id IN LISTS skin_ids)
    list(APPEND skin_bitmaps ${skin_dir}/skin_${id}.bmp)
    string(APPEND skin_rc "${id} BITMAP \"${skin_dir}/skin_${id}.bmp\"\n")
endforeach()
file(MAKE_DIRECTORY ${skin_dir})
add_custom_command(OUTPUT ${skin_tool}
    COMMAND ${TOVARINE_HOST_CXX} -std=c++20 -O1 -I${CMAKE_SOURCE_DIR} -I${CMAKE_BINARY_DIR}/generated
        ${CMAKE_SOURCE_DIR}/editor/skin/SkinArt.cpp ${CMAKE_SOURCE_DIR}/editor/skin/WriteSkinBitmaps.cpp
        ${skin_cairo_flags} -o ${skin_tool}
    DEPENDS ${CMAKE_SOURCE_DIR}/editor/skin/SkinArt.cpp ${CMAKE_SOURCE_DIR}/editor/skin/SkinArt.h
        ${CMAKE_SOURCE_DIR}/editor/skin/WriteSkinBitmaps.cpp ${CMAKE_BINARY_DIR}/generated/TovarineVersion.h
    COMMENT "Building the skin bitmap writer for the build machine" VERBATIM)
add_custom_command(OUTPUT ${skin_bitmaps}
    COMMAND ${skin_tool} ${skin_dir}
    DEPENDS ${skin_tool}
    COMMENT "Rendering the skin bitmaps" VERBATIM)
add_custom_target(tovarine_skin_bitmaps DEPENDS ${skin_bitmaps})
file(WRITE ${skin_dir}/Skin.rc "${skin_rc}")

# Adds the skin's resources to the DLL target.
function(tovarine_add_skin_resources target)
    target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/skin/Skin.rc)
    add_dependencies(${target} tovarine_skin_bitmaps)
    # windres does not report the bitmaps it reads: rebuild the resources when they change.
    set_source_files_properties(${CMAKE_BINARY_DIR}/skin/Skin.rc PROPERTIES
        OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/skin/skin_1.bmp;${CMAKE_BINARY_DIR}/skin/skin_102.bmp")
endfunction()
