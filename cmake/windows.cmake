# The Windows build (i686 or x86-64): the library, one static library per folder, the capture
# program, the test camera and the tests run under Wine.
#
# The folders' libraries link one way only: runtime <- text <- image, boxes; imageops, the
# platform-free image arithmetic, links nothing and image applies it to its windows. A call from
# a lower folder into a higher one has no library to resolve it and fails the link. The umbrella `torvex`
# holds the composition that registers the window modules with the runtime frame.

function(tvx_folder_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/include)
    target_compile_options(${name} PRIVATE ${TVX_WARNINGS})
    target_compile_definitions(${name} PUBLIC UNICODE _UNICODE NOMINMAX)
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
endfunction()

# libjpeg-turbo, static: the scripts build it from Debian's source into TVX_JPEG_ROOT; elsewhere
# (MSYS2's mingw-w64-*-libjpeg-turbo) the installed package serves.
if(TVX_JPEG_ROOT)
    add_library(tvx_libjpeg STATIC IMPORTED)
    set_target_properties(tvx_libjpeg PROPERTIES
        IMPORTED_LOCATION ${TVX_JPEG_ROOT}/lib/libjpeg.a
        INTERFACE_INCLUDE_DIRECTORIES ${TVX_JPEG_ROOT}/include)
else()
    find_package(JPEG REQUIRED)
    add_library(tvx_libjpeg INTERFACE)
    target_link_libraries(tvx_libjpeg INTERFACE JPEG::JPEG)
endif()

tvx_folder_library(tvx_runtime
    SOURCES runtime/rules.cpp runtime/helpers.cpp runtime/mailbox.cpp runtime/main_window.cpp
            runtime/modal.cpp runtime/modules.cpp runtime/startup.cpp
            runtime/snapping.cpp runtime/snap_rules.cpp runtime/clipboard_block.cpp
            runtime/worker.cpp
    LINKS gdiplus comdlg32 shell32 gdi32 user32 kernel32)
tvx_folder_library(tvx_text
    SOURCES text/drawing_state.cpp text/text_rules.cpp text/window_info_rules.cpp text/window_info.cpp text/console.cpp text/input.cpp text/log_file.cpp text/print.cpp
            text/text_window.cpp text/text_module.cpp
    LINKS tvx_runtime)
# Image and box prompts print and read in text windows.
# The image arithmetic over pixel views: platform-free, it knows no image window.
tvx_folder_library(tvx_imageops
    SOURCES imageops/pixel_view.cpp imageops/color_models.cpp imageops/raster.cpp
            imageops/bitmap_font.cpp imageops/whole_image.cpp imageops/rubber_bands.cpp
            imageops/plots.cpp)
tvx_folder_library(tvx_image
    SOURCES image/image_rules.cpp image/image_files.cpp
            image/image_store.cpp image/image_window.cpp image/image_commands.cpp
            image/image_module.cpp image/jpeg_file.cpp
            image/pixel_access.cpp image/drawing.cpp image/transforms.cpp
            image/picks.cpp image/draw_commands.cpp image/measurements.cpp
            image/menu_rules.cpp image/dib_reader.cpp
            image/image_clipboard.cpp image/truetype_text.cpp
    LINKS tvx_imageops tvx_text tvx_runtime tvx_libjpeg ole32)
tvx_folder_library(tvx_boxes
    SOURCES boxes/box_rules.cpp boxes/button_box.cpp boxes/input_box.cpp boxes/box_module.cpp
    LINKS tvx_text tvx_runtime)
tvx_folder_library(torvex
    SOURCES library/library_modules.cpp
    LINKS tvx_image tvx_boxes tvx_text tvx_runtime)

# The layering, checked at every build: the runtime links alone, the text windows with the
# runtime only.
add_executable(layer_runtime tests/tools/layering.cpp)
target_link_libraries(layer_runtime PRIVATE tvx_runtime)
add_executable(layer_text tests/tools/layering.cpp)
target_compile_definitions(layer_text PRIVATE TVX_LAYER_TEXT)
target_link_libraries(layer_text PRIVATE tvx_text)
# The image arithmetic whole and alone: any call out of it is left unresolved.
add_executable(layer_imageops tests/tools/layering.cpp)
target_link_libraries(layer_imageops PRIVATE tvx_runtime "$<LINK_LIBRARY:WHOLE_ARCHIVE,tvx_imageops>")

# The process entry lives apart so that test programs with their own main can link the library.
add_library(torvex_entry OBJECT runtime/winmain.cpp)
target_link_libraries(torvex_entry PRIVATE torvex)

# The capture module: application code, shared by the program and its tests.
add_library(capture STATIC app/capture_graph.cpp app/camera_properties.cpp ${TZM_PORTABLE_SOURCES})
target_include_directories(capture PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(capture PRIVATE ${TVX_WARNINGS})
target_link_libraries(capture PUBLIC tvx_libjpeg strmiids ole32 oleaut32 uuid)

add_executable(stereocap WIN32 app/stereocap.cpp app/camera_watch.cpp
               $<TARGET_OBJECTS:torvex_entry>)
target_compile_options(stereocap PRIVATE ${TVX_WARNINGS})
target_link_libraries(stereocap PRIVATE torvex capture)
# The application's and the listing's messages are Japanese text for the system code page 932.
set_source_files_properties(app/stereocap.cpp text/window_info.cpp
                            PROPERTIES COMPILE_OPTIONS "-fexec-charset=CP932")

# The stereo shooter's program: the public header and the capture module only.
add_executable(stereoshot WIN32 stereoshot/stereoshot.cpp stereoshot/pair_writer.cpp stereoshot/live_figures.cpp
               stereoshot/sync_check.cpp
               app/camera_watch.cpp ${STEREOSHOT_PORTABLE_SOURCES} $<TARGET_OBJECTS:torvex_entry>)
target_compile_options(stereoshot PRIVATE ${TVX_WARNINGS})
target_link_libraries(stereoshot PRIVATE torvex capture tvx_libjpeg)

# Keeps Wine's helper processes up, detached from any test's output pipe.
add_executable(wine_keepalive WIN32 tests/tools/keepalive.c)

add_subdirectory(tests)

# The virtual test camera: a DirectShow source filter DLL, registered into a Wine prefix (or a
# Windows machine) with regsvr32.
add_library(testcam SHARED testcam/testcam.cpp testcam/picture.cpp testcam/sample_writer.cpp
            app/sample_formats.cpp testcam/testcam.def)
set_target_properties(testcam PROPERTIES PREFIX "")
target_include_directories(testcam PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(testcam PRIVATE ${TVX_WARNINGS})
target_link_options(testcam PRIVATE -static)
target_link_libraries(testcam PRIVATE tvx_libjpeg strmiids ole32 oleaut32 uuid advapi32)
