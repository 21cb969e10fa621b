# In-process tests: a test application with its own hooks runs the real library under Wine.
tvx_test_program(runtime_tests
    wine/test_app.cpp wine/runtime_test.cpp wine/text_test.cpp wine/image_test.cpp
    wine/imageops_test.cpp wine/commands_test.cpp wine/layout_dump.cpp wine/box_test.cpp
    wine/resources_test.cpp LINK torvex GTest::gtest)
gtest_add_tests(TARGET runtime_tests TEST_PREFIX wine. TEST_LIST runtime_test_list)
set_tests_properties(${runtime_test_list} PROPERTIES TIMEOUT 30)
set_tests_properties(wine.Resources.FiftyCyclesOfEveryWindowKindLeaveNothingBehind PROPERTIES TIMEOUT 300)
# TrueType text under a single-byte system code page (1252 in an English locale).
tvx_test_program(codepage_tests wine/codepage_test.cpp wine/test_app.cpp LINK torvex GTest::gtest)
add_test(NAME wine.TrueType.AnotherCodePage COMMAND codepage_tests)
set_tests_properties(wine.TrueType.AnotherCodePage PROPERTIES ENVIRONMENT "LC_ALL=en_US.UTF-8"
                     TIMEOUT 30)
# Benchmarks print figures; scripts/test runs them after the tests.
tvx_test_program(library_bench bench/library_bench.cpp $<TARGET_OBJECTS:torvex_entry> LINK torvex)

# The capture module through its system seam, in a fake DirectShow world.
tvx_test_program(capture_fake_tests
    wine/capture_fake_test.cpp wine/fake_dshow.cpp LINK capture GTest::gtest)
gtest_add_tests(TARGET capture_fake_tests TEST_PREFIX wine. TEST_LIST capture_fake_list)
set_tests_properties(${capture_fake_list} PROPERTIES TIMEOUT 60)

# The capture module with the virtual test cameras (scripts/test registers them first).
tvx_test_program(testcam_tests
    wine/testcam_test.cpp ${PROJECT_SOURCE_DIR}/testcam/picture.cpp LINK capture GTest::gtest)
gtest_add_tests(TARGET testcam_tests TEST_PREFIX wine. TEST_LIST testcam_test_list)
set_tests_properties(${testcam_test_list} PROPERTIES TIMEOUT 60 RUN_SERIAL TRUE)

# Wine's own capture path with the virtual V4L2 webcams of the native tree preloaded and libv4l2
# hidden from Wine, as on a system without libv4l-0. The webcams are a 64-bit library: they serve
# the 64-bit program.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    tvx_test_program(v4l2_tests wine/v4l2_test.cpp LINK capture GTest::gtest)
    set(TVX_V4L2_WEBCAMS ${PROJECT_SOURCE_DIR}/build/native/libtvx_v4l2_webcam.so CACHE FILEPATH
        "The virtual V4L2 webcams (built by the native tree)")
    add_test(NAME wine.V4l2Webcams.WithoutLibv4l2 COMMAND v4l2_tests)
    set_tests_properties(wine.V4l2Webcams.WithoutLibv4l2 PROPERTIES
                         ENVIRONMENT "LD_PRELOAD=${TVX_V4L2_WEBCAMS};TVX_V4L2_HIDE_LIBV4L=1" TIMEOUT 60
                         RUN_SERIAL TRUE)
endif()

tvx_test_program(testcam_bench bench/testcam_bench.cpp LINK capture)

# The reference picture for the end-to-end comparison of captured pairs.
tvx_test_program(testpicture tools/testpicture.cpp ${PROJECT_SOURCE_DIR}/testcam/picture.cpp)
target_include_directories(testpicture PRIVATE ${PROJECT_SOURCE_DIR})

# The layout listing's round trip: the in-process test writes a layout's listing into the build
# tree, this program is built with it as its TVX_AppInit, and the script compares both layouts.
set(TVX_LISTING_DIR ${CMAKE_CURRENT_BINARY_DIR}/layout)
if(NOT EXISTS ${TVX_LISTING_DIR}/layout-listing.inc)
    file(WRITE ${TVX_LISTING_DIR}/layout-listing.inc "// written by wine.WindowInfo.RoundTrip\n")
endif()
tvx_test_program(layout_replay
    wine/layout_replay.cpp wine/layout_dump.cpp $<TARGET_OBJECTS:torvex_entry> LINK torvex)
target_include_directories(layout_replay PRIVATE ${TVX_LISTING_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/wine)
add_test(NAME wine.layout_round_trip
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/wine/layout_round_trip.sh ${CMAKE_BINARY_DIR}
                 ${TVX_LISTING_DIR} $<TARGET_FILE:runtime_tests> ${CMAKE_CROSSCOMPILING_EMULATOR})
set_tests_properties(wine.layout_round_trip PROPERTIES TIMEOUT 180 RUN_SERIAL TRUE)
