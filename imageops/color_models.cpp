// color_models.cpp - the general rounding rule and the hue's quotient table.
#include "imageops/color_models.h"

int Round16(int n)
{
    // In 64 bits: n near the top of the int range must not overflow the bias.
    return (int)(((int64_t)n + 32768) / 65536);
}

int Clamp255(int v) { return v < 0 ? 0 : v >= 255 ? 255 : v; }

constexpr SixtiethsTable kSixtieths;
