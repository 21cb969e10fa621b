// whole_image.h - whole-image arithmetic over a pixel view (no Windows header): the six synthetic
// colour charts and the quarter turn. Each chart
// writes every pixel from the integer colour formulas; an 8-bit image keeps the lowest byte of
// each value (the blue channel), the grey ramp aside.
#ifndef TVX_WHOLE_IMAGE_H
#define TVX_WHOLE_IMAGE_H

#include "imageops/pixel_view.h"

enum PatternKind { kPatternRgb, kPatternHsv, kPatternYCrCb, kPatternYuv, kPatternYiq, kPatternGrey };

// The value the first five charts give pixel (x, y) of a w x h image (h at least 1).
uint32_t PatternPixel(int kind, int x, int y, int w, int h);

// Fills the view; nothing for an empty view or a height below 1. The grey ramp is drawn as
// columns of lines (the pen ends at the last one); its colour table is the caller's.
void DrawPattern(const PixelView &v, PenPoint &pen, int kind);

// The old w x h pixels, packed row after row (w x h words or bytes), a quarter turn clockwise
// (right) or counter-clockwise into the view, which is h wide and w high.
void RotateInto(const void *packed, int w, int h, const PixelView &v, bool right);

#endif
