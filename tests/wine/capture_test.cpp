// The capture module on Wine's real DirectShow with the test cameras, and its early failures
// through the system seam, with every reference and COM start balanced.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_graph.h"

// Counts COM starts and stops, can fail chosen creations, and keeps one reference of its own to
// every object it creates, so a test can tell whether the module released all of its own.
struct SeamLog {
    int inits = 0, uninits = 0;
    HRESULT initResult = S_OK;
    CLSID failCreate = {};
    bool failOne = false;
    std::vector<IUnknown *> created;
};
static SeamLog Seam;

static HRESULT WINAPI CountingInit(LPVOID reserved)
{
    Seam.inits++;
    HRESULT real = CoInitialize(reserved);
    return Seam.initResult != S_OK ? Seam.initResult : real;
}
static void WINAPI CountingUninit(void)
{
    Seam.uninits++;
    CoUninitialize();
}
static HRESULT WINAPI FailingCreate(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                                    LPVOID *object)
{
    if (Seam.failOne && IsEqualCLSID(clsid, Seam.failCreate))
        return E_OUTOFMEMORY;
    HRESULT hr = CoCreateInstance(clsid, outer, context, iid, object);
    if (SUCCEEDED(hr) && *object != nullptr) {
        ((IUnknown *)*object)->AddRef();
        Seam.created.push_back((IUnknown *)*object);
    }
    return hr;
}

static void UseSeam()
{
    Seam = SeamLog();
    tzm_UseRealSystem();
    tzm_System.coInitialize = CountingInit;
    tzm_System.coUninitialize = CountingUninit;
    tzm_System.coCreateInstance = FailingCreate;
}

// Releases the seam's own references, newest first (a builder holds the graph made before it);
// each must be the last one left. Some system objects do not count references (Wine's device
// enumerator is one object whose AddRef always answers the same): those are only released.
static void ExpectReleasedInOrder(const std::vector<size_t> &order)
{
    for (size_t i : order) {
        IUnknown *object = Seam.created[i];
        ULONG a = object->AddRef(), b = object->AddRef();
        object->Release();
        object->Release();
        if (a == b) {
            object->Release();
            continue;
        }
        EXPECT_EQ(0u, object->Release()) << "object " << i;
    }
    Seam.created.clear();
}

static void ExpectAllReleased()
{
    std::vector<size_t> newestFirst;
    for (size_t i = Seam.created.size(); i-- > 0;)
        newestFirst.push_back(i);
    ExpectReleasedInOrder(newestFirst);
}

TEST(Capture, OpenAndCloseOnRealDirectShowReleaseEveryObjectAndCom)
{
    // The virtual test cameras are registered in the test prefix (scripts/test).
    UseSeam();
    ASSERT_EQ(0, tzm_OpenCameras(30.0));
    EXPECT_EQ(2, CaptureGraph.cameraCount);
    EXPECT_EQ(1, tzm_OpenCameras(30.0));
    EXPECT_EQ(0, tzm_CloseCameras());
    EXPECT_EQ(0, CaptureGraph.opened);
    EXPECT_EQ(1, Seam.inits);
    EXPECT_EQ(1, Seam.uninits);
    // Made in this order: the graph, the device enumerator, and a builder and a grabber per
    // camera. The builders hold the graph and the graph holds the grabbers, so they go first.
    ASSERT_EQ(6u, Seam.created.size());
    ExpectReleasedInOrder({4, 2, 1, 0, 5, 3});
    EXPECT_EQ(1, tzm_CloseCameras());
    EXPECT_DOUBLE_EQ(-1.0, tzm_GetCameraProperty(16, nullptr));
    EXPECT_EQ(1, tzm_SetCameraProperty(50, 16, 0));
    EXPECT_EQ(1, tzm_SetCameraPropertyAuto(16, 0));
    EXPECT_EQ(1, tzm_ShowCameraPropertyPages(0));
    // COM is no longer started on this thread by the module.
    EXPECT_EQ(S_OK, CoInitialize(nullptr));
    CoUninitialize();
}

TEST(Capture, EarlyFailuresGiveTheirCodesAndBalanceCom)
{
    UseSeam();
    Seam.initResult = S_FALSE;   // COM was already started: refused, yet the count balances
    EXPECT_EQ(2, tzm_OpenCameras(30.0));
    EXPECT_EQ(1, Seam.inits);
    EXPECT_EQ(1, Seam.uninits);

    UseSeam();
    Seam.failOne = true;
    Seam.failCreate = CLSID_FilterGraph;
    EXPECT_EQ(3, tzm_OpenCameras(30.0));
    EXPECT_EQ(1, Seam.uninits);
    ExpectAllReleased();

    UseSeam();
    Seam.failOne = true;
    Seam.failCreate = CLSID_SystemDeviceEnum;
    EXPECT_EQ(4, tzm_OpenCameras(30.0));
    EXPECT_EQ(1u, Seam.created.size());   // the graph, released by the module
    ExpectAllReleased();
    EXPECT_EQ(1, Seam.inits);
    EXPECT_EQ(1, Seam.uninits);
    tzm_UseRealSystem();
}

TEST(Capture, BufferCallbackFlipsRowsAndRecordsTimeAndLength)
{
    CameraSlot &slot = CaptureGraph.camera[1];
    slot.frame.buffer = (uint8_t *)malloc(kFrameBufferBytes);
    memset(slot.frame.buffer, 0, kFrameBufferBytes);
    std::vector<uint8_t> sample(kFrameBufferBytes);
    for (int r = 0; r < 480; r++)
        memset(&sample[(size_t)r * kFrameRowBytes], r & 0xFF, kFrameRowBytes);
    tzm_SampleGrabberCB callback;
    callback.cameraIndex = 1;
    EXPECT_EQ(S_OK, callback.BufferCB(2.5, sample.data(), kFrameBufferBytes));
    EXPECT_EQ(kFrameBufferBytes, slot.frame.frameBytes);
    EXPECT_DOUBLE_EQ(2.5, slot.frame.sampleTime);
    EXPECT_EQ(479 & 0xFF, slot.frame.buffer[0]);   // the sample's last row is the picture's top
    EXPECT_EQ(0, slot.frame.buffer[(size_t)479 * kFrameRowBytes]);
    EXPECT_EQ(0.0, callback.lastSeenTime);
    void *self = nullptr;
    EXPECT_EQ(S_OK, callback.QueryInterface(IID_ISampleGrabberCB, &self));
    EXPECT_EQ(&callback, self);
    EXPECT_EQ(E_NOINTERFACE, callback.QueryInterface(IID_IBaseFilter, &self));
    EXPECT_EQ(2u, callback.AddRef());
    EXPECT_EQ(1u, callback.Release());
    free(slot.frame.buffer);
    slot.frame.buffer = nullptr;
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
