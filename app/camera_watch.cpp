// camera_watch.cpp - what became of each camera's samples, in the current text window.
#include "app/camera_watch.h"

#include "app/capture_graph.h"
#include "torvex.h"

void PrintCameras(void)
{
    // Which device is which, and in what format it delivers: two webcams of one model have the
    // same name, and a camera that needs converting costs the machine more.
    for (int camera = 0; camera < CaptureGraph.cameraCount; camera++) {
        char line[512];
        if (tzm_DescribeCamera(camera, line, sizeof line) == 0)
            TVX_Print("Camera %d: %s\n", camera, line);
    }
}

static unsigned long DroppedOf(const FrameCounts &c)
{
    return c.shortSamples + c.corrupt + c.wrongSize;
}

static void PrintCounts(int camera, const FrameCounts &c)
{
    TVX_Print("Camera %d: %lu frames, %lu dropped (%lu short, %lu corrupt, %lu of another size)\n",
              camera, c.frames, DroppedOf(c), c.shortSamples, c.corrupt, c.wrongSize);
}

void WatchCameras(CameraWatch *watch, bool final)
{
    CaptureGraphRecord &g = CaptureGraph;
    DWORD now = GetTickCount();
    if (!g.opened || (!final && (int)(now - watch->nextCheck) < 0))
        return;
    watch->nextCheck = now + 1000;
    for (int camera = 0; camera < g.cameraCount && camera < 8; camera++) {
        FrameCounts c = CountsOf(&g.camera[camera].frame);
        if (c.frames != watch->seen[camera].frames || watch->lastFrameAt[camera] == 0) {
            watch->lastFrameAt[camera] = now;
            watch->silent[camera] = false;
        } else if (!watch->silent[camera] && now - watch->lastFrameAt[camera] >= 2000) {
            watch->silent[camera] = true;
            TVX_Print("\nCamera %d: no frame for 2 s\n", camera);
        }
        char line[512];
        if (final && tzm_DescribeCamera(camera, line, sizeof line) == 0)
            TVX_Print("Camera %d: %s\n", camera, line);
        if (final || DroppedOf(c) != DroppedOf(watch->seen[camera])) {
            if (!final)
                TVX_Print("\n");
            PrintCounts(camera, c);
        }
        watch->seen[camera] = c;
    }
}

