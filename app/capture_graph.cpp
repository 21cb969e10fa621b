// capture_graph.cpp - opening every plug-and-play camera into one filter graph, receiving their
// frames, and closing them again.
#include "app/capture_graph.h"

#include <cstdio>
#include <cstdlib>

// MinGW's qedit.h declares the sample grabber's interfaces but not its class.
static const CLSID kClsidSampleGrabber = {0xC1F400A0, 0x3F08, 0x11d3,
                                          {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

CaptureSystem tzm_System;
CaptureGraphRecord CaptureGraph;

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

void tzm_UseRealSystem(void)
{
    tzm_System = {RealCoInitialize, RealCoUninitialize, RealCoCreateInstance, RealTickCount,
                  RealPropertyFrame};
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

STDMETHODIMP tzm_SampleGrabberCB::BufferCB(double sampleTime, BYTE *buffer, long length)
{
    // The store checks the buffer under its lock: the module may be letting it go right now.
    StoreSample(&CaptureGraph.camera[cameraIndex].frame, buffer, length, sampleTime);
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
    for (int &flag : slot.available)
        flag = 0;
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
    uint8_t *buffer;
    {
        std::lock_guard<std::mutex> hold(slot.frame.lock);
        buffer = slot.frame.buffer;
        slot.frame.buffer = nullptr;
        slot.frame.frameBytes = 0;
    }
    if (stopped) {
        free(buffer);
        delete slot.callback;
    }
    slot.callback = nullptr;
}

// Stops a graph and waits up to 3 s for the stop to be confirmed; false when it was not.
static bool StopGraph(IMediaControl *control)
{
    DWORD start = tzm_System.tickCount();
    bool stopped = false;
    while (!(stopped = control->Stop() == S_OK) && tzm_System.tickCount() - start <= 3000) {
    }
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
    ReleaseHeld(CaptureGraph.graph);
    CaptureGraph.cameraCount = 0;
    if (held.comStarted)
        tzm_System.coUninitialize();
}

// Adds every plug-and-play device among the first eight of the video input category.
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
            return 6;
        bool pnp = IsPlugAndPlayName((const char16_t *)name);
        CoTaskMemFree(name);
        if (!pnp) {
            ReleaseHeld(held.moniker);
            continue;
        }
        CameraSlot &slot = g.camera[g.cameraCount];
        held.moniker->BindToObject(nullptr, nullptr, IID_IBaseFilter,
                                   (void **)&slot.captureFilter);
        ReleaseHeld(held.moniker);
        wchar_t filterName[32];
        swprintf(filterName, 32, L"Video Capture %d", g.cameraCount);
        if (slot.captureFilter == nullptr || FAILED(g.graph->AddFilter(slot.captureFilter,
                                                                         filterName)))
            return 7;
        g.cameraCount++;
    }
    return 0;
}

// Sets camera i up: 640 x 480 at the rate, a grabber of RGB32 frames, its callback, and its
// property interfaces.
static int SetUpCamera(int i, double frameRate, AttemptHeld &held)
{
    CaptureGraphRecord &g = CaptureGraph;
    CameraSlot &slot = g.camera[i];
    slot.frameWidth = kFrameWidth640;
    slot.frameHeight = kFrameHeight480;
    tzm_System.coCreateInstance(CLSID_CaptureGraphBuilder2, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ICaptureGraphBuilder2, (void **)&slot.builder);
    if (slot.builder == nullptr || FAILED(slot.builder->SetFiltergraph(g.graph)))
        return 9;
    if (FAILED(slot.builder->FindInterface(&PIN_CATEGORY_CAPTURE, &MEDIATYPE_Video,
                                           slot.captureFilter, IID_IAMStreamConfig,
                                           (void **)&held.config)) ||
        held.config == nullptr)
        return 10;
    AM_MEDIA_TYPE *type = nullptr;
    held.config->GetFormat(&type);
    bool formatSet = false;
    if (type != nullptr) {
        if (type->pbFormat != nullptr && type->cbFormat >= sizeof(VIDEOINFOHEADER)) {
            VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
            video->bmiHeader.biWidth = kFrameWidth640;
            video->bmiHeader.biHeight = kFrameHeight480;
            video->AvgTimePerFrame = AverageTimePerFrame(frameRate);
            formatSet = SUCCEEDED(held.config->SetFormat(type));
        }
        if (type->cbFormat != 0)
            CoTaskMemFree(type->pbFormat);
        ReleaseHeld(type->pUnk);
        CoTaskMemFree(type);
    }
    if (!formatSet)
        return 11;
    ReleaseHeld(held.config);

    tzm_System.coCreateInstance(kClsidSampleGrabber, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IBaseFilter, (void **)&slot.grabberFilter);
    if (slot.grabberFilter == nullptr ||
        FAILED(slot.grabberFilter->QueryInterface(IID_ISampleGrabber, (void **)&slot.grabber)))
        return 12;
    AM_MEDIA_TYPE rgb32 = {};
    rgb32.majortype = MEDIATYPE_Video;
    rgb32.subtype = MEDIASUBTYPE_RGB32;
    rgb32.formattype = FORMAT_VideoInfo;
    if (FAILED(slot.grabber->SetMediaType(&rgb32)))
        return 13;
    wchar_t grabberName[32];
    swprintf(grabberName, 32, L"Grabber %d", i);
    if (FAILED(g.graph->AddFilter(slot.grabberFilter, grabberName)))
        return 14;
    IPin *out = tzm_FindPin(slot.captureFilter, PINDIR_OUTPUT);
    IPin *in = tzm_FindPin(slot.grabberFilter, PINDIR_INPUT);
    HRESULT connected = (out && in) ? g.graph->Connect(out, in) : E_FAIL;
    ReleaseHeld(out);
    ReleaseHeld(in);
    if (FAILED(connected))
        return 15;
    if (FAILED(slot.grabber->SetBufferSamples(FALSE)))
        return 16;
    if (FAILED(slot.grabber->SetOneShot(FALSE)))
        return 17;
    slot.frame.buffer = (uint8_t *)malloc(kFrameBufferBytes);
    slot.callback = new tzm_SampleGrabberCB();
    slot.callback->cameraIndex = i;
    slot.frame.frameBytes = 0;
    slot.frame.sampleTime = 0.0;
    if (slot.frame.buffer == nullptr || FAILED(slot.grabber->SetCallback(slot.callback, 1)))
        return 20;
    if (FAILED(slot.captureFilter->QueryInterface(IID_IAMVideoProcAmp, (void **)&slot.procAmp)))
        return 22;
    for (long p = 0; p < 10; p++) {
        long min, max, step, def, flags;
        slot.available[p] = slot.procAmp->GetRange(p, &min, &max, &step, &def, &flags) == S_OK;
    }
    if (FAILED(slot.captureFilter->QueryInterface(IID_IAMCameraControl,
                                                  (void **)&slot.cameraControl)))
        return 23;
    for (long p = 0; p < 7; p++) {
        long min, max, step, def, flags;
        slot.available[10 + p] =
            slot.cameraControl->GetRange(p, &min, &max, &step, &def, &flags) == S_OK;
    }
    return 0;
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
        return 2;
    if (FAILED(tzm_System.coCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IGraphBuilder, (void **)&g.graph)) ||
        g.graph == nullptr)
        return 3;
    if (FAILED(tzm_System.coCreateInstance(CLSID_SystemDeviceEnum, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_ICreateDevEnum, (void **)&held.devices)) ||
        held.devices == nullptr)
        return 4;
    if (held.devices->CreateClassEnumerator(CLSID_VideoInputDeviceCategory, &held.monikers, 0) !=
            S_OK ||
        held.monikers == nullptr)
        return 5;
    int code = AddCameras(held);
    if (code != 0)
        return code;
    ReleaseHeld(held.monikers);
    ReleaseHeld(held.devices);
    if (g.cameraCount == 0)
        return 8;
    for (int i = 0; i < g.cameraCount; i++) {
        code = SetUpCamera(i, frameRate, held);
        if (code != 0)
            return code;
    }
    if (FAILED(g.graph->QueryInterface(IID_IMediaControl, (void **)&held.control)))
        return 18;
    HRESULT ran = held.control->Run();
    held.ran = true;
    ReleaseHeld(held.control);
    if (ran != S_OK)
        return 19;
    DWORD start = tzm_System.tickCount();
    while (FrameBytesOf(0) == 0)
        if (tzm_System.tickCount() - start > 3000)
            return 21;
    return 0;
}

int tzm_OpenCameras(double frameRate)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (g.opened == 1)
        return 1;
    int attempts = 0;
    for (;;) {
        g.graph = nullptr;
        g.cameraCount = 0;
        for (CameraSlot &slot : g.camera)
            ClearSlot(slot);
        AttemptHeld held;
        int code = OpenAttempt(frameRate, held);
        if (code == 0) {
            g.opened = 1;
            return 0;
        }
        TearDown(held);
        // Only a graph that would not run or deliver is built again, at most twice; any other
        // failure, also one that follows such a retry, is final.
        if ((code != 19 && code != 21) || ++attempts > 2)
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
    ReleaseHeld(g.graph);
    tzm_System.coUninitialize();
    g.opened = 0;
    return stopped ? 0 : 3;
}
