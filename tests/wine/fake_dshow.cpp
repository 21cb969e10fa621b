// fake_dshow.cpp - the fake DirectShow objects. Call names that can fail: CoInit, GraphCreate,
// DevEnumCreate, ClassEnum, DisplayName, Bind, AddCapture, BuilderCreate, SetFiltergraph,
// FindInterface, SetFormat, GrabberCreate, GrabberQI, SetMediaType, AddGrabber, Connect,
// SetBufferSamples, SetOneShot, MediaControl, Run, NoFrame, SetCallback, ProcAmp,
// CameraControl, Pages, Stop.
#include "fake_dshow.h"

#include <cstring>

#include "fake_dshow_stubs.h"

FakeWorld World;

static const CLSID kGrabberClsid = {0xC1F400A0, 0x3F08, 0x11d3,
                                    {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};

struct Counted {
    LONG ref = 1;
    Counted() { World.live++; }
    virtual ~Counted() { World.live--; }
    ULONG Add() { return (ULONG)++ref; }
    ULONG Drop()
    {
        ULONG left = (ULONG)--ref;
        if (left == 0)
            delete this;
        return left;
    }
};
#define TZM_COUNTED                                               \
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }      \
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
// Counted, answering IUnknown and the one interface it implements.
#define TZM_COUNTED_AS(Interface)                                                     \
    TZM_COUNTED                                                                       \
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override                      \
    {                                                                                 \
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_##Interface))        \
            return Give(static_cast<Interface *>(this), out);                         \
        return E_NOINTERFACE;                                                         \
    }

template <typename T> static HRESULT Give(T *object, void **out)
{
    object->AddRef();
    *out = object;
    return S_OK;
}

struct FakePin : IPin, Counted {
    PIN_DIRECTION direction;
    explicit FakePin(PIN_DIRECTION d) : direction(d) {}
    TZM_COUNTED_AS(IPin)
    STDMETHODIMP QueryDirection(PIN_DIRECTION *d) override
    {
        *d = direction;
        return S_OK;
    }
    TZM_PIN_STUBS
};

struct FakeEnumPins : IEnumPins, Counted {
    std::vector<FakePin *> pins;
    size_t next = 0;
    ~FakeEnumPins() override
    {
        for (FakePin *pin : pins)
            pin->Release();
    }
    TZM_COUNTED_AS(IEnumPins)
    STDMETHODIMP Next(ULONG count, IPin **out, ULONG *fetched) override
    {
        if (next >= pins.size())
            return S_FALSE;
        pins[next]->AddRef();
        out[0] = pins[next++];
        if (fetched)
            *fetched = 1;
        return S_OK;
    }
    TZM_ENUMPINS_STUBS
};

// Pins of a filter, camera and grabber alike: an input pin first, then an output, so that the
// direction test of the pin search matters.
static IEnumPins *MakePins(void)
{
    FakeEnumPins *pins = new FakeEnumPins();
    pins->pins.push_back(new FakePin(PINDIR_INPUT));
    pins->pins.push_back(new FakePin(PINDIR_OUTPUT));
    return pins;
}

template <typename Interface> struct FakeProps : Interface, Counted {
    int camera, offset;
    FakeProps(int c, int o) : camera(c), offset(o) {}
    TZM_COUNTED
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown))
            return Give(static_cast<Interface *>(this), out);
        return E_NOINTERFACE;
    }
    FakeProperty &At(LONG p) { return World.props[camera][offset + p]; }
    STDMETHODIMP GetRange(LONG p, LONG *min, LONG *max, LONG *step, LONG *def,
                          LONG *caps) override
    {
        World.rangeCalls++;
        if (At(p).rangeFails)
            return E_PROP_ID_UNSUPPORTED;
        *min = At(p).min;
        *max = At(p).max;
        *step = 1;
        *def = At(p).min;
        *caps = 3;
        return S_OK;
    }
    STDMETHODIMP Set(LONG p, LONG value, LONG flags) override
    {
        if (At(p).setFails)
            return E_INVALIDARG;
        At(p).value = value;
        At(p).flags = flags;
        return S_OK;
    }
    STDMETHODIMP Get(LONG p, LONG *value, LONG *flags) override
    {
        *value = At(p).value;
        *flags = At(p).flags;
        return S_OK;
    }
};

struct FakeCaptureFilter : IBaseFilter, ISpecifyPropertyPages, Counted {
    int camera;
    explicit FakeCaptureFilter(int c) : camera(c) {}
    TZM_COUNTED
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBaseFilter))
            return Give(static_cast<IBaseFilter *>(this), out);
        if (IsEqualIID(iid, IID_ISpecifyPropertyPages) && !World.Fails("Pages"))
            return Give(static_cast<ISpecifyPropertyPages *>(this), out);
        if (IsEqualIID(iid, IID_IAMVideoProcAmp) && !World.Fails("ProcAmp")) {
            *out = static_cast<IAMVideoProcAmp *>(new FakeProps<IAMVideoProcAmp>(camera, 0));
            return S_OK;
        }
        if (IsEqualIID(iid, IID_IAMCameraControl) && !World.Fails("CameraControl")) {
            *out = static_cast<IAMCameraControl *>(new FakeProps<IAMCameraControl>(camera, 10));
            return S_OK;
        }
        return E_NOINTERFACE;
    }
    STDMETHODIMP EnumPins(IEnumPins **out) override
    {
        *out = MakePins();
        return S_OK;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO *info) override
    {
        swprintf(info->achName, MAX_FILTER_NAME, L"Video Capture %d", camera);
        info->pGraph = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetPages(CAUUID *pages) override
    {
        pages->cElems = 1;
        pages->pElems = (GUID *)CoTaskMemAlloc(sizeof(GUID));
        pages->pElems[0] = IID_IUnknown;
        return S_OK;
    }
    TZM_FILTER_STUBS
};

struct FakeGrabber : IBaseFilter, ISampleGrabber, Counted {
    ISampleGrabberCB *callback = nullptr;
    TZM_COUNTED
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBaseFilter))
            return Give(static_cast<IBaseFilter *>(this), out);
        if (IsEqualIID(iid, IID_ISampleGrabber) && !World.Fails("GrabberQI"))
            return Give(static_cast<ISampleGrabber *>(this), out);
        return E_NOINTERFACE;
    }
    STDMETHODIMP EnumPins(IEnumPins **out) override
    {
        *out = MakePins();
        return S_OK;
    }
    STDMETHODIMP QueryFilterInfo(FILTER_INFO *info) override { return E_NOTIMPL; }
    STDMETHODIMP SetOneShot(WINBOOL) override { return World.Fails("SetOneShot") ? E_FAIL : S_OK; }
    STDMETHODIMP SetMediaType(const AM_MEDIA_TYPE *type) override
    {
        bool rgb32 = IsEqualGUID(type->subtype, MEDIASUBTYPE_RGB32) &&
                     IsEqualGUID(type->formattype, FORMAT_VideoInfo);
        return World.Fails("SetMediaType") || !rgb32 ? E_FAIL : S_OK;
    }
    STDMETHODIMP SetBufferSamples(WINBOOL) override
    {
        return World.Fails("SetBufferSamples") ? E_FAIL : S_OK;
    }
    STDMETHODIMP SetCallback(ISampleGrabberCB *cb, LONG which) override
    {
        if (World.Fails("SetCallback") || which != 1)
            return E_FAIL;
        callback = cb;
        return S_OK;
    }
    TZM_FILTER_STUBS
    TZM_GRABBER_STUBS
};

struct FakeConfig : IAMStreamConfig, Counted {
    TZM_COUNTED_AS(IAMStreamConfig)
    STDMETHODIMP GetFormat(AM_MEDIA_TYPE **out) override
    {
        AM_MEDIA_TYPE *type = (AM_MEDIA_TYPE *)CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE));
        memset(type, 0, sizeof *type);
        type->majortype = MEDIATYPE_Video;
        type->formattype = FORMAT_VideoInfo;
        type->cbFormat = sizeof(VIDEOINFOHEADER);
        type->pbFormat = (BYTE *)CoTaskMemAlloc(sizeof(VIDEOINFOHEADER));
        memset(type->pbFormat, 0, sizeof(VIDEOINFOHEADER));
        ((VIDEOINFOHEADER *)type->pbFormat)->bmiHeader.biWidth = 320;
        *out = type;
        return S_OK;
    }
    STDMETHODIMP SetFormat(AM_MEDIA_TYPE *type) override
    {
        if (World.Fails("SetFormat"))
            return E_FAIL;
        VIDEOINFOHEADER *video = (VIDEOINFOHEADER *)type->pbFormat;
        World.formatWidth = video->bmiHeader.biWidth;
        World.formatHeight = video->bmiHeader.biHeight;
        World.formatTime = video->AvgTimePerFrame;
        return S_OK;
    }
    TZM_CONFIG_STUBS
};

struct FakeBuilder : ICaptureGraphBuilder2, Counted {
    TZM_COUNTED_AS(ICaptureGraphBuilder2)
    STDMETHODIMP SetFiltergraph(IGraphBuilder *) override
    {
        return World.Fails("SetFiltergraph") ? E_FAIL : S_OK;
    }
    STDMETHODIMP FindInterface(const GUID *category, const GUID *type, IBaseFilter *filter,
                               REFIID iid, void **out) override
    {
        if (World.Fails("FindInterface") || !IsEqualIID(iid, IID_IAMStreamConfig) ||
            !IsEqualGUID(*category, PIN_CATEGORY_CAPTURE))
            return E_NOINTERFACE;
        *out = static_cast<IAMStreamConfig *>(new FakeConfig());
        return S_OK;
    }
    TZM_BUILDER_STUBS
};

struct FakeGraph : IGraphBuilder, IMediaControl, Counted {
    std::vector<IBaseFilter *> filters;
    FakeGraph() { World.graphs++; }
    ~FakeGraph() override
    {
        for (IBaseFilter *filter : filters)
            filter->Release();
    }
    TZM_COUNTED
    STDMETHODIMP QueryInterface(REFIID iid, void **out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IGraphBuilder) ||
            IsEqualIID(iid, IID_IFilterGraph))
            return Give(static_cast<IGraphBuilder *>(this), out);
        if (IsEqualIID(iid, IID_IMediaControl) && !World.Fails("MediaControl"))
            return Give(static_cast<IMediaControl *>(this), out);
        return E_NOINTERFACE;
    }
    STDMETHODIMP AddFilter(IBaseFilter *filter, LPCWSTR name) override
    {
        bool camera = wcsncmp(name, L"Video Capture", 13) == 0;
        if (World.Fails(camera ? "AddCapture" : "AddGrabber"))
            return E_FAIL;
        filter->AddRef();
        filters.push_back(filter);
        return S_OK;
    }
    STDMETHODIMP Connect(IPin *out, IPin *in) override
    {
        PIN_DIRECTION a, b;
        out->QueryDirection(&a);
        in->QueryDirection(&b);
        return World.Fails("Connect") || a != PINDIR_OUTPUT || b != PINDIR_INPUT ? E_FAIL
                                                                                 : S_OK;
    }
    // Running delivers one frame from every grabber at once, unless told otherwise.
    STDMETHODIMP Run() override
    {
        World.runs++;
        if (World.Fails("Run"))
            return S_FALSE;
        if (!World.Fails("NoFrame")) {
            static std::vector<BYTE> sample(kFrameBufferBytes, 0x5A);
            for (IBaseFilter *filter : filters) {
                ISampleGrabber *grabber = nullptr;
                if (SUCCEEDED(filter->QueryInterface(IID_ISampleGrabber, (void **)&grabber))) {
                    FakeGrabber *fake = static_cast<FakeGrabber *>(grabber);
                    if (fake->callback)
                        fake->callback->BufferCB(0.2, sample.data(), kFrameBufferBytes);
                    grabber->Release();
                }
            }
        }
        return S_OK;
    }
    STDMETHODIMP Stop() override
    {
        World.stops++;
        return World.Fails("Stop") ? S_FALSE : S_OK;   // S_FALSE: still stopping
    }
    TZM_GRAPH_STUBS
};

// A device's properties: Wine's capture devices ("@device:cm:" names here) name Wine's capture
// filter as their class and carry Wine's device index; the others have only a friendly name.
struct FakeBag : IPropertyBag, Counted {
    size_t index;
    explicit FakeBag(size_t i) : index(i) {}
    TZM_COUNTED_AS(IPropertyBag)
    STDMETHODIMP Read(LPCOLESTR name, VARIANT *value, IErrorLog *) override
    {
        bool wine = World.devices[index].rfind(L"@device:cm:", 0) == 0;
        if (wcscmp(name, L"FriendlyName") == 0) {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(wine ? L"Fake Webcam" : L"Fake Camera");
        } else if (wine && wcscmp(name, L"CLSID") == 0) {
            value->vt = VT_BSTR;
            value->bstrVal = SysAllocString(L"{1b544c22-fd0b-11ce-8c63-00aa0044b51e}");
        } else if (wine && wcscmp(name, L"VFWIndex") == 0) {
            value->vt = VT_I4;
            value->lVal = (LONG)index;
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT *) override { return E_NOTIMPL; }
};

struct FakeMoniker : IMoniker, Counted {
    size_t index;
    explicit FakeMoniker(size_t i) : index(i) {}
    TZM_COUNTED_AS(IMoniker)
    STDMETHODIMP GetDisplayName(IBindCtx *, IMoniker *, LPOLESTR *name) override
    {
        if (World.Fails("DisplayName"))
            return E_FAIL;
        const std::wstring &text = World.devices[index];
        *name = (LPOLESTR)CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t));
        wcscpy(*name, text.c_str());
        return S_OK;
    }
    STDMETHODIMP BindToObject(IBindCtx *, IMoniker *, REFIID iid, void **out) override
    {
        World.binds++;
        bool wine = World.devices[index].rfind(L"@device:cm:", 0) == 0;
        if (World.Fails("Bind") || (wine && World.Fails("BindWine")))   // Wine without libv4l2
            return E_FAIL;
        FakeCaptureFilter *filter = new FakeCaptureFilter(World.binds - 1);
        HRESULT hr = filter->QueryInterface(iid, out);
        filter->Release();
        return hr;
    }
    STDMETHODIMP BindToStorage(IBindCtx *, IMoniker *, REFIID iid, void **out) override
    {
        FakeBag *bag = new FakeBag(index);
        HRESULT hr = bag->QueryInterface(iid, out);
        bag->Release();
        return hr;
    }
    TZM_MONIKER_STUBS
};

struct FakeEnumMoniker : IEnumMoniker, Counted {
    size_t next = 0;
    TZM_COUNTED_AS(IEnumMoniker)
    STDMETHODIMP Next(ULONG, IMoniker **out, ULONG *) override
    {
        World.nextCalls++;
        if (next >= World.devices.size())
            return S_FALSE;
        *out = new FakeMoniker(next++);
        return S_OK;
    }
    TZM_ENUMMONIKER_STUBS
};

struct FakeDevEnum : ICreateDevEnum, Counted {
    TZM_COUNTED_AS(ICreateDevEnum)
    STDMETHODIMP CreateClassEnumerator(REFCLSID category, IEnumMoniker **out, DWORD) override
    {
        if (World.Fails("ClassEnum") || !IsEqualGUID(category, CLSID_VideoInputDeviceCategory)) {
            *out = nullptr;
            return S_FALSE;
        }
        *out = new FakeEnumMoniker();
        return S_OK;
    }
    TZM_DEVENUM_STUBS
};

static HRESULT WINAPI FakeInit(LPVOID)
{
    World.inits++;
    return World.Fails("CoInit") ? S_FALSE : S_OK;
}
static void WINAPI FakeUninit(void) { World.uninits++; }
static DWORD WINAPI FakeTicks(void) { return World.ticks += 100; }

// Gives the new object's interface iid and drops the creation reference.
static HRESULT Offer(IUnknown *object, REFIID iid, void **out)
{
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
}

static HRESULT WINAPI FakeCreate(REFCLSID clsid, LPUNKNOWN, DWORD, REFIID iid, LPVOID *out)
{
    *out = nullptr;
    if (IsEqualCLSID(clsid, CLSID_FilterGraph))
        return World.Fails("GraphCreate")
                   ? E_OUTOFMEMORY
                   : Offer(static_cast<IGraphBuilder *>(new FakeGraph()), iid, out);
    if (IsEqualCLSID(clsid, CLSID_SystemDeviceEnum))
        return World.Fails("DevEnumCreate") ? E_OUTOFMEMORY
                                            : Offer(new FakeDevEnum(), iid, out);
    if (IsEqualCLSID(clsid, CLSID_CaptureGraphBuilder2))
        return World.Fails("BuilderCreate") ? E_OUTOFMEMORY : Offer(new FakeBuilder(), iid, out);
    if (IsEqualCLSID(clsid, kGrabberClsid))
        return World.Fails("GrabberCreate")
                   ? E_OUTOFMEMORY
                   : Offer(static_cast<IBaseFilter *>(new FakeGrabber()), iid, out);
    return REGDB_E_CLASSNOTREG;
}

static HRESULT WINAPI FakeFrame(HWND, UINT, UINT, LPCOLESTR caption, ULONG, LPUNKNOWN *, ULONG pages,
                                LPCLSID, LCID, DWORD, LPVOID)
{
    World.frameCaption = caption;
    World.framePages = pages;
    return S_OK;
}

static BOOL FakeUnderWine(void) { return World.underWine; }

void UseFakeWorld(const std::vector<std::wstring> &devices)
{
    World = FakeWorld();
    World.devices = devices;
    tzm_System = {FakeInit, FakeUninit, FakeCreate, FakeTicks, FakeFrame, FakeUnderWine};
}
