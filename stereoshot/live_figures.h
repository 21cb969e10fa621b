// live_figures.h - the live alignment and colour figures worked out on a thread of their own, so
// that the frame loop never waits the few tens of milliseconds they take.
#ifndef STEREOSHOT_LIVE_FIGURES_H
#define STEREOSHOT_LIVE_FIGURES_H

#include <cstdint>

#include "stereoshot/pair_figures.h"

void StartLiveFigures(void);
void StopLiveFigures(void);
// Hands a copy of the pair over unless the last one is still being measured (then nothing).
void OfferLivePair(const uint32_t *left, const uint32_t *right, int width, int height);
// The figures of the last pair measured, once each: false when none came since the last call.
bool TakeLiveFigures(Alignment *alignment, ColourDifference *colour);

#endif
