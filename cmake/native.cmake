# The native build: the platform-free code and its unit tests, under the sanitizers.
set(TVX_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(torvex_portable STATIC ${TVX_PORTABLE_SOURCES} ${TZM_PORTABLE_SOURCES}
            ${STEREOSHOT_PORTABLE_SOURCES} ${TESTCAM_PORTABLE_SOURCES})
target_include_directories(torvex_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(torvex_portable PRIVATE ${TVX_WARNINGS} ${TVX_SANITIZE})
target_link_options(torvex_portable PUBLIC ${TVX_SANITIZE})
# Motion-JPEG frames are decoded by the system's libjpeg-turbo here, the static one on Windows.
find_package(JPEG REQUIRED)
target_link_libraries(torvex_portable PUBLIC JPEG::JPEG)

add_subdirectory(tests)

# Two virtual webcams for Wine's own capture path, loaded into Wine with LD_PRELOAD (built
# without the sanitizers, which cannot be preloaded into another program).
add_library(tvx_v4l2_webcam SHARED testcam/v4l2_webcam.cpp testcam/sample_writer.cpp
            testcam/picture.cpp app/sample_formats.cpp)
target_include_directories(tvx_v4l2_webcam PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(tvx_v4l2_webcam PRIVATE ${TVX_WARNINGS})
target_link_libraries(tvx_v4l2_webcam PRIVATE JPEG::JPEG ${CMAKE_DL_LIBS})
