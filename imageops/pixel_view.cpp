// pixel_view.cpp - whole rows out of a pixel view.
#include "imageops/pixel_view.h"

void ViewReadRow(const PixelView &v, void *dst, int y, int n)
{
    if (dst == nullptr)
        return;
    for (int i = 0; i < n; i++) {
        uint32_t value = ViewRead(v, i, y);
        if (v.bits == 32)
            ((uint32_t *)dst)[i] = value;
        else
            ((uint8_t *)dst)[i] = (uint8_t)value;
    }
}
