// color_models.cpp - the integer colour formulas.
#include "imageops/color_models.h"

static int Red(uint32_t c) { return (int)((c >> 16) & 0xFF); }
static int Green(uint32_t c) { return (int)((c >> 8) & 0xFF); }
static int Blue(uint32_t c) { return (int)(c & 0xFF); }

int Round16(int n)
{
    // In 64 bits: n near the top of the int range must not overflow the bias.
    return (int)(((int64_t)n + 32768) / 65536);
}

int Clamp255(int v) { return v < 0 ? 0 : v >= 255 ? 255 : v; }

Hsv RgbToHsv(uint32_t colour)
{
    int r = Red(colour), g = Green(colour), b = Blue(colour);
    int max = r > g ? r : g;
    max = b > max ? b : max;
    int min = r < g ? r : g;
    min = b < min ? b : min;
    int d = max - min;
    Hsv hsv = {0, d, max};
    // Ties take the first case that matches: yellow is case two, cyan four, magenta six.
    if (d == 0)
        hsv.hue = 0;
    else if (max == r && min == b)
        hsv.hue = 60 * (g - b) / d;
    else if (max == g && min == b)
        hsv.hue = 60 + 60 * (g - r) / d;
    else if (max == g && min == r)
        hsv.hue = 120 + 60 * (b - r) / d;
    else if (max == b && min == r)
        hsv.hue = 180 + 60 * (b - g) / d;
    else if (max == b && min == g)
        hsv.hue = 240 + 60 * (r - g) / d;
    else
        hsv.hue = 300 + 60 * (r - b) / d;
    return hsv;
}

int HueOf(uint32_t colour) { return RgbToHsv(colour).hue; }
int SaturationOf(uint32_t colour) { return RgbToHsv(colour).saturation; }
int ValueOf(uint32_t colour) { return RgbToHsv(colour).value; }

YCrCb RgbToYCrCb(uint32_t colour)
{
    int r = Red(colour), g = Green(colour), b = Blue(colour);
    YCrCb out;
    out.y = (19595 * r + 38470 * g + 7471 * b + 32768) / 65536;
    out.cr = Round16(32768 * r - 27460 * g - 5308 * b);
    out.cb = Round16(32768 * b - 11076 * r - 21692 * g);
    return out;
}

ChromaPair RgbToYuv(uint32_t colour)
{
    int r = Red(colour), g = Green(colour), b = Blue(colour);
    return {Round16(28574 * b - 9634 * r - 18940 * g), Round16(40305 * r - 33751 * g - 6554 * b)};
}

ChromaPair RgbToYiq(uint32_t colour)
{
    int r = Red(colour), g = Green(colour), b = Blue(colour);
    return {Round16(39053 * r - 18022 * g - 21037 * b), Round16(13533 * r - 32565 * g + 19032 * b)};
}
