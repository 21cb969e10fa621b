# End-to-end tests: the real program under Xvfb, driven from outside with xdotool.
foreach(name main_window text_window boxes capture quick_keys readonly_dir full_disk no_cameras
             image_menus clipboard snapping)
    add_test(NAME e2e.${name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${name}.sh $<TARGET_FILE:stereocap>)
    # The scripts run helpers under the Wine loader of this tree's width.
    set_tests_properties(e2e.${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 120
                         ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}" SKIP_RETURN_CODE 77)
endforeach()

# The scripts' set-up steps report their failures (run in the prefix of this width).
add_test(NAME e2e.setup_failures COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/setup_failures.sh)
set_tests_properties(e2e.setup_failures PROPERTIES TIMEOUT 60
                     ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")
