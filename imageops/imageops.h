// imageops.h - the image operations inside the library: the pen, pixel views of the images, and
// the whole-image transforms the image windows' commands run. The drawing calls themselves are
// in torvex.h.
#ifndef TVX_IMAGEOPS_H
#define TVX_IMAGEOPS_H

#include "imageops/pixel_view.h"
#include "torvex.h"

// The library's one pen: where the last plot, line or circle ended. The plots continue from it.
extern PenPoint PenPosition;

PixelView ImageView(int index);   // empty (outside everywhere) when the slot is free
PixelView CurrentView(void);

// Whole-image transforms of one image; each leaves redrawing to its caller. The rotations and the
// size changes make the image current and re-create it at its new size; they return 0, 1 for a
// bad or free slot, 2 or 3 when the new size is refused (screen, memory) or 4 when the copy of
// the old pixels cannot be had. Refused, the image, its window and its pixels stay as they were.
void InvertImage(int index);
void FlipHorizontal(int index);
void FlipVertical(int index);
int RotateRight(int index);
int RotateLeft(int index);
int ScaleImage(int index, int perMille);   // each side (side x factor + 500) / 1000
void ClearImage(int index);

// Test patterns into the current image: nothing when its slot is free.
void PatternRgb(void);
void PatternHsv(void);
void PatternYCrCb(void);
void PatternYuv(void);
void PatternYiq(void);
void PatternGrey(void);   // an 8-bit image first gets the grey colour table back

#endif
