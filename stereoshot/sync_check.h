// sync_check.h - the sync check: a few seconds of both cameras' frames, while they see either the
// program's "Sync" window (held up to them) or a sudden change in the scene, give how much later
// Right shows a moment than Left. The result is offered, not applied: the program applies it.
#ifndef STEREOSHOT_SYNC_CHECK_H
#define STEREOSHOT_SYNC_CHECK_H

#include <cstdint>

#include "stereoshot/sync_measure.h"

enum { kSyncImage = 3, kSyncSeconds = 4 };

// Starts a check by the method (SyncMethod); leftCamera is the camera that feeds Left.
void StartSyncCheck(int method, int leftCamera);
bool SyncCheckRunning(void);
// Every new frame of a camera while a check runs, with its time in seconds.
void SyncCheckFrame(int camera, const uint32_t *frame, int width, int height, double time);
// Every turn of the frame loop: the Sync window's next picture, and the end of the check with
// its report in the text window.
void SyncCheckTick(void);
// Ends a check without a result (Stop).
void CancelSyncCheck(void);
// How much later Right shows a moment than Left by the last check that found one (ms); false
// when none did since the last start of a check.
bool MeasuredDelay(double *rightAfterLeftMs);

#endif
