// raster.h - the drawing primitives over a pixel view (no Windows header): lines, boxes, circles
// and the flood fill. Figures clip pixel by pixel, so coordinates may lie anywhere. Each XOR form
// inverts every pixel of its figure exactly once, or an even number of times, so that drawing it
// again restores the image: the rubber bands are drawn that way into the image itself.
#ifndef TVX_RASTER_H
#define TVX_RASTER_H

#include "imageops/pixel_view.h"

// Both end points included; the pixel set does not depend on the order of the ends. The pen
// ends at (x2, y2).
void DrawLine(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2);
void XorLine(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2);

// Corners in any order. DrawBox's pen ends at (x1, y1).
void DrawBox(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2);
void XorBox(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2);
void FillBox(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2);
void XorFillBox(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2);

// The outline and filled discs, walked over one octant with an integer error term. The outline
// forms leave the pen at the last point of their last pass.
void DrawCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r, uint32_t colour);
void XorCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r);
void FillCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r, uint32_t colour);
void XorFillCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r);

// Paints the 4-connected area of pixels equal to the one at (x, y), as whole words, with the
// colour (its lowest byte in an 8-bit image). The stack of start points is fixed: a very ragged area may
// keep unpainted pockets, never overflow.
enum { kFloodStack = 4000 };
void FloodFill(const PixelView &v, PenPoint &pen, uint32_t colour, int x, int y);

#endif
