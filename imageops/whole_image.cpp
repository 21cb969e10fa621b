// whole_image.cpp - the colour charts and the quarter turn.
#include "imageops/whole_image.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

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

// Every pixel row by row: rowOf(y) gives the row's pixel function, which holds what it needs by
// value, so that the compiler keeps it in registers (the pixel stores could alias it otherwise).
template <typename RowOf>
static void FillRows(const PixelView &v, RowOf rowOf)
{
    for (int y = 0; y < v.height; y++) {
        auto pixel = rowOf(y);
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
    FillRows(v, [&](int y) {
        uint32_t green = (uint32_t)GreenOfRow(y, h) << 8;
        const uint32_t *reds = red.data(), *diagonal = blue.data() + y;
        return [=](int x) { return reds[x] + green + diagonal[x]; };
    });
}

// HsvToRgb's cases by column: the channel at the value (a), the channel at m + d x k / 60 (b),
// the other at m. With m and d fixed for a row, a pixel is m x 0x010101 + d x a + t[k] x b.
static void FillHsv(const PixelView &v)
{
    const int w = v.width, h = v.height;
    struct Column {
        uint32_t k, atValue, rising;
    };
    std::vector<Column> columns(w);
    for (int x = 0; x < w; x++) {
        int hue = HueOfColumn(x, w);   // 0 to 358
        const uint32_t k = (uint32_t)(hue <= 59    ? hue
                                      : hue <= 119 ? 120 - hue
                                      : hue <= 179 ? hue - 120
                                      : hue <= 239 ? 240 - hue
                                      : hue <= 299 ? hue - 240
                                                   : 360 - hue);
        static const uint32_t kAtValue[6] = {0x10000, 0x100, 0x100, 0x1, 0x1, 0x10000};
        static const uint32_t kRising[6] = {0x100, 0x10000, 0x1, 0x100, 0x10000, 0x1};
        int sextant = std::min(hue / 60, 5);
        columns[x] = {k, kAtValue[sextant], kRising[sextant]};
    }
    std::vector<uint32_t> t(61);
    FillRows(v, [&](int y) {
        int value, saturation;
        HsvOfRow(y, h, &value, &saturation);
        int m = std::max(value - saturation, 0);
        const uint32_t base = (uint32_t)m * 0x010101u, d = (uint32_t)(value - m);
        for (uint32_t k = 0; k <= 60; k++)
            t[k] = d * k / 60;
        const Column *c = columns.data();
        const uint32_t *steps = t.data();
        return [=](int x) { return base + d * c[x].atValue + steps[c[x].k] * c[x].rising; };
    });
}

// A chart's channel before rounding is 65536 x luminance + a column's share + a row's share, all
// within 32 bits here (|a|, |b| <= 128, luminance <= 405); rounded by a shift, which clamps to
// the same channel as the truncating division.
struct ChromaColumn {
    int lum;   // offset of |a| in a row of the luminance table
    int red, green, blue;
};

static uint32_t ChromaPixel(const int *lum, const ChromaColumn &c, int red, int green, int blue)
{
    auto channel = [](int n) { return (uint32_t)std::min(std::max(n >> 16, 0), 255); };
    int l = lum[c.lum];
    return channel(l + c.red + red) << 16 | channel(l + c.green + green) << 8 | channel(l + c.blue + blue);
}

template <int kind>
static void FillChroma(const PixelView &v)
{
    const int w = v.width, h = v.height;
    const ChromaMatrix &m = kind == kPatternYCrCb ? kYCrCbMatrix : kind == kPatternYuv ? kYuvMatrix
                                                                                      : kYiqMatrix;
    // The chroma values are (-b, a) for YCrCb and YIQ, (a, -b) for Yuv.
    const int byColumn = kind == kPatternYuv ? 0 : 1, byRow = 1 - byColumn;
    std::vector<ChromaColumn> columns(w);
    int reach = 0;
    for (int x = 0; x < w; x++) {
        int a = ChromaA(x, w);
        columns[x] = {std::abs(a), m.red[byColumn] * a, m.green[byColumn] * a, m.blue[byColumn] * a};
        reach = std::max(reach, std::abs(a));
    }
    for (int y = 0; y < h; y++)
        reach = std::max(reach, std::abs(ChromaB(y, h)));
    // 65536 x the luminance by the distances from the centre on both axes (at most 128 each).
    const int side = reach + 1;
    std::vector<int> luminance((size_t)side * side);
    for (int i = 0; i < side; i++)
        for (int j = 0; j <= i; j++)   // symmetric: one square root for both halves
            luminance[(size_t)i * side + j] = luminance[(size_t)j * side + i] =
                ChromaLuminance(i, j) * 65536;
    for (ChromaColumn &c : columns)
        c.lum *= side;
    std::vector<int> lumOfColumn(w), redOf(w), greenOf(w), blueOf(w);
    for (int x = 0; x < w; x++) {
        redOf[x] = columns[x].red;
        greenOf[x] = columns[x].green;
        blueOf[x] = columns[x].blue;
    }
    int lumRowOf = -1;
    for (int y = 0; y < h; y++) {
        int b = ChromaB(y, h);
        const int *lum = luminance.data() + std::abs(b);
        const int red = 32768 - m.red[byRow] * b, green = 32768 - m.green[byRow] * b,
                  blue = 32768 - m.blue[byRow] * b;
        int x = 0;
        if (v.bits == 32) {
            uint32_t *out = ViewWord(v, 0, y);
#ifdef __SSE2__
            // Four pixels at a time; the saturating packs clamp each channel to 0 to 255.
            if (std::abs(b) != lumRowOf) {   // neighbouring rows often share their distance
                for (int i = 0; i < w; i++)
                    lumOfColumn[i] = lum[columns[i].lum];
                lumRowOf = std::abs(b);
            }
            const __m128i rowRed = _mm_set1_epi32(red), rowGreen = _mm_set1_epi32(green),
                          rowBlue = _mm_set1_epi32(blue), zero = _mm_setzero_si128();
            for (; x + 4 <= w; x += 4) {
                auto at = [x](const std::vector<int> &share) {
                    return _mm_loadu_si128((const __m128i *)&share[x]);
                };
                __m128i l = at(lumOfColumn);
                __m128i r = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(l, rowRed), at(redOf)), 16);
                __m128i g = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(l, rowGreen), at(greenOf)), 16);
                __m128i bl = _mm_srai_epi32(_mm_add_epi32(_mm_add_epi32(l, rowBlue), at(blueOf)), 16);
                __m128i blueRed = _mm_packs_epi32(bl, r), greens = _mm_packs_epi32(g, zero);
                __m128i blueGreen = _mm_unpacklo_epi16(blueRed, greens);
                __m128i redNone = _mm_unpackhi_epi16(blueRed, greens);
                __m128i pixels = _mm_packus_epi16(_mm_unpacklo_epi32(blueGreen, redNone),
                                                  _mm_unpackhi_epi32(blueGreen, redNone));
                _mm_storeu_si128((__m128i *)(out + x), pixels);
            }
#endif
            for (; x < w; x++)
                out[x] = ChromaPixel(lum, columns[x], red, green, blue);
        } else {
            uint8_t *out = ViewByte(v, 0, y);
            for (; x < w; x++)
                out[x] = (uint8_t)ChromaPixel(lum, columns[x], red, green, blue);
        }
    }
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
    FillRows(v, [&](int y) {
        const uint32_t *levels = y < h / 2 ? upper.data() : lower.data();
        return [=](int x) { return levels[x]; };
    });
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
