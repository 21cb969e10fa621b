// Benchmark: the cost of one BufferCB copy of a 640 x 480 RGB32 sample (row flip under the
// frame lock). Prints figures; it has no pass or fail.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/capture_graph.h"

int main()
{
    CameraSlot &slot = CaptureGraph.camera[0];
    slot.frame.buffer = (uint8_t *)malloc(kFrameBufferBytes);
    std::vector<BYTE> sample(kFrameBufferBytes, 0x33);
    tzm_SampleGrabberCB callback;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    const int copies = 300;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < copies; i++)
        callback.BufferCB(i / 30.0, sample.data(), kFrameBufferBytes);
    QueryPerformanceCounter(&end);
    double each = (double)(end.QuadPart - start.QuadPart) / frequency.QuadPart / copies;
    printf("BufferCB copy of a 640 x 480 RGB32 sample: %.0f us (%.0f copies/s)\n", each * 1e6,
           1.0 / each);
    free(slot.frame.buffer);
    slot.frame.buffer = nullptr;
    return 0;
}
