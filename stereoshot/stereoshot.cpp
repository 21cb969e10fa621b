// stereoshot.cpp - the stereo shooter's program on the same library and capture module: the
// "Right" and "Left" cameras live, a third live window "Stereo" (anaglyphs, difference, overlay
// with a grid) for aligning the cameras, and pairs taken in sync - the two frames nearest in
// time, with their skew told and written into the files - saved as JPS, MPO, a parallel side-by-
// side JPEG, a red-cyan anaglyph or all four, in a folder set in the input box. Frames are
// 640 x 480 unless a larger size both cameras offer is chosen (kept with the sides).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera_watch.h"
#include "app/capture_graph.h"
#include "stereoshot/frame_gaps.h"
#include "stereoshot/live_figures.h"
#include "stereoshot/pair_encoding.h"
#include "stereoshot/pair_figures.h"
#include "stereoshot/pair_naming.h"
#include "stereoshot/pair_writer.h"
#include "stereoshot/rig_settings.h"
#include "stereoshot/stereo_views.h"
#include "stereoshot/sync_check.h"
#include "torvex.h"

enum {
    kRightImage = 0,
    kLeftImage = 1,
    kStereoImage = 2,
    kFolderItem = 0,
    kIntervalItem = 1,
    kCountItem = 2,
    kInputItems = 3,
    kMostPairsInASeries = 9999,
    kFiguresBand = 34,    // rows at the top of the Stereo view that hold the figures
    kPanelColumns = 6,
    kPanelRows = 4,
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
    kIntervalSeries,
    kBurst,
    kMatchCameras,
    kFrameSizeButton,
    kSyncWindowButton,
    kSyncSceneButton,
    kUseDelay,
    kResetDelay,
    kButtonCount,
};

static struct {
    FrameSize size = {kFrameWidth640, kFrameHeight480};   // of the frames, the windows and files
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
    unsigned long shown[2] = {0, 0}, stereoShown = 0, passedOver[2] = {0, 0};
    // The live figures of the last second.
    Alignment alignment = {};
    ColourDifference colour = {};
    bool figures = false;
    // A series in progress: every `interval` ms (0: a burst, as fast as the writer takes them)
    // until `total` pairs are taken.
    int seriesButton = -1;   // the button that started it; -1: none
    int total = 0, done = 0;
    DWORD interval = 0, due = 0;
    bool toldFull = false;
    std::string sidesNote;   // how the sides differ from the settings, or why those were not read
    double takenTimes[2] = {-1.0, -1.0};   // the last pair taken, so that a burst never repeats one
    // Frames delivered during this run by the graphs opened before the present one (a new size
    // opens the cameras anew, and their counts start again), and the present graph's counts at
    // the run's start or at its open.
    unsigned long deliveredBefore[2] = {0, 0}, deliveredBase[2] = {0, 0};
    double paced[2] = {-1.0, -1.0};   // the pair that paced the live windows last
    double delayMs[2] = {0.0, 0.0};   // camera 0's and 1's delivery delay applied (sync check)
} Shot;

static long FrameBytes(void)
{
    return (long)Shot.size.width * Shot.size.height * 4;
}

// The Stereo view of a larger frame is made of every step-th pixel: the window shows it at about
// 640 pixels wide whatever the size, and a view made at full size would cost the live windows
// frames (at 1920 x 1080 nine times the arithmetic for the same picture on the screen).
static int StereoStep(void)
{
    return std::max(1, Shot.size.width / kFrameWidth640);
}

static FrameSize ImageSize(int image)
{
    const int step = image == kStereoImage ? StereoStep() : 1;
    return FrameSize{Shot.size.width / step, Shot.size.height / step};
}

static unsigned int *Pixels(int image)
{
    const ImageRecord &r = ImageTable[image];
    const FrameSize size = ImageSize(image);
    if (!r.inUse || r.bits != 32 || r.width != size.width || r.height != size.height)
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
    TVX_SetButtonBoxTitle(kSwapSides, Shot.swapped ? "Sides: Left is cam 1" : "Sides: Left is cam 0");
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
    TVX_SetButtonBoxTitle(kIntervalSeries,
                          Shot.seriesButton == kIntervalSeries ? "Stop series" : "Interval series");
    TVX_SetButtonBoxTitle(kBurst, Shot.seriesButton == kBurst ? "Stop burst" : "Burst");
    TVX_SetButtonBoxTitle(kMatchCameras, "Match cameras");
    snprintf(text, sizeof text, "Size: %dx%d", Shot.size.width, Shot.size.height);
    TVX_SetButtonBoxTitle(kFrameSizeButton, text);
    TVX_SetButtonBoxTitle(kSyncWindowButton, "Sync check: window");
    TVX_SetButtonBoxTitle(kSyncSceneButton, "Sync check: scene");
    TVX_SetButtonBoxTitle(kUseDelay, "Use delay");
    TVX_SetButtonBoxTitle(kResetDelay, "Reset delay");
    for (int unused = kButtonCount; unused < kPanelColumns * kPanelRows; unused++)
        TVX_SetButtonBoxTitle(unused, "");
}

// The program's settings beside the user's profile: %APPDATA%\stereoshot\settings.ini.
static std::wstring SettingsPath(bool makeFolder)
{
    wchar_t base[MAX_PATH] = L"";
    DWORD n = GetEnvironmentVariableW(L"APPDATA", base, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        n = GetEnvironmentVariableW(L"USERPROFILE", base, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return L"";
    std::wstring folder = std::wstring(base) + L"\\stereoshot";
    if (makeFolder)
        CreateDirectoryW(folder.c_str(), NULL);
    return folder + L"\\settings.ini";
}

static std::string Narrow(const std::wstring &wide)
{
    char text[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, text, sizeof text, NULL, NULL);
    return text;
}

// The device paths of camera 0 and 1, as the settings keep them.
static void CameraPaths(std::string paths[2])
{
    for (int camera = 0; camera < 2; camera++)
        paths[camera] = camera < CaptureGraph.cameraCount ? CaptureGraph.camera[camera].identity : "";
}

// The settings kept last time; empty (with the note said at Start) where the file is damaged.
static RigSettings ReadSettings(void)
{
    RigSettings settings;
    std::wstring path = SettingsPath(false);
    FILE *file = path.empty() ? NULL : _wfopen(path.c_str(), L"rb");
    if (file == NULL)
        return settings;   // none yet: sides as the cameras were found, 640 x 480
    char buffer[4096];
    size_t length = fread(buffer, 1, sizeof buffer, file);
    fclose(file);
    std::string problem;
    if (length == sizeof buffer || !ParseRigSettings(std::string(buffer, length), &settings, &problem)) {
        Shot.sidesNote = "The settings file " + Narrow(path) + " is damaged (" +
                         (length == sizeof buffer ? std::string("too long") : problem) +
                         "): sides as the cameras were found, 640x480; Sides or Size writes it anew.";
        return RigSettings();
    }
    return settings;
}

// The sides the settings remember for the cameras found now.
static void LoadSides(const RigSettings &settings)
{
    std::string paths[2];
    CameraPaths(paths);
    SideChoice choice = ChooseSides(settings, paths, CaptureGraph.cameraCount);
    Shot.swapped = choice.leftCamera != 0;
    if (!choice.note.empty())
        Shot.sidesNote += (Shot.sidesNote.empty() ? "" : "\n") + choice.note;
    // A delay belongs to the camera it was measured on: applied only where both are the rig's.
    if (choice.note.empty() && CaptureGraph.cameraCount >= 2) {
        int left = Shot.swapped ? 1 : 0;
        Shot.delayMs[left] = settings.leftDelayMs;
        Shot.delayMs[1 - left] = settings.rightDelayMs;
        for (int camera = 0; camera < 2; camera++)
            tzm_SetCameraDelay(camera, Shot.delayMs[camera] / 1000.0);
    }
}

// Sides or Size has changed: kept for the next start, whatever order the cameras are found in.
static void SaveSettings(void)
{
    if (CaptureGraph.cameraCount < 2)
        return;
    std::string paths[2];
    CameraPaths(paths);
    int left = Shot.swapped ? 1 : 0;
    RigSettings settings = {paths[left], paths[1 - left], Shot.size.width, Shot.size.height,
                            Shot.delayMs[left], Shot.delayMs[1 - left]};
    std::wstring path = SettingsPath(true), part = path + L".part";
    std::string text = FormatRigSettings(settings);
    FILE *file = path.empty() ? NULL : _wfopen(part.c_str(), L"wb");
    bool written = file != NULL && fwrite(text.data(), 1, text.size(), file) == text.size();
    if (file != NULL)
        written = fclose(file) == 0 && written;
    if (!written || !MoveFileExW(part.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileW(part.c_str());
        TVX_Print("The sides and size could not be kept in %s: they hold until the program ends.\n",
                  Narrow(path).c_str());
    }
}

// The live windows at the frames' size, as wide on the screen as at 640 x 480.
static void MakeImages(void)
{
    static const struct {
        int image;
        const char *name;
        int x, zoom;
    } kWindows[] = {{kRightImage, "Right", 0, 70}, {kLeftImage, "Left", 448, 70},
                    {kStereoImage, "Stereo", 896, 60}};
    for (const auto &w : kWindows) {
        const FrameSize size = ImageSize(w.image);
        TVX_DestroyImage(w.image);
        TVX_CreateImage(w.image, w.name, w.x, 0, size.width, size.height,
                        w.zoom * kFrameWidth640 / size.width);
    }
}

// Opens the cameras at the size; false, with the reason printed, when they do not open.
static bool OpenAtSize(FrameSize size)
{
    tzm_SetFrameSize(size.width, size.height);
    int result = tzm_OpenCameras(30.0);
    if (tzm_OpenNote()[0] != 0)
        TVX_Print("%s\n", tzm_OpenNote());
    if (result != 0) {
        const OpenResultRow *row = OpenResultOf(result);
        TVX_Print("The cameras did not open at %dx%d (%d: %s).\n", size.width, size.height, result,
                  row ? row->meaning : "?");
        return false;
    }
    Shot.size = tzm_FrameSize();
    for (std::vector<uint8_t> &f : Shot.frame)
        f.assign((size_t)FrameBytes(), 0);
    return true;
}

// When the frame loop last showed a pair and the cameras' frame period, in milliseconds; a
// period of 0 while the loop does not run.
static std::atomic<double> LoopShownAt{0.0}, LoopPeriod{0.0};

static double NowMs(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

// The pair writer's pace, called about once a millisecond of its work: from 3 ms before the
// live windows are due their next pair until they have shown it, the writer waits (not once three
// frame periods have passed: a camera that falls silent holds nothing up). On two busy cores a
// burst otherwise cost the live windows a frame now and then; waiting only once they were late
// was not enough.
static void StepAsideForTheLiveWindows(void)
{
    for (;;) {
        double period = LoopPeriod.load(), late = NowMs() - LoopShownAt.load();
        if (period <= 0.0 || late < period - 3.0 || late > 3.0 * period)
            return;
        Sleep(1);
    }
}

void TVX_AppInit(void)
{
    RigSettings settings = ReadSettings();
    if (settings.width != 0 && !IsUsableFrameSize(settings.width, settings.height))
        TVX_Print("The size kept in the settings, %dx%d, is not one the cameras can be opened at: "
                  "640x480.\n", settings.width, settings.height);
    else if (settings.width != 0)
        Shot.size = FrameSize{settings.width, settings.height};
    TVX_OpenTextWindow(0, 0, 336, 600, 220);
    TVX_OpenInputBox(640, 336, kInputItems);
    TVX_SetInputBoxTitle(kFolderItem, "Save folder");
    TVX_SetInputBoxTitle(kIntervalItem, "Interval (s)");
    TVX_SetInputBoxTitle(kCountItem, "Pairs in series");
    TVX_ResizeInputBox(130, 260);
    TVX_SetInputBoxValue(kFolderItem, ".");
    TVX_SetInputBoxValue(kIntervalItem, "1");
    TVX_SetInputBoxValue(kCountItem, "10");
    TVX_Print("stereoshot: starting the cameras...\n");
    tzm_KeepRecentFrames(1);
    bool opened = OpenAtSize(Shot.size);
    if (!opened && (Shot.size.width != kFrameWidth640 || Shot.size.height != kFrameHeight480)) {
        // Said again at Start with the sides: the run's pairs are smaller than the rig's user chose.
        char note[160];
        snprintf(note, sizeof note, "The cameras did not open at the size kept in the settings, "
                 "%dx%d: they run at 640x480.", Shot.size.width, Shot.size.height);
        Shot.sidesNote = note;
        TVX_Print("Trying 640x480 instead.\n");
        Shot.size = FrameSize{kFrameWidth640, kFrameHeight480};
        opened = OpenAtSize(Shot.size);
    }
    MakeImages();
    if (!opened)
        return;
    PrintCameras();
    LoadSides(settings);
    StartPairWriter(StepAsideForTheLiveWindows);
    StartLiveFigures();
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

enum TakeResult { kTaken, kNotNow, kCannot };

// Takes the pair nearest in time and hands it to the writer. In a series a full queue is not a
// refusal: the series waits for room, and a burst never takes the same two frames twice.
static int TakePair(bool inSeries)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || g.cameraCount < 2) {
        TVX_Print("Pair not taken: it needs two cameras, %d %s open.\n", g.opened ? g.cameraCount : 0,
                  g.cameraCount == 1 && g.opened ? "is" : "are");
        return kCannot;
    }
    // A camera that stopped sending would be paired with a stale frame of its own.
    double newest0 = LatestSampleTime(&g.camera[0].frame);
    double newest1 = LatestSampleTime(&g.camera[1].frame);
    if (std::fabs(newest0 - newest1) > 1.0) {
        int stale = newest0 < newest1 ? 0 : 1;
        TVX_Print("Pair not taken: camera %d has sent no frame for %.1f s.\n", stale,
                  std::fabs(newest0 - newest1));
        return kCannot;
    }
    double time[2];
    if (inSeries && (tzm_SyncedPairTimes(&time[0], &time[1]) != 0 ||
                     (time[0] == Shot.takenTimes[0] && time[1] == Shot.takenTimes[1]) ||
                     PairsWaiting() >= kPairQueueLimit))
        return kNotNow;
    // The pair goes straight into the writer's job, Left and Right by the sides chosen: the
    // frame loop copies each frame once (a burst at 1920 x 1080 took 16 MB of copies a pair).
    PairJob job;
    SizePairFrames(&job, Shot.size.width, Shot.size.height);
    uint32_t *into[2] = {job.left.data(), job.right.data()};
    if (Shot.swapped)
        std::swap(into[0], into[1]);
    int result = tzm_TakeSyncedPair((uint8_t *)into[0], (uint8_t *)into[1], &time[0], &time[1]);
    if (result == 2 && inSeries)
        return kNotNow;   // tried again on the next turn of the loop, without a line each time
    if (result != 0) {
        TVX_Print("Pair not taken: %s.\n",
                  result == 2 ? "no frames have arrived yet" : "the cameras are not open");
        return kCannot;
    }
    job.takenAt = GetTickCount();
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
        if (inSeries)
            return kNotNow;
        TVX_Print("Pair not taken: %d pairs are still being written.\n", PairsWaiting());
        return kCannot;
    }
    Shot.takenTimes[0] = time[0];
    Shot.takenTimes[1] = time[1];
    TVX_Print("%s (%s)\n", line, PairFormatName(Shot.format));
    TVX_SetStatusText(line);
    Shot.sequence++;
    return kTaken;
}

// A whole number or a number of seconds from the input box, all of the text; false otherwise.
static bool ReadNumber(int item, double *value, char *typed, size_t size)
{
    typed[0] = 0;
    if (TVX_GetInputBoxValue(item, typed, (int)size) != 0)
        return false;
    char *end = NULL;
    *value = strtod(typed, &end);
    while (end != NULL && (*end == ' ' || *end == '\t'))
        end++;
    return end != typed && end != NULL && *end == 0 && std::isfinite(*value);
}

static void EndSeries(const char *how)
{
    TVX_Print("Series %s: %d of %d pairs taken.\n", how, Shot.done, Shot.total);
    char line[64];
    snprintf(line, sizeof line, "Series: %d of %d", Shot.done, Shot.total);
    TVX_SetStatusText(line);
    Shot.seriesButton = -1;
    ReadyPairFrames(Shot.size.width, Shot.size.height, 0);
    LabelButtons();
}

// Interval series or burst: the button starts one with the numbers of the input box, or ends
// the one in progress.
static void StartOrEndSeries(int button)
{
    if (Shot.seriesButton >= 0) {
        EndSeries("stopped");
        return;
    }
    char typed[256];
    double count = 0.0, seconds = 0.0;
    if (!ReadNumber(kCountItem, &count, typed, sizeof typed) || count != std::floor(count) ||
        count < 1 || count > kMostPairsInASeries) {
        TVX_Print("Series not started: \"Pairs in series\" must be a whole number from 1 to %d "
                  "(it holds \"%s\").\n",
                  kMostPairsInASeries, typed);
        return;
    }
    if (button == kIntervalSeries &&
        (!ReadNumber(kIntervalItem, &seconds, typed, sizeof typed) || seconds <= 0.0 ||
         seconds > 3600.0)) {
        TVX_Print("Series not started: \"Interval (s)\" must be a number of seconds above 0 and at "
                  "most 3600 (it holds \"%s\").\n",
                  typed);
        return;
    }
    if (!CaptureGraph.opened || CaptureGraph.cameraCount < 2) {
        TVX_Print("Series not started: it needs two cameras.\n");
        return;
    }
    Shot.seriesButton = button;
    Shot.total = (int)count;
    Shot.done = 0;
    Shot.interval = button == kBurst ? 0 : (DWORD)std::lround(seconds * 1000.0);
    // The writer makes the frames the series will fill beforehand (a burst fills the queue in
    // four frames' time, which fresh memory made on the frame loop would stall); a burst gives
    // it a tenth of a second for that.
    ReadyPairFrames(Shot.size.width, Shot.size.height, button == kBurst ? Shot.total : 1);
    Shot.due = GetTickCount() + (button == kBurst ? 100 : 0);
    Shot.toldFull = false;
    if (button == kBurst)
        TVX_Print("Burst of %d pairs started.\n", Shot.total);
    else
        TVX_Print("Series of %d pairs started, one every %.3g s.\n", Shot.total, seconds);
    LabelButtons();
}

// The next pair of the series when it is due and the writer has room: a full queue holds the
// series back (and says so once), never drops a pair.
static void SeriesStep(void)
{
    if (Shot.seriesButton < 0)
        return;
    DWORD now = GetTickCount();
    if ((int)(now - Shot.due) < 0)
        return;
    switch (TakePair(true)) {
    case kTaken: {
        Shot.done++;
        Shot.toldFull = false;
        char line[64];
        snprintf(line, sizeof line, "Series: %d of %d", Shot.done, Shot.total);
        TVX_SetStatusText(line);
        if (Shot.done == Shot.total) {
            EndSeries("complete");
            return;
        }
        Shot.due += Shot.interval;
        if ((int)(now - Shot.due) > 0)   // late (the writer was full): the next one a full step on
            Shot.due = now + Shot.interval;
        break;
    }
    case kNotNow:
        if (!Shot.toldFull && PairsWaiting() >= kPairQueueLimit) {
            TVX_Print("Series waits: %d pairs are still being written.\n", PairsWaiting());
            Shot.toldFull = true;
        }
        break;
    default: EndSeries("ended early"); break;
    }
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

// Camera 0's exposure, colour and focus, set by hand on both cameras: two cameras left automatic
// drift apart during a series, and a pair whose halves differ in brightness or colour is tiring
// to view. Each property a camera lacks or refuses is named.
static void MatchCameras(void)
{
    struct Matched {
        int property;
        const char *name;
    };
    static const Matched kMatched[] = {{14, "exposure"},   {7, "white balance"}, {9, "gain"},
                                       {0, "brightness"},  {1, "contrast"},      {3, "saturation"},
                                       {kFocusProperty, "focus"}};
    if (!CaptureGraph.opened || CaptureGraph.cameraCount < 2) {
        TVX_Print("Cameras not matched: it needs two cameras.\n");
        return;
    }
    std::string matched;
    for (const Matched &m : kMatched) {
        double value = tzm_GetCameraProperty(m.property, NULL);
        if (value == -1.0) {
            TVX_Print("Camera 0 has no %s control: %s not matched.\n", m.name, m.name);
            continue;
        }
        bool both = true;
        for (int camera = 0; camera < 2; camera++) {
            int result = tzm_SetCameraProperty(value, m.property, camera);
            if (result == 3)
                TVX_Print("Camera %d has no %s control.\n", camera, m.name);
            else if (result != 0)
                TVX_Print("Camera %d refused the %s setting (%d).\n", camera, m.name, result);
            both = both && result == 0;
        }
        if (both)
            matched += (matched.empty() ? "" : ", ") + std::string(m.name);
    }
    TVX_Print("Matched by hand on both cameras: %s.\n", matched.empty() ? "nothing" : matched.c_str());
}

static unsigned long DeliveredNow(int camera)
{
    CaptureGraphRecord &g = CaptureGraph;
    return g.opened && camera < g.cameraCount ? CountsOf(&g.camera[camera].frame).frames : 0;
}

// The next size both cameras offer: the cameras open anew at it (a series in progress ends;
// pairs waiting to be written keep their own size), and the windows follow. A size the cameras
// refuse after all leaves the one before.
static void NextFrameSize(void)
{
    FrameSize sizes[kMostFrameSizes];
    int count = tzm_CommonFrameSizes(sizes, kMostFrameSizes);
    if (!CaptureGraph.opened) {
        TVX_Print("Size not changed: the cameras are not open.\n");
        return;
    }
    int next = 0;
    for (int i = 0; i < count; i++)
        if (sizes[i].width == Shot.size.width && sizes[i].height == Shot.size.height)
            next = (i + 1) % count;
    FrameSize before = Shot.size, wanted = sizes[next];
    if (wanted.width == before.width && wanted.height == before.height) {
        TVX_Print("The cameras offer no other size in common: %dx%d stays.\n", before.width,
                  before.height);
        return;
    }
    if (Shot.seriesButton >= 0)
        EndSeries("stopped for the new size");
    for (int camera = 0; camera < 2; camera++)
        Shot.deliveredBefore[camera] += DeliveredNow(camera) - Shot.deliveredBase[camera];
    TVX_Print("Opening the cameras at %dx%d...\n", wanted.width, wanted.height);
    tzm_CloseCameras();
    if (!OpenAtSize(wanted) && !OpenAtSize(before)) {
        TVX_Print("The cameras did not open again: restart the program.\n");
        return;
    }
    for (int camera = 0; camera < 2; camera++)
        Shot.deliveredBase[camera] = DeliveredNow(camera);
    Shot.paced[0] = Shot.paced[1] = Shot.lastShown[0] = Shot.lastShown[1] = -1.0;
    Shot.takenTimes[0] = Shot.takenTimes[1] = -1.0;
    Shot.figures = false;
    MakeImages();
    PrintCameras();
    SaveSettings();
    LabelButtons();
}

// Pairs by exposure time from now on: the delay a sync check measured is added to the one in
// force (the check saw exposure times already), and kept with the cameras.
static void UseDelay(bool reset)
{
    int left = Shot.swapped ? 1 : 0;
    double measured = 0.0;
    if (!reset && !MeasuredDelay(&measured)) {
        TVX_Print("No delay to use: run a sync check first.\n");
        return;
    }
    double rightAfterLeft = reset ? 0.0 : Shot.delayMs[1 - left] - Shot.delayMs[left] + measured;
    Shot.delayMs[left] = rightAfterLeft < 0 ? -rightAfterLeft : 0.0;
    Shot.delayMs[1 - left] = rightAfterLeft > 0 ? rightAfterLeft : 0.0;
    for (int camera = 0; camera < 2; camera++)
        tzm_SetCameraDelay(camera, Shot.delayMs[camera] / 1000.0);
    SaveSettings();
    if (reset)
        TVX_Print("Delay reset: frames are paired by their time stamps.\n");
    else
        TVX_Print("Frames are paired by exposure time: Right delivers %.1f ms %s Left.\n",
                  rightAfterLeft < 0 ? -rightAfterLeft : rightAfterLeft,
                  rightAfterLeft < 0 ? "before" : "after");
}

static void ShowSettings(int camera)
{
    if (tzm_ShowCameraPropertyPages(camera) != 0)
        TVX_Print("Camera %d has no settings pages.\n", camera);
}

static void ActOnButton(int button)
{
    switch (button) {
    case kTakePair: TakePair(false); break;
    case kIntervalSeries:
    case kBurst: StartOrEndSeries(button); break;
    case kMatchCameras: MatchCameras(); break;
    case kFrameSizeButton: NextFrameSize(); break;
    case kSyncWindowButton:
    case kSyncSceneButton:
        if (!CaptureGraph.opened || CaptureGraph.cameraCount < 2)
            TVX_Print("Sync check not started: it needs two cameras.\n");
        else
            StartSyncCheck(button == kSyncWindowButton ? kSyncWindow : kSyncScene, Shot.swapped ? 1 : 0);
        break;
    case kUseDelay:
    case kResetDelay: UseDelay(button == kResetDelay); break;
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
        SaveSettings();
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

// Once a second: the skew of the live pairs over the last second in the Stereo window's title,
// and the alignment and colour difference of the pair on show, drawn on the Stereo view.
static void ShowFigures(const uint32_t *left, const uint32_t *right)
{
    DWORD now = GetTickCount();
    if (Shot.nextFigure != 0 && (int)(now - Shot.nextFigure) < 0)
        return;
    Shot.nextFigure = now + 1000;
    // Measured off the frame loop: the figures of the pair offered a second ago.
    if (TakeLiveFigures(&Shot.alignment, &Shot.colour))
        Shot.figures = true;
    if (left != NULL && right != NULL)
        OfferLivePair(left, right, Shot.size.width, Shot.size.height);
    char title[192];
    // Short enough for the window's width: the view's button label, not its full name.
    int n = snprintf(title, sizeof title, "Stereo: %s", StereoViewLabel(Shot.view));
    if (Shot.skewCount != 0)
        n += snprintf(title + n, sizeof title - n, ", skew %.1f ms mean, %.1f max",
                      Shot.skewSum / Shot.skewCount, Shot.skewMax);
    if (Shot.figures && Shot.alignment.valid)
        snprintf(title + n, sizeof title - n, ", vertical %+.1f px", Shot.alignment.verticalPx);
    TVX_SetImageName(kStereoImage, title);
    Shot.skewSum = Shot.skewMax = 0.0;
    Shot.skewCount = 0;
}

// The figures over the top of the Stereo view, and guides at both edges: the middle row of Left
// (white) and where Right's middle row lies (yellow).
static void DrawFigures(void)
{
    if (!Shot.figures || TVX_SelectImage(kStereoImage) != 0)
        return;
    const Alignment &a = Shot.alignment;
    const ColourDifference &c = Shot.colour;
    const FrameSize view = ImageSize(kStereoImage);
    const int width = view.width, height = view.height;
    unsigned int colour = DrawColor, text = tvx_tc;
    DrawColor = 0x000000;
    FillBox(0, 0, kFrameWidth640 - 1, kFiguresBand - 1);
    tvx_tc = 0xFFFFFF;
    TextCursor.x = TextCursor.left = 4;
    TextCursor.y = 16;
    if (a.valid)
        DrawFormatted("Right vs Left: vertical %+.1f px  turned %+.2f deg  size %+.2f %%",
                      a.verticalPx, a.rotationDeg, a.sizePercent);
    else
        DrawString("Right vs Left: too little texture to align");
    TextCursor.x = 4;
    TextCursor.y = 31;
    DrawFormatted("Brightness %+.1f  red %+.1f  green %+.1f  blue %+.1f levels", c.brightness,
                  c.red, c.green, c.blue);
    const int middle = height / 2, guide = 24;
    DrawLine(0xFFFFFF, 0, middle, guide, middle);
    DrawLine(0xFFFFFF, width - 1 - guide, middle, width - 1, middle);
    if (a.valid) {
        // The offset is in the frames' pixels; the view has one for every step of them.
        int right = middle + (int)std::lround(a.verticalPx / StereoStep());
        DrawLine(0xFFFF00, 0, right, guide, right);
        DrawLine(0xFFFF00, width - 1 - guide, right, width - 1, right);
    }
    DrawColor = colour;
    tvx_tc = text;
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
    // The pair goes straight into the windows' pixels (at 1920 x 1080 a copy of both frames
    // more would cost the live windows frames); into the program's own buffers where a window
    // is gone or of another size.
    uint32_t *into[2];
    for (int camera = 0; camera < 2; camera++) {
        unsigned int *pixels = Pixels((camera == 0) != Shot.swapped ? kLeftImage : kRightImage);
        into[camera] = pixels != NULL ? (uint32_t *)pixels : (uint32_t *)Shot.frame[camera].data();
    }
    if (g.cameraCount >= 2) {
        if (tzm_TakeSyncedPair((uint8_t *)into[0], (uint8_t *)into[1], &time[0], &time[1]) != 0)
            return;
        double skew = std::fabs(time[0] - time[1]) * 1000.0;
        Shot.skewSum += skew;
        Shot.skewCount++;
        if (skew > Shot.skewMax)
            Shot.skewMax = skew;
    } else {
        TakeFrame(&g.camera[0].frame, Shot.frame[0].data(), FrameBytes(), &time[0]);
    }
    for (int camera = 0; camera < 2 && camera < g.cameraCount; camera++)
        if (time[camera] != Shot.lastShown[camera]) {
            Shot.passedOver[camera] +=
                FramesPassedOver(Shot.lastShown[camera], time[camera], g.camera[camera].frameRate);
            Shot.lastShown[camera] = time[camera];
            Shot.shown[camera]++;
            if (g.cameraCount >= 2)
                SyncCheckFrame(camera, into[camera], Shot.size.width, Shot.size.height, time[camera]);
        }
    if (g.cameraCount < 2) {
        // One camera: its window only, by the sides chosen; no pair, no Stereo view.
        if (unsigned int *pixels = Pixels(Shot.swapped ? kRightImage : kLeftImage))
            memcpy(pixels, Shot.frame[0].data(), (size_t)FrameBytes());
        Refresh(Shot.swapped ? kRightImage : kLeftImage);
        ShowFigures(NULL, NULL);
        return;
    }
    const uint32_t *left = into[Shot.swapped ? 1 : 0], *right = into[Shot.swapped ? 0 : 1];
    Refresh(kRightImage);
    Refresh(kLeftImage);
    ShowFigures(left, right);
    if (unsigned int *pixels = Pixels(kStereoImage)) {
        MakeStereoView(Shot.view, left, right, pixels, Shot.size.width, Shot.size.height,
                       StereoStep());
        DrawFigures();
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
    if (!Shot.sidesNote.empty())   // said at every Start, where the run's pairs are concerned
        TVX_Print("%s\n", Shot.sidesNote.c_str());
    CameraWatch watch = {};
    Shot.shown[0] = Shot.shown[1] = Shot.stereoShown = 0;
    Shot.passedOver[0] = Shot.passedOver[1] = 0;
    Shot.lastShown[0] = Shot.lastShown[1] = -1.0;
    // What the cameras deliver during the run, against what is shown: no frame may be lost.
    const DWORD runStart = GetTickCount();
    for (int camera = 0; camera < 2; camera++) {
        Shot.deliveredBefore[camera] = 0;
        Shot.deliveredBase[camera] = DeliveredNow(camera);
    }
    // A new pair paces the live windows (with one camera, a new frame): every frame of both
    // cameras is shown once, whichever of the two arrives last.
    double *paced = Shot.paced;
    paced[0] = paced[1] = -1.0;
    LoopShownAt = NowMs();
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
            double rate = g.camera[0].frameRate > 0.0 ? g.camera[0].frameRate : 30.0;
            LoopShownAt = NowMs();
            LoopPeriod = 1000.0 / rate;
        }
        SeriesStep();
        SyncCheckTick();
        for (int button = 0; button < kButtonCount; button++)
            if (TVX_GetButtonPress(button) != 0)
                ActOnButton(button);
        if (!fresh)
            MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
    }
    LoopPeriod = 0.0;
    if (Shot.seriesButton >= 0)
        EndSeries("stopped by Stop");
    if (SyncCheckRunning()) {
        CancelSyncCheck();
        TVX_Print("Sync check stopped by Stop.\n");
    }
    TVX_Print("Stop\n");
    WatchCameras(&watch, true);
    TVX_Print("Shown while running: camera 0 %lu frames, camera 1 %lu, Stereo %lu\n", Shot.shown[0],
              Shot.shown[1], Shot.stereoShown);
    // Exact where the counts above differ by the frame on show at Start or arriving at Stop.
    TVX_Print("Passed over while running: camera 0 %lu frames, camera 1 %lu (gaps in the times of "
              "the frames shown)\n", Shot.passedOver[0], Shot.passedOver[1]);
    unsigned long delivered[2];
    for (int camera = 0; camera < 2; camera++)
        delivered[camera] =
            Shot.deliveredBefore[camera] + DeliveredNow(camera) - Shot.deliveredBase[camera];
    double seconds = (GetTickCount() - runStart) / 1000.0;
    TVX_Print("Delivered while running: camera 0 %lu frames, camera 1 %lu (measured %.1f and %.1f "
              "frames/s over %.1f s)\n",
              delivered[0], delivered[1], seconds > 0 ? delivered[0] / seconds : 0.0,
              seconds > 0 ? delivered[1] / seconds : 0.0, seconds);
}

void TVX_AppExit(void)
{
    // Every pair taken is written before the cameras and the process go.
    StopPairWriter();
    StopLiveFigures();
    tzm_CloseCameras();
}
