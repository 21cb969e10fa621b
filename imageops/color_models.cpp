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

uint32_t HsvToRgb(int value, int saturation, int hue)
{
    int m = value - saturation;
    if (m < 0)
        m = 0;
    int d = value - m;
    int r, g, b;
    if (hue <= 59) {
        r = value; g = m + d * hue / 60; b = m;
    } else if (hue <= 119) {
        r = m + d * (120 - hue) / 60; g = value; b = m;
    } else if (hue <= 179) {
        r = m; g = value; b = m + d * (hue - 120) / 60;
    } else if (hue <= 239) {
        r = m; g = m + d * (240 - hue) / 60; b = value;
    } else if (hue <= 299) {
        r = m + d * (hue - 240) / 60; g = m; b = value;
    } else {
        r = value; g = m; b = m + d * (360 - hue) / 60;
    }
    // Summed without masking, as the readout and the patterns expect for channels 0 to 255.
    return (uint32_t)(r * 65536 + g * 256 + b);
}

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

static uint32_t Pack(int r, int g, int b)
{
    return (uint32_t)(Clamp255(r) * 65536 + Clamp255(g) * 256 + Clamp255(b));
}

// The chart inputs (Y up to about 401, chroma about -128 to 128) keep these products in 32 bits;
// they are formed in 64 bits so that an application's larger values cannot overflow.
static int Mix(int64_t y, int64_t k1, int64_t a, int64_t k2, int64_t b)
{
    int64_t n = 65536 * y + k1 * a + k2 * b;
    if (n > INT32_MAX - 32768)
        return 255;
    if (n < INT32_MIN)
        return 0;
    return Round16((int)n);
}

uint32_t YCrCbToRgb(int y, int cr, int cb)
{
    return Pack(Mix(y, 91881, cr, 0, 0), Mix(y, -22544, cb, -46793, cr), Mix(y, 116130, cb, 0, 0));
}

uint32_t YuvToRgb(int y, int u, int v)
{
    return Pack(Mix(y, 74711, v, 0, 0), Mix(y, -25952, u, -38076, v), Mix(y, 132973, u, 0, 0));
}

uint32_t YiqToRgb(int y, int i, int q)
{
    return Pack(Mix(y, 62187, i, 42998, q), Mix(y, -17334, i, -44872, q),
                Mix(y, -73859, i, 118292, q));
}
