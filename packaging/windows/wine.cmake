# Runs the Windows build's programs under Wine on the build machine: CTest starts each test
# through a wrapper that gives Wine a prefix of the build's own and finds the DLLs of Qt and of
# the mingw-w64 runtime.
find_program(WINE wine REQUIRED)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
    OUTPUT_VARIABLE mingw_runtime OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
    OUTPUT_VARIABLE mingw_pthread OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(MINGW_RUNTIME_DIR ${mingw_runtime} DIRECTORY)
get_filename_component(MINGW_PTHREAD_DIR ${mingw_pthread} DIRECTORY)
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
