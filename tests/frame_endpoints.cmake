# The tool that writes the pixel end points of whole runs, or compares them with another build's:
# every build has it, the browser build too, where Node.js runs it on the machine's files.
add_executable(frame_endpoints ${CMAKE_CURRENT_LIST_DIR}/frame_endpoints.cpp
    ${CMAKE_CURRENT_LIST_DIR}/recording_surface.h)
target_link_libraries(frame_endpoints PRIVATE plot)
target_include_directories(frame_endpoints PRIVATE ${CMAKE_CURRENT_LIST_DIR})
if(EMSCRIPTEN)
    # Run by Node.js on the machine's files, with no page, so without Qt's web platform; Qt Core
    # still speaks to JavaScript through embind.
    target_link_options(frame_endpoints PRIVATE "SHELL:-s NODERAWFS=1" "SHELL:-s MODULARIZE=1"
        -lembind)
    qt_import_plugins(frame_endpoints EXCLUDE_BY_TYPE platforms imageformats)
endif()
