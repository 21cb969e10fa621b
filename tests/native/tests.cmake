add_executable(native_tests
    native/rules_test.cpp
    native/text_rules_test.cpp
    native/image_rules_test.cpp
    native/imageops_test.cpp
    native/box_rules_test.cpp
    native/capture_rules_test.cpp
)
target_compile_options(native_tests PRIVATE ${TVX_WARNINGS} ${TVX_SANITIZE})
target_link_libraries(native_tests PRIVATE torvex_portable GTest::gtest_main)
gtest_add_tests(TARGET native_tests TEST_PREFIX native.)
