// whole_image.cpp - the colour charts and the quarter turn.
#include "imageops/whole_image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "imageops/color_models.h"

// Products in 64 bits: a one-row image may be millions of pixels wide.
static int Scale(int64_t n, int64_t d) { return (int)(n / d); }

static int RedOfColumn(int x, int w) { return Scale(255 * (int64_t)x, w); }
static int GreenOfRow(int y, int h) { return Scale(255 * (int64_t)y, h); }
static int BlueOfDiagonal(int64_t s, int w, int h) { return 255 - Scale(255 * s, (int64_t)w + h); }

static int HueOfColumn(int x, int w) { return Scale(359 * (int64_t)x, w); }

// Value and saturation of an HSV chart row: white at the top, full hues at row h / 2, toward
// black at the bottom. An image one row high has no lower half to scale: its row shows the full
// hues.
static void HsvOfRow(int y, int h, int *value, int *saturation)
{
    int n = h / 2;
    if (n == 0) {
        *value = 255;
        *saturation = 255;
    } else if (y < n) {
        *value = 255;
        *saturation = Scale(255 * (int64_t)y, n);
    } else {
        *value = 255 - Scale(255 * ((int64_t)y - n), n);
        *saturation = 255;
    }
}

// The chroma charts' coordinates: zero at the centre, about -127 to 127 at the edges.
static int ChromaA(int x, int w) { return Scale(((int64_t)x - w / 2) * 255, w); }
static int ChromaB(int y, int h) { return Scale(((int64_t)y - h / 2) * 255, h); }
static int ChromaLuminance(int a, int b) { return (int)std::sqrt(5.0 * a * a + 5.0 * b * b); }

// Black at the centre, brighter with the distance; the first chroma value grows to the right,
// the second upward.
static uint32_t ChromaColour(int kind, int lum, int a, int b)
{
    switch (kind) {
    case kPatternYCrCb: return YCrCbToRgb(lum, -b, a);
    case kPatternYuv: return YuvToRgb(lum, a, -b);
    default: return YiqToRgb(lum, -b, a);
    }
}

uint32_t PatternPixel(int kind, int x, int y, int w, int h)
{
    switch (kind) {
    case kPatternRgb:
        return (uint32_t)(RedOfColumn(x, w) * 65536 + GreenOfRow(y, h) * 256 +
                          BlueOfDiagonal((int64_t)x + y, w, h));
    case kPatternHsv: {
        int value, saturation;
        HsvOfRow(y, h, &value, &saturation);
        return HsvToRgb(value, saturation, HueOfColumn(x, w));
    }
    default: {
        int a = ChromaA(x, w), b = ChromaB(y, h);
        return ChromaColour(kind, ChromaLuminance(a, b), a, b);
    }
    }
}

// Every pixel row by row: startRow(y) once per row, then pixel(x) for each column.
template <typename StartRow, typename Pixel>
static void FillRows(const PixelView &v, StartRow startRow, Pixel pixel)
{
    for (int y = 0; y < v.height; y++) {
        startRow(y);
        if (v.bits == 32) {
            uint32_t *row = ViewWord(v, 0, y);
            for (int x = 0; x < v.width; x++)
                row[x] = pixel(x);
        } else {
            uint8_t *row = ViewByte(v, 0, y);
            for (int x = 0; x < v.width; x++)
                row[x] = (uint8_t)pixel(x);
        }
    }
}

// The charts below give exactly PatternPixel's values; what depends on the column alone, the row
// alone or the distance from the centre is worked out once, not per pixel.
static void FillRgb(const PixelView &v)
{
    const int w = v.width, h = v.height;
    std::vector<uint32_t> red(w), blue((size_t)w + h);
    for (int x = 0; x < w; x++)
        red[x] = (uint32_t)RedOfColumn(x, w) << 16;
    for (size_t s = 0; s < blue.size(); s++)
        blue[s] = (uint32_t)BlueOfDiagonal((int64_t)s, w, h);
    uint32_t green = 0;
    const uint32_t *diagonal = blue.data();
    FillRows(
        v,
        [&](int y) {
            green = (uint32_t)GreenOfRow(y, h) << 8;
            diagonal = blue.data() + y;
        },
        [&](int x) { return red[x] + green + diagonal[x]; });
}

static void FillHsv(const PixelView &v)
{
    const int w = v.width, h = v.height;
    std::vector<int> hue(w);
    for (int x = 0; x < w; x++)
        hue[x] = HueOfColumn(x, w);
    int value = 0, saturation = 0;
    FillRows(
        v, [&](int y) { HsvOfRow(y, h, &value, &saturation); },
        [&](int x) { return HsvToRgb(value, saturation, hue[x]); });
}

template <int kind>
static void FillChroma(const PixelView &v)
{
    const int w = v.width, h = v.height;
    std::vector<int> across(w);
    int reach = 0;
    for (int x = 0; x < w; x++) {
        across[x] = ChromaA(x, w);
        reach = std::max(reach, std::abs(across[x]));
    }
    for (int y = 0; y < h; y++)
        reach = std::max(reach, std::abs(ChromaB(y, h)));
    // The luminance by the distances from the centre on both axes (at most 128 each).
    const size_t side = (size_t)reach + 1;
    std::vector<int> luminance(side * side);
    for (size_t i = 0; i < side; i++)
        for (size_t j = 0; j < side; j++)
            luminance[i * side + j] = ChromaLuminance((int)i, (int)j);
    int b = 0;
    const int *row = luminance.data();
    FillRows(
        v,
        [&](int y) {
            b = ChromaB(y, h);
            row = luminance.data() + (size_t)std::abs(b);
        },
        [&](int x) {
            int a = across[x];
            return ChromaColour(kind, row[(size_t)std::abs(a) * side], a, b);
        });
}

// Columns of two lines each: the upper half from black at the left to nearly white at the right,
// the lower half the reverse. Written row by row (the same pixels); the pen ends where the last
// column's lower line ends.
static void FillGrey(const PixelView &v, PenPoint &pen)
{
    const int w = v.width, h = v.height;
    std::vector<uint32_t> upper(w), lower(w);
    for (int x = 0; x < w; x++) {
        uint32_t level = (uint32_t)RedOfColumn(x, w);
        upper[x] = level * 0x010101u;
        lower[x] = (255 - level) * 0x010101u;
    }
    const uint32_t *levels = upper.data();
    FillRows(
        v, [&](int y) { levels = y < h / 2 ? upper.data() : lower.data(); },
        [&](int x) { return levels[x]; });
    pen = {w - 1, h - 1};
}

void DrawPattern(const PixelView &v, PenPoint &pen, int kind)
{
    if (v.pixels == nullptr || v.width < 1 || v.height < 1)
        return;
    switch (kind) {
    case kPatternRgb: FillRgb(v); break;
    case kPatternHsv: FillHsv(v); break;
    // One instance per chart, so that the conversion is chosen once, not per pixel.
    case kPatternYCrCb: FillChroma<kPatternYCrCb>(v); break;
    case kPatternYuv: FillChroma<kPatternYuv>(v); break;
    case kPatternYiq: FillChroma<kPatternYiq>(v); break;
    case kPatternGrey: FillGrey(v, pen); break;
    default: break;
    }
}

template <typename T>
static void Rotate(const T *old, int w, int h, const PixelView &v, bool right)
{
    for (int y = 0; y < w; y++) {
        T *row = (T *)(v.pixels + (size_t)y * (size_t)v.stride);
        if (right)
            for (int x = 0; x < h; x++)
                row[x] = old[(size_t)(h - 1 - x) * (size_t)w + (size_t)y];
        else
            for (int x = 0; x < h; x++)
                row[x] = old[(size_t)x * (size_t)w + (size_t)(w - 1 - y)];
    }
}

void RotateInto(const void *packed, int w, int h, const PixelView &v, bool right)
{
    // The view must be the turned size: anything else would write outside it.
    if (packed == nullptr || v.pixels == nullptr || v.width != h || v.height != w)
        return;
    if (v.bits == 32)
        Rotate((const uint32_t *)packed, w, h, v, right);
    else
        Rotate((const uint8_t *)packed, w, h, v, right);
}
