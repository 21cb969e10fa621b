// Webcams through Wine's own capture path: the two virtual V4L2 webcams (preloaded into this
// process by the test's environment) are found among the video devices, open through Wine's
// capture filter and deliver their pictures; with libv4l2 hidden they are named and passed over
// while the test cameras still open.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_graph.h"
#include "testcam/picture.h"

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

TEST(V4l2Webcams, OpenThroughWinesCaptureFilterAndDeliverTheirPictures)
{
    tzm_UseRealSystem();
    ASSERT_EQ(0, tzm_OpenCameras(30.0));
    EXPECT_STREQ("", tzm_OpenNote());
    Sleep(1500);
    std::vector<uint8_t> frame(kFrameBufferBytes);
    for (int n = 0; n < 2; n++) {
        int slot = WebcamSlot(n);
        ASSERT_GE(slot, 0) << "webcam " << n << " not among " << CaptureGraph.cameraCount;
        char line[512], identity[64];
        tzm_DescribeCamera(slot, line, sizeof line);
        printf("%s\n", line);
        snprintf(identity, sizeof identity, "[TVX Virtual Webcam %d #%d] RGB24 640x480", n, n);
        EXPECT_NE(nullptr, strstr(line, identity)) << line;
        FrameSlot &f = CaptureGraph.camera[slot].frame;
        EXPECT_TRUE(f.arrivalTimes);   // Wine's filter stamps no times
        double first = 0, last = 0;
        TakeFrame(&f, frame.data(), kFrameBufferBytes, &first);
        uint32_t a = ReadFrameNumber((const uint32_t *)frame.data());
        EXPECT_GE(PictureMatch((const uint32_t *)frame.data(), n), 30.0);
        Sleep(1000);
        TakeFrame(&f, frame.data(), kFrameBufferBytes, &last);
        uint32_t b = ReadFrameNumber((const uint32_t *)frame.data());
        double rate = (b - a) / (last - first);
        printf("webcam %d: frames %u to %u in %.2f s: %.1f per second\n", n, a, b, last - first, rate);
        EXPECT_NEAR(30.0, rate, 3.0);
    }
    EXPECT_EQ(0, tzm_CloseCameras());
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
