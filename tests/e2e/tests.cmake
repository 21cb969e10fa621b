# End-to-end tests: the real program under Xvfb, driven from outside with xdotool.
foreach(name main_window text_window boxes capture readonly_dir no_cameras)
    add_test(NAME e2e.${name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${name}.sh $<TARGET_FILE:stereocap>)
    set_tests_properties(e2e.${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 120)
endforeach()
