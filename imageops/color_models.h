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
// Not an exact inverse of RgbToHsv: the hue steps of 60 degrees truncate.
uint32_t HsvToRgb(int value, int saturation, int hue);

struct YCrCb {
    int y, cr, cb;
};
struct ChromaPair {
    int first, second;   // u and v, or I and Q
};
YCrCb RgbToYCrCb(uint32_t colour);   // y is the luminance of the whole library
ChromaPair RgbToYuv(uint32_t colour);
ChromaPair RgbToYiq(uint32_t colour);
// Each channel clamped to 0 to 255.
uint32_t YCrCbToRgb(int y, int cr, int cb);
uint32_t YuvToRgb(int y, int u, int v);
uint32_t YiqToRgb(int y, int i, int q);

#endif
