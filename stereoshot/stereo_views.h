// stereo_views.h - what the Stereo window shows of a pair (no Windows header): four anaglyphs for
// red-cyan glasses, the amplified difference that makes a misalignment stand out, and a half-and-
// half overlay with a grid for levelling the cameras. Pixels are 0x00RRGGBB words, rows top-down.
#ifndef STEREOSHOT_STEREO_VIEWS_H
#define STEREOSHOT_STEREO_VIEWS_H

#include <cstdint>

enum StereoView {
    kViewDubois,       // red-cyan by Dubois' least-squares matrices: least ghosting, fair colour
    kViewHalfColour,   // left grey in red, right colour in green and blue
    kViewGrey,         // both grey: no retinal rivalry, no colour
    kViewColour,       // left red, right green and blue: full colour, most rivalry
    kViewDifference,   // |left - right| times four per channel
    kViewOverlay,      // half left, half right, with a grid every kGridStep pixels
    kStereoViews,
};
enum { kGridStep = 40, kDifferenceGain = 4 };

const char *StereoViewLabel(int view);   // "Dubois", "half colour", ... for buttons and titles
// Makes view of left and right (width x height each, packed rows) into out; an unknown view
// gives Dubois'. With a step above 1, of every step-th pixel of every step-th row only: out is
// then (width / step) x (height / step), the size a window shows a large frame at anyway.
void MakeStereoView(int view, const uint32_t *left, const uint32_t *right, uint32_t *out,
                    int width, int height, int step = 1);
// One pixel of the anaglyphs (kViewDubois to kViewColour), for tests and single points.
uint32_t AnaglyphPixel(int view, uint32_t left, uint32_t right);

#endif
