# Runs the Windows build's programs under Wine on the build machine: CTest starts each test
# through a wrapper that gives Wine a prefix of the build's own and finds the DLLs of Qt and of
# the mingw-w64 runtime.
# Only the tests need Wine: the program, its zip and its installer are made without it.
find_program(WINE wine)
if(NOT WINE)
    message(STATUS "Wine not found: the Windows build's tests can be built here, not run")
    return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-runtime.cmake)
set(WINE_DLL_PATH ${QT6_INSTALL_PREFIX}/bin)
foreach(dll IN LISTS MINGW_RUNTIME_DLLS)
    get_filename_component(dir ${dll} DIRECTORY)
    list(APPEND WINE_DLL_PATH ${dir})
endforeach()
list(REMOVE_DUPLICATES WINE_DLL_PATH)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
