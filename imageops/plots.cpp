// plots.cpp - channel curves and chroma trajectories.
#include "imageops/plots.h"

#include "imageops/color_models.h"
#include "imageops/raster.h"

// The value of element i that the selector picks (the first value bit set, in this order), and
// its full scale.
static int SeriesValue(const void *data, int i, int selector, int *scale)
{
    static const int kValueBits[] = {kSeriesRed,        kSeriesGreen,     kSeriesBlue,
                                     kSeriesHue,        kSeriesSaturation, kSeriesValue,
                                     kSeriesLuminance,  kSeriesCr,         kSeriesCb,
                                     kSeriesByte};
    int bit = 0;
    for (int candidate : kValueBits)
        if (selector & candidate) {
            bit = candidate;
            break;
        }
    *scale = bit == kSeriesHue ? 359 : 255;
    if (bit == kSeriesByte)
        return ((const uint8_t *)data)[i];
    uint32_t c = ((const uint32_t *)data)[i];
    switch (bit) {
    case kSeriesRed: return (int)(c >> 16 & 0xFF);
    case kSeriesGreen: return (int)(c >> 8 & 0xFF);
    case kSeriesBlue: return (int)(c & 0xFF);
    case kSeriesHue: return RgbToHsv(c).hue;
    case kSeriesSaturation: return RgbToHsv(c).saturation;
    case kSeriesValue: return RgbToHsv(c).value;
    case kSeriesLuminance: return RgbToYCrCb(c).y;
    case kSeriesCr: return RgbToYCrCb(c).cr + 128;
    case kSeriesCb: return RgbToYCrCb(c).cb + 128;
    default: return 0;
    }
}

void PlotSeries(const PixelView &v, PenPoint &pen, const void *data, int x0, int n, int selector,
                uint32_t colour)
{
    if (data == nullptr || n <= 0)
        return;
    for (int i = 0; i < n; i++) {
        int scale;
        int value = SeriesValue(data, i, selector, &scale);
        int x = x0 + i, y = 127 - value * 127 / scale;
        if (selector & kSeriesDots) {
            pen = {x, y};
            ViewPut(v, x, y, colour);
        } else if (selector & kSeriesPolyline) {
            if (i == 0) {
                pen = {x, y};
                ViewPut(v, x, y, colour);
            } else {
                DrawLine(v, pen, colour, pen.x, pen.y, x, y);
            }
        }
    }
}

void DrawChromaFrame(const PixelView &v, PenPoint &pen, GlyphCursor &cursor, uint32_t *textColour)
{
    DrawLine(v, pen, 0x808080, 0, 128, 256, 128);
    DrawLine(v, pen, 0x808080, 128, 0, 128, 256);
    cursor = {110, 16, 110};
    *textColour = 0xFF8888;
    DrawGlyphs(v, pen, cursor, *textColour, "Cr");
    cursor = {238, 144, 238};
    *textColour = 0x8888FF;
    DrawGlyphs(v, pen, cursor, *textColour, "Cb");
}

PenPoint ChromaPoint(uint32_t colour)
{
    YCrCb ycc = RgbToYCrCb(colour);
    return {ycc.cb + 128, 128 - ycc.cr};
}

void PlotChromaLine(const PixelView &v, PenPoint &pen, const uint32_t *words, int n)
{
    if (words == nullptr)
        return;
    uint32_t colour = 0xFFFFFF;
    for (int i = 0; i < n; i++) {
        PenPoint p = ChromaPoint(words[i]);
        if (i == 0) {
            pen = p;
            ViewPut(v, p.x, p.y, colour);
        } else {
            DrawLine(v, pen, colour, pen.x, pen.y, p.x, p.y);
        }
        colour ^= 0x00FF00;
    }
}

void PlotChromaArea(const PixelView &v, PenPoint &pen, int h, const uint32_t *words, int w)
{
    if (words == nullptr)
        return;
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++) {
            PenPoint p = ChromaPoint(words[(size_t)r * (size_t)w + (size_t)c]);
            if (c == 0) {
                pen = p;
                ViewPut(v, p.x, p.y, 0xFFFFFF);
            } else {
                DrawLine(v, pen, 0xFFFFFF, pen.x, pen.y, p.x, p.y);
            }
        }
}
