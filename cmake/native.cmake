# The native build: the platform-free code and its unit tests, under the sanitizers.
set(TVX_SANITIZE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)

add_library(torvex_portable STATIC ${TVX_PORTABLE_SOURCES} ${TZM_PORTABLE_SOURCES}
            ${TESTCAM_PORTABLE_SOURCES})
target_include_directories(torvex_portable PUBLIC ${PROJECT_SOURCE_DIR})
target_compile_options(torvex_portable PRIVATE ${TVX_WARNINGS} ${TVX_SANITIZE})
target_link_options(torvex_portable PUBLIC ${TVX_SANITIZE})
# Motion-JPEG frames are decoded by the system's libjpeg-turbo here, the static one on Windows.
find_package(JPEG REQUIRED)
target_link_libraries(torvex_portable PUBLIC JPEG::JPEG)

add_subdirectory(tests)
