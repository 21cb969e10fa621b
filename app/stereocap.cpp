// stereocap.cpp - the stereo capture application: the "Right" and "Left" cameras live, a panel
// of buttons for focus, settings and swapping, and each captured pair saved side by side as one
// 1280 x 480 JPEG ".jps". Its messages are in code page 932 (compiled with that charset).
#include <cstdio>

#include "app/camera_watch.h"
#include "app/capture_graph.h"
#include "torvex.h"

enum {
    kRightImage = 0,
    kLeftImage = 1,
    kPairImage = 2,
    kButtonCapture = 11,
    kButtonConfigLR = 12,
    kButtonConfigL = 13,
    kButtonAutoFocus = 22,
    kButtonFixFocus = 23,
    kButtonSwap = 32,
    kButtons = 33,
};

void TVX_AppInit(void)
{
    TVX_CreateImage(kPairImage, "LR", 0, 480, 1280, 480, 25);
    TVX_CreateImage(kRightImage, "Right", 0, 0, 640, 480, 70);
    TVX_CreateImage(kLeftImage, "Left", 448, 0, 640, 480, 70);
    TVX_OpenTextWindow(0, 0, 336, 439, 135);
    TVX_Print("初期化中...\n");
    int result = tzm_OpenCameras(30.0);
    if (tzm_OpenNote()[0] != 0)
        TVX_Print("%s\n", tzm_OpenNote());
    if (result != 0) {
        TVX_Print("Error %d\n", result);
        return;
    }
    PrintCameras();
    TVX_Print("Startをクリックしてください．\n");
}

// The pixels of a 640 x 480 32-bit image, or NULL: read afresh on every frame, so that an image
// made again meanwhile is never written through its old buffer.
static unsigned int *FramePixels(int image)
{
    const ImageRecord &r = ImageTable[image];
    if (!r.inUse || r.bits != 32 || r.width != 640 || r.height != 480)
        return NULL;
    return ImagePixels32[image];
}

static void CopyCamera(int camera, int image)
{
    unsigned int *pixels = FramePixels(image);
    if (pixels != NULL && camera < CaptureGraph.cameraCount)
        TakeFrame(&CaptureGraph.camera[camera].frame, (uint8_t *)pixels, kFrameBufferBytes,
                  NULL);
}

static void CapturePair(void)
{
    if (ImageTable[kPairImage].inUse)
        TVX_SelectImage(kPairImage);
    // [Left | Right] as the windows show them, whichever camera feeds which.
    if (FramePixels(kLeftImage) != NULL)
        TVX_PutFrame(FramePixels(kLeftImage), 0);
    if (FramePixels(kRightImage) != NULL)
        TVX_PutFrame(FramePixels(kRightImage), 640);
    TVX_RefreshImage(CurrentImage);
    char name[256];
    snprintf(name, sizeof name, "CaptureAt%08X", (unsigned)GetTickCount());
    TVX_Print("%s", name);
    int result = TVX_SaveImageFile(480, 1280, 1, name);
    // The name is already on the screen: a pair that was not written must not pass for saved.
    if (result != 0)
        TVX_Print(" 保存できません(%d)\n", result);
}

static void SetBothFocus(double percent)
{
    tzm_SetCameraProperty(percent, kFocusProperty, 0);
    tzm_SetCameraProperty(percent, kFocusProperty, 1);
}

static void CopySettingsToCamera1(void)
{
    tzm_ShowCameraPropertyPages(0);
    for (int p = 0; p < kPropertyCount; p++) {
        int isAuto = 0;
        double value = tzm_GetCameraProperty(p, &isAuto);
        if (value == -1.0)
            continue;
        if (isAuto == 1)
            tzm_SetCameraPropertyAuto(p, 1);
        else
            tzm_SetCameraProperty(value, p, 1);
    }
}

static void ActOnButton(int button, int *leftCamera, int *rightCamera)
{
    if (button <= 10) {
        SetBothFocus((10 - button) * 10.0);
        return;
    }
    switch (button) {
    case kButtonCapture: CapturePair(); break;
    case kButtonConfigLR: CopySettingsToCamera1(); break;
    case kButtonConfigL: tzm_ShowCameraPropertyPages(1); break;
    case kButtonAutoFocus:
        tzm_SetCameraPropertyAuto(kFocusProperty, 0);
        tzm_SetCameraPropertyAuto(kFocusProperty, 1);
        break;
    case kButtonFixFocus: {
        double focus = tzm_GetCameraProperty(kFocusProperty, NULL);
        // Camera 0's focus unread: there is no position to fix, both stay as they are.
        if (focus != -1.0)
            SetBothFocus(focus);
        break;
    }
    case kButtonSwap: {
        int camera = *leftCamera;
        *leftCamera = *rightCamera;
        *rightCamera = camera;
        break;
    }
    default: break;
    }
}

// A pass that found no new frame waits up to 1 ms, and less when a message arrives: spinning
// here kept a whole core busy between frames, 33 ms out of every 33.
static void WaitForNextPass(void)
{
    MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
}

void TVX_AppMain(void)
{
    // Which camera feeds which window; set afresh at every Start.
    int leftCamera = 0, rightCamera = 1;
    TVX_OpenButtonBox(0, 336, 11, 3);
    TVX_SetButtonBoxTitle(kButtonCapture, "Capture");
    TVX_SetButtonBoxTitle(kButtonConfigLR, "ConfigLR");
    TVX_SetButtonBoxTitle(kButtonConfigL, "ConfigL");
    TVX_SetButtonBoxTitle(kButtonAutoFocus, "Auto_F");
    TVX_SetButtonBoxTitle(kButtonFixFocus, "Fix_F");
    TVX_SetButtonBoxTitle(kButtonSwap, "swapLR");
    CameraWatch watch = {};
    for (;;) {
        TVX_PumpMessages();
        if (StopRequest.load() != 0)
            break;
        WatchCameras(&watch, false);
        CaptureGraphRecord &g = CaptureGraph;
        if (!g.opened || g.cameraCount < 1) {
            WaitForNextPass();
            continue;
        }
        tzm_SampleGrabberCB *paced = g.camera[0].callback;
        double time = LatestSampleTime(&g.camera[0].frame);
        if (paced == NULL || time == paced->lastSeenTime) {
            WaitForNextPass();
            continue;
        }
        paced->lastSeenTime = time;
        // Camera 0 paces the loop; camera 1's frame is taken as it stands.
        CopyCamera(0, leftCamera == 0 ? kLeftImage : kRightImage);
        if (g.cameraCount >= 2)
            CopyCamera(1, leftCamera == 1 ? kLeftImage : kRightImage);
        if (ImageTable[kRightImage].inUse)
            TVX_SelectImage(kRightImage);
        TVX_RefreshImage(CurrentImage);
        if (ImageTable[kLeftImage].inUse)
            TVX_SelectImage(kLeftImage);
        TVX_RefreshImage(CurrentImage);
        TVX_Print("*");
        for (int button = 0; button < kButtons; button++)
            if (TVX_GetButtonPress(button) != 0)
                ActOnButton(button, &leftCamera, &rightCamera);
    }
    TVX_Print("Stop\n");
    WatchCameras(&watch, true);
}

void TVX_AppExit(void)
{
    tzm_CloseCameras();
}
