// camera_watch.h - what became of each camera's samples, told in the current text window: the
// cameras as they opened, dropped samples and a camera that fell silent while running, and the
// counts at Stop, so that a broken or stalled camera is never mistaken for a still picture.
#ifndef TZM_CAMERA_WATCH_H
#define TZM_CAMERA_WATCH_H

#include <windows.h>

#include "app/capture_rules.h"

struct CameraWatch {
    DWORD nextCheck;
    FrameCounts seen[8];
    DWORD lastFrameAt[8];
    bool silent[8];
};

// "Camera n: name [identity] format" for every open camera.
void PrintCameras(void);
// Once a second (final: now, with every camera's line and counts).
void WatchCameras(CameraWatch *watch, bool final);

#endif
