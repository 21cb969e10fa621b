# The 32-bit Windows build: the library, the capture program, and the tests run under Wine.

add_library(torvex STATIC
    ${TVX_PORTABLE_SOURCES}
    runtime/helpers.cpp
    runtime/mailbox.cpp
    runtime/modal.cpp
    runtime/main_window.cpp
    runtime/startup.cpp
    runtime/unbuilt.cpp
    runtime/worker.cpp
    boxes/button_box.cpp
    boxes/input_box.cpp
    image/image_files.cpp
    image/image_store.cpp
    image/image_window.cpp
    text/console.cpp
    text/input.cpp
    text/log_file.cpp
    text/print.cpp
    text/text_window.cpp
)
target_include_directories(torvex PUBLIC include PRIVATE runtime text image boxes)
target_compile_options(torvex PRIVATE ${TVX_WARNINGS})
target_compile_definitions(torvex PUBLIC UNICODE _UNICODE NOMINMAX)
target_link_libraries(torvex PUBLIC gdiplus comdlg32 shell32 gdi32 user32 kernel32)

# The process entry lives apart so that test programs with their own main can link the library.
add_library(torvex_entry OBJECT runtime/winmain.cpp)
target_link_libraries(torvex_entry PRIVATE torvex)
target_include_directories(torvex_entry PRIVATE runtime text image boxes)

# The capture module: application code, shared by the program and its tests.
add_library(capture STATIC app/capture_graph.cpp app/camera_properties.cpp ${TZM_PORTABLE_SOURCES})
target_include_directories(capture PUBLIC app)
target_compile_options(capture PRIVATE ${TVX_WARNINGS})
target_link_libraries(capture PUBLIC strmiids ole32 oleaut32 uuid)

add_executable(stereocap WIN32 app/stereocap.cpp $<TARGET_OBJECTS:torvex_entry>)
target_compile_options(stereocap PRIVATE ${TVX_WARNINGS})
target_link_libraries(stereocap PRIVATE torvex capture)
# The application's messages are Japanese text for the system code page 932.
set_source_files_properties(app/stereocap.cpp PROPERTIES COMPILE_OPTIONS "-fexec-charset=CP932")

# Keeps Wine's helper processes up, detached from any test's output pipe.
add_executable(wine_keepalive WIN32 tests/tools/keepalive.c)

add_subdirectory(tests)

# The virtual test camera: a DirectShow source filter DLL, registered into a Wine prefix (or a
# Windows machine) with regsvr32.
add_library(testcam SHARED testcam/testcam.cpp testcam/picture.cpp testcam/testcam.def)
set_target_properties(testcam PROPERTIES PREFIX "")
target_compile_options(testcam PRIVATE ${TVX_WARNINGS})
target_link_options(testcam PRIVATE -static)
target_link_libraries(testcam PRIVATE strmiids ole32 oleaut32 uuid advapi32)
