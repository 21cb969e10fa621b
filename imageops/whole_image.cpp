// whole_image.cpp - the colour charts and the quarter turn.
#include "imageops/whole_image.h"

#include <cmath>

#include "imageops/color_models.h"
#include "imageops/raster.h"

// Products in 64 bits: a one-row image may be millions of pixels wide.
static int Scale(int64_t n, int64_t d) { return (int)(n / d); }

static uint32_t Rgb(int x, int y, int w, int h)
{
    int r = Scale(255 * (int64_t)x, w);
    int g = Scale(255 * (int64_t)y, h);
    int b = 255 - Scale(255 * ((int64_t)x + y), (int64_t)w + h);
    return (uint32_t)(r * 65536 + g * 256 + b);
}

static uint32_t HsvChart(int x, int y, int w, int h)
{
    int n = h / 2;
    int hue = Scale(359 * (int64_t)x, w);
    // An image one row high has no lower half to scale: its row shows the full hues.
    if (n == 0)
        return HsvToRgb(255, 255, hue);
    if (y < n)
        return HsvToRgb(255, Scale(255 * (int64_t)y, n), hue);
    return HsvToRgb(255 - Scale(255 * ((int64_t)y - n), n), 255, hue);
}

// Black at the centre, brighter with the distance; the first chroma value grows to the right,
// the second upward.
static uint32_t Chroma(int kind, int x, int y, int w, int h)
{
    int a = Scale(((int64_t)x - w / 2) * 255, w);
    int b = Scale(((int64_t)y - h / 2) * 255, h);
    int lum = (int)std::sqrt(5.0 * a * a + 5.0 * b * b);
    switch (kind) {
    case kPatternYCrCb: return YCrCbToRgb(lum, -b, a);
    case kPatternYuv: return YuvToRgb(lum, a, -b);
    default: return YiqToRgb(lum, -b, a);
    }
}

uint32_t PatternPixel(int kind, int x, int y, int w, int h)
{
    switch (kind) {
    case kPatternRgb: return Rgb(x, y, w, h);
    case kPatternHsv: return HsvChart(x, y, w, h);
    default: return Chroma(kind, x, y, w, h);
    }
}

template <typename Pixel>
static void Fill(const PixelView &v, Pixel pixel)
{
    for (int y = 0; y < v.height; y++) {
        if (v.bits == 32) {
            uint32_t *row = ViewWord(v, 0, y);
            for (int x = 0; x < v.width; x++)
                row[x] = pixel(x, y);
        } else {
            uint8_t *row = ViewByte(v, 0, y);
            for (int x = 0; x < v.width; x++)
                row[x] = (uint8_t)pixel(x, y);
        }
    }
}

void DrawPattern(const PixelView &v, PenPoint &pen, int kind)
{
    if (v.pixels == nullptr || v.width < 1 || v.height < 1)
        return;
    const int w = v.width, h = v.height;
    switch (kind) {
    case kPatternRgb: Fill(v, [&](int x, int y) { return Rgb(x, y, w, h); }); break;
    case kPatternHsv: Fill(v, [&](int x, int y) { return HsvChart(x, y, w, h); }); break;
    case kPatternYCrCb:
    case kPatternYuv:
    case kPatternYiq: Fill(v, [&](int x, int y) { return Chroma(kind, x, y, w, h); }); break;
    case kPatternGrey:
        // Upper half black to nearly white from the left, lower half the reverse.
        for (int x = 0; x < w; x++) {
            uint32_t level = (uint32_t)Scale(255 * (int64_t)x, w);
            DrawLine(v, pen, level * 0x010101u, x, 0, x, h / 2 - 1);
            DrawLine(v, pen, (255 - level) * 0x010101u, x, h / 2, x, h - 1);
        }
        break;
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
