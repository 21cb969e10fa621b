// rubber_bands.cpp - the inverting figures of the picks.
#include "imageops/rubber_bands.h"

#include <cmath>

#include "imageops/raster.h"

int CircleRadius(int dx, int dy)
{
    return (int)(std::sqrt((double)dx * dx + (double)dy * dy) + 0.5);
}

void XorBand(const PixelView &v, PenPoint &pen, const Band &b)
{
    switch (b.kind) {
    case kBandRow: XorLine(v, pen, 0, b.y1, v.width - 1, b.y1); break;
    case kBandColumn: XorLine(v, pen, b.x1, 0, b.x1, v.height - 1); break;
    case kBandPlacement: {
        int left = b.x1 - b.w / 2, top = b.y1 - b.h / 2;
        int right = left + b.w - 1, bottom = top + b.h - 1;
        XorBox(v, pen, left, top, right, bottom);
        if (b.w > 8 && b.h > 8) {
            XorLine(v, pen, left + 1, top + 1, right - 1, bottom - 1);
            XorLine(v, pen, right - 1, top + 1, left + 1, bottom - 1);
        }
        break;
    }
    case kBandRect: XorBox(v, pen, b.x1, b.y1, b.x2, b.y2); break;
    case kBandLine: XorLine(v, pen, b.x1, b.y1, b.x2, b.y2); break;
    case kBandCircle:
        XorCircle(v, pen, b.x1, b.y1, CircleRadius(b.x2 - b.x1, b.y2 - b.y1));
        break;
    default: break;
    }
}
