# End-to-end tests: the real program under Xvfb, driven from outside with xdotool.
foreach(name main_window text_window boxes capture quick_keys readonly_dir full_disk no_cameras
             image_menus clipboard)
    add_test(NAME e2e.${name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/${name}.sh $<TARGET_FILE:stereocap>)
    # The scripts run helpers under the Wine loader of this tree's width.
    set_tests_properties(e2e.${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 120
                         ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}" SKIP_RETURN_CODE 77)
endforeach()

# The capture job with test cameras behaving like real webcams: name, mode words, the format
# the program reports, the least PSNR of a captured half against the camera's picture.
set(TVX_CAMERA_MODES
    "mjpg|mjpg|MJPG 640x480 30.0 fps, converted|35"
    # Two webcams of one model whose current format is 1280 x 720 YUY2: the format is chosen from
    # their capabilities and converted.
    "identical_names|samename,hd|YUY2 640x480 30.0 fps, converted|35"
    "damaged|mjpg,corrupt=10,stopafter=90|MJPG 640x480 30.0 fps, converted|35|damaged"
)
# Wine's own capture filter: the 64-bit program meets the real one through the virtual V4L2
# webcams (a 64-bit library; libv4l2 turns YUYV into BGR24 with coefficients of its own,
# measured 32 dB, and decodes MJPG); the 32-bit one meets the test cameras imitating it (RGB24
# only, no times, no camera control, no property pages).
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND TVX_CAMERA_MODES
         "v4l2|v4l2|RGB24 640x480 rate not stated, converted|30"
         "v4l2_mjpg|v4l2,mjpg|RGB24 640x480 rate not stated, converted|35")
else()
    list(APPEND TVX_CAMERA_MODES
         "rgb24_no_camera_control|rgb24,notimes,nocontrol|RGB24 640x480 rate not stated, converted|50")
endif()
foreach(row ${TVX_CAMERA_MODES})
    string(REPLACE "|" ";" fields "${row}")
    list(GET fields 0 name)
    list(REMOVE_AT fields 0)
    add_test(NAME e2e.camera_${name}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/camera_modes.sh $<TARGET_FILE:stereocap>
                     ${name} ${fields})
    set_tests_properties(e2e.camera_${name} PROPERTIES RUN_SERIAL TRUE TIMEOUT 120
                         ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")
endforeach()

# The stereo shooter's program: its files, its Stereo view, its folders and a pair of cameras in
# step; then camera 1 20 ms behind, 10 ms behind and falling silent, and (where the virtual V4L2
# webcams run) one camera alone.
add_test(NAME e2e.stereoshot
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/stereoshot.sh $<TARGET_FILE:stereoshot>)
set(TVX_CAMERA_CASES 20 lost series rig sides sync0-40 sync30-30 sync100-20)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    list(APPEND TVX_CAMERA_CASES one)
endif()
set(TVX_STEREOSHOT_TESTS e2e.stereoshot)
foreach(case ${TVX_CAMERA_CASES})
    add_test(NAME e2e.stereoshot_cameras_${case}
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/stereoshot_cameras.sh
                     $<TARGET_FILE:stereoshot> ${case})
    list(APPEND TVX_STEREOSHOT_TESTS e2e.stereoshot_cameras_${case})
endforeach()
set_tests_properties(${TVX_STEREOSHOT_TESTS} PROPERTIES RUN_SERIAL TRUE TIMEOUT 180
                     ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")

# The scripts' set-up steps report their failures (run in the prefix of this width).
add_test(NAME e2e.setup_failures COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/setup_failures.sh)
set_tests_properties(e2e.setup_failures PROPERTIES TIMEOUT 60
                     ENVIRONMENT "TVX_WINE=${CMAKE_CROSSCOMPILING_EMULATOR}")
