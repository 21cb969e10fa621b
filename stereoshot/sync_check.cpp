// sync_check.cpp - the sync check's run: the Sync window, the frames' signals and the report.
#include "stereoshot/sync_check.h"

#include <cstdio>

#include "torvex.h"

static struct {
    int method = -1;   // the check running; -1 none
    int leftCamera = 0;
    LARGE_INTEGER begin = {}, frequency = {};
    SyncTrace trace[2];
    int grey = -1;   // the Sync window's grey drawn last
    bool found = false;
    double delayMs = 0.0;
} Check;

static double Elapsed(void)
{
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (double)(now.QuadPart - Check.begin.QuadPart) / (double)Check.frequency.QuadPart;
}

void StartSyncCheck(int method, int leftCamera)
{
    CancelSyncCheck();
    Check = {};
    Check.method = method;
    Check.leftCamera = leftCamera;
    QueryPerformanceFrequency(&Check.frequency);
    QueryPerformanceCounter(&Check.begin);
    if (method == kSyncWindow) {
        // Large and plain, for a camera a little out of focus; it changes as fast as the
        // screen shows it.
        TVX_CreateImage(kSyncImage, "Sync", 896, 330, 160, 120, 200);
        TVX_Print("Sync check: hold the Sync window up to both cameras for %d s.\n", kSyncSeconds);
    } else {
        TVX_Print("Sync check: within %d s, make a sudden change both cameras see (switch a light, "
                  "clap, wave a hand).\n", kSyncSeconds);
    }
}

bool SyncCheckRunning(void)
{
    return Check.method >= 0;
}

void SyncCheckFrame(int camera, const uint32_t *frame, int width, int height, double time)
{
    if (Check.method >= 0 && (camera == 0 || camera == 1))
        TraceFrame(&Check.trace[camera], frame, width, height, time);
}

void CancelSyncCheck(void)
{
    if (Check.method == kSyncWindow)
        TVX_DestroyImage(kSyncImage);
    Check.method = -1;
}

static void Report(void)
{
    const SyncTrace &left = Check.trace[Check.leftCamera], &right = Check.trace[1 - Check.leftCamera];
    bool window = Check.method == kSyncWindow;
    SyncEstimate e = window ? EstimateDelay(LevelSteps(left.level), LevelSteps(right.level))
                            : EstimateDelay(left.change, right.change);
    const char *how = window ? "Sync window" : "scene";
    Check.found = e.found;
    Check.delayMs = e.delayMs;
    if (!e.found) {
        TVX_Print("Sync check (%s, %d and %d frames): no sync signal - %s. Nothing was applied.\n",
                  how, (int)left.level.size(), (int)right.level.size(),
                  window ? "the cameras did not see the Sync window change"
                         : "nothing both cameras saw changed enough");
        return;
    }
    TVX_Print("Sync check (%s, %d and %d frames): Right shows a moment %.1f ms %s Left "
              "(confidence %.2f). \"Use delay\" pairs frames by it.\n",
              how, (int)left.level.size(), (int)right.level.size(), e.delayMs < 0 ? -e.delayMs : e.delayMs,
              e.delayMs < 0 ? "before" : "after", e.confidence);
}

void SyncCheckTick(void)
{
    if (Check.method < 0)
        return;
    double t = Elapsed();
    if (Check.method == kSyncWindow && TVX_SelectImage(kSyncImage) == 0) {
        int grey = SyncWindowGrey(t);
        if (grey != Check.grey) {
            unsigned int colour = DrawColor;
            DrawColor = (unsigned int)grey * 0x010101u;
            FillBox(0, 0, 159, 119);
            DrawColor = colour;
            TVX_RefreshImage(kSyncImage);
            Check.grey = grey;
        }
        TVX_SelectPreviousImage();
    }
    if (t < kSyncSeconds)
        return;
    Report();
    CancelSyncCheck();
}

bool MeasuredDelay(double *rightAfterLeftMs)
{
    if (!Check.found)
        return false;
    *rightAfterLeftMs = Check.delayMs;
    return true;
}
