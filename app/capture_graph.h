// capture_graph.h - the camera capture module: every plug-and-play camera in one DirectShow
// graph at 640 x 480 RGB32, each frame kept top-down with its sample time, and the cameras'
// properties as percentages of their ranges.
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

struct CameraSlot {
    IBaseFilter *captureFilter;
    ICaptureGraphBuilder2 *builder;
    IBaseFilter *grabberFilter;
    ISampleGrabber *grabber;
    tzm_SampleGrabberCB *callback;
    IAMVideoProcAmp *procAmp;
    IAMCameraControl *cameraControl;
    int frameWidth, frameHeight;
    FrameSlot frame;   // frame.buffer, frame.frameBytes, frame.sampleTime
    int available[kPropertyCount];
};

struct CaptureGraphRecord {
    int opened;
    int cameraCount;
    IGraphBuilder *graph;
    CameraSlot camera[8];
};
extern CaptureGraphRecord CaptureGraph;

int tzm_OpenCameras(double frameRate);   // 0 running; 1 already open; 2 to 23 (see the .cpp)
int tzm_CloseCameras(void);              // 0 closed; 1 not open; 2 no media control; 3 closed,
                                         // but the graph did not confirm its stop: the frame
                                         // buffers are kept, since streams may still write them
IPin *tzm_FindPin(IBaseFilter *filter, PIN_DIRECTION direction);

double tzm_GetCameraProperty(int property, int *isAuto);   // camera 0, percent; -1.0 unreadable
int tzm_SetCameraProperty(double percent, int property, int camera);
int tzm_SetCameraPropertyAuto(int property, int camera);
int tzm_ShowCameraPropertyPages(int camera);

#endif
