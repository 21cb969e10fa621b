// color_models.h - the integer colour formulas of the pixel readout, the profiles and the test
// patterns (no Windows header). A colour value is 0x00RRGGBB. Fixed point in 16 bits with one
// rounding rule; every intermediate product fits in 32 bits for channels 0 to 255.
#ifndef TVX_COLOR_MODELS_H
#define TVX_COLOR_MODELS_H

#include <cstdint>

// (n + 32768) / 65536, truncating toward zero: half up for n + 32768 >= 0, toward zero below.
int Round16(int n);
int Clamp255(int v);

struct Hsv {
    int hue;          // degrees 0 to 359
    int saturation;   // the chroma max - min, 0 to 255 (not divided by max)
    int value;        // max
};
Hsv RgbToHsv(uint32_t colour);
int HueOf(uint32_t colour);
int SaturationOf(uint32_t colour);
int ValueOf(uint32_t colour);
// HsvToRgb: not an exact inverse of RgbToHsv, the hue steps of 60 degrees truncate (below).

struct YCrCb {
    int y, cr, cb;
};
struct ChromaPair {
    int first, second;   // u and v, or I and Q
};
YCrCb RgbToYCrCb(uint32_t colour);   // y is the luminance of the whole library
ChromaPair RgbToYuv(uint32_t colour);
ChromaPair RgbToYiq(uint32_t colour);
// The conversions back to colour values (YCrCbToRgb, YuvToRgb and YiqToRgb clamp each channel to
// 0 to 255) are defined here so that the test patterns, which call them for every pixel, can have
// them inlined.

inline uint32_t HsvToRgb(int value, int saturation, int hue)
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

// One channel: Clamp255 of Round16 of the sum, formed in 64 bits, where no input can overflow.
inline int Channel16(int64_t n)
{
    int64_t rounded = (n + 32768) / 65536;
    return rounded < 0 ? 0 : rounded > 255 ? 255 : (int)rounded;
}

inline uint32_t PackChannels(int r, int g, int b) { return (uint32_t)(r * 65536 + g * 256 + b); }

inline uint32_t YCrCbToRgb(int y, int cr, int cb)
{
    int64_t base = 65536 * (int64_t)y;
    return PackChannels(Channel16(base + 91881 * (int64_t)cr),
                        Channel16(base - 22544 * (int64_t)cb - 46793 * (int64_t)cr),
                        Channel16(base + 116130 * (int64_t)cb));
}

inline uint32_t YuvToRgb(int y, int u, int v)
{
    int64_t base = 65536 * (int64_t)y;
    return PackChannels(Channel16(base + 74711 * (int64_t)v),
                        Channel16(base - 25952 * (int64_t)u - 38076 * (int64_t)v),
                        Channel16(base + 132973 * (int64_t)u));
}

inline uint32_t YiqToRgb(int y, int i, int q)
{
    int64_t base = 65536 * (int64_t)y;
    return PackChannels(Channel16(base + 62187 * (int64_t)i + 42998 * (int64_t)q),
                        Channel16(base - 17334 * (int64_t)i - 44872 * (int64_t)q),
                        Channel16(base - 73859 * (int64_t)i + 118292 * (int64_t)q));
}

#endif
