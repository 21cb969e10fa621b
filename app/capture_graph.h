// capture_graph.h - the camera capture module: every plug-and-play camera (and, under Wine,
// every camera of Wine's own capture filter) in one DirectShow graph at 640 x 480 (or a size a
// program asks for), each frame
// kept top-down as RGB32 with its sample time whatever the camera delivers, the cameras'
// identities, and their properties as percentages of their ranges.
#ifndef TZM_CAPTURE_GRAPH_H
#define TZM_CAPTURE_GRAPH_H

#define STRSAFE_NO_DEPRECATE
#include <windows.h>

#include <dshow.h>
#include <qedit.h>

#include "app/capture_rules.h"

// The system calls the module makes outside its COM objects; tests replace them.
struct CaptureSystem {
    HRESULT(WINAPI *coInitialize)(LPVOID reserved);
    void(WINAPI *coUninitialize)(void);
    HRESULT(WINAPI *coCreateInstance)(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                      LPVOID *object);
    DWORD(WINAPI *tickCount)(void);
    HRESULT(WINAPI *oleCreatePropertyFrame)(HWND owner, UINT x, UINT y, LPCOLESTR caption,
                                            ULONG objects, LPUNKNOWN *units, ULONG pages,
                                            LPCLSID pageIds, LCID locale, DWORD reserved,
                                            LPVOID reservedPointer);
    BOOL (*underWine)(void);   // Wine's own capture devices are taken only there
};
extern CaptureSystem tzm_System;
void tzm_UseRealSystem(void);

// Receives one camera's samples on its streaming thread.
class tzm_SampleGrabberCB final : public ISampleGrabberCB {
public:
    int cameraIndex = 0;
    double lastSeenTime = 0.0;   // written by the consumer of frames, never by the callback

    STDMETHODIMP QueryInterface(REFIID iid, void **object) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }    // owned by the module
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP SampleCB(double, IMediaSample *) override { return S_OK; }
    STDMETHODIMP BufferCB(double sampleTime, BYTE *buffer, long length) override;
};

enum { kMostOffers = 32 };

struct CameraSlot {
    IBaseFilter *captureFilter;
    ICaptureGraphBuilder2 *builder;
    IBaseFilter *grabberFilter;
    ISampleGrabber *grabber;
    tzm_SampleGrabberCB *callback;
    IAMVideoProcAmp *procAmp;
    IAMCameraControl *cameraControl;
    int frameWidth, frameHeight;
    FrameSlot frame;   // frame.buffer, frame.frameBytes, frame.sampleTime; frame.format
    CapabilityOffer offers[kMostOffers];   // what its capability list offers, known subtypes
    int offerCount;
    int available[kPropertyCount];
    // Who the camera is: its friendly name, and the most stable identity it has (the device
    // path; under Wine, which gives none, the friendly name with Wine's device index; else the
    // display name). Narrow text in the system code page.
    char friendlyName[256];
    char identity[512];
    double frameRate;   // the rate the camera was set to; 0 where it does not say
    int conversion;     // a FrameConversion
};

enum FrameConversion {
    kFramePlain = 0,         // the camera's own 640 x 480 RGB32
    kFrameConverted = 1,     // converted from its format in the callback
    kFrameGraphFilter = 2,   // converted by a filter the graph put between camera and grabber
};

struct CaptureGraphRecord {
    int opened;
    int cameraCount;
    IGraphBuilder *graph;
    CameraSlot camera[8];
    IReferenceClock *clock;    // the graph's clock, for samples that carry no time
    REFERENCE_TIME runStart;   // its time just before Run: stream time 0
    char openNote[1024];       // devices the last open found but could not open, one a line
};
extern CaptureGraphRecord CaptureGraph;

// 0 running; 1 already open; 2 to 21 a step of the open failed (COM, graph, devices, format,
// grabber, connection, run, first frame); 24 a camera offers no format of the frame size or more
// that the module can convert.
int tzm_OpenCameras(double frameRate);
int tzm_CloseCameras(void);              // 0 closed; 1 not open; 2 no media control; 3 closed,
                                         // but the graph did not confirm its stop: the frame
                                         // buffers are kept, since streams may still write them
// The size of the frames from the next open on (640 x 480 until a program asks): 0, or 1 for a
// size the module does not take (IsUsableFrameSize), which changes nothing.
int tzm_SetFrameSize(int width, int height);
// The size of the open cameras' frames; when none is open, the size of the next open.
FrameSize tzm_FrameSize(void);
// The sizes every open camera offers (CommonFrameSizes): their count, 640 x 480 first; 640 x 480
// alone when none is open.
int tzm_CommonFrameSizes(FrameSize *sizes, int most);
IPin *tzm_FindPin(IBaseFilter *filter, PIN_DIRECTION direction);
// One line on an open camera: "name [identity] YUY2 640x480 30.0 fps, converted"; 1 when the
// module is not open or the camera is not one of its cameras.
int tzm_DescribeCamera(int camera, char *text, int size);
// What the last open passed over that the user should know of ("" when nothing): webcams Wine
// lists but cannot open, which happens where libv4l-0 is missing.
const char *tzm_OpenNote(void);

// Pairs taken in sync. From the next open on, every camera keeps its last kRecentFrames frames
// with their times (all on the graph's clock; sources without times are timed by arrival).
void tzm_KeepRecentFrames(int on);
// Copies the frames of cameras 0 and 1 that lie nearest in time among the recent ones (the
// newest such pair) into frame0 and frame1, a frame's bytes each, with their times in
// seconds: 0 done; 1 not open, fewer than two cameras or no buffer; 2 no recent frames yet.
int tzm_TakeSyncedPair(uint8_t *frame0, uint8_t *frame1, double *time0, double *time1);

// The times of the pair tzm_TakeSyncedPair would take now: 0, or its failure code.

// How much longer camera takes to deliver a frame than it was exposed, beyond the others (a sync
// check measures it), from now on and for every open: pairs are matched, and their times given,
// by exposure time. 0 done; 1 no such camera or over a second either way.
int tzm_SetCameraDelay(int camera, double seconds);
int tzm_SyncedPairTimes(double *time0, double *time1);

double tzm_GetCameraProperty(int property, int *isAuto);   // camera 0, percent; -1.0 unreadable
int tzm_SetCameraProperty(double percent, int property, int camera);
int tzm_SetCameraPropertyAuto(int property, int camera);
int tzm_ShowCameraPropertyPages(int camera);

#endif
