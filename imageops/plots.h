// plots.h - the measurement plots over a pixel view (no Windows header): channel curves of one
// row 128 pixels high, and chroma trajectories on a 256 x 256 Cr/Cb chart.
#ifndef TVX_PLOTS_H
#define TVX_PLOTS_H

#include "imageops/bitmap_font.h"
#include "imageops/pixel_view.h"

// What PlotSeries plots of element i: one value bit, and a drawing mode.
enum SeriesSelector {
    kSeriesRed = 0x01,
    kSeriesGreen = 0x02,
    kSeriesBlue = 0x04,
    kSeriesHue = 0x08,
    kSeriesSaturation = 0x10,
    kSeriesValue = 0x20,
    kSeriesDots = 0x40,
    kSeriesPolyline = 0x80,
    kSeriesLuminance = 0x100,
    kSeriesCr = 0x200,   // Cr + 128
    kSeriesCb = 0x400,   // Cb + 128
    kSeriesByte = 0x1000,
};

// n values of data (words, or bytes for kSeriesByte) at columns x0 to x0 + n - 1; 0 on row 127,
// the full scale on row 0. A polyline continues from the pen.
void PlotSeries(const PixelView &v, PenPoint &pen, const void *data, int x0, int n, int selector,
                uint32_t colour);

// The chart's axes and their "Cr" and "Cb" labels; leaves the cursor and text colour of the last.
void DrawChromaFrame(const PixelView &v, PenPoint &pen, GlyphCursor &cursor, uint32_t *textColour);
// The point of a colour on the chart: more blue to the right, more red upward, grey at (128, 128).
PenPoint ChromaPoint(uint32_t colour);
// One trajectory through n pixels, its segments alternately white and magenta.
void PlotChromaLine(const PixelView &v, PenPoint &pen, const uint32_t *words, int n);
// One white trajectory per row of a w x h block of words; rows are not joined.
void PlotChromaArea(const PixelView &v, PenPoint &pen, int h, const uint32_t *words, int w);

#endif
