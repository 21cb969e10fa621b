tvx_test_program(native_tests
    native/rules_test.cpp native/text_rules_test.cpp native/image_rules_test.cpp
    native/imageops_test.cpp native/dib_reader_test.cpp native/box_rules_test.cpp
    native/capture_rules_test.cpp native/sample_formats_test.cpp native/stereoshot_test.cpp
    LINK torvex_portable GTest::gtest_main)
target_compile_options(native_tests PRIVATE ${TVX_SANITIZE})
gtest_add_tests(TARGET native_tests TEST_PREFIX native.)

# The DIB reader fuzzed under the sanitizers; its count shows in the test's output.
tvx_test_program(dib_fuzz native/dib_fuzz.cpp LINK torvex_portable)
target_compile_options(dib_fuzz PRIVATE ${TVX_SANITIZE})
add_test(NAME native.DibFuzz COMMAND dib_fuzz 1000000)
set_tests_properties(native.DibFuzz PROPERTIES TIMEOUT 300)
