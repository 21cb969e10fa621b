// Benchmark: frames per second delivered per camera with the two test cameras running in one
// graph. Prints figures; it has no pass or fail.
#include <cstdio>

#include "app/capture_graph.h"

int main()
{
    tzm_UseRealSystem();
    if (tzm_OpenCameras(30.0) != 0) {
        printf("test cameras: not registered, nothing measured\n");
        return 0;
    }
    double start[8], end[8];
    for (int i = 0; i < CaptureGraph.cameraCount; i++)
        start[i] = CaptureGraph.camera[i].frame.sampleTime;
    LARGE_INTEGER frequency, begin, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&begin);
    // Counted by the frames' own time stamps over two seconds of wall time.
    Sleep(2000);
    QueryPerformanceCounter(&now);
    double wall = (double)(now.QuadPart - begin.QuadPart) / frequency.QuadPart;
    for (int i = 0; i < CaptureGraph.cameraCount; i++) {
        end[i] = CaptureGraph.camera[i].frame.sampleTime;
        printf("test camera %d: %.1f frames/s delivered (%.2f s of frames in %.2f s)\n", i,
               (end[i] - start[i]) * 30.0 / wall, end[i] - start[i], wall);
    }
    tzm_CloseCameras();
    return 0;
}
