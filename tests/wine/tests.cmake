# In-process tests: a test application with its own hooks runs the real library under Wine.
add_executable(runtime_tests
    wine/test_app.cpp
    wine/runtime_test.cpp
    wine/text_test.cpp
    wine/image_test.cpp
)
target_compile_options(runtime_tests PRIVATE ${TVX_WARNINGS})
target_include_directories(runtime_tests PRIVATE ${PROJECT_SOURCE_DIR}/runtime ${PROJECT_SOURCE_DIR}/text ${PROJECT_SOURCE_DIR}/image)
target_link_libraries(runtime_tests PRIVATE torvex GTest::gtest)
gtest_add_tests(TARGET runtime_tests TEST_PREFIX wine. TEST_LIST runtime_test_list)
set_tests_properties(${runtime_test_list} PROPERTIES TIMEOUT 30)

# Benchmarks print figures; scripts/test runs them after the tests.
add_executable(print_bench bench/print_bench.cpp)
target_compile_options(print_bench PRIVATE ${TVX_WARNINGS})
target_include_directories(print_bench PRIVATE ${PROJECT_SOURCE_DIR}/runtime ${PROJECT_SOURCE_DIR}/text ${PROJECT_SOURCE_DIR}/image)
target_link_libraries(print_bench PRIVATE torvex)
