// fake_dshow_stubs.h - the DirectShow methods the fakes do not use, each answering E_NOTIMPL;
// written out from the MinGW headers' interface declarations. Used inside the fake classes.
#pragma once

#define TZM_GRAPH_STUBS \
    STDMETHODIMP RemoveFilter(IBaseFilter *pFilter) override { return E_NOTIMPL; } \
    STDMETHODIMP EnumFilters(IEnumFilters **ppEnum) override { return E_NOTIMPL; } \
    STDMETHODIMP FindFilterByName(LPCWSTR pName, IBaseFilter **ppFilter) override { return E_NOTIMPL; } \
    STDMETHODIMP ConnectDirect(IPin *ppinOut, IPin *ppinIn, const AM_MEDIA_TYPE *pmt) override { return E_NOTIMPL; } \
    STDMETHODIMP Reconnect(IPin *ppin) override { return E_NOTIMPL; } \
    STDMETHODIMP Disconnect(IPin *ppin) override { return E_NOTIMPL; } \
    STDMETHODIMP SetDefaultSyncSource() override { return E_NOTIMPL; } \
    STDMETHODIMP Render(IPin *ppinOut) override { return E_NOTIMPL; } \
    STDMETHODIMP RenderFile(LPCWSTR lpcwstrFile, LPCWSTR lpcwstrPlayList) override { return E_NOTIMPL; } \
    STDMETHODIMP AddSourceFilter(LPCWSTR lpcwstrFileName, LPCWSTR lpcwstrFilterName, IBaseFilter **ppFilter) override { return E_NOTIMPL; } \
    STDMETHODIMP SetLogFile(DWORD_PTR hFile) override { return E_NOTIMPL; } \
    STDMETHODIMP Abort() override { return E_NOTIMPL; } \
    STDMETHODIMP ShouldOperationContinue() override { return E_NOTIMPL; } \
    STDMETHODIMP GetTypeInfoCount(UINT *pctinfo) override { return E_NOTIMPL; } \
    STDMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo **ppTInfo) override { return E_NOTIMPL; } \
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR *rgszNames, UINT cNames, LCID lcid, DISPID *rgDispId) override { return E_NOTIMPL; } \
    STDMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS *pDispParams, VARIANT *pVarResult, EXCEPINFO *pExcepInfo, UINT *puArgErr) override { return E_NOTIMPL; } \
    STDMETHODIMP Pause() override { return E_NOTIMPL; } \
    STDMETHODIMP GetState(LONG msTimeout, OAFilterState *pfs) override { return E_NOTIMPL; } \
    STDMETHODIMP RenderFile(BSTR strFilename) override { return E_NOTIMPL; } \
    STDMETHODIMP AddSourceFilter(BSTR strFilename, IDispatch **ppUnk) override { return E_NOTIMPL; } \
    STDMETHODIMP get_FilterCollection(IDispatch **ppUnk) override { return E_NOTIMPL; } \
    STDMETHODIMP get_RegFilterCollection(IDispatch **ppUnk) override { return E_NOTIMPL; } \
    STDMETHODIMP StopWhenReady() override { return E_NOTIMPL; }

#define TZM_DEVENUM_STUBS \


#define TZM_ENUMMONIKER_STUBS \
    STDMETHODIMP Skip(ULONG celt) override { return E_NOTIMPL; } \
    STDMETHODIMP Reset() override { return E_NOTIMPL; } \
    STDMETHODIMP Clone(IEnumMoniker **ppenum) override { return E_NOTIMPL; }

#define TZM_MONIKER_STUBS \
    STDMETHODIMP GetClassID(CLSID *pClassID) override { return E_NOTIMPL; } \
    STDMETHODIMP IsDirty() override { return E_NOTIMPL; } \
    STDMETHODIMP Load(IStream *pStm) override { return E_NOTIMPL; } \
    STDMETHODIMP Save(IStream *pStm, WINBOOL fClearDirty) override { return E_NOTIMPL; } \
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER *pcbSize) override { return E_NOTIMPL; } \
    STDMETHODIMP Reduce(IBindCtx *pbc, DWORD dwReduceHowFar, IMoniker **ppmkToLeft, IMoniker **ppmkReduced) override { return E_NOTIMPL; } \
    STDMETHODIMP ComposeWith(IMoniker *pmkRight, WINBOOL fOnlyIfNotGeneric, IMoniker **ppmkComposite) override { return E_NOTIMPL; } \
    STDMETHODIMP Enum(WINBOOL fForward, IEnumMoniker **ppenumMoniker) override { return E_NOTIMPL; } \
    STDMETHODIMP IsEqual(IMoniker *pmkOtherMoniker) override { return E_NOTIMPL; } \
    STDMETHODIMP Hash(DWORD *pdwHash) override { return E_NOTIMPL; } \
    STDMETHODIMP IsRunning(IBindCtx *pbc, IMoniker *pmkToLeft, IMoniker *pmkNewlyRunning) override { return E_NOTIMPL; } \
    STDMETHODIMP GetTimeOfLastChange(IBindCtx *pbc, IMoniker *pmkToLeft, FILETIME *pFileTime) override { return E_NOTIMPL; } \
    STDMETHODIMP Inverse(IMoniker **ppmk) override { return E_NOTIMPL; } \
    STDMETHODIMP CommonPrefixWith(IMoniker *pmkOther, IMoniker **ppmkPrefix) override { return E_NOTIMPL; } \
    STDMETHODIMP RelativePathTo(IMoniker *pmkOther, IMoniker **ppmkRelPath) override { return E_NOTIMPL; } \
    STDMETHODIMP ParseDisplayName(IBindCtx *pbc, IMoniker *pmkToLeft, LPOLESTR pszDisplayName, ULONG *pchEaten, IMoniker **ppmkOut) override { return E_NOTIMPL; } \
    STDMETHODIMP IsSystemMoniker(DWORD *pdwMksys) override { return E_NOTIMPL; }

#define TZM_FILTER_STUBS \
    STDMETHODIMP GetClassID(CLSID *pClassID) override { return E_NOTIMPL; } \
    STDMETHODIMP Stop() override { return E_NOTIMPL; } \
    STDMETHODIMP Pause() override { return E_NOTIMPL; } \
    STDMETHODIMP Run(REFERENCE_TIME tStart) override { return E_NOTIMPL; } \
    STDMETHODIMP GetState(DWORD dwMilliSecsTimeout, FILTER_STATE *State) override { return E_NOTIMPL; } \
    STDMETHODIMP SetSyncSource(IReferenceClock *pClock) override { return E_NOTIMPL; } \
    STDMETHODIMP GetSyncSource(IReferenceClock **pClock) override { return E_NOTIMPL; } \
    STDMETHODIMP FindPin(LPCWSTR Id, IPin **ppPin) override { return E_NOTIMPL; } \
    STDMETHODIMP JoinFilterGraph(IFilterGraph *pGraph, LPCWSTR pName) override { return E_NOTIMPL; } \
    STDMETHODIMP QueryVendorInfo(LPWSTR *pVendorInfo) override { return E_NOTIMPL; }

#define TZM_ENUMPINS_STUBS \
    STDMETHODIMP Skip(ULONG cPins) override { return E_NOTIMPL; } \
    STDMETHODIMP Reset() override { return E_NOTIMPL; } \
    STDMETHODIMP Clone(IEnumPins **ppEnum) override { return E_NOTIMPL; }

#define TZM_PIN_STUBS \
    STDMETHODIMP Connect(IPin *pReceivePin, const AM_MEDIA_TYPE *pmt) override { return E_NOTIMPL; } \
    STDMETHODIMP ReceiveConnection(IPin *pConnector, const AM_MEDIA_TYPE *pmt) override { return E_NOTIMPL; } \
    STDMETHODIMP Disconnect() override { return E_NOTIMPL; } \
    STDMETHODIMP ConnectedTo(IPin **pPin) override { return E_NOTIMPL; } \
    STDMETHODIMP ConnectionMediaType(AM_MEDIA_TYPE *pmt) override { return E_NOTIMPL; } \
    STDMETHODIMP QueryPinInfo(PIN_INFO *pInfo) override { return E_NOTIMPL; } \
    STDMETHODIMP QueryId(LPWSTR *Id) override { return E_NOTIMPL; } \
    STDMETHODIMP QueryAccept(const AM_MEDIA_TYPE *pmt) override { return E_NOTIMPL; } \
    STDMETHODIMP EnumMediaTypes(IEnumMediaTypes **ppEnum) override { return E_NOTIMPL; } \
    STDMETHODIMP QueryInternalConnections(IPin **apPin, ULONG *nPin) override { return E_NOTIMPL; } \
    STDMETHODIMP EndOfStream() override { return E_NOTIMPL; } \
    STDMETHODIMP BeginFlush() override { return E_NOTIMPL; } \
    STDMETHODIMP EndFlush() override { return E_NOTIMPL; } \
    STDMETHODIMP NewSegment(REFERENCE_TIME tStart, REFERENCE_TIME tStop, double dRate) override { return E_NOTIMPL; }

#define TZM_BUILDER_STUBS \
    STDMETHODIMP GetFiltergraph(IGraphBuilder **ppfg) override { return E_NOTIMPL; } \
    STDMETHODIMP SetOutputFileName(const GUID *pType, LPCOLESTR lpstrFile, IBaseFilter **ppf, IFileSinkFilter **ppSink) override { return E_NOTIMPL; } \
    STDMETHODIMP RenderStream(const GUID *pCategory, const GUID *pType, IUnknown *pSource, IBaseFilter *pfCompressor, IBaseFilter *pfRenderer) override { return E_NOTIMPL; } \
    STDMETHODIMP ControlStream(const GUID *pCategory, const GUID *pType, IBaseFilter *pFilter, REFERENCE_TIME *pstart, REFERENCE_TIME *pstop, WORD wStartCookie, WORD wStopCookie) override { return E_NOTIMPL; } \
    STDMETHODIMP AllocCapFile(LPCOLESTR lpstr, DWORDLONG dwlSize) override { return E_NOTIMPL; } \
    STDMETHODIMP CopyCaptureFile(LPOLESTR lpwstrOld, LPOLESTR lpwstrNew, int fAllowEscAbort, IAMCopyCaptureFileProgress *pCallback) override { return E_NOTIMPL; } \
    STDMETHODIMP FindPin(IUnknown *pSource, PIN_DIRECTION pindir, const GUID *pCategory, const GUID *pType, WINBOOL fUnconnected, int num, IPin **ppPin) override { return E_NOTIMPL; }

#define TZM_CONFIG_STUBS \
    STDMETHODIMP GetNumberOfCapabilities(int *piCount, int *piSize) override { return E_NOTIMPL; } \
    STDMETHODIMP GetStreamCaps(int iIndex, AM_MEDIA_TYPE **pmt, BYTE *pSCC) override { return E_NOTIMPL; }

#define TZM_GRABBER_STUBS \
    STDMETHODIMP GetConnectedMediaType(AM_MEDIA_TYPE *pType) override { return E_NOTIMPL; } \
    STDMETHODIMP GetCurrentBuffer(LONG *pBufferSize, LONG *pBuffer) override { return E_NOTIMPL; } \
    STDMETHODIMP GetCurrentSample(IMediaSample **ppSample) override { return E_NOTIMPL; }

