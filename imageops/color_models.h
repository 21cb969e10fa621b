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

// 60 x n / d, truncated, for 0 <= n <= d <= 255 (row d = 0 is all 0): the hue's one division,
// looked up, since the profiles and plots convert every pixel of a line or an image.
struct SixtiethsTable {
    uint8_t q[256][256];   // q[d][n]
    constexpr SixtiethsTable() : q()
    {
        for (int d = 1; d < 256; d++)
            for (int n = 0; n <= d; n++)
                q[d][n] = (uint8_t)(60 * n / d);
    }
};
extern const SixtiethsTable kSixtieths;   // made by the compiler

// (n + 32768) / 65536 truncated toward zero, for any n whose bias cannot overflow 32 bits (every
// product of a channel formula): the shift of a signed division by a power of two.
inline int Round16Small(int n)
{
    int t = n + 32768;
    return (t + ((t >> 31) & 0xFFFF)) >> 16;
}

inline Hsv RgbToHsv(uint32_t colour)
{
    int r = (int)((colour >> 16) & 0xFF), g = (int)((colour >> 8) & 0xFF), b = (int)(colour & 0xFF);
    int max = r > g ? r : g;
    max = b > max ? b : max;
    int min = r < g ? r : g;
    min = b < min ? b : min;
    int d = max - min;
    const uint8_t *sixtieths = kSixtieths.q[d];
    Hsv hsv = {0, d, max};
    // Ties take the first case that matches: yellow is case two, cyan four, magenta six.
    if (d == 0)
        hsv.hue = 0;
    else if (max == r && min == b)
        hsv.hue = sixtieths[g - b];
    else if (max == g && min == b)
        hsv.hue = 60 + sixtieths[g - r];
    else if (max == g && min == r)
        hsv.hue = 120 + sixtieths[b - r];
    else if (max == b && min == r)
        hsv.hue = 180 + sixtieths[b - g];
    else if (max == b && min == g)
        hsv.hue = 240 + sixtieths[r - g];
    else
        hsv.hue = 300 + sixtieths[r - b];
    return hsv;
}
inline int HueOf(uint32_t colour) { return RgbToHsv(colour).hue; }
inline int SaturationOf(uint32_t colour) { return RgbToHsv(colour).saturation; }
inline int ValueOf(uint32_t colour) { return RgbToHsv(colour).value; }
// HsvToRgb: not an exact inverse of RgbToHsv, the hue steps of 60 degrees truncate (below).

struct YCrCb {
    int y, cr, cb;
};
struct ChromaPair {
    int first, second;   // u and v, or I and Q
};
// y is the luminance of the whole library.
inline YCrCb RgbToYCrCb(uint32_t colour)
{
    int r = (int)((colour >> 16) & 0xFF), g = (int)((colour >> 8) & 0xFF), b = (int)(colour & 0xFF);
    return {(19595 * r + 38470 * g + 7471 * b + 32768) >> 16,
            Round16Small(32768 * r - 27460 * g - 5308 * b),
            Round16Small(32768 * b - 11076 * r - 21692 * g)};
}

inline ChromaPair RgbToYuv(uint32_t colour)
{
    int r = (int)((colour >> 16) & 0xFF), g = (int)((colour >> 8) & 0xFF), b = (int)(colour & 0xFF);
    return {Round16Small(28574 * b - 9634 * r - 18940 * g),
            Round16Small(40305 * r - 33751 * g - 6554 * b)};
}

inline ChromaPair RgbToYiq(uint32_t colour)
{
    int r = (int)((colour >> 16) & 0xFF), g = (int)((colour >> 8) & 0xFF), b = (int)(colour & 0xFF);
    return {Round16Small(39053 * r - 18022 * g - 21037 * b),
            Round16Small(13533 * r - 32565 * g + 19032 * b)};
}
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

// The three conversions back share one form: each channel is 65536 x y + p x first + q x second,
// rounded and clamped. The charts use the same rows to work out a column's and a row's share once.
struct ChromaMatrix {
    int32_t red[2], green[2], blue[2];
};
constexpr ChromaMatrix kYCrCbMatrix = {{91881, 0}, {-46793, -22544}, {0, 116130}};   // cr, cb
constexpr ChromaMatrix kYuvMatrix = {{0, 74711}, {-25952, -38076}, {132973, 0}};      // u, v
constexpr ChromaMatrix kYiqMatrix = {{62187, 42998}, {-17334, -44872}, {-73859, 118292}};   // i, q

inline uint32_t MatrixToRgb(const ChromaMatrix &m, int y, int first, int second)
{
    int64_t base = 65536 * (int64_t)y, p = first, q = second;
    return PackChannels(Channel16(base + m.red[0] * p + m.red[1] * q),
                        Channel16(base + m.green[0] * p + m.green[1] * q),
                        Channel16(base + m.blue[0] * p + m.blue[1] * q));
}

inline uint32_t YCrCbToRgb(int y, int cr, int cb) { return MatrixToRgb(kYCrCbMatrix, y, cr, cb); }
inline uint32_t YuvToRgb(int y, int u, int v) { return MatrixToRgb(kYuvMatrix, y, u, v); }
inline uint32_t YiqToRgb(int y, int i, int q) { return MatrixToRgb(kYiqMatrix, y, i, q); }

#endif
