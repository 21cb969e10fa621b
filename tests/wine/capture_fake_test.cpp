// The capture module against fake DirectShow objects: every result code at its step, the
// retries, which devices are opened, the format asked for, frames, close, and the property
// operations - with every reference released and COM balanced after each.
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "fake_dshow.h"

static const std::wstring kPnp0 = L"@device:pnp:\\\\?\\usb#vid_0001#cam0";
static const std::wstring kPnp1 = L"@device:pnp:\\\\?\\usb#vid_0001#cam1";
static const std::wstring kSoft = L"@device:sw:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\dummy";
static const std::wstring kWine = L"@device:cm:{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\video0";

static void ExpectNothingHeld()
{
    EXPECT_EQ(0, World.live) << "fake objects still referenced";
    EXPECT_EQ(World.inits, World.uninits);
    EXPECT_EQ(0, CaptureGraph.opened);
    for (const CameraSlot &slot : CaptureGraph.camera)
        EXPECT_EQ(nullptr, slot.frame.buffer);
}

TEST(CaptureFakes, EveryFailureGivesItsCodeAndReleasesEverything)
{
    struct Row {
        const char *call;
        int code;
    };
    const Row rows[] = {
        {"CoInit", 2},         {"GraphCreate", 3},      {"DevEnumCreate", 4},
        {"ClassEnum", 5},      {"DisplayName", 6},      {"Bind", 7},
        {"AddCapture", 7},     {"BuilderCreate", 9},    {"SetFiltergraph", 9},
        {"FindInterface", 10}, {"SetFormat", 11},       {"GrabberCreate", 12},
        {"GrabberQI", 12},     {"SetMediaType", 13},    {"AddGrabber", 14},
        {"Connect", 15},       {"SetBufferSamples", 16}, {"SetOneShot", 17},
        {"MediaControl", 18},  {"Run", 19},             {"SetCallback", 20},
        {"NoFrame", 21},
    };
    for (const Row &row : rows) {
        UseFakeWorld({kPnp0, kPnp1});
        World.fail.insert(row.call);
        EXPECT_EQ(row.code, tzm_OpenCameras(30.0)) << row.call;
        bool retried = row.code == 19 || row.code == 21;
        // 19 and 21 rebuild the graph from scratch: three attempts in all, each graph stopped
        // before its frame buffers go.
        EXPECT_EQ(retried ? 3 : 1, World.inits) << row.call;
        if (retried) {
            EXPECT_EQ(3, World.graphs) << row.call;
            EXPECT_EQ(3, World.stops) << row.call;
        }
        ExpectNothingHeld();
    }
    // A retry that fails another way ends there: two attempts, that failure's code.
    const Row afterRetry[] = {{"Connect", 15}, {"CoInit", 2}, {"Bind", 7}};
    for (const Row &row : afterRetry) {
        UseFakeWorld({kPnp0, kPnp1});
        World.failAt[1] = {"Run"};
        World.failAt[2] = {row.call};
        EXPECT_EQ(row.code, tzm_OpenCameras(30.0)) << row.call;
        EXPECT_EQ(2, World.inits) << row.call;
        ExpectNothingHeld();
    }
    UseFakeWorld({kPnp0});
    World.failAt[1] = {"NoFrame"};   // the second attempt delivers: open
    EXPECT_EQ(0, tzm_OpenCameras(30.0));
    EXPECT_EQ(2, World.inits);
    EXPECT_EQ(0, tzm_CloseCameras());
    ExpectNothingHeld();
    UseFakeWorld({kSoft, kSoft});   // no plug-and-play device: 8, after one attempt
    EXPECT_EQ(8, tzm_OpenCameras(30.0));
    EXPECT_EQ(1, World.inits);
    EXPECT_EQ(0, World.binds);
    ExpectNothingHeld();
}

TEST(CaptureFakes, OnlyPlugAndPlayDevicesAmongTheFirstEightAreOpened)
{
    std::vector<std::wstring> devices(8, kSoft);
    devices.push_back(kPnp0);   // ninth: never examined
    UseFakeWorld(devices);
    EXPECT_EQ(8, tzm_OpenCameras(30.0));
    EXPECT_EQ(8, World.nextCalls);
    EXPECT_EQ(0, World.binds);
    ExpectNothingHeld();

    UseFakeWorld({kSoft, kPnp0, kSoft, kPnp1, L"@device:pnp:third"});
    ASSERT_EQ(0, tzm_OpenCameras(30.0));
    EXPECT_EQ(3, CaptureGraph.cameraCount);   // all three set up in the one graph
    EXPECT_EQ(1, World.graphs);
    EXPECT_EQ(640, World.formatWidth);
    EXPECT_EQ(480, World.formatHeight);
    EXPECT_EQ(333333, World.formatTime);
    EXPECT_EQ(kFrameBufferBytes, CaptureGraph.camera[0].frame.frameBytes);
    EXPECT_DOUBLE_EQ(0.2, CaptureGraph.camera[0].frame.sampleTime);
    EXPECT_EQ(0x5A, CaptureGraph.camera[2].frame.buffer[0]);
    EXPECT_EQ(1, tzm_OpenCameras(30.0));   // already open: nothing changes
    EXPECT_EQ(1, World.graphs);
    EXPECT_EQ(0, tzm_CloseCameras());
    EXPECT_GE(World.stops, 1);
    ExpectNothingHeld();
    EXPECT_EQ(1, tzm_CloseCameras());
    // Close then open builds a fresh graph.
    ASSERT_EQ(0, tzm_OpenCameras(25.0));
    EXPECT_EQ(2, World.graphs);
    EXPECT_EQ(400000, World.formatTime);
    EXPECT_EQ(0, tzm_CloseCameras());
    ExpectNothingHeld();
}

// Wine's own capture devices are cameras under Wine only; there is one identity for each
// camera; a camera without one of the property interfaces opens with those properties absent.
TEST(CaptureFakes, WineDevicesIdentitiesAndMissingPropertyInterfaces)
{
    UseFakeWorld({kSoft, kWine, kPnp0});
    ASSERT_EQ(0, tzm_OpenCameras(30.0));
    ASSERT_EQ(2, CaptureGraph.cameraCount);
    EXPECT_STREQ("Fake Webcam", CaptureGraph.camera[0].friendlyName);
    EXPECT_STREQ("Fake Webcam #1", CaptureGraph.camera[0].identity);
    EXPECT_STREQ("Fake Camera", CaptureGraph.camera[1].friendlyName);
    EXPECT_STREQ("@device:pnp:\\\\?\\usb#vid_0001#cam0", CaptureGraph.camera[1].identity);
    char line[256];
    EXPECT_EQ(0, tzm_DescribeCamera(0, line, sizeof line));
    EXPECT_STREQ("Fake Webcam [Fake Webcam #1] RGB32 640x480 rate not stated, as delivered", line);
    EXPECT_EQ(1, tzm_DescribeCamera(2, line, sizeof line));
    EXPECT_EQ(0, tzm_CloseCameras());
    ExpectNothingHeld();
    UseFakeWorld({kWine});
    World.underWine = false;   // on Windows such a device is passed over
    EXPECT_EQ(8, tzm_OpenCameras(30.0));
    ExpectNothingHeld();
    // A webcam Wine lists but cannot open (no libv4l2) is named and passed over.
    UseFakeWorld({kWine, kPnp0});
    World.fail.insert("BindWine");
    ASSERT_EQ(0, tzm_OpenCameras(30.0));
    EXPECT_EQ(1, CaptureGraph.cameraCount);
    EXPECT_STREQ("Fake Camera", CaptureGraph.camera[0].friendlyName);
    EXPECT_STREQ("Wine could not open the webcam \"Fake Webcam\" (is libv4l-0 installed?)",
                 tzm_OpenNote());
    EXPECT_EQ(0, tzm_CloseCameras());
    ExpectNothingHeld();
    UseFakeWorld({kWine, kWine});
    World.fail.insert("BindWine");
    EXPECT_EQ(8, tzm_OpenCameras(30.0));
    EXPECT_NE(nullptr, strchr(tzm_OpenNote(), '\n'));   // both named
    ExpectNothingHeld();

    for (const char *missing : {"ProcAmp", "CameraControl"}) {
        UseFakeWorld({kPnp0, kPnp1});
        World.fail.insert(missing);
        ASSERT_EQ(0, tzm_OpenCameras(30.0)) << missing;
        int absent = missing[0] == 'P' ? 0 : kFocusProperty, present = 16 - absent;
        EXPECT_EQ(3, tzm_SetCameraProperty(50, absent, 1)) << missing;
        EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(absent, nullptr)) << missing;
        EXPECT_EQ(3, tzm_SetCameraPropertyAuto(absent, 0)) << missing;
        EXPECT_EQ(0, tzm_SetCameraProperty(50, present, 1)) << missing;
        EXPECT_EQ(0, tzm_CloseCameras());
        ExpectNothingHeld();
    }
}

// A graph that does not confirm its stop may still deliver: its frame buffers and callbacks stay
// allocated, and a late frame finds no buffer to write.
TEST(CaptureFakes, AGraphThatDoesNotStopKeepsItsBuffersFromLateFrames)
{
    UseFakeWorld({kPnp0});
    World.failAt[1] = {"NoFrame", "Stop"};
    ASSERT_EQ(0, tzm_OpenCameras(30.0));   // the first graph ran, did not deliver, nor stop
    EXPECT_EQ(2, World.inits);
    tzm_SampleGrabberCB *callback = CaptureGraph.camera[0].callback;
    World.fail.insert("Stop");
    EXPECT_EQ(3, tzm_CloseCameras());
    EXPECT_EQ(World.inits, World.uninits);
    std::vector<BYTE> late(kFrameBufferBytes, 0x77);
    EXPECT_EQ(S_OK, callback->BufferCB(9.0, late.data(), kFrameBufferBytes));
    EXPECT_EQ(0, CaptureGraph.camera[0].frame.frameBytes);
    EXPECT_EQ(nullptr, CaptureGraph.camera[0].frame.buffer);
}

TEST(CaptureFakes, PropertiesAsPercentagesOfTheirRanges)
{
    UseFakeWorld({kPnp0, kPnp1});
    World.props[0][16] = {0, 250, 100, 2};   // camera 0 focus
    World.props[1][16] = {0, 250, 0, 2};
    World.props[0][3].rangeFails = true;     // saturation: no range at open
    World.props[0][9] = {7, 7, 7, 2};        // gain: an empty range
    ASSERT_EQ(0, tzm_OpenCameras(30.0));

    // Clamping, manual and automatic are checked on the test cameras; here the reads of a
    // stored range and the refusals.
    int isAuto = -1;
    EXPECT_DOUBLE_EQ(40.0, tzm_GetCameraProperty(16, &isAuto));
    EXPECT_EQ(0, isAuto);
    EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(9, nullptr));   // empty range: no percentage

    // Refusals in the order of their codes.
    EXPECT_EQ(1, tzm_SetCameraProperty(50, 16, 2));
    EXPECT_EQ(1, tzm_SetCameraProperty(50, 16, -1));
    EXPECT_EQ(2, tzm_SetCameraProperty(50, 17, 0));
    EXPECT_EQ(3, tzm_SetCameraProperty(50, 3, 0));
    EXPECT_EQ(3, tzm_SetCameraPropertyAuto(3, 0));
    int calls = World.rangeCalls;
    EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(3, nullptr));   // without asking the camera
    EXPECT_EQ(calls, World.rangeCalls);
    EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(-1, nullptr));
    EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(17, nullptr));
    World.props[1][16].rangeFails = true;
    EXPECT_EQ(4, tzm_SetCameraProperty(50, 16, 1));
    World.props[1][16].rangeFails = false;
    World.props[1][16].setFails = true;
    EXPECT_EQ(5, tzm_SetCameraProperty(50, 16, 1));
    EXPECT_EQ(5, tzm_SetCameraPropertyAuto(16, 1));

    EXPECT_EQ(0, tzm_ShowCameraPropertyPages(1));
    EXPECT_EQ(L"Video Capture 1", World.frameCaption);
    EXPECT_EQ(1u, World.framePages);
    EXPECT_EQ(1, tzm_ShowCameraPropertyPages(2));
    World.fail.insert("Pages");
    EXPECT_EQ(2, tzm_ShowCameraPropertyPages(0));
    EXPECT_EQ(0, tzm_CloseCameras());
    ExpectNothingHeld();
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
