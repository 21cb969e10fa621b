// stereoshot.cpp - the stereo shooter's program on the same library and capture module: the
// "Right" and "Left" cameras live, a third live window "Stereo" (anaglyphs, difference, overlay
// with a grid) for aligning the cameras, and pairs taken in sync - the two frames nearest in
// time, with their skew told and written into the files - saved as JPS, MPO, a parallel side-by-
// side JPEG, a red-cyan anaglyph or all four, in a folder set in the input box.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera_watch.h"
#include "app/capture_graph.h"
#include "stereoshot/pair_encoding.h"
#include "stereoshot/pair_naming.h"
#include "stereoshot/pair_writer.h"
#include "stereoshot/stereo_views.h"
#include "torvex.h"

enum {
    kRightImage = 0,
    kLeftImage = 1,
    kStereoImage = 2,
    kFolderItem = 0,
    kPanelColumns = 6,
    kPanelRows = 3,
    kButtonWidth = 166,   // room for the longest label, "View: half-colour red-cyan"
};

// The button panel: one row a button, in the order of the box (the digit keys 0 to 9 press
// buttons 0 to 9, so 0 takes a pair).
enum Button {
    kTakePair,
    kSaveFormat,
    kStereoViewButton,
    kSwapSides,
    kAutoFocus,
    kFixFocus,
    kFocus0,
    kFocus25,
    kFocus50,
    kFocus75,
    kFocus100,
    kCopySettings,
    kSettings0,
    kSettings1,
    kButtonCount,
};

static struct {
    int format = kSaveAll;
    int view = kViewDubois;
    int sequence = 1;
    bool swapped = false;        // camera 1 feeds the Left window
    std::string folder;          // the last folder the input box gave ("" the current one)
    std::vector<uint8_t> frame[2];   // the live pair, camera 0 and camera 1
    // The live skew over the last second, and what was shown for the benchmarks.
    double skewSum = 0.0, skewMax = 0.0;
    int skewCount = 0;
    DWORD nextFigure = 0;
    double lastShown[2] = {0.0, 0.0};
    unsigned long shown[2] = {0, 0}, stereoShown = 0;
} Shot;

static unsigned int *Pixels(int image)
{
    const ImageRecord &r = ImageTable[image];
    if (!r.inUse || r.bits != 32 || r.width != kFrameWidth640 || r.height != kFrameHeight480)
        return NULL;
    return ImagePixels32[image];
}

static void LabelButtons(void)
{
    char text[96];
    TVX_SetButtonBoxTitle(kTakePair, "Take pair");
    snprintf(text, sizeof text, "Save: %s", PairFormatName(Shot.format));
    TVX_SetButtonBoxTitle(kSaveFormat, text);
    snprintf(text, sizeof text, "View: %s", StereoViewLabel(Shot.view));
    TVX_SetButtonBoxTitle(kStereoViewButton, text);
    TVX_SetButtonBoxTitle(kSwapSides, Shot.swapped ? "Sides: swapped" : "Sides: as opened");
    TVX_SetButtonBoxTitle(kAutoFocus, "Auto focus");
    TVX_SetButtonBoxTitle(kFixFocus, "Fix focus here");
    TVX_SetButtonBoxTitle(kFocus0, "Focus 0%");
    TVX_SetButtonBoxTitle(kFocus25, "Focus 25%");
    TVX_SetButtonBoxTitle(kFocus50, "Focus 50%");
    TVX_SetButtonBoxTitle(kFocus75, "Focus 75%");
    TVX_SetButtonBoxTitle(kFocus100, "Focus 100%");
    TVX_SetButtonBoxTitle(kCopySettings, "Copy cam 0 to cam 1");
    TVX_SetButtonBoxTitle(kSettings0, "Camera 0 settings");
    TVX_SetButtonBoxTitle(kSettings1, "Camera 1 settings");
    for (int unused = kButtonCount; unused < kPanelColumns * kPanelRows; unused++)
        TVX_SetButtonBoxTitle(unused, "");
}

void TVX_AppInit(void)
{
    TVX_CreateImage(kRightImage, "Right", 0, 0, 640, 480, 70);
    TVX_CreateImage(kLeftImage, "Left", 448, 0, 640, 480, 70);
    TVX_CreateImage(kStereoImage, "Stereo", 896, 0, 640, 480, 60);
    TVX_OpenTextWindow(0, 0, 336, 600, 220);
    TVX_OpenInputBox(640, 336, 1);
    TVX_SetInputBoxTitle(kFolderItem, "Save folder");
    TVX_ResizeInputBox(90, 300);
    TVX_SetInputBoxValue(kFolderItem, ".");
    TVX_Print("stereoshot: starting the cameras...\n");
    tzm_KeepRecentFrames(1);
    int result = tzm_OpenCameras(30.0);
    if (tzm_OpenNote()[0] != 0)
        TVX_Print("%s\n", tzm_OpenNote());
    if (result != 0) {
        const OpenResultRow *row = OpenResultOf(result);
        TVX_Print("The cameras did not open (%d: %s).\n", result, row ? row->meaning : "?");
        return;
    }
    PrintCameras();
    for (std::vector<uint8_t> &f : Shot.frame)
        f.assign(kFrameBufferBytes, 0);
    StartPairWriter();
    TVX_Print("Click Start. Pairs are saved in the folder of the input box (\".\" is the current "
              "one).\n");
}

// The folder the input box holds now, cleaned; the last one when the box is gone.
static const std::string &SaveFolder(void)
{
    char typed[256];
    if (TVX_GetInputBoxValue(kFolderItem, typed, sizeof typed) == 0) {
        Shot.folder = CleanFolder(typed);
        if (Shot.folder == ".")
            Shot.folder.clear();
    }
    return Shot.folder;
}

static LocalTime Now(void)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

// The frames of camera 0 and 1 as Left and Right, by the sides chosen.
static const uint32_t *SideFrame(const std::vector<uint8_t> *frames, bool left)
{
    int camera = (left == Shot.swapped) ? 1 : 0;
    return (const uint32_t *)frames[camera].data();
}

static void TakePair(void)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || g.cameraCount < 2) {
        TVX_Print("Pair not taken: it needs two cameras, %d %s open.\n", g.opened ? g.cameraCount : 0,
                  g.cameraCount == 1 && g.opened ? "is" : "are");
        return;
    }
    // A camera that stopped sending would be paired with a stale frame of its own.
    double newest0 = LatestSampleTime(&g.camera[0].frame);
    double newest1 = LatestSampleTime(&g.camera[1].frame);
    if (std::fabs(newest0 - newest1) > 1.0) {
        int stale = newest0 < newest1 ? 0 : 1;
        TVX_Print("Pair not taken: camera %d has sent no frame for %.1f s.\n", stale,
                  std::fabs(newest0 - newest1));
        return;
    }
    std::vector<uint8_t> frames[2] = {std::vector<uint8_t>(kFrameBufferBytes),
                                      std::vector<uint8_t>(kFrameBufferBytes)};
    double time[2];
    int result = tzm_TakeSyncedPair(frames[0].data(), frames[1].data(), &time[0], &time[1]);
    if (result != 0) {
        TVX_Print("Pair not taken: %s.\n",
                  result == 2 ? "no frames have arrived yet" : "the cameras are not open");
        return;
    }
    PairJob job;
    job.takenAt = GetTickCount();
    job.width = kFrameWidth640;
    job.height = kFrameHeight480;
    const uint32_t *left = SideFrame(frames, true), *right = SideFrame(frames, false);
    job.left.assign(left, left + kFrameWidth640 * kFrameHeight480);
    job.right.assign(right, right + kFrameWidth640 * kFrameHeight480);
    job.format = Shot.format;
    job.quality = JpegQuality;
    job.sequence = Shot.sequence;
    job.taken = Now();
    job.folder = SaveFolder();
    job.skewMs = std::fabs(time[0] - time[1]) * 1000.0;
    job.leftTime = time[Shot.swapped ? 1 : 0];
    job.rightTime = time[Shot.swapped ? 0 : 1];
    char line[128];
    snprintf(line, sizeof line, "Pair %03d: skew %.1f ms", Shot.sequence, job.skewMs);
    if (!QueuePair(std::move(job))) {
        TVX_Print("Pair not taken: %d pairs are still being written.\n", PairsWaiting());
        return;
    }
    TVX_Print("%s (%s)\n", line, PairFormatName(Shot.format));
    TVX_SetStatusText(line);
    Shot.sequence++;
}

// Sets one property on both cameras and says which camera lacks it.
static void OnBothCameras(int property, double percent, bool automatic, const char *what)
{
    for (int camera = 0; camera < 2 && camera < CaptureGraph.cameraCount; camera++) {
        int result = automatic ? tzm_SetCameraPropertyAuto(property, camera)
                               : tzm_SetCameraProperty(percent, property, camera);
        if (result == 3)
            TVX_Print("Camera %d has no %s control.\n", camera, what);
        else if (result != 0)
            TVX_Print("Camera %d refused the %s setting (%d).\n", camera, what, result);
    }
}

static void CopySettings(void)
{
    int copied = 0;
    for (int p = 0; p < kPropertyCount; p++) {
        int isAuto = 0;
        double value = tzm_GetCameraProperty(p, &isAuto);
        if (value == -1.0)
            continue;
        int result = isAuto == 1 ? tzm_SetCameraPropertyAuto(p, 1)
                                 : tzm_SetCameraProperty(value, p, 1);
        copied += result == 0;
    }
    TVX_Print("%d settings of camera 0 copied to camera 1.\n", copied);
}

static void ShowSettings(int camera)
{
    if (tzm_ShowCameraPropertyPages(camera) != 0)
        TVX_Print("Camera %d has no settings pages.\n", camera);
}

static void ActOnButton(int button)
{
    switch (button) {
    case kTakePair: TakePair(); break;
    case kSaveFormat:
        Shot.format = (Shot.format + 1) % kPairFormats;
        LabelButtons();
        break;
    case kStereoViewButton:
        Shot.view = (Shot.view + 1) % kStereoViews;
        Shot.nextFigure = 0;   // the title names the view at once
        LabelButtons();
        break;
    case kSwapSides:
        Shot.swapped = !Shot.swapped;
        LabelButtons();
        break;
    case kAutoFocus: OnBothCameras(kFocusProperty, 0.0, true, "focus"); break;
    case kFixFocus: {
        double focus = tzm_GetCameraProperty(kFocusProperty, NULL);
        if (focus == -1.0)
            TVX_Print("Camera 0's focus cannot be read: nothing was fixed.\n");
        else
            OnBothCameras(kFocusProperty, focus, false, "focus");
        break;
    }
    case kFocus0: case kFocus25: case kFocus50: case kFocus75: case kFocus100:
        OnBothCameras(kFocusProperty, (button - kFocus0) * 25.0, false, "focus");
        break;
    case kCopySettings: CopySettings(); break;
    case kSettings0: ShowSettings(0); break;
    case kSettings1: ShowSettings(1); break;
    default: break;
    }
}

// The skew of the live pairs over the last second, in the Stereo window's title.
static void ShowSkewFigure(void)
{
    DWORD now = GetTickCount();
    if (Shot.nextFigure != 0 && (int)(now - Shot.nextFigure) < 0)
        return;
    Shot.nextFigure = now + 1000;
    char title[160];
    // Short enough for the window's width: the view's button label, not its full name.
    if (Shot.skewCount == 0)
        snprintf(title, sizeof title, "Stereo: %s", StereoViewLabel(Shot.view));
    else
        snprintf(title, sizeof title, "Stereo: %s, skew %.1f ms mean, %.1f max",
                 StereoViewLabel(Shot.view), Shot.skewSum / Shot.skewCount, Shot.skewMax);
    TVX_SetImageName(kStereoImage, title);
    Shot.skewSum = Shot.skewMax = 0.0;
    Shot.skewCount = 0;
}

static void Refresh(int image)
{
    if (ImageTable[image].inUse)
        TVX_RefreshImage(image);
}

// A new frame of camera 0: the pair around it into the live windows and the Stereo view.
static void ShowLivePair(void)
{
    CaptureGraphRecord &g = CaptureGraph;
    double time[2] = {0.0, 0.0};
    if (g.cameraCount >= 2) {
        if (tzm_TakeSyncedPair(Shot.frame[0].data(), Shot.frame[1].data(), &time[0], &time[1]) !=
            0)
            return;
        double skew = std::fabs(time[0] - time[1]) * 1000.0;
        Shot.skewSum += skew;
        Shot.skewCount++;
        if (skew > Shot.skewMax)
            Shot.skewMax = skew;
    } else {
        TakeFrame(&g.camera[0].frame, Shot.frame[0].data(), kFrameBufferBytes, &time[0]);
    }
    for (int camera = 0; camera < 2 && camera < g.cameraCount; camera++)
        if (time[camera] != Shot.lastShown[camera]) {
            Shot.lastShown[camera] = time[camera];
            Shot.shown[camera]++;
        }
    if (g.cameraCount < 2) {
        // One camera: its window only, by the sides chosen; no pair, no Stereo view.
        if (unsigned int *pixels = Pixels(Shot.swapped ? kRightImage : kLeftImage))
            memcpy(pixels, Shot.frame[0].data(), kFrameBufferBytes);
        Refresh(Shot.swapped ? kRightImage : kLeftImage);
        return;
    }
    const uint32_t *left = SideFrame(Shot.frame, true), *right = SideFrame(Shot.frame, false);
    if (unsigned int *pixels = Pixels(kLeftImage))
        memcpy(pixels, left, kFrameBufferBytes);
    if (unsigned int *pixels = Pixels(kRightImage))
        memcpy(pixels, right, kFrameBufferBytes);
    Refresh(kRightImage);
    Refresh(kLeftImage);
    if (unsigned int *pixels = Pixels(kStereoImage)) {
        MakeStereoView(Shot.view, left, right, pixels, kFrameWidth640, kFrameHeight480);
        Refresh(kStereoImage);
        Shot.stereoShown++;
    }
}

static void PrintWriterReports(void)
{
    std::string line;
    while (TakeWriterReport(&line))
        TVX_Print("%s\n", line.c_str());
}

void TVX_AppMain(void)
{
    TVX_OpenButtonBox(0, 590, kPanelColumns, kPanelRows);
    TVX_ResizeButtonBox(kPanelColumns * (kButtonWidth + 4) + 4, kPanelRows * (26 + 4) + 4);
    LabelButtons();
    if (CaptureGraph.opened && CaptureGraph.cameraCount < 2)
        TVX_Print("Only one camera is open: pairs and the Stereo view need two.\n");
    CameraWatch watch = {};
    Shot.shown[0] = Shot.shown[1] = Shot.stereoShown = 0;
    // A new pair paces the live windows (with one camera, a new frame): every frame of both
    // cameras is shown once, whichever of the two arrives last.
    double paced[2] = {-1.0, -1.0};
    for (;;) {
        TVX_PumpMessages();
        if (StopRequest.load() != 0)
            break;
        PrintWriterReports();
        WatchCameras(&watch, false);
        CaptureGraphRecord &g = CaptureGraph;
        double now[2] = {0.0, 0.0};
        bool fresh = false;
        if (g.opened && g.cameraCount >= 2 && !Shot.frame[0].empty())
            fresh = tzm_SyncedPairTimes(&now[0], &now[1]) == 0;
        else if (g.opened && g.cameraCount == 1 && !Shot.frame[0].empty()) {
            now[0] = LatestSampleTime(&g.camera[0].frame);
            fresh = true;
        }
        fresh = fresh && (now[0] != paced[0] || now[1] != paced[1]);
        if (fresh) {
            paced[0] = now[0];
            paced[1] = now[1];
        }
        if (fresh) {
            ShowLivePair();
            ShowSkewFigure();
        }
        for (int button = 0; button < kButtonCount; button++)
            if (TVX_GetButtonPress(button) != 0)
                ActOnButton(button);
        if (!fresh)
            MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
    }
    TVX_Print("Stop\n");
    WatchCameras(&watch, true);
    TVX_Print("Shown while running: camera 0 %lu frames, camera 1 %lu, Stereo %lu\n", Shot.shown[0],
              Shot.shown[1], Shot.stereoShown);
}

void TVX_AppExit(void)
{
    // Every pair taken is written before the cameras and the process go.
    StopPairWriter();
    tzm_CloseCameras();
}
