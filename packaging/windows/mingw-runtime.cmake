# The DLLs of the mingw-w64 C++ runtime, in its posix thread model, that every program of the
# Windows build needs beside it: MINGW_RUNTIME_DLLS, their full paths.
set(MINGW_RUNTIME_DLLS)
foreach(dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
        OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${path}")
        message(FATAL_ERROR "The mingw-w64 runtime ${dll} was not found")
    endif()
    list(APPEND MINGW_RUNTIME_DLLS ${path})
endforeach()
