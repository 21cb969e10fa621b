// Benchmark: the cost of one BufferCB copy of a 640 x 480 RGB32 sample (row flip under the frame
// lock); then frames per second delivered per camera with the two test cameras running in one
// graph, in the plain mode and in the modes that imitate webcams (those of today also at 1280 x
// 720 and 1920 x 1080), with the time the callback spends converting each frame. Prints
// figures; it has no pass or fail.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/capture_graph.h"

static void UseCameraMode(const wchar_t *words)
{
    RegSetKeyValueW(HKEY_CLASSES_ROOT, L"CLSID\\{6A9D3E10-5B7C-4E2A-9C41-7A1B2C3D4E50}", L"Mode",
                    REG_SZ, words, (DWORD)((wcslen(words) + 1) * sizeof(wchar_t)));
}

static double Seconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

static void SampleCopy(void)
{
    CameraSlot &slot = CaptureGraph.camera[0];
    slot.frame.buffer = (uint8_t *)malloc(kFrameBufferBytes);
    std::vector<BYTE> sample(kFrameBufferBytes, 0x33);
    tzm_SampleGrabberCB callback;
    const int copies = 300;
    double start = Seconds();
    for (int i = 0; i < copies; i++)
        callback.BufferCB(i / 30.0, sample.data(), kFrameBufferBytes);
    double each = (Seconds() - start) / copies;
    printf("BufferCB copy of a 640 x 480 RGB32 sample: %.0f us (%.0f copies/s)\n", each * 1e6,
           1.0 / each);
    free(slot.frame.buffer);
    slot.frame.buffer = nullptr;
}

int main()
{
    SampleCopy();
    tzm_UseRealSystem();
    const struct {
        const wchar_t *mode;
        int width, height;
    } runs[] = {{L"", 640, 480},     {L"rgb24", 640, 480}, {L"yuy2", 640, 480}, {L"nv12", 640, 480},
                {L"mjpg", 640, 480}, {L"hd", 640, 480},    {L"hd", 1280, 720},  {L"hd", 1920, 1080}};
    for (const auto &run : runs) {
        const wchar_t *mode = run.mode;
        UseCameraMode(mode);
        tzm_SetFrameSize(run.width, run.height);
        if (tzm_OpenCameras(30.0) != 0) {
            printf("test cameras (%ls): not registered, nothing measured\n", mode);
            continue;
        }
        FrameCounts start[8];
        for (int i = 0; i < CaptureGraph.cameraCount; i++)
            start[i] = CountsOf(&CaptureGraph.camera[i].frame);
        double begin = Seconds();
        Sleep(800);
        double wall = Seconds() - begin;
        for (int i = 0; i < CaptureGraph.cameraCount; i++) {
            FrameCounts end = CountsOf(&CaptureGraph.camera[i].frame);
            unsigned long frames = end.frames - start[i].frames;
            double converting = end.convertSeconds - start[i].convertSeconds;
            char line[512];
            tzm_DescribeCamera(i, line, sizeof line);
            printf("test camera %d (%ls): %.1f frames/s delivered, %.2f ms converting each; %s\n",
                   i, *mode ? mode : L"plain", frames / wall,
                   frames ? converting * 1e3 / frames : 0.0, line);
        }
        tzm_CloseCameras();
    }
    UseCameraMode(L"");
    tzm_SetFrameSize(640, 480);
    return 0;
}
