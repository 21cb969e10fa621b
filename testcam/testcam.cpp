// testcam.cpp - a virtual test camera: a DirectShow video source filter in a COM in-process DLL,
// registered as three video input devices (two with plug-and-play names). Each produces 640 x 480
// RGB32 bottom-up frames of its own moving test picture at the negotiated rate, answers the
// capture pin category, offers stream configuration, image and camera properties (kept in a
// state file under C:\users\Public for tests to read) and one property page.
#define STRSAFE_NO_DEPRECATE
#include <windows.h>

#include <dshow.h>
#include <ks.h>
#include <ksproxy.h>
#include <olectl.h>

#include <atomic>
#include <cstdio>
#include <thread>

#include "testcam/picture.h"

#pragma GCC diagnostic ignored "-Wunused-parameter"

// {6A9D3E10-5B7C-4E2A-9C41-7A1B2C3D4E50}
static const CLSID CLSID_TvxTestCam = {0x6a9d3e10, 0x5b7c, 0x4e2a,
                                       {0x9c, 0x41, 0x7a, 0x1b, 0x2c, 0x3d, 0x4e, 0x50}};
// {6A9D3E11-5B7C-4E2A-9C41-7A1B2C3D4E50}
static const CLSID CLSID_TvxTestCamPage = {0x6a9d3e11, 0x5b7c, 0x4e2a,
                                           {0x9c, 0x41, 0x7a, 0x1b, 0x2c, 0x3d, 0x4e, 0x50}};

static HMODULE Module = NULL;
static std::atomic<long> LiveObjects{0};

enum { kFrameBytes = kCamWidth * kCamHeight * 4 };

struct Property {
    long min, max, step, def, caps;   // caps: 1 auto, 2 manual
    long value, flags;
    bool supported;
};

static void MakeMediaType(AM_MEDIA_TYPE *type, REFERENCE_TIME frameTime)
{
    ZeroMemory(type, sizeof *type);
    type->majortype = MEDIATYPE_Video;
    type->subtype = MEDIASUBTYPE_RGB32;
    type->bFixedSizeSamples = TRUE;
    type->lSampleSize = kFrameBytes;
    type->formattype = FORMAT_VideoInfo;
    type->cbFormat = sizeof(VIDEOINFOHEADER);
    type->pbFormat = (BYTE *)CoTaskMemAlloc(sizeof(VIDEOINFOHEADER));
    VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
    ZeroMemory(video, sizeof *video);
    video->AvgTimePerFrame = frameTime;
    video->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    video->bmiHeader.biWidth = kCamWidth;
    video->bmiHeader.biHeight = kCamHeight;   // bottom-up
    video->bmiHeader.biPlanes = 1;
    video->bmiHeader.biBitCount = 32;
    video->bmiHeader.biCompression = BI_RGB;
    video->bmiHeader.biSizeImage = kFrameBytes;
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

static bool IsOurType(const AM_MEDIA_TYPE *type)
{
    if (!IsEqualGUID(type->majortype, MEDIATYPE_Video) ||
        !IsEqualGUID(type->subtype, MEDIASUBTYPE_RGB32) ||
        !IsEqualGUID(type->formattype, FORMAT_VideoInfo) ||
        type->cbFormat < sizeof(VIDEOINFOHEADER) || type->pbFormat == NULL)
        return false;
    const VIDEOINFOHEADER *video = (const VIDEOINFOHEADER *)type->pbFormat;
    return video->bmiHeader.biWidth == kCamWidth && abs(video->bmiHeader.biHeight) == kCamHeight;
}

class TestCamFilter;

class OutputPin : public IPin, public IKsPropertySet, public IAMStreamConfig {
public:
    TestCamFilter *filter;
    IPin *connected = NULL;
    IMemInputPin *input = NULL;
    IMemAllocator *allocator = NULL;
    REFERENCE_TIME frameTime = 333333;

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
        MakeMediaType(type, frameTime);
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
        return IsOurType(type) ? S_OK : S_FALSE;
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
        if (type == NULL || !IsOurType(type))
            return VFW_E_INVALIDMEDIATYPE;
        VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
        if (video->AvgTimePerFrame > 0)
            frameTime = video->AvgTimePerFrame;
        return S_OK;
    }
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE **type) override
    {
        *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
        MakeMediaType(*type, frameTime);
        return S_OK;
    }
    STDMETHODIMP GetNumberOfCapabilities(int *count, int *size) override
    {
        *count = 1;
        *size = sizeof(VIDEO_STREAM_CONFIG_CAPS);
        return S_OK;
    }
    STDMETHODIMP GetStreamCaps(int index, AM_MEDIA_TYPE **type, BYTE *caps) override
    {
        if (index != 0)
            return S_FALSE;
        GetFormat(type);
        VIDEO_STREAM_CONFIG_CAPS *c = (VIDEO_STREAM_CONFIG_CAPS *)caps;
        ZeroMemory(c, sizeof *c);
        c->guid = FORMAT_VideoInfo;
        c->InputSize.cx = c->MinOutputSize.cx = c->MaxOutputSize.cx = kCamWidth;
        c->InputSize.cy = c->MinOutputSize.cy = c->MaxOutputSize.cy = kCamHeight;
        c->MinFrameInterval = 166667;
        c->MaxFrameInterval = 10000000;
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

    void StreamLoop(REFERENCE_TIME startTime)
    {
        LARGE_INTEGER frequency, begin, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&begin);
        REFERENCE_TIME period = pin.frameTime;
        for (uint32_t n = 0; !stopping; n++) {
            IMediaSample *sample = NULL;
            if (pin.allocator == NULL || FAILED(pin.allocator->GetBuffer(&sample, NULL, NULL, 0)))
                break;
            BYTE *data = NULL;
            sample->GetPointer(&data);
            if (data != NULL && sample->GetSize() >= kFrameBytes)
                FillTestPicture(data, camera, n);
            REFERENCE_TIME start = (REFERENCE_TIME)n * period, end = start + period;
            sample->SetTime(&start, &end);
            sample->SetActualDataLength(kFrameBytes);
            sample->SetSyncPoint(TRUE);
            HRESULT hr = pin.input != NULL ? pin.input->Receive(sample) : E_FAIL;
            sample->Release();
            framesSent = n + 1;
            if (FAILED(hr))
                break;
            // Paced from the performance counter: frame n + 1 is due at (n + 1) periods.
            double due = (double)(n + 1) * period / 1e7;
            for (;;) {
                QueryPerformanceCounter(&now);
                double elapsed = (double)(now.QuadPart - begin.QuadPart) / frequency.QuadPart;
                if (stopping || elapsed >= due)
                    break;
                Sleep(elapsed + 0.002 < due ? 1 : 0);
            }
        }
        (void)startTime;
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
        else if (IsEqualIID(iid, IID_ISpecifyPropertyPages))
            *out = static_cast<ISpecifyPropertyPages *>(this);
        else if (IsEqualIID(iid, IID_IAMVideoProcAmp))
            *out = static_cast<IAMVideoProcAmp *>(&procAmp);
        else if (IsEqualIID(iid, IID_IAMCameraControl))
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
        // The instance is told by its friendly name: "TVX Test Camera N".
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        if (SUCCEEDED(bag->Read(L"FriendlyName", &value, NULL)) && value.vt == VT_BSTR) {
            size_t length = wcslen(value.bstrVal);
            if (length > 0 && value.bstrVal[length - 1] >= L'0' && value.bstrVal[length - 1] <= L'9')
                camera = value.bstrVal[length - 1] - L'0';
            VariantClear(&value);
        }
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
            streaming = std::thread([this, start] { StreamLoop(start); });
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
    if (wanted != NULL && !IsEqualGUID(wanted->majortype, GUID_NULL) && !IsOurType(wanted) &&
        !(IsEqualGUID(wanted->majortype, MEDIATYPE_Video) &&
          (IsEqualGUID(wanted->subtype, GUID_NULL) ||
           IsEqualGUID(wanted->subtype, MEDIASUBTYPE_RGB32)) &&
          wanted->cbFormat == 0))
        return VFW_E_TYPE_NOT_ACCEPTED;
    AM_MEDIA_TYPE type;
    MakeMediaType(&type, frameTime);
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
    ALLOCATOR_PROPERTIES asked = {3, kFrameBytes, 1, 0}, got = {};
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

static AM_MEDIA_TYPE *MakeTypeOf(OutputPin *pin)
{
    AM_MEDIA_TYPE *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
    MakeMediaType(type, pin->frameTime);
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

static HRESULT RegisterCameras(bool add)
{
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
        swprintf(name, 64, L"TVX Test Camera %d", n);
        hr = mapper->RegisterFilter(CLSID_TvxTestCam, name, NULL, &CLSID_VideoInputDeviceCategory,
                                    kInstances[n], &filter);
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
