// camera_properties.cpp - the cameras' image-quality and camera-control properties as
// percentages of their ranges, automatic mode, and the driver's property pages.
#include "app/capture_graph.h"

// Range and value of property number p of a camera through the interface that holds it.
static HRESULT GetRange(CameraSlot &slot, int p, long *min, long *max)
{
    long step, def, flags;
    long index = PropertyIndexInSet(p);
    return IsCameraControlProperty(p)
               ? slot.cameraControl->GetRange(index, min, max, &step, &def, &flags)
               : slot.procAmp->GetRange(index, min, max, &step, &def, &flags);
}

static HRESULT GetValue(CameraSlot &slot, int p, long *value, long *flags)
{
    long index = PropertyIndexInSet(p);
    return IsCameraControlProperty(p) ? slot.cameraControl->Get(index, value, flags)
                                      : slot.procAmp->Get(index, value, flags);
}

static HRESULT SetValue(CameraSlot &slot, int p, long value, long flags)
{
    long index = PropertyIndexInSet(p);
    return IsCameraControlProperty(p) ? slot.cameraControl->Set(index, value, flags)
                                      : slot.procAmp->Set(index, value, flags);
}

double tzm_GetCameraProperty(int property, int *isAuto)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || g.cameraCount <= 0 || (unsigned)property >= kPropertyCount ||
        !g.camera[0].available[property])
        return -1.0;
    long min, max, value, flags;
    if (FAILED(GetRange(g.camera[0], property, &min, &max)) ||
        FAILED(GetValue(g.camera[0], property, &value, &flags)))
        return -1.0;
    if (isAuto != nullptr)
        *isAuto = (int)(flags & 1);
    return PropertyPercent(value, min, max);
}

// The checks shared by the setters: 0, or the code of the first one that fails.
static int CheckSetter(int property, int camera)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || camera < 0 || camera >= g.cameraCount)
        return 1;
    if ((unsigned)property >= kPropertyCount)
        return 2;
    if (!g.camera[camera].available[property])
        return 3;
    return 0;
}

int tzm_SetCameraProperty(double percent, int property, int camera)
{
    int code = CheckSetter(property, camera);
    if (code != 0)
        return code;
    CameraSlot &slot = CaptureGraph.camera[camera];
    long min, max;
    if (FAILED(GetRange(slot, property, &min, &max)))
        return 4;
    if (FAILED(SetValue(slot, property, PropertyValue(percent, min, max), 2)))
        return 5;
    return 0;
}

int tzm_SetCameraPropertyAuto(int property, int camera)
{
    int code = CheckSetter(property, camera);
    if (code != 0)
        return code;
    CameraSlot &slot = CaptureGraph.camera[camera];
    long min, max, value = 0, flags;
    if (FAILED(GetRange(slot, property, &min, &max)))
        return 4;
    GetValue(slot, property, &value, &flags);
    if (FAILED(SetValue(slot, property, value, 1)))
        return 5;
    return 0;
}

int tzm_ShowCameraPropertyPages(int camera)
{
    CaptureGraphRecord &g = CaptureGraph;
    if (!g.opened || camera < 0 || camera >= g.cameraCount)
        return 1;
    IBaseFilter *filter = g.camera[camera].captureFilter;
    ISpecifyPropertyPages *specify = nullptr;
    if (FAILED(filter->QueryInterface(IID_ISpecifyPropertyPages, (void **)&specify)) ||
        specify == nullptr)
        return 2;
    FILTER_INFO info = {};
    filter->QueryFilterInfo(&info);
    IUnknown *unknown = nullptr;
    filter->QueryInterface(IID_IUnknown, (void **)&unknown);
    CAUUID pages = {};
    specify->GetPages(&pages);
    specify->Release();
    tzm_System.oleCreatePropertyFrame(NULL, 0, 0, info.achName, 1, &unknown, pages.cElems,
                                      pages.pElems, 0, 0, nullptr);
    if (unknown != nullptr)
        unknown->Release();
    if (info.pGraph != nullptr)
        info.pGraph->Release();
    CoTaskMemFree(pages.pElems);
    return 0;
}
