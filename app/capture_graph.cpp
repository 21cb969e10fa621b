// capture_graph.cpp - opening every plug-and-play camera into one filter graph, receiving their
// frames, and closing them again. A camera that offers no RGB32 of the frame size is set to the
// best of what it offers and its samples are converted as they arrive.
#include "app/capture_graph.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// MinGW's qedit.h declares the sample grabber's interfaces but not its class.
static const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11d3,
                                          {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

// Wine's capture filter for the webcams it reaches through V4L2.
static const CLSID kClsidVfwCapture = {0x1b544c22, 0xfd0b, 0x11ce,
                                       {0x8c, 0x63, 0x00, 0xaa, 0x00, 0x44, 0xb5, 0x1e}};

CaptureSystem tzm_System;
CaptureGraphRecord CaptureGraph;
static bool KeepRecent = false;   // from the next open on, see tzm_KeepRecentFrames
static FrameSize WantedSize = {kFrameWidth640, kFrameHeight480};   // likewise, tzm_SetFrameSize
static double Delays[8];   // tzm_SetCameraDelay's, seconds, kept for every open

static HRESULT WINAPI RealCoInitialize(LPVOID reserved) { return CoInitialize(reserved); }
static void WINAPI RealCoUninitialize(void) { CoUninitialize(); }
static HRESULT WINAPI RealCoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context,
                                           REFIID iid, LPVOID *object)
{
    return CoCreateInstance(clsid, outer, context, iid, object);
}
static DWORD WINAPI RealTickCount(void) { return GetTickCount(); }
static HRESULT WINAPI RealPropertyFrame(HWND owner, UINT x, UINT y, LPCOLESTR caption,
                                        ULONG objects, LPUNKNOWN *units, ULONG pages,
                                        LPCLSID pageIds, LCID locale, DWORD reserved,
                                        LPVOID reservedPointer)
{
    return OleCreatePropertyFrame(owner, x, y, caption, objects, units, pages, pageIds, locale,
                                  reserved, reservedPointer);
}

static BOOL RealUnderWine(void)
{
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != NULL && GetProcAddress(ntdll, "wine_get_version") != NULL;
}

void tzm_UseRealSystem(void)
{
    tzm_System = {RealCoInitialize, RealCoUninitialize, RealCoCreateInstance, RealTickCount,
                  RealPropertyFrame, RealUnderWine};
}

// The real functions unless a test has put others in.
static struct SystemDefault {
    SystemDefault() { tzm_UseRealSystem(); }
} systemDefault;

STDMETHODIMP tzm_SampleGrabberCB::QueryInterface(REFIID iid, void **object)
{
    if (IsEqualIID(iid, IID_ISampleGrabberCB) || IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<ISampleGrabberCB *>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

// Seconds of stream time now, on the graph's clock (the performance counter where the graph
// has none), for the samples of a source that sets no times.
static double ArrivalTime(void)
{
    REFERENCE_TIME now;
    IReferenceClock *clock = CaptureGraph.clock;
    if (clock != nullptr && SUCCEEDED(clock->GetTime(&now)))
        return (double)(now - CaptureGraph.runStart) / 1e7;
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

STDMETHODIMP tzm_SampleGrabberCB::BufferCB(double sampleTime, BYTE *buffer, long length)
{
    // The store checks the buffer under its lock: the module may be letting it go right now.
    FrameSlot &frame = CaptureGraph.camera[cameraIndex].frame;
    double arrival = NeedsArrivalTime(&frame, sampleTime) ? ArrivalTime() : 0.0;
    StoreSample(&frame, buffer, length, sampleTime, arrival);
    return S_OK;
}

template <typename T> static void ReleaseHeld(T *&object)
{
    if (object != nullptr)
        object->Release();
    object = nullptr;
}

IPin *tzm_FindPin(IBaseFilter *filter, PIN_DIRECTION direction)
{
    IEnumPins *pins = nullptr;
    if (filter == nullptr || FAILED(filter->EnumPins(&pins)) || pins == nullptr)
        return nullptr;
    IPin *pin = nullptr, *found = nullptr;
    while (found == nullptr && pins->Next(1, &pin, nullptr) == S_OK) {
        PIN_DIRECTION has;
        if (SUCCEEDED(pin->QueryDirection(&has)) && has == direction)
            found = pin;
        else
            pin->Release();
        pin = nullptr;
    }
    pins->Release();
    return found;
}

static void ClearSlot(CameraSlot &slot)
{
    slot.captureFilter = nullptr;
    slot.builder = nullptr;
    slot.grabberFilter = nullptr;
    slot.grabber = nullptr;
    slot.callback = nullptr;
    slot.procAmp = nullptr;
    slot.cameraControl = nullptr;
    slot.frameWidth = slot.frameHeight = 0;
    slot.frame.buffer = nullptr;
    slot.frame.frameBytes = 0;
    slot.frame.sampleTime = 0.0;
    slot.frame.size = WantedSize;
    slot.frame.delay = Delays[&slot - CaptureGraph.camera];
    slot.frame.format = SampleFormat{kSampleRgb32, WantedSize.width, WantedSize.height, true};
    slot.offerCount = 0;
    slot.frame.convert = false;
    slot.frame.scratch = nullptr;
    slot.frame.recent = nullptr;
    slot.frame.recentCount = slot.frame.recentNext = 0;
    slot.frame.arrivalTimes = slot.frame.anySample = false;
    slot.frame.lastRawTime = 0.0;
    slot.frame.counts = FrameCounts();
    for (int &flag : slot.available)
        flag = 0;
    slot.friendlyName[0] = slot.identity[0] = 0;
    slot.frameRate = 0.0;
    slot.conversion = kFramePlain;
}

// Lets a camera's objects go. When its graph is known to be stopped (or never ran), the frame
// buffer and the callback go too; otherwise a streaming thread may still be inside the callback,
// so both are left allocated (a small leak instead of a write into freed memory).
static void ReleaseSlot(CameraSlot &slot, bool stopped)
{
    // The graph still holds the grabber after the slot lets it go, and a grabber releases its
    // callback when it goes: take the callback back before it is freed.
    if (slot.grabber != nullptr && slot.callback != nullptr)
        slot.grabber->SetCallback(nullptr, 1);
    ReleaseHeld(slot.cameraControl);
    ReleaseHeld(slot.procAmp);
    ReleaseHeld(slot.grabber);
    ReleaseHeld(slot.grabberFilter);
    ReleaseHeld(slot.captureFilter);
    ReleaseHeld(slot.builder);
    uint8_t *buffer, *scratch, *recent;
    {
        std::lock_guard<std::mutex> hold(slot.frame.lock);
        buffer = slot.frame.buffer;
        scratch = slot.frame.scratch;
        recent = slot.frame.recent;
        slot.frame.buffer = slot.frame.scratch = slot.frame.recent = nullptr;
        slot.frame.frameBytes = 0;
        slot.frame.recentCount = 0;
    }
    if (stopped) {
        free(buffer);
        free(scratch);
        free(recent);
        delete slot.callback;
    }
    slot.callback = nullptr;
}

// The graph's clock goes with the graph; while streams may still run, a callback may read it.
static void ReleaseClock(bool stopped)
{
    if (stopped)
        ReleaseHeld(CaptureGraph.clock);
    CaptureGraph.clock = nullptr;
}

// Stops a graph and waits up to 3 s for the stop to be confirmed; false when it was not.
static bool StopGraph(IMediaControl *control)
{
    DWORD start = tzm_System.tickCount();
    bool stopped = false;
    while (!(stopped = control->Stop() == S_OK) && tzm_System.tickCount() - start <= 3000)
        Sleep(1);
    return stopped;
}

// What one attempt holds besides the slots, released at its end whatever happened.
struct AttemptHeld {
    bool comStarted = false;   // CoInitialize answered S_OK or S_FALSE: the count must balance
    bool ran = false;          // Run was called: streams may deliver until the graph stops
    ICreateDevEnum *devices = nullptr;
    IEnumMoniker *monikers = nullptr;
    IMoniker *moniker = nullptr;
    IMediaControl *control = nullptr;
    IAMStreamConfig *config = nullptr;
};

static void TearDown(AttemptHeld &held)
{
    ReleaseHeld(held.devices);
    ReleaseHeld(held.monikers);
    ReleaseHeld(held.moniker);
    ReleaseHeld(held.control);
    ReleaseHeld(held.config);
    // After Run (19 includes "still starting", 21 ran without a frame) the streams may deliver:
    // stop and confirm before the buffers go.
    bool stopped = !held.ran;
    if (held.ran && SUCCEEDED(CaptureGraph.graph->QueryInterface(IID_IMediaControl,
                                                                  (void **)&held.control)))
        stopped = StopGraph(held.control);
    ReleaseHeld(held.control);
    for (int i = 7; i >= 0; i--)
        ReleaseSlot(CaptureGraph.camera[i], stopped);
    ReleaseClock(stopped);
    ReleaseHeld(CaptureGraph.graph);
    CaptureGraph.cameraCount = 0;
    if (held.comStarted)
        tzm_System.coUninitialize();
}

static void NotePassedOver(const char *name)
{
    char *note = CaptureGraph.openNote;
    size_t used = strlen(note);
    snprintf(note + used, sizeof CaptureGraph.openNote - used,
             "%sWine could not open the webcam \"%s\" (is libv4l-0 installed?)", used ? "\n" : "",
             name);
}

static void ToNarrow(const wchar_t *wide, char *out, int size)
{
    out[0] = 0;
    if (WideCharToMultiByte(CP_ACP, 0, wide, -1, out, size, nullptr, nullptr) == 0)
        out[size - 1] = 0;
}

// A text value of a device's property bag ("" when it has none); numbers are written in decimal.
static void ReadDeviceValue(IPropertyBag *bag, const wchar_t *name, wchar_t *out, int size)
{
    out[0] = 0;
    VARIANT value;
    VariantInit(&value);
    if (bag == nullptr || FAILED(bag->Read(name, &value, nullptr)))
        return;
    if (value.vt == VT_BSTR && value.bstrVal != nullptr)
        lstrcpynW(out, value.bstrVal, size);
    else if (value.vt == VT_I4 || value.vt == VT_UI4)
        swprintf(out, size, L"%ld", (long)value.lVal);
    VariantClear(&value);
}

// What the device scan learns of one device before it is bound.
struct DeviceFacts {
    bool take;   // a plug-and-play device, or (under Wine) one of Wine's own capture devices
    bool wine;   // one of Wine's own
    wchar_t name[256], identity[512];
};

static DeviceFacts LookAtDevice(IMoniker *moniker, const wchar_t *displayName)
{
    DeviceFacts facts = {};
    IPropertyBag *bag = nullptr;
    if (FAILED(moniker->BindToStorage(nullptr, nullptr, IID_IPropertyBag, (void **)&bag)))
        bag = nullptr;
    wchar_t clsid[64], path[512], index[16];
    ReadDeviceValue(bag, L"FriendlyName", facts.name, 256);
    ReadDeviceValue(bag, L"DevicePath", path, 512);
    ReadDeviceValue(bag, L"CLSID", clsid, 64);
    ReadDeviceValue(bag, L"VFWIndex", index, 16);
    if (bag != nullptr)
        bag->Release();
    CLSID filterClass = {};
    bool wineCamera = clsid[0] != 0 && SUCCEEDED(CLSIDFromString(clsid, &filterClass)) &&
                      IsEqualCLSID(filterClass, kClsidVfwCapture) && tzm_System.underWine();
    facts.wine = wineCamera;
    facts.take = IsPlugAndPlayName((const char16_t *)displayName) || wineCamera;
    if (path[0] != 0)
        lstrcpynW(facts.identity, path, 512);
    else if (wineCamera)
        swprintf(facts.identity, 512, L"%ls #%ls", facts.name, index);
    else
        lstrcpynW(facts.identity, displayName, 512);
    return facts;
}

// Adds every plug-and-play device among the first eight of the video input category, and under
// Wine the devices of its own capture filter, which have no plug-and-play name.
static int AddCameras(AttemptHeld &held)
{
    CaptureGraphRecord &g = CaptureGraph;
    for (int n = 0; n < 8; n++) {
        if (held.monikers->Next(1, &held.moniker, nullptr) != S_OK) {
            held.moniker = nullptr;
            continue;
        }
        LPOLESTR name = nullptr;
        if (FAILED(held.moniker->GetDisplayName(nullptr, nullptr, &name)) || name == nullptr)
            return kOpenDisplayName;
        DeviceFacts facts = LookAtDevice(held.moniker, name);
        CoTaskMemFree(name);
        if (!facts.take) {
            ReleaseHeld(held.moniker);
            continue;
        }
        CameraSlot &slot = g.camera[g.cameraCount];
        ToNarrow(facts.name, slot.friendlyName, sizeof slot.friendlyName);
        ToNarrow(facts.identity, slot.identity, sizeof slot.identity);
        held.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                   (void **)&slot.captureFilter);
        ReleaseHeld(held.moniker);
        // Wine lists every webcam it sees but opens one only through libv4l2: a webcam it
        // cannot open is passed over and named, and the others still open.
        if (facts.wine && slot.captureFilter == nullptr) {
            NotePassedOver(slot.friendlyName);
            slot.friendlyName[0] = slot.identity[0] = 0;
            continue;
        }
        wchar_t filterName[32];
        swprintf(filterName, 32, L"Video Capture %d", g.cameraCount);
        if (slot.captureFilter == nullptr || FAILED(g.graph->AddFilter(slot.captureFilter,
                                                                         filterName)))
            return kOpenAddCamera;
        g.cameraCount++;
    }
    return 0;
}

static void FreeMediaType(AM_MEDIA_TYPE *type)
{
    if (type == nullptr)
        return;
    if (type->cbFormat != 0)
        CoTaskMemFree(type->pbFormat);
    type->cbFormat = 0;
    type->pbFormat = nullptr;
    ReleaseHeld(type->pUnk);
}

// The module's code of a video subtype: the two RGB subtypes, and the four-character-code
// subtypes YUY2, MJPG and NV12.
static int CodeOfSubtype(const GUID &subtype)
{
    static const BYTE kFourCcTail[8] = {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB32))
        return kSampleRgb32;
    if (IsEqualGUID(subtype, MEDIASUBTYPE_RGB24))
        return kSampleRgb24;
    if (subtype.Data2 != 0 || subtype.Data3 != 0x0010 || memcmp(subtype.Data4, kFourCcTail, 8) != 0)
        return kSampleUnknown;
    switch (subtype.Data1) {
    case MAKEFOURCC('Y', 'U', 'Y', '2'): return kSampleYuy2;
    case MAKEFOURCC('M', 'J', 'P', 'G'): return kSampleMjpg;
    case MAKEFOURCC('N', 'V', '1', '2'): return kSampleNv12;
    default: return kSampleUnknown;
    }
}

// A video media type's subtype, size, row order and frame interval; false when it is none.
static bool ReadVideoFormat(const AM_MEDIA_TYPE *type, SampleFormat *format, int64_t *interval)
{
    if (type == nullptr || !IsEqualGUID(type->formattype, FORMAT_VideoInfo) ||
        type->pbFormat == nullptr || type->cbFormat < sizeof(VIDEOINFOHEADER))
        return false;
    const VIDEOINFOHEADER *video = (const VIDEOINFOHEADER *)type->pbFormat;
    format->code = CodeOfSubtype(type->subtype);
    format->width = (int)video->bmiHeader.biWidth;
    format->height = (int)labs(video->bmiHeader.biHeight);
    bool rgb = format->code == kSampleRgb32 || format->code == kSampleRgb24;
    format->bottomUp = rgb && video->bmiHeader.biHeight > 0;
    *interval = video->AvgTimePerFrame;
    return true;
}

// The camera's current format edited to the frame size at the rate, as every camera that accepts
// such an edit has always been opened at 640 x 480.
static bool EditCurrentFormat(IAMStreamConfig *config, double frameRate)
{
    AM_MEDIA_TYPE *type = nullptr;
    config->GetFormat(&type);
    bool formatSet = false;
    if (type != nullptr) {
        if (type->pbFormat != nullptr && type->cbFormat >= sizeof(VIDEOINFOHEADER)) {
            VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
            video->bmiHeader.biWidth = WantedSize.width;
            video->bmiHeader.biHeight = WantedSize.height;
            video->AvgTimePerFrame = AverageTimePerFrame(frameRate);
            formatSet = SUCCEEDED(config->SetFormat(type));
        }
        FreeMediaType(type);
        CoTaskMemFree(type);
    }
    return formatSet;
}

// The camera's capability list, each entry with its media type (freed by FreeTypes); empty
// when it has none.
struct Capabilities {
    std::vector<CapabilityOffer> offers;
    std::vector<AM_MEDIA_TYPE *> types;
};

static void ReadCapabilities(IAMStreamConfig *config, Capabilities &list)
{
    int count = 0, size = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &size)) || count <= 0 ||
        size < (int)sizeof(VIDEO_STREAM_CONFIG_CAPS))
        return;
    std::vector<AM_MEDIA_TYPE *> &types = list.types;
    std::vector<CapabilityOffer> &offers = list.offers;
    types.assign((size_t)count, nullptr);
    offers.resize((size_t)count);
    std::vector<BYTE> caps((size_t)size);
    for (int i = 0; i < count; i++) {
        CapabilityOffer &offer = offers[(size_t)i];
        offer = CapabilityOffer{kSampleUnknown, 0, 0, 0, 0};
        SampleFormat format;
        int64_t interval = 0;
        if (config->GetStreamCaps(i, &types[(size_t)i], caps.data()) != S_OK ||
            !ReadVideoFormat(types[(size_t)i], &format, &interval))
            continue;
        const VIDEO_STREAM_CONFIG_CAPS *limits = (const VIDEO_STREAM_CONFIG_CAPS *)caps.data();
        offer = CapabilityOffer{format.code, format.width, format.height,
                                limits->MinFrameInterval, limits->MaxFrameInterval};
    }
}

static void FreeTypes(Capabilities &list)
{
    for (AM_MEDIA_TYPE *type : list.types) {
        FreeMediaType(type);
        CoTaskMemFree(type);
    }
    list.types.clear();
}

// The best whole format of the capability list for the frame size: 0, 11 when there is no list
// or the camera refuses the choice, 24 when nothing of the size or more is offered in a subtype
// the module takes.
static int ChooseFromCapabilities(IAMStreamConfig *config, const Capabilities &list,
                                  double frameRate)
{
    if (list.offers.empty())
        return kOpenFormat;
    int64_t wanted = AverageTimePerFrame(frameRate);
    int best = ChooseCapability(list.offers.data(), (int)list.offers.size(), wanted, WantedSize);
    if (best < 0)
        return kOpenNoUsableFormat;
    AM_MEDIA_TYPE *chosen = list.types[(size_t)best];
    ((VIDEOINFOHEADER *)chosen->pbFormat)->AvgTimePerFrame =
        IntervalWithin(list.offers[(size_t)best], wanted);
    return SUCCEEDED(config->SetFormat(chosen)) ? 0 : kOpenFormat;
}

// Sets the camera's format. At 640 x 480 an edit of its current format comes first, as cameras
// have always been opened; at a larger size the list does (an edited raw format would often be
// held at a third of the rate), and only a camera without a list gets the edit.
static int SetCameraFormat(CameraSlot &slot, IAMStreamConfig *config, double frameRate)
{
    Capabilities list;
    ReadCapabilities(config, list);
    slot.offerCount = 0;
    for (const CapabilityOffer &offer : list.offers)
        if (offer.code != kSampleUnknown && slot.offerCount < kMostOffers)
            slot.offers[slot.offerCount++] = offer;
    bool plainSize = WantedSize.width == kFrameWidth640 && WantedSize.height == kFrameHeight480;
    int code = 0;
    if (!plainSize || !EditCurrentFormat(config, frameRate)) {
        code = ChooseFromCapabilities(config, list, frameRate);
        if (code == kOpenFormat && !plainSize && EditCurrentFormat(config, frameRate))
            code = 0;
    }
    FreeTypes(list);
    return code;
}

static HRESULT ConnectToGrabber(CameraSlot &slot)
{
    IPin *out = tzm_FindPin(slot.captureFilter, PINDIR_OUTPUT);
    IPin *in = tzm_FindPin(slot.grabberFilter, PINDIR_INPUT);
    HRESULT connected = (out && in) ? CaptureGraph.graph->Connect(out, in) : E_FAIL;
    ReleaseHeld(out);
    ReleaseHeld(in);
    return connected;
}

// Where the graph finds no converter to RGB32 (Wine inserts none), the grabber takes the
// camera's own subtype and the callback converts.
static HRESULT ConnectInCameraSubtype(CameraSlot &slot, IAMStreamConfig *config)
{
    AM_MEDIA_TYPE *now = nullptr;
    config->GetFormat(&now);
    HRESULT connected = E_FAIL;
    if (now != nullptr && CodeOfSubtype(now->subtype) != kSampleUnknown) {
        AM_MEDIA_TYPE own = {};
        own.majortype = MEDIATYPE_Video;
        own.subtype = now->subtype;
        own.formattype = FORMAT_VideoInfo;
        if (SUCCEEDED(slot.grabber->SetMediaType(&own)))
            connected = ConnectToGrabber(slot);
    }
    FreeMediaType(now);
    CoTaskMemFree(now);
    return connected;
}

// Whether the graph put a filter of its own between the camera and the grabber.
static bool GraphInsertedFilter(CameraSlot &slot)
{
    IPin *out = tzm_FindPin(slot.captureFilter, PINDIR_OUTPUT), *peer = nullptr;
    bool inserted = false;
    if (out != nullptr && SUCCEEDED(out->ConnectedTo(&peer)) && peer != nullptr) {
        PIN_INFO info = {};
        if (SUCCEEDED(peer->QueryPinInfo(&info)) && info.pFilter != nullptr) {
            inserted = info.pFilter != slot.grabberFilter;
            info.pFilter->Release();
        }
    }
    ReleaseHeld(peer);
    ReleaseHeld(out);
    return inserted;
}

// How the grabber's samples become frames: the plain copy for bottom-up RGB32 of the frame size,
// the conversion for the rest; 24 for a connection the module cannot take.
static int TakeConnectedFormat(CameraSlot &slot)
{
    SampleFormat format{kSampleRgb32, WantedSize.width, WantedSize.height, true};
    int64_t interval = 0;
    AM_MEDIA_TYPE got = {};
    if (SUCCEEDED(slot.grabber->GetConnectedMediaType(&got))) {
        if (!ReadVideoFormat(&got, &format, &interval))
            format.code = kSampleUnknown;
        FreeMediaType(&got);
    }
    bool plain = format.code == kSampleRgb32 && format.width == WantedSize.width &&
                 format.height == WantedSize.height && format.bottomUp;
    if (!plain && (format.code == kSampleUnknown || format.width < WantedSize.width ||
                   format.height < WantedSize.height))
        return kOpenNoUsableFormat;
    slot.frame.format = format;
    slot.frame.convert = !plain;
    slot.conversion = !plain ? kFrameConverted
                             : GraphInsertedFilter(slot) ? kFrameGraphFilter : kFramePlain;
    slot.frameRate = interval > 0 ? 1e7 / (double)interval : 0.0;
    return 0;
}

// Sets camera i up: the frame size at the rate (or the nearest it offers), a grabber of RGB32
// frames or of the camera's own format, its callback, and whichever property interfaces it has.
static int SetUpCamera(int i, double frameRate, AttemptHeld &held)
{
    CaptureGraphRecord &g = CaptureGraph;
    CameraSlot &slot = g.camera[i];
    slot.frameWidth = WantedSize.width;
    slot.frameHeight = WantedSize.height;
    slot.frame.size = WantedSize;
    tzm_System.coCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICaptureGraphBuilder2, (void **)&slot.builder);
    if (slot.builder == nullptr || FAILED(slot.builder->SetFiltergraph(g.graph)))
        return kOpenBuilder;
    if (FAILED(slot.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                           slot.captureFilter, IID_IAMStreamConfig,
                                           (void **)&held.config)) ||
        held.config == nullptr)
        return kOpenStreamConfig;
    if (int code = SetCameraFormat(slot, held.config, frameRate))
        return code;

    tzm_System.coCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IBaseFilter, (void **)&slot.grabberFilter);
    if (slot.grabberFilter == nullptr ||
        FAILED(slot.grabberFilter->QueryInterface(IID_ISampleGrabber, (void **)&slot.grabber)))
        return kOpenGrabber;
    AM_MEDIA_TYPE rgb32 = {};
    rgb32.majortype = MEDIATYPE_Video;
    rgb32.subtype = MEDIASUBTYPE_RGB32;
    rgb32.formattype = FORMAT_VideoInfo;
    if (FAILED(slot.grabber->SetMediaType(&rgb32)))
        return kOpenGrabberType;
    wchar_t grabberName[32];
    swprintf(grabberName, 32, L"Grabber %d", i);
    if (FAILED(g.graph->AddFilter(slot.grabberFilter, grabberName)))
        return kOpenAddGrabber;
    HRESULT connected = ConnectToGrabber(slot);
    if (FAILED(connected))
        connected = ConnectInCameraSubtype(slot, held.config);
    ReleaseHeld(held.config);
    if (FAILED(connected))
        return kOpenConnect;
    if (FAILED(slot.grabber->SetBufferSamples(FALSE)))
        return kOpenBufferSamples;
    if (FAILED(slot.grabber->SetOneShot(FALSE)))
        return kOpenOneShot;
    int code = TakeConnectedFormat(slot);
    if (code != 0)
        return code;
    size_t bytes = (size_t)SlotFrameBytes(slot.frame);
    slot.frame.buffer = (uint8_t *)malloc(bytes);
    if (slot.frame.convert)
        slot.frame.scratch = (uint8_t *)malloc(bytes);
    if (KeepRecent)
        slot.frame.recent = (uint8_t *)malloc((size_t)kRecentFrames * bytes);
    slot.callback = new tzm_SampleGrabberCB();
    slot.callback->cameraIndex = i;
    slot.frame.frameBytes = 0;
    slot.frame.sampleTime = 0.0;
    if (slot.frame.buffer == nullptr || (slot.frame.convert && slot.frame.scratch == nullptr) ||
        (KeepRecent && slot.frame.recent == nullptr) ||
        FAILED(slot.grabber->SetCallback(slot.callback, 1)))
        return kOpenCallback;
    // A camera without one of the property interfaces (Wine's has no camera control) still
    // opens: those properties are unavailable, and the buttons leave them alone.
    if (FAILED(slot.captureFilter->QueryInterface(IID_IAMVideoProcAmp, (void **)&slot.procAmp)))
        slot.procAmp = nullptr;
    for (long p = 0; p < 10 && slot.procAmp != nullptr; p++) {
        long min, max, step, def, flags;
        slot.available[p] = slot.procAmp->GetRange(p, &min, &max, &step, &def, &flags) == S_OK;
    }
    if (FAILED(slot.captureFilter->QueryInterface(IID_IAMCameraControl,
                                                  (void **)&slot.cameraControl)))
        slot.cameraControl = nullptr;
    for (long p = 0; p < 7 && slot.cameraControl != nullptr; p++) {
        long min, max, step, def, flags;
        slot.available[10 + p] =
            slot.cameraControl->GetRange(p, &min, &max, &step, &def, &flags) == S_OK;
    }
    return 0;
}

// The graph's clock and its time before Run, for sources that stamp no times on their samples.
static void HoldGraphClock(void)
{
    CaptureGraphRecord &g = CaptureGraph;
    IMediaFilter *media = nullptr;
    if (FAILED(g.graph->QueryInterface(IID_IMediaFilter, (void **)&media)) || media == nullptr)
        return;
    g.graph->SetDefaultSyncSource();
    if (FAILED(media->GetSyncSource(&g.clock)))
        g.clock = nullptr;
    media->Release();
    if (g.clock != nullptr && FAILED(g.clock->GetTime(&g.runStart)))
        ReleaseHeld(g.clock);
}

static long FrameBytesOf(int camera)
{
    std::lock_guard<std::mutex> hold(CaptureGraph.camera[camera].frame.lock);
    return CaptureGraph.camera[camera].frame.frameBytes;
}

// One attempt of the open sequence; 0 when the graph runs and camera 0 delivered a frame.
static int OpenAttempt(double frameRate, AttemptHeld &held)
{
    CaptureGraphRecord &g = CaptureGraph;
    HRESULT com = tzm_System.coInitialize(nullptr);
    held.comStarted = SUCCEEDED(com);
    // COM already started on this thread (S_FALSE) is refused too: the module owns its start.
    if (com != S_OK)
        return kOpenComStart;
    if (FAILED(tzm_System.coCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IGraphBuilder, (void **)&g.graph)) ||
        g.graph == nullptr)
        return kOpenGraph;
    if (FAILED(tzm_System.coCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_ICreateDevEnum, (void **)&held.devices)) ||
        held.devices == nullptr)
        return kOpenDeviceEnumerator;
    if (held.devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &held.monikers, 0) !=
            S_OK ||
        held.monikers == nullptr)
        return kOpenCategory;
    int code = AddCameras(held);
    if (code != 0)
        return code;
    ReleaseHeld(held.monikers);
    ReleaseHeld(held.devices);
    if (g.cameraCount == 0)
        return kOpenNoCamera;
    for (int i = 0; i < g.cameraCount; i++) {
        code = SetUpCamera(i, frameRate, held);
        if (code != 0)
            return code;
    }
    if (FAILED(g.graph->QueryInterface(IID_IMediaControl, (void **)&held.control)))
        return kOpenMediaControl;
    HoldGraphClock();
    HRESULT ran = held.control->Run();
    held.ran = true;
    ReleaseHeld(held.control);
    if (ran != S_OK)
        return kOpenRun;
    DWORD start = tzm_System.tickCount();
    while (FrameBytesOf(0) == 0) {
        if (tzm_System.tickCount() - start > 3000)
            return kOpenNoFrame;
        Sleep(1);
    }
    return kOpenRunning;
}

int tzm_OpenCameras(double frameRate)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (g.opened == 1)
        return kOpenAlreadyOpen;
    int attempts = 0;
    for (;;) {
        g.openNote[0] = 0;
        g.graph = nullptr;
        g.clock = nullptr;
        g.cameraCount = 0;
        for (CameraSlot &slot : g.camera)
            ClearSlot(slot);
        AttemptHeld held;
        int code = OpenAttempt(frameRate, held);
        if (code == kOpenRunning) {
            g.opened = 1;
            return kOpenRunning;
        }
        TearDown(held);
        // A failure that follows a retry is final too.
        if (!OpenResultOf(code)->retried || ++attempts > 2)
            return code;
    }
}

int tzm_CloseCameras(void)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened)
        return 1;
    IMediaControl *control = nullptr;
    if (FAILED(g.graph->QueryInterface(IID_IMediaControl, (void **)&control)) || control == nullptr)
        return 2;
    bool stopped = StopGraph(control);
    control->Release();
    for (int i = g.cameraCount - 1; i >= 0; i--)
        ReleaseSlot(g.camera[i], stopped);
    g.cameraCount = 0;
    ReleaseClock(stopped);
    ReleaseHeld(g.graph);
    tzm_System.coUninitialize();
    g.opened = 0;
    return stopped ? 0 : 3;
}

const char *tzm_OpenNote(void)
{
    return CaptureGraph.openNote;
}

void tzm_KeepRecentFrames(int on)
{
    KeepRecent = on != 0;
}

int tzm_SyncedPairTimes(double *time0, double *time1)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || g.cameraCount < 2 || time0 == nullptr || time1 == nullptr)
        return 1;
    return NearestPairTimes(&g.camera[0].frame, &g.camera[1].frame, time0, time1) ? 0 : 2;
}

int tzm_TakeSyncedPair(uint8_t *frame0, uint8_t *frame1, double *time0, double *time1)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || g.cameraCount < 2 || frame0 == nullptr || frame1 == nullptr)
        return 1;
    double t0 = 0.0, t1 = 0.0;
    if (!TakeNearestPair(&g.camera[0].frame, &g.camera[1].frame, frame0, frame1, &t0, &t1))
        return 2;
    if (time0 != nullptr)
        *time0 = t0;
    if (time1 != nullptr)
        *time1 = t1;
    return 0;
}

int tzm_SetCameraDelay(int camera, double seconds)
{
    if (camera < 0 || camera >= 8 || !(seconds >= -1.0 && seconds <= 1.0))
        return 1;
    Delays[camera] = seconds;
    FrameSlot &slot = CaptureGraph.camera[camera].frame;
    std::lock_guard<std::mutex> hold(slot.lock);
    slot.delay = seconds;
    return 0;
}

int tzm_SetFrameSize(int width, int height)
{
    if (!IsUsableFrameSize(width, height))
        return 1;
    WantedSize = FrameSize{width, height};
    return 0;
}

FrameSize tzm_FrameSize(void)
{
    CaptureGraphRecord &g = CaptureGraph;
    return g.opened && g.cameraCount > 0 ? g.camera[0].frame.size : WantedSize;
}

int tzm_CommonFrameSizes(FrameSize *sizes, int most)
{
    CaptureGraphRecord &g = CaptureGraph;
    const CapabilityOffer *lists[8];
    int counts[8], cameras = g.opened ? g.cameraCount : 0;
    for (int i = 0; i < cameras; i++) {
        lists[i] = g.camera[i].offers;
        counts[i] = g.camera[i].offerCount;
    }
    return CommonFrameSizes(lists, counts, cameras, sizes, most);
}

int tzm_DescribeCamera(int camera, char *text, int size)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (text == nullptr || size <= 0)
        return 1;
    text[0] = 0;
    if (!g.opened || camera < 0 || camera >= g.cameraCount)
        return 1;
    const CameraSlot &slot = g.camera[camera];
    DescribeCameraLine(text, size, slot.friendlyName, slot.identity, slot.frame.format,
                       slot.frameRate, slot.conversion);
    return 0;
}
