// rubber_bands.h - the figures the picks draw while the user points (no Windows header). Each is
// an inverting figure drawn straight into the image: drawn again at the same place it is gone and
// the picture is as it was.
#ifndef TVX_RUBBER_BANDS_H
#define TVX_RUBBER_BANDS_H

#include "imageops/pixel_view.h"

enum BandKind {
    kBandNone,        // a plain point
    kBandRow,         // the whole row through the point
    kBandColumn,      // the whole column through the point
    kBandPlacement,   // a w x h frame centred on the point, crossed when both sides exceed 8
    kBandRect,        // the box from the first point to the second
    kBandLine,        // the line from the first point to the second
    kBandCircle,      // the circle around the first point through the second
};

struct Band {
    int kind;
    int x1, y1;   // the point (one-step picks) or the first point
    int x2, y2;   // the second point (two-step picks)
    int w, h;     // the frame of a placement
};

void XorBand(const PixelView &v, PenPoint &pen, const Band &band);

// The circle's radius through (dx, dy) from the centre: the distance rounded half up.
int CircleRadius(int dx, int dy);

#endif
