// pair_figures.h - how the two halves of a pair differ, measured from the frames themselves (no
// Windows header): the geometry (vertical offset, rotation, size) that makes a pair hard to fuse,
// and the brightness and colour that make it tiring to view.
#ifndef TVX_PAIR_FIGURES_H
#define TVX_PAIR_FIGURES_H

#include <cstdint>

// Right against Left: Right is Left turned clockwise by rotationDeg and scaled by
// 1 + sizePercent / 100 about the centre, then moved down by verticalPx. Horizontal offsets are
// the depth of the scene and are not measured.
struct Alignment {
    bool valid;          // false: too few textured places matched (a blank or covered view)
    double verticalPx;
    double rotationDeg;
    double sizePercent;
    int matched;         // places used in the fit
};

// Matches textured patches of Left on a grid in Right (a wide horizontal search, so that
// parallax does not matter), then fits the vertical part of their displacements.
Alignment EstimateAlignment(const uint32_t *left, const uint32_t *right, int width, int height);

// Right minus Left in levels (0 to 255): the mean luminance and the mean of each channel.
struct ColourDifference {
    double brightness, red, green, blue;
};
ColourDifference CompareColours(const uint32_t *left, const uint32_t *right, int width, int height);

#endif
