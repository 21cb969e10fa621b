// Webcams through Wine's own capture path with libv4l2 hidden: the two virtual V4L2 webcams
// (preloaded into this process by the test's environment) are named and passed over while the
// test cameras still open. How they open and deliver where libv4l2 is there is seen end to end
// (e2e/camera_modes.sh, mode v4l2).
#include <cstdio>
#include <cstring>

#include <gtest/gtest.h>

#include "app/capture_graph.h"

// The camera whose name is "TVX Virtual Webcam N", or -1.
static int WebcamSlot(int n)
{
    char name[64];
    snprintf(name, sizeof name, "TVX Virtual Webcam %d", n);
    for (int i = 0; i < CaptureGraph.cameraCount; i++)
        if (strcmp(CaptureGraph.camera[i].friendlyName, name) == 0)
            return i;
    return -1;
}

TEST(V4l2Webcams, WithoutLibv4l2TheyAreNamedAndPassedOver)
{
    tzm_UseRealSystem();
    ASSERT_EQ(0, tzm_OpenCameras(30.0));   // the test cameras
    EXPECT_EQ(-1, WebcamSlot(0));
    EXPECT_EQ(-1, WebcamSlot(1));
    EXPECT_STREQ("Wine could not open the webcam \"TVX Virtual Webcam 0\" (is libv4l-0 installed?)\n"
                 "Wine could not open the webcam \"TVX Virtual Webcam 1\" (is libv4l-0 installed?)",
                 tzm_OpenNote());
    EXPECT_EQ(0, tzm_CloseCameras());
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
