// testcam.cpp - a virtual test camera: a DirectShow video source filter in a COM in-process DLL,
// registered as three video input devices (two with plug-and-play names). Each produces frames
// of its own moving test picture at the negotiated rate, answers the capture pin category,
// offers stream configuration, image and camera properties (kept in a state file under
// C:\users\Public for tests to read) and one property page. By default it offers 640 x 480
// RGB32 only; a mode chosen at registration makes it behave like the webcams people own (see
// ParseMode).
#define STRSAFE_NO_DEPRECATE
#include <windows.h>

#include <dshow.h>
#include <ks.h>
#include <ksproxy.h>
#include <olectl.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "testcam/picture.h"
#include "testcam/sample_writer.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

// {6A9D3E10-5B7C-4E2A-9C41-7A1B2C3D4E50}
static const CLSID CLSID_TvxTestCam = {0x6a9d3e10, 0x5b7c, 0x4e2a,
                                       {0x9c, 0x41, 0x7a, 0x1b, 0x2c, 0x3d, 0x4e, 0x50}};
// {6A9D3E11-5B7C-4E2A-9C41-7A1B2C3D4E50}
static const CLSID CLSID_TvxTestCamPage = {0x6a9d3e11, 0x5b7c, 0x4e2a,
                                           {0x9c, 0x41, 0x7a, 0x1b, 0x2c, 0x3d, 0x4e, 0x50}};

static HMODULE Module = NULL;
static std::atomic<long> LiveObjects{0};

struct Property {
    long min, max, step, def, caps;   // caps: 1 auto, 2 manual
    long value, flags;
    bool supported;
};

// One format the camera offers.
struct CamFormat {
    int code, width, height;
    REFERENCE_TIME minInterval, maxInterval;   // 0 and 0: the camera names no rates (as Wine's)
};

// How the cameras behave, from the mode words given at registration (TVX_TESTCAM_MODE, kept in
// the registry): "rgb24", "nv12" (only that subtype, 640 x 480), "yuy2", "mjpg" (only that
// subtype, at 640 x 480, 1280 x 720 and 1920 x 1080, 30 fps), "hd" (as the webcams of today:
// current format 1280 x 720 YUY2 at 10 fps, YUY2 640 x 480 at 30 and 1920 x 1080 at 5, MJPG at
// all three sizes at 30; any other format refused), "nocontrol" (no
// camera control, no property pages, four image properties, as Wine's camera), "samename" (both
// cameras called "TVX Test Camera"), "notimes" (samples without times), "phase=N" (camera 1's
// frames N ms after camera 0's). Camera 1 can be damaged: "corrupt=K" (every K-th sample cut or,
// in MJPG, corrupted), "stopafter=N" (no frame after the N-th), "grow=N" (samples twice as long
// from the N-th on, as after a format change). "scene" and "voffset=N": a textured scene that
// camera 1 sees N pixels lower (the test picture's UseTestScene); "differ": camera 1 starts with
// other image settings than camera 0, exposure and white balance automatic; "reversed": camera 1
// is found before camera 0, as after moving a rig's cables (each keeps its device path).
// "latency=A/B": camera 0 delivers each frame A ms after it was exposed, camera 1 B ms (stamped
// when delivered, as webcams stamp them); "flashes": below the bands a light switched at known
// moments (the picture's FlashLevel over each frame's exposure); "screen": below the bands what
// the program's "Sync" window shows at the moment of exposure; "still": the same picture in
// every frame (frame number 0, the bar at rest); "replay=N" (N up to 64): frames 0 to N-1 are
// made once at each size and format and then sent again and again (the frame number counts on
// modulo N), so that a camera costs the computer next to nothing once it has sent N frames, as a
// webcam whose own hardware makes its frames (the benchmarks' cameras; not with "flashes" or
// "screen", whose pictures never repeat). No words: 640 x 480 RGB32, as always.
struct CamMode {
    CamFormat formats[6];
    int formatCount;
    bool strict, noControl, sameName, noTimes, scene, differ, reversed, flashes, screen, still;
    int phaseMs, corruptEvery, stopAfter, growAfter, verticalOffset, latencyMs[2], replay;
};

static const REFERENCE_TIME k30 = 333333, k10 = 1000000, k5 = 2000000;

// The words that only switch a behaviour on.
static const struct {
    const wchar_t *word;
    bool CamMode::*flag;
} kFlagWords[] = {
    {L"nocontrol", &CamMode::noControl}, {L"samename", &CamMode::sameName},
    {L"notimes", &CamMode::noTimes},     {L"scene", &CamMode::scene},
    {L"differ", &CamMode::differ},       {L"reversed", &CamMode::reversed},
    {L"flashes", &CamMode::flashes},     {L"screen", &CamMode::screen},
    {L"still", &CamMode::still},
};

static CamMode ParseMode(const wchar_t *words)
{
    CamMode m = {};
    m.formats[0] = {kSampleRgb32, kCamWidth, kCamHeight, 166667, 10000000};
    m.formatCount = 1;
    wchar_t copy[256];
    lstrcpynW(copy, words != NULL ? words : L"", 256);
    for (wchar_t *w = wcstok(copy, L", "); w != NULL; w = wcstok(NULL, L", ")) {
        bool flagged = false;
        for (const auto &f : kFlagWords)
            if (wcscmp(w, f.word) == 0)
                flagged = m.*(f.flag) = true;
        if (flagged)
            continue;
        int number = 0;
        const wchar_t *equals = wcschr(w, L'=');
        if (equals != NULL)
            number = _wtoi(equals + 1);
        if (wcscmp(w, L"rgb24") == 0) {
            m.formats[0] = {kSampleRgb24, kCamWidth, kCamHeight, 0, 0};
        } else if (wcscmp(w, L"yuy2") == 0 || wcscmp(w, L"mjpg") == 0) {
            int code = w[0] == L'y' ? kSampleYuy2 : kSampleMjpg;
            m.formats[0] = {code, kCamWidth, kCamHeight, k30, k30};
            m.formats[1] = {code, 1280, 720, k30, k30};
            m.formats[2] = {code, 1920, 1080, k30, k30};
            m.formatCount = 3;
        } else if (wcscmp(w, L"nv12") == 0) {
            m.formats[0] = {kSampleNv12, kCamWidth, kCamHeight, k30, k30};
        } else if (wcscmp(w, L"hd") == 0) {
            m.formats[0] = {kSampleYuy2, 1280, 720, k10, k10};
            m.formats[1] = {kSampleYuy2, kCamWidth, kCamHeight, k30, k30};
            m.formats[2] = {kSampleMjpg, 1280, 720, k30, k30};
            m.formats[3] = {kSampleMjpg, kCamWidth, kCamHeight, k30, k30};
            m.formats[4] = {kSampleYuy2, 1920, 1080, k5, k5};
            m.formats[5] = {kSampleMjpg, 1920, 1080, k30, k30};
            m.formatCount = 6;
            m.strict = true;
        } else if (wcsncmp(w, L"voffset=", 8) == 0) {
            m.scene = true;
            m.verticalOffset = number;
        } else if (wcsncmp(w, L"latency=", 8) == 0) {
            m.latencyMs[0] = number;
            const wchar_t *slash = wcschr(w, L'/');
            m.latencyMs[1] = slash != NULL ? _wtoi(slash + 1) : number;
        } else if (wcsncmp(w, L"phase=", 6) == 0) {
            m.phaseMs = number;
        } else if (wcsncmp(w, L"corrupt=", 8) == 0) {
            m.corruptEvery = number;
        } else if (wcsncmp(w, L"stopafter=", 10) == 0) {
            m.stopAfter = number;
        } else if (wcsncmp(w, L"grow=", 5) == 0) {
            m.growAfter = number;
        } else if (wcsncmp(w, L"replay=", 7) == 0) {
            m.replay = number;
        }
    }
    return m;
}

// The mode is kept beside the filter's class: HKCR\CLSID\{test camera}\Mode.
static const wchar_t kModeKey[] = L"CLSID\\{6A9D3E10-5B7C-4E2A-9C41-7A1B2C3D4E50}";

static CamMode ReadMode(void)
{
    wchar_t words[256] = L"";
    DWORD bytes = sizeof words - sizeof(wchar_t);
    RegGetValueW(HKEY_CLASSES_ROOT, kModeKey, L"Mode", RRF_RT_REG_SZ, NULL, words, &bytes);
    return ParseMode(words);
}

static GUID SubtypeOf(int code)
{
    static const DWORD kFourCc[] = {0, 0, 0, MAKEFOURCC('Y', 'U', 'Y', '2'),
                                    MAKEFOURCC('M', 'J', 'P', 'G'), MAKEFOURCC('N', 'V', '1', '2')};
    if (code == kSampleRgb32)
        return MEDIASUBTYPE_RGB32;
    if (code == kSampleRgb24)
        return MEDIASUBTYPE_RGB24;
    return GUID{kFourCc[code], 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

static long SampleSizeOf(const CamFormat &f) { return LargestSample(f.code, f.width, f.height); }

static void MakeMediaType(AM_MEDIA_TYPE *type, const CamFormat &f, REFERENCE_TIME frameTime)
{
    static const WORD kBits[] = {0, 32, 24, 16, 24, 12};
    ZeroMemory(type, sizeof *type);
    type->majortype = MEDIATYPE_Video;
    type->subtype = SubtypeOf(f.code);
    type->bFixedSizeSamples = f.code != kSampleMjpg;
    type->bTemporalCompression = FALSE;
    type->lSampleSize = SampleSizeOf(f);
    type->formattype = FORMAT_VideoInfo;
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    type->pbFormat = (BYTE *)CoTaskMemAlloc(sizeof(VIDEOINFOHEADER));
    VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
    ZeroMemory(video, sizeof *video);
    video->AvgTimePerFrame = f.minInterval == 0 && f.maxInterval == 0 ? 0 : frameTime;
    video->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    video->bmiHeader.biWidth = f.width;
    video->bmiHeader.biHeight = f.height;   // RGB bottom-up; YUV and MJPG top-down regardless
    video->bmiHeader.biPlanes = 1;
    video->bmiHeader.biBitCount = kBits[f.code];
    video->bmiHeader.biCompression =
        f.code == kSampleRgb32 || f.code == kSampleRgb24 ? BI_RGB : type->subtype.Data1;
    video->bmiHeader.biSizeImage = (DWORD)SampleSizeOf(f);
}

static void FreeMediaTypeParts(AM_MEDIA_TYPE *type)
{
    if (type->cbFormat != 0)
        CoTaskMemFree(type->pbFormat);
    type->cbFormat = 0;
    type->pbFormat = NULL;
    if (type->pUnk != NULL)
        type->pUnk->Release();
    type->pUnk = NULL;
}

// The offered format a media type names, or -1. A strict camera also wants the sample size
// of that format, as drivers that check the whole type do.
static int FormatOf(const CamMode &mode, const AM_MEDIA_TYPE *type)
{
    if (!IsEqualGUID(type->majortype, MEDIATYPE_Video) ||
        !IsEqualGUID(type->formattype, FORMAT_VideoInfo) ||
        type->cbFormat < sizeof(VIDEOINFOHEADER) || type->pbFormat == NULL)
        return -1;
    const VIDEOINFOHEADER *video = (const VIDEOINFOHEADER *)type->pbFormat;
    for (int i = 0; i < mode.formatCount; i++) {
        const CamFormat &f = mode.formats[i];
        if (IsEqualGUID(type->subtype, SubtypeOf(f.code)) && video->bmiHeader.biWidth == f.width &&
            abs(video->bmiHeader.biHeight) == f.height &&
            (!mode.strict || video->bmiHeader.biSizeImage == (DWORD)SampleSizeOf(f)))
            return i;
    }
    return -1;
}

class TestCamFilter;

// Waits until `due` seconds after begin on the performance counter; false when stopped first.
static bool WaitUntil(LARGE_INTEGER frequency, LARGE_INTEGER begin, double due,
                      const std::atomic<bool> &stopping)
{
    for (;;) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        double elapsed = (double)(now.QuadPart - begin.QuadPart) / frequency.QuadPart;
        if (stopping)
            return false;
        if (elapsed >= due)
            return true;
        Sleep(elapsed + 0.002 < due ? 1 : 0);
    }
}

static BOOL CALLBACK FindSyncWindow(HWND window, LPARAM found)
{
    // Read without a message to the window's thread, which may be busy for milliseconds.
    wchar_t title[16] = L"";
    InternalGetWindowText(window, title, 16);
    if (wcsncmp(title, L"Sync(", 5) != 0)
        return TRUE;
    *(HWND *)found = window;
    return FALSE;
}

// The program's "Sync" window as a camera held in front of it sees it: its picture stretched
// over the whole frame, top-down; nothing (an empty picture) where there is no such window.
static void ShootSyncWindow(std::vector<uint32_t> *picture, double instant)
{
    // One shot at a time, and one for every camera exposed at that instant: two cameras reading
    // the screen one after the other would see two moments.
    static std::mutex oneAtATime;
    static double lastInstant = -1.0;
    static std::vector<uint32_t> lastShot;
    std::lock_guard<std::mutex> hold(oneAtATime);
    if (instant == lastInstant) {
        *picture = lastShot;
        return;
    }
    lastInstant = instant;
    lastShot.clear();
    picture->clear();
    // Found once while it lasts: a search of every window at each frame takes time that the
    // picture would be late by.
    static std::atomic<HWND> found{NULL};
    HWND window = found.load();
    if (window == NULL || !IsWindow(window)) {
        window = NULL;
        EnumWindows(FindSyncWindow, (LPARAM)&window);
        found = window;
    }
    RECT client;
    POINT corner = {0, 0};
    if (window == NULL || !GetClientRect(window, &client) || client.right <= 0 ||
        client.bottom <= 0 || !ClientToScreen(window, &corner))
        return;
    picture->assign((size_t)kCamWidth * kCamHeight, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kCamWidth;
    info.bmiHeader.biHeight = -kCamHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = NULL;
    // From the screen, as a camera sees it: the window's own DC is the program's to draw with.
    HDC source = GetDC(NULL);
    HDC memory = CreateCompatibleDC(source);
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (memory != NULL && dib != NULL && bits != NULL) {
        HGDIOBJ before = SelectObject(memory, dib);
        SetStretchBltMode(memory, COLORONCOLOR);
        if (StretchBlt(memory, 0, 0, kCamWidth, kCamHeight, source, corner.x, corner.y,
                       client.right, client.bottom, SRCCOPY)) {
            GdiFlush();
            memcpy(picture->data(), bits, picture->size() * 4);
        } else {
            picture->clear();
        }
        SelectObject(memory, before);
    }
    if (dib != NULL)
        DeleteObject(dib);
    if (memory != NULL)
        DeleteDC(memory);
    ReleaseDC(NULL, source);
    lastShot = *picture;
}

// Takes the Sync window at every frame's moment of exposure, on a thread of its own: a frame
// with a latency is delivered after the next ones were exposed.
class ScreenWatch {
public:
    void Start(LARGE_INTEGER frequency, LARGE_INTEGER begin, double phase, double period)
    {
        thread = std::thread([=] {
            std::vector<uint32_t> picture;
            for (uint32_t k = 0; WaitUntil(frequency, begin, phase + k * period, ended); k++) {
                ShootSyncWindow(&picture, phase + k * period);
                std::lock_guard<std::mutex> hold(lock);
                shots[k % kKept].swap(picture);
                shotOf[k % kKept] = k;
                taken[k % kKept] = true;
            }
        });
    }
    // The picture exposed for frame n: false when there was no Sync window then. A frame
    // delivered the moment it is exposed waits for its shot, which takes a few milliseconds.
    bool Take(uint32_t n, std::vector<uint32_t> *picture)
    {
        for (int waited = 0; waited < 50; waited++) {
            {
                std::lock_guard<std::mutex> hold(lock);
                if (shotOf[n % kKept] == n && taken[n % kKept]) {
                    *picture = shots[n % kKept];
                    return !picture->empty();
                }
            }
            Sleep(1);
        }
        return false;
    }
    ~ScreenWatch()
    {
        ended = true;
        if (thread.joinable())
            thread.join();
    }

private:
    enum { kKept = 16 };   // half a second at 30 fps: the longest latency and more
    std::vector<uint32_t> shots[kKept];
    uint32_t shotOf[kKept] = {};
    bool taken[kKept] = {};
    std::mutex lock;
    std::atomic<bool> ended{false};
    std::thread thread;
};

class OutputPin : public IPin, public IKsPropertySet, public IAMStreamConfig {
public:
    TestCamFilter *filter;
    IPin *connected = NULL;
    IMemInputPin *input = NULL;
    IMemAllocator *allocator = NULL;
    REFERENCE_TIME frameTime = 333333;
    int current = 0;   // the format in force, an index into the mode's formats

    const CamMode &Mode() const;
    const CamFormat &Current() const { return Mode().formats[current]; }
    bool IsCurrentType(const AM_MEDIA_TYPE *type) const { return FormatOf(Mode(), type) == current; }

    explicit OutputPin(TestCamFilter *owner) : filter(owner) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IPin
    STDMETHODIMP Connect(IPin *receiver, const AM_MEDIA_TYPE *type) override;
    STDMETHODIMP ReceiveConnection(IPin *, const AM_MEDIA_TYPE *) override { return E_UNEXPECTED; }
    STDMETHODIMP Disconnect() override;
    STDMETHODIMP ConnectedTo(IPin **pin) override
    {
        if (connected == NULL) {
            *pin = NULL;
            return VFW_E_NOT_CONNECTED;
        }
        connected->AddRef();
        *pin = connected;
        return S_OK;
    }
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE *type) override
    {
        if (connected == NULL)
            return VFW_E_NOT_CONNECTED;
        MakeMediaType(type, Current(), frameTime);
        return S_OK;
    }
    STDMETHODIMP QueryPinInfo(PIN_INFO *info) override;
    STDMETHODIMP QueryDirection(PIN_DIRECTION *direction) override
    {
        *direction = PINDIR_OUTPUT;
        return S_OK;
    }
    STDMETHODIMP QueryId(LPWSTR *id) override
    {
        *id = (LPWSTR)CoTaskMemAlloc(sizeof L"Capture");
        wcscpy(*id, L"Capture");
        return S_OK;
    }
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE *type) override
    {
        return IsCurrentType(type) ? S_OK : S_FALSE;
    }
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes **types) override;
    STDMETHODIMP QueryInternalConnections(IPin **, ULONG *) override { return E_NOTIMPL; }
    STDMETHODIMP EndOfStream() override { return E_UNEXPECTED; }
    STDMETHODIMP BeginFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP EndFlush() override { return E_UNEXPECTED; }
    STDMETHODIMP NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

    // IKsPropertySet: the pin is a capture pin.
    STDMETHODIMP Set(REFGUID, DWORD, LPVOID, DWORD, LPVOID, DWORD) override
    {
        return E_PROP_ID_UNSUPPORTED;
    }
    STDMETHODIMP Get(REFGUID set, DWORD id, LPVOID, DWORD, LPVOID data, DWORD bytes,
                     DWORD *returned) override
    {
        if (!IsEqualGUID(set, AMPROPSETID_Pin))
            return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY)
            return E_PROP_ID_UNSUPPORTED;
        if (returned != NULL)
            *returned = sizeof(GUID);
        if (data == NULL)
            return S_OK;
        if (bytes < sizeof(GUID))
            return E_UNEXPECTED;
        *(GUID *)data = PIN_CATEGORY_CAPTURE;
        return S_OK;
    }
    STDMETHODIMP QuerySupported(REFGUID set, DWORD id, DWORD *support) override
    {
        if (!IsEqualGUID(set, AMPROPSETID_Pin))
            return E_PROP_SET_UNSUPPORTED;
        if (id != AMPROPERTY_PIN_CATEGORY)
            return E_PROP_ID_UNSUPPORTED;
        if (support)
            *support = KSPROPERTY_SUPPORT_GET;
        return S_OK;
    }

    // IAMStreamConfig
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE *type) override
    {
        int index = type == NULL ? -1 : FormatOf(Mode(), type);
        if (index < 0 || connected != NULL)
            return VFW_E_INVALIDMEDIATYPE;
        current = index;
        VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
        const CamFormat &f = Current();
        frameTime = f.minInterval > 0 ? f.minInterval : 333333;
        if (video->AvgTimePerFrame >= f.minInterval && video->AvgTimePerFrame > 0 &&
            (f.maxInterval == 0 || video->AvgTimePerFrame <= f.maxInterval))
            frameTime = video->AvgTimePerFrame;
        return S_OK;
    }
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE **type) override
    {
        *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
        MakeMediaType(*type, Current(), frameTime);
        return S_OK;
    }
    STDMETHODIMP GetNumberOfCapabilities(int *count, int *size) override
    {
        *count = Mode().formatCount;
        *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
        return S_OK;
    }
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE **type, BYTE *caps) override
    {
        if (index < 0 || index >= Mode().formatCount)
            return S_FALSE;
        const CamFormat &f = Mode().formats[index];
        *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
        MakeMediaType(*type, f, f.minInterval);
        VIDEO_STREAM_CONFIG_CAPS *c = (VIDEO_STREAM_CONFIG_CAPS *)caps;
        ZeroMemory(c, sizeof *c);
        c->guid = FORMAT_VideoInfo;
        c->InputSize.cx = c->MinOutputSize.cx = c->MaxOutputSize.cx = f.width;
        c->InputSize.cy = c->MinOutputSize.cy = c->MaxOutputSize.cy = f.height;
        c->MinFrameInterval = f.minInterval;
        c->MaxFrameInterval = f.maxInterval;
        return S_OK;
    }
};

// IAMVideoProcAmp and IAMCameraControl have the same methods: two small parts of the filter.
template <typename Interface> class PropertyPart : public Interface {
public:
    TestCamFilter *filter;
    int offset;
    PropertyPart(TestCamFilter *owner, int first) : filter(owner), offset(first) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetRange(LONG p, LONG *min, LONG *max, LONG *step, LONG *def,
                          LONG *caps) override;
    STDMETHODIMP Set(LONG p, LONG value, LONG flags) override;
    STDMETHODIMP Get(LONG p, LONG *value, LONG *flags) override;
};

class TestCamFilter final : public IBaseFilter, public IPersistPropertyBag, public ISpecifyPropertyPages {
public:
    std::atomic<long> references{1};
    int camera = 0;
    CamMode mode = ReadMode();
    OutputPin pin{this};
    PropertyPart<IAMVideoProcAmp> procAmp{this, 0};
    PropertyPart<IAMCameraControl> cameraControl{this, 10};
    Property properties[17];
    FILTER_STATE state = State_Stopped;
    IFilterGraph *graph = NULL;
    WCHAR name[MAX_FILTER_NAME] = L"";
    IReferenceClock *clock = NULL;
    CRITICAL_SECTION lock;
    std::thread streaming;
    std::atomic<bool> stopping{false};
    std::atomic<uint32_t> framesSent{0};

    TestCamFilter()
    {
        LiveObjects++;
        InitializeCriticalSection(&lock);
        SetDefaults();
        if (mode.scene)
            UseTestScene(mode.verticalOffset);
    }
    ~TestCamFilter()
    {
        StopStreaming();
        pin.Disconnect();
        if (clock)
            clock->Release();
        DeleteCriticalSection(&lock);
        LiveObjects--;
    }

    void SetDefaults()
    {
        // Image quality: brightness, contrast, hue, saturation, sharpness, gamma, colour,
        // white balance, backlight compensation, gain. Camera control: pan, tilt, roll (none),
        // zoom, exposure, iris (none), focus.
        const Property table[17] = {
            {0, 255, 1, 128, 2, 128, 2, true},       {0, 100, 1, 50, 2, 50, 2, true},
            {-180, 180, 1, 0, 2, 0, 2, true},        {0, 200, 1, 100, 2, 100, 2, true},
            {0, 10, 1, 5, 2, 5, 2, true},            {100, 500, 1, 220, 2, 220, 2, true},
            {0, 1, 1, 1, 2, 1, 2, true},             {2800, 6500, 10, 4600, 3, 4600, 1, true},
            {0, 1, 1, 0, 2, 0, 2, true},             {0, 100, 1, 0, 2, 0, 2, true},
            {-180, 180, 1, 0, 2, 0, 2, true},        {-90, 90, 1, 0, 2, 0, 2, true},
            {0, 0, 0, 0, 0, 0, 0, false},            {100, 400, 1, 100, 2, 100, 2, true},
            {-13, -1, 1, -6, 3, -6, 1, true},        {0, 0, 0, 0, 0, 0, 0, false},
            {0, 250, 5, 50, 3, 50, 1, true},
        };
        for (int i = 0; i < 17; i++)
            properties[i] = table[i];
        // Two cameras of one model out of the box: camera 1 brighter, warmer, with more gain,
        // exposure and white balance left automatic.
        if (mode.differ && camera == 1) {
            const long values[][3] = {{0, 160, 2}, {1, 70, 2}, {3, 150, 2}, {7, 3500, 1},
                                      {9, 40, 2},  {14, -4, 1}, {16, 120, 1}};
            for (const auto &v : values) {
                properties[v[0]].value = v[1];
                properties[v[0]].flags = v[2];
            }
        }
        // Wine's camera: brightness, contrast, hue and saturation, no camera control.
        if (mode.noControl)
            for (int i = 4; i < 17; i++)
                properties[i].supported = false;
    }

    // Every value set is written where the tests can read it: C:\users\Public\tvx-testcam-N.state,
    // one line "number value flags" per property.
    void SaveState()
    {
        char path[MAX_PATH];
        snprintf(path, sizeof path, "C:\\users\\Public\\tvx-testcam-%d.state", camera);
        FILE *file = fopen(path, "w");
        if (file == NULL)
            return;
        for (int i = 0; i < 17; i++)
            if (properties[i].supported)
                fprintf(file, "%d %ld %ld\n", i, properties[i].value, properties[i].flags);
        fprintf(file, "frames %u\nstate %d\n", framesSent.load(), (int)state);
        fclose(file);
    }

    // Sends frames until stopped, paced from the performance counter: frame n is exposed until
    // the phase plus n periods and delivered the camera's latency later, with that time. Camera 1
    // carries the damage the mode asks for.
    void StreamLoop()
    {
        LARGE_INTEGER frequency, begin;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&begin);
        // Cameras of one graph start their streams a few milliseconds apart, but stamp their
        // frames as if they started together: they share the first one's start, so that the
        // stamps say when each frame was exposed.
        static std::atomic<LONGLONG> sharedBegin{0};
        LONGLONG first = sharedBegin.load();
        if (first != 0 && begin.QuadPart - first < frequency.QuadPart / 5)
            begin.QuadPart = first;
        else
            sharedBegin = begin.QuadPart;
        REFERENCE_TIME period = pin.frameTime;
        const CamFormat format = pin.Current();
        bool damaged = camera == 1;
        double phase = camera == 1 ? mode.phaseMs / 1000.0 : 0.0;
        double latency = mode.latencyMs[camera == 1 ? 1 : 0] / 1000.0;
        ScreenWatch watch;
        if (mode.screen)
            watch.Start(frequency, begin, phase, period / 1e7);
        std::vector<uint32_t> seen;
        // With "replay", the samples made so far at this format, kept across stream starts (the
        // program opens its cameras anew at every Start); each camera's own, read and written
        // by its streaming thread alone (the third camera makes every frame anew).
        static std::vector<BYTE> replays[2][3][kSampleNv12 + 1][64];
        int sizeIndex = format.width >= 1920 ? 2 : format.width >= 1280 ? 1 : 0;
        std::vector<BYTE> *recorded = mode.replay > 0 && mode.replay <= 64 && camera <= 1 &&
                                              format.code <= kSampleNv12
                                          ? replays[camera][sizeIndex][format.code]
                                          : nullptr;
        for (uint32_t n = 0; !stopping; n++) {
            double exposed = phase + (double)n * period / 1e7;
            if (!WaitUntil(frequency, begin, exposed + latency, stopping))
                break;
            ShowGreyBelowTheBands(mode.flashes ? (int)std::lround(FlashLevel(exposed - period / 1e7, exposed)) : -1);
            ShowBackdrop(mode.screen && watch.Take(n, &seen) ? seen.data() : NULL);
            if (damaged && mode.stopAfter > 0 && n >= (uint32_t)mode.stopAfter) {
                n--;   // silent from here on, until the graph stops
                Sleep(5);
                continue;
            }
            IMediaSample *sample = NULL;
            if (pin.allocator == NULL || FAILED(pin.allocator->GetBuffer(&sample, NULL, NULL, 0)))
                break;
            BYTE *data = NULL;
            sample->GetPointer(&data);
            uint32_t shown = mode.still ? 0 : recorded != nullptr ? n % (uint32_t)mode.replay : n;
            long length = 0;
            if (data != NULL && recorded != nullptr && !recorded[shown].empty()) {
                length = (long)recorded[shown].size() <= sample->GetSize() ? (long)recorded[shown].size() : 0;
                memcpy(data, recorded[shown].data(), (size_t)length);
            } else if (data != NULL) {
                length = WriteTestSample(format.code, format.width, format.height, camera, shown,
                                         data, sample->GetSize());
                if (recorded != nullptr)
                    recorded[shown].assign(data, data + length);
            }
            bool grown = damaged && mode.growAfter > 0 && n >= (uint32_t)mode.growAfter;
            if (damaged && !grown && mode.corruptEvery > 0 && n % mode.corruptEvery == 0 && n > 0) {
                if (format.code == kSampleMjpg)
                    for (long i = length / 2; i < length / 2 + 400 && i < length; i++)
                        data[i] = (BYTE)(i * 37);
                else
                    length /= 2;
            }
            if (grown && length * 2 <= sample->GetSize())
                length *= 2;
            REFERENCE_TIME start = (REFERENCE_TIME)((phase + latency) * 1e7) + (REFERENCE_TIME)n * period;
            REFERENCE_TIME end = start + period;
            if (!mode.noTimes)
                sample->SetTime(&start, &end);
            sample->SetActualDataLength(length);
            sample->SetSyncPoint(TRUE);
            HRESULT hr = pin.input != NULL ? pin.input->Receive(sample) : E_FAIL;
            sample->Release();
            framesSent = n + 1;
            if (FAILED(hr))
                break;
        }
    }

    void StopStreaming()
    {
        stopping = true;
        // Decommitting frees a thread blocked in GetBuffer.
        if (pin.allocator != NULL)
            pin.allocator->Decommit();
        if (streaming.joinable())
            streaming.join();
        stopping = false;
    }

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBaseFilter) ||
            IsEqualIID(iid, IID_IMediaFilter) || IsEqualIID(iid, IID_IPersist))
            *out = static_cast<IBaseFilter *>(this);
        else if (IsEqualIID(iid, IID_IPersistPropertyBag))
            *out = static_cast<IPersistPropertyBag *>(this);
        else if (IsEqualIID(iid, IID_ISpecifyPropertyPages) && !mode.noControl)
            *out = static_cast<ISpecifyPropertyPages *>(this);
        else if (IsEqualIID(iid, IID_IAMVideoProcAmp))
            *out = static_cast<IAMVideoProcAmp *>(&procAmp);
        else if (IsEqualIID(iid, IID_IAMCameraControl) && !mode.noControl)
            *out = static_cast<IAMCameraControl *>(&cameraControl);
        else {
            *out = NULL;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        long left = --references;
        if (left == 0)
            delete this;
        return (ULONG)left;
    }

    // IPersist, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID *clsid) override
    {
        *clsid = CLSID_TvxTestCam;
        return S_OK;
    }
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag *bag, IErrorLog *) override
    {
        // The instance is told by the number registered with it (names may be alike).
        VARIANT value;
        VariantInit(&value);
        if (SUCCEEDED(bag->Read(L"TvxCamera", &value, NULL))) {
            if (value.vt == VT_BSTR)
                camera = _wtoi(value.bstrVal);
            else if (value.vt == VT_I4)
                camera = (int)value.lVal;
            VariantClear(&value);
        }
        SetDefaults();   // the camera's own, now that it is known which one this is
        SaveState();
        return S_OK;
    }
    STDMETHODIMP Save(IPropertyBag *, WINBOOL, WINBOOL) override { return E_NOTIMPL; }

    // IMediaFilter
    STDMETHODIMP Stop() override
    {
        EnterCriticalSection(&lock);
        bool wasRunning = state != State_Stopped;
        state = State_Stopped;
        LeaveCriticalSection(&lock);
        // Never hold the lock while the thread may be inside the receiver's callback.
        if (wasRunning)
            StopStreaming();
        SaveState();
        return S_OK;
    }
    STDMETHODIMP Pause() override
    {
        EnterCriticalSection(&lock);
        if (state == State_Stopped && pin.allocator != NULL)
            pin.allocator->Commit();
        if (state == State_Running) {
            LeaveCriticalSection(&lock);
            StopStreaming();
            EnterCriticalSection(&lock);
        }
        state = State_Paused;
        LeaveCriticalSection(&lock);
        return S_OK;
    }
    STDMETHODIMP Run(REFERENCE_TIME start) override
    {
        if (state == State_Stopped)
            Pause();
        EnterCriticalSection(&lock);
        if (state != State_Running && pin.connected != NULL) {
            stopping = false;
            streaming = std::thread([this] { StreamLoop(); });
        }
        state = State_Running;
        LeaveCriticalSection(&lock);
        SaveState();
        return S_OK;
    }
    STDMETHODIMP GetState(DWORD, FILTER_STATE *out) override
    {
        *out = state;
        return S_OK;
    }
    STDMETHODIMP SetSyncSource(IReferenceClock *newClock) override
    {
        if (newClock)
            newClock->AddRef();
        if (clock)
            clock->Release();
        clock = newClock;
        return S_OK;
    }
    STDMETHODIMP GetSyncSource(IReferenceClock **out) override
    {
        if (clock)
            clock->AddRef();
        *out = clock;
        return S_OK;
    }

    // IBaseFilter
    STDMETHODIMP EnumPins(IEnumPins **out) override;
    STDMETHODIMP FindPin(LPCWSTR id, IPin **out) override
    {
        if (wcscmp(id, L"Capture") != 0) {
            *out = NULL;
            return VFW_E_NOT_FOUND;
        }
        pin.AddRef();
        *out = &pin;
        return S_OK;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO *info) override
    {
        wcscpy(info->achName, name);
        info->pGraph = graph;
        if (graph)
            graph->AddRef();
        return S_OK;
    }
    STDMETHODIMP JoinFilterGraph(IFilterGraph *newGraph, LPCWSTR newName) override
    {
        graph = newGraph;   // not counted: the graph holds the filter
        lstrcpynW(name, newName ? newName : L"", MAX_FILTER_NAME);
        return S_OK;
    }
    STDMETHODIMP QueryVendorInfo(LPWSTR *) override { return E_NOTIMPL; }

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID *pages) override
    {
        pages->cElems = 1;
        pages->pElems = (GUID *)CoTaskMemAlloc(sizeof(GUID));
        pages->pElems[0] = CLSID_TvxTestCamPage;
        return S_OK;
    }
};

// ----- Output pin ---------------------------------------------------------------------------
STDMETHODIMP OutputPin::QueryInterface(REFIID iid, void **out)
{
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin))
        *out = static_cast<IPin *>(this);
    else if (IsEqualIID(iid, IID_IKsPropertySet))
        *out = static_cast<IKsPropertySet *>(this);
    else if (IsEqualIID(iid, IID_IAMStreamConfig))
        *out = static_cast<IAMStreamConfig *>(this);
    else {
        *out = NULL;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}
STDMETHODIMP_(ULONG) OutputPin::AddRef() { return filter->AddRef(); }
STDMETHODIMP_(ULONG) OutputPin::Release() { return filter->Release(); }

STDMETHODIMP OutputPin::Connect(IPin *receiver, const AM_MEDIA_TYPE *wanted)
{
    if (receiver == NULL)
        return E_POINTER;
    if (connected != NULL)
        return VFW_E_ALREADY_CONNECTED;
    if (wanted != NULL && !IsEqualGUID(wanted->majortype, GUID_NULL) && !IsCurrentType(wanted) &&
        !(IsEqualGUID(wanted->majortype, MEDIATYPE_Video) &&
          (IsEqualGUID(wanted->subtype, GUID_NULL) ||
           IsEqualGUID(wanted->subtype, SubtypeOf(Current().code))) &&
          wanted->cbFormat == 0))
        return VFW_E_TYPE_NOT_ACCEPTED;
    AM_MEDIA_TYPE type;
    MakeMediaType(&type, Current(), frameTime);
    HRESULT hr = receiver->ReceiveConnection(this, &type);
    FreeMediaTypeParts(&type);
    if (FAILED(hr))
        return VFW_E_NO_ACCEPTABLE_TYPES;
    IMemInputPin *memInput = NULL;
    if (FAILED(receiver->QueryInterface(IID_IMemInputPin, (void **)&memInput))) {
        receiver->Disconnect();
        return VFW_E_NO_TRANSPORT;
    }
    IMemAllocator *alloc = NULL;
    if (FAILED(memInput->GetAllocator(&alloc)) || alloc == NULL)
        CoCreateInstance(CLSID_MemoryAllocator, NULL, CLSCTX_INPROC_SERVER, IID_IMemAllocator,
                         (void **)&alloc);
    // Room for the samples of twice the size that "grow" sends.
    long size = SampleSizeOf(Current()) * (Mode().growAfter > 0 ? 2 : 1);
    ALLOCATOR_PROPERTIES asked = {3, size, 1, 0}, got = {};
    if (alloc == NULL || FAILED(alloc->SetProperties(&asked, &got)) ||
        FAILED(memInput->NotifyAllocator(alloc, FALSE))) {
        if (alloc)
            alloc->Release();
        memInput->Release();
        receiver->Disconnect();
        return VFW_E_NO_ALLOCATOR;
    }
    receiver->AddRef();
    connected = receiver;
    input = memInput;
    allocator = alloc;
    return S_OK;
}

STDMETHODIMP OutputPin::Disconnect()
{
    if (connected == NULL)
        return S_FALSE;
    if (allocator)
        allocator->Release();
    if (input)
        input->Release();
    connected->Release();
    allocator = NULL;
    input = NULL;
    connected = NULL;
    return S_OK;
}

STDMETHODIMP OutputPin::QueryPinInfo(PIN_INFO *info)
{
    info->pFilter = filter;
    filter->AddRef();
    info->dir = PINDIR_OUTPUT;
    wcscpy(info->achName, L"Capture");
    return S_OK;
}

// The IUnknown of a small object with one interface: counted, deleted at zero.
template <typename Interface> class Counted : public Interface {
    std::atomic<long> references{1};

public:
    virtual ~Counted() {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, __uuidof(Interface))) {
            AddRef();
            *out = this;
            return S_OK;
        }
        *out = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return (ULONG)++references; }
    STDMETHODIMP_(ULONG) Release() override
    {
        long left = --references;
        if (left == 0)
            delete this;
        return (ULONG)left;
    }
};

// An enumerator of one item (the pin's media type, the filter's pin), then the end. Owner is
// the object kept alive while the enumerator lives; Make gives the item to the caller.
template <typename Interface, typename Item, typename Owner, Item (*Make)(Owner *)>
class OneItem final : public Counted<Interface> {
    Owner *owner;
    ULONG position;

public:
    OneItem(Owner *o, ULONG at) : owner(o), position(at) { owner->AddRef(); }
    ~OneItem() override { owner->Release(); }
    STDMETHODIMP Next(ULONG count, Item *items, ULONG *fetched) override
    {
        ULONG n = 0;
        if (count > 0 && position == 0) {
            items[0] = Make(owner);
            position = 1;
            n = 1;
        }
        if (fetched)
            *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override
    {
        position += count;
        return position <= 1 ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override
    {
        position = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Interface **out) override
    {
        *out = new OneItem(owner, position);
        return S_OK;
    }
};

const CamMode &OutputPin::Mode() const { return filter->mode; }

static AM_MEDIA_TYPE *MakeTypeOf(OutputPin *pin)
{
    AM_MEDIA_TYPE *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
    MakeMediaType(type, pin->Current(), pin->frameTime);
    return type;
}

static IPin *PinOf(TestCamFilter *filter)
{
    filter->pin.AddRef();
    return &filter->pin;
}

STDMETHODIMP OutputPin::EnumMediaTypes(IEnumMediaTypes **types)
{
    *types = new OneItem<IEnumMediaTypes, AM_MEDIA_TYPE *, OutputPin, MakeTypeOf>(this, 0);
    return S_OK;
}

STDMETHODIMP TestCamFilter::EnumPins(IEnumPins **out)
{
    *out = new OneItem<IEnumPins, IPin *, TestCamFilter, PinOf>(this, 0);
    return S_OK;
}

// ----- Properties ---------------------------------------------------------------------------
template <typename I> STDMETHODIMP PropertyPart<I>::QueryInterface(REFIID iid, void **out)
{
    return filter->QueryInterface(iid, out);
}
template <typename I> STDMETHODIMP_(ULONG) PropertyPart<I>::AddRef() { return filter->AddRef(); }
template <typename I> STDMETHODIMP_(ULONG) PropertyPart<I>::Release() { return filter->Release(); }

template <typename I>
STDMETHODIMP PropertyPart<I>::GetRange(LONG p, LONG *min, LONG *max, LONG *step, LONG *def,
                                       LONG *caps)
{
    int limit = offset == 0 ? 10 : 7;
    if (p < 0 || p >= limit || !filter->properties[offset + p].supported)
        return E_PROP_ID_UNSUPPORTED;
    const Property &q = filter->properties[offset + p];
    *min = q.min;
    *max = q.max;
    *step = q.step;
    *def = q.def;
    *caps = q.caps;
    return S_OK;
}

template <typename I> STDMETHODIMP PropertyPart<I>::Set(LONG p, LONG value, LONG flags)
{
    int limit = offset == 0 ? 10 : 7;
    if (p < 0 || p >= limit || !filter->properties[offset + p].supported)
        return E_PROP_ID_UNSUPPORTED;
    Property &q = filter->properties[offset + p];
    if (value < q.min || value > q.max || (flags & q.caps) == 0)
        return E_INVALIDARG;
    q.value = value;
    q.flags = flags;
    filter->SaveState();
    return S_OK;
}

template <typename I> STDMETHODIMP PropertyPart<I>::Get(LONG p, LONG *value, LONG *flags)
{
    int limit = offset == 0 ? 10 : 7;
    if (p < 0 || p >= limit || !filter->properties[offset + p].supported)
        return E_PROP_ID_UNSUPPORTED;
    *value = filter->properties[offset + p].value;
    *flags = filter->properties[offset + p].flags;
    return S_OK;
}

// ----- Property page --------------------------------------------------------------------------
// The camera's page: a Brightness field that takes effect as it is typed, as webcam driver pages
// do with their sliders (Wine's property frame never calls Apply), so that a user or a test can
// give one camera a setting of its own.
static const wchar_t kPageClass[] = L"TvxTestCamPage";

class TestCamPage final : public Counted<IPropertyPage> {
    HWND window = NULL, field = NULL;
    IAMVideoProcAmp *amp = NULL;

    void Forget()
    {
        if (amp != NULL)
            amp->Release();
        amp = NULL;
    }

public:
    TestCamPage() { LiveObjects++; }
    ~TestCamPage() override
    {
        Forget();
        LiveObjects--;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_COMMAND:
            if (HIWORD(wParam) == EN_CHANGE) {
                TestCamPage *page = (TestCamPage *)GetWindowLongPtrW(window, GWLP_USERDATA);
                if (page != NULL)
                    page->TakeField();
            }
            return 0;
        default: return DefWindowProcW(window, message, wParam, lParam);
        }
    }

    STDMETHODIMP SetPageSite(IPropertyPageSite *) override { return S_OK; }
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, WINBOOL) override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = Module;
        wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
        wc.lpszClassName = kPageClass;
        RegisterClassW(&wc);   // fails harmlessly when already registered
        window = CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_VISIBLE,
                                 rect->left, rect->top, rect->right - rect->left,
                                 rect->bottom - rect->top, parent, NULL, Module, NULL);
        if (window == NULL)
            return E_FAIL;
        SetWindowLongPtrW(window, GWLP_USERDATA, (LONG_PTR)this);
        CreateWindowExW(0, L"STATIC", L"Brightness", WS_CHILD | WS_VISIBLE, 8, 8, 80, 20, window,
                        NULL, Module, NULL);
        LONG value = 0, flags = 0;
        if (amp != NULL)
            amp->Get(VideoProcAmp_Brightness, &value, &flags);
        WCHAR text[16];
        swprintf(text, 16, L"%ld", value);
        field = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", text,
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_NUMBER, 96, 6, 60, 22,
                                window, NULL, Module, NULL);
        if (field != NULL) {
            SetFocus(field);
            SendMessageW(field, EM_SETSEL, 0, -1);
        }
        return S_OK;
    }
    STDMETHODIMP Deactivate() override
    {
        if (window)
            DestroyWindow(window);
        window = field = NULL;
        return S_OK;
    }
    STDMETHODIMP GetPageInfo(PROPPAGEINFO *info) override
    {
        ZeroMemory(info, sizeof *info);
        info->cb = sizeof *info;
        info->pszTitle = (LPOLESTR)CoTaskMemAlloc(sizeof L"Test camera");
        wcscpy(info->pszTitle, L"Test camera");
        info->size.cx = 220;
        info->size.cy = 80;
        return S_OK;
    }
    STDMETHODIMP SetObjects(ULONG count, IUnknown **objects) override
    {
        Forget();
        if (count > 0 && objects != NULL && objects[0] != NULL)
            objects[0]->QueryInterface(IID_IAMVideoProcAmp, (void **)&amp);
        return S_OK;
    }
    STDMETHODIMP Show(UINT show) override
    {
        if (window)
            ShowWindow(window, show);
        return S_OK;
    }
    STDMETHODIMP Move(LPCRECT rect) override
    {
        if (window)
            MoveWindow(window, rect->left, rect->top, rect->right - rect->left,
                       rect->bottom - rect->top, TRUE);
        return S_OK;
    }
    void TakeField()
    {
        if (field == NULL || amp == NULL)
            return;
        WCHAR text[16] = L"";
        GetWindowTextW(field, text, 16);
        if (text[0] != 0)
            amp->Set(VideoProcAmp_Brightness, wcstol(text, NULL, 10), VideoProcAmp_Flags_Manual);
    }
    STDMETHODIMP IsPageDirty() override { return S_FALSE; }
    STDMETHODIMP Apply() override { return S_OK; }
    STDMETHODIMP Help(LPCOLESTR) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG *) override { return S_FALSE; }
};

// ----- Class factory and registration -----------------------------------------------------------
class Factory : public IClassFactory {
    bool page;

public:
    explicit Factory(bool makesPage) : page(makesPage) {}
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = this;
            return S_OK;
        }
        *out = NULL;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }   // static objects
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown *outer, REFIID iid, void **out) override
    {
        *out = NULL;
        if (outer != NULL)
            return CLASS_E_NOAGGREGATION;
        IUnknown *object = page ? static_cast<IUnknown *>(new TestCamPage())
                                : static_cast<IUnknown *>(static_cast<IBaseFilter *>(
                                      new TestCamFilter()));
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }
    STDMETHODIMP LockServer(WINBOOL) override { return S_OK; }
};

static Factory FilterFactory(false), PageFactory(true);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        Module = instance;
    else if (reason == DLL_PROCESS_DETACH)
        UnregisterClassW(kPageClass, instance);   // the class must not outlive its procedure
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void **out)
{
    if (IsEqualCLSID(clsid, CLSID_TvxTestCam))
        return FilterFactory.QueryInterface(iid, out);
    if (IsEqualCLSID(clsid, CLSID_TvxTestCamPage))
        return PageFactory.QueryInterface(iid, out);
    *out = NULL;
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT WINAPI DllCanUnloadNow(void) { return LiveObjects == 0 ? S_OK : S_FALSE; }

static const WCHAR *kInstances[3] = {L"@device:pnp:tvx-testcam-0", L"@device:pnp:tvx-testcam-1",
                                     L"tvx-testcam-2"};

static HRESULT RegisterClass(REFCLSID clsid, const WCHAR *path, bool add)
{
    WCHAR id[64], key[128];
    StringFromGUID2(clsid, id, 64);
    swprintf(key, 128, L"CLSID\\%ls", id);
    if (!add) {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, key);
        return S_OK;
    }
    wcscat(key, L"\\InprocServer32");
    HKEY server;
    if (RegCreateKeyExW(HKEY_CLASSES_ROOT, key, 0, NULL, 0, KEY_WRITE, NULL, &server, NULL) !=
        ERROR_SUCCESS)
        return SELFREG_E_CLASS;
    RegSetValueExW(server, NULL, 0, REG_SZ, (const BYTE *)path,
                   (DWORD)((wcslen(path) + 1) * sizeof(WCHAR)));
    RegSetValueExW(server, L"ThreadingModel", 0, REG_SZ, (const BYTE *)L"Both", sizeof L"Both");
    RegCloseKey(server);
    return S_OK;
}

// Beside each device's name, what real webcams carry and Wine's device enumerator reads back:
// a device path (kept when the names are alike), and the camera's number for the filter.
// The instance key of camera n: the system lists the cameras in the order of these keys.
static const WCHAR *InstanceOf(int n, const CamMode &mode)
{
    return kInstances[mode.reversed && n < 2 ? 1 - n : n];
}

static void WriteDeviceValues(int n, const CamMode &mode)
{
    wchar_t key[256], number[8], path[64];
    swprintf(key, 256, L"CLSID\\{860BB310-5D01-11D0-BD3B-00A0C911CE86}\\Instance\\%ls",
             InstanceOf(n, mode));
    swprintf(number, 8, L"%d", n);
    swprintf(path, 64, L"\\\\?\\tvx#testcam#%d", n);
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key, L"TvxCamera", REG_SZ, number,
                    (DWORD)((wcslen(number) + 1) * sizeof(wchar_t)));
    RegSetKeyValueW(HKEY_CLASSES_ROOT, key, L"DevicePath", REG_SZ, path,
                    (DWORD)((wcslen(path) + 1) * sizeof(wchar_t)));
}

static HRESULT RegisterCameras(bool add)
{
    CamMode mode = ReadMode();
    HRESULT com = CoInitialize(NULL);
    IFilterMapper2 *mapper = NULL;
    HRESULT hr = CoCreateInstance(CLSID_FilterMapper2, NULL, CLSCTX_INPROC_SERVER,
                                  IID_IFilterMapper2, (void **)&mapper);
    for (int n = 0; SUCCEEDED(hr) && n < 3; n++) {
        if (!add) {
            mapper->UnregisterFilter(&CLSID_VideoInputDeviceCategory, kInstances[n],
                                     CLSID_TvxTestCam);
            continue;
        }
        REGPINTYPES types = {&MEDIATYPE_Video, &MEDIASUBTYPE_RGB32};
        REGFILTERPINS pin = {};
        pin.bOutput = TRUE;
        pin.nMediaTypes = 1;
        pin.lpMediaType = &types;
        REGFILTER2 filter = {};
        filter.dwVersion = 1;
        filter.dwMerit = MERIT_DO_NOT_USE;
        filter.cPins = 1;
        filter.rgPins = &pin;
        WCHAR name[64];
        if (mode.sameName && n < 2)
            swprintf(name, 64, L"TVX Test Camera");
        else
            swprintf(name, 64, L"TVX Test Camera %d", n);
        hr = mapper->RegisterFilter(CLSID_TvxTestCam, name, NULL, &CLSID_VideoInputDeviceCategory,
                                    InstanceOf(n, mode), &filter);
        if (SUCCEEDED(hr))
            WriteDeviceValues(n, mode);
    }
    if (mapper)
        mapper->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return hr;
}

extern "C" HRESULT WINAPI DllRegisterServer(void)
{
    WCHAR path[MAX_PATH];
    GetModuleFileNameW(Module, path, MAX_PATH);
    HRESULT hr = RegisterClass(CLSID_TvxTestCam, path, true);
    // The mode words in force until the next registration (none: the plain camera).
    wchar_t words[256] = L"";
    GetEnvironmentVariableW(L"TVX_TESTCAM_MODE", words, 256);
    if (SUCCEEDED(hr))
        RegSetKeyValueW(HKEY_CLASSES_ROOT, kModeKey, L"Mode", REG_SZ, words,
                        (DWORD)((wcslen(words) + 1) * sizeof(wchar_t)));
    if (SUCCEEDED(hr))
        hr = RegisterClass(CLSID_TvxTestCamPage, path, true);
    if (SUCCEEDED(hr))
        hr = RegisterCameras(true);
    return hr;
}

extern "C" HRESULT WINAPI DllUnregisterServer(void)
{
    RegisterCameras(false);
    RegisterClass(CLSID_TvxTestCam, NULL, false);
    RegisterClass(CLSID_TvxTestCamPage, NULL, false);
    return S_OK;
}
