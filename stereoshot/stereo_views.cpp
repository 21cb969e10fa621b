// stereo_views.cpp - the Stereo window's views of a pair.
#include "stereoshot/stereo_views.h"

#include <cstddef>
#include <vector>

// Dubois' red-cyan least-squares matrices (Eric Dubois, 2001) in 16.16 fixed point, applied to
// the gamma-encoded values as stereo viewers and FFmpeg's stereo3d filter apply them: per output
// channel, the weights of left R, G, B and right R, G, B.
static const int32_t kDubois[3][6] = {
    {29884, 32768, 11534, -2844, -5761, -102},
    {-2621, -2477, -1035, 24773, 48104, -1206},
    {-996, -1343, -358, -4725, -7406, 80373},
};
// BT.601 luma in 16.16: 0.299, 0.587, 0.114.
static const int32_t kLuma[3] = {19595, 38470, 7471};

static inline int Red(uint32_t c) { return (int)(c >> 16 & 0xFF); }
static inline int Green(uint32_t c) { return (int)(c >> 8 & 0xFF); }
static inline int Blue(uint32_t c) { return (int)(c & 0xFF); }
static inline uint32_t Rgb(int r, int g, int b) { return (uint32_t)(r << 16 | g << 8 | b); }

// A 16.16 sum to a channel value: truncated, clamped to 0..255.
static inline int Channel(int64_t sum)
{
    if (sum <= 0)
        return 0;
    int64_t v = sum >> 16;
    return v > 255 ? 255 : (int)v;
}

static inline int Luma(uint32_t c)
{
    return Channel((int64_t)kLuma[0] * Red(c) + (int64_t)kLuma[1] * Green(c) +
                   (int64_t)kLuma[2] * Blue(c));
}

uint32_t AnaglyphPixel(int view, uint32_t left, uint32_t right)
{
    switch (view) {
    case kViewHalfColour: return Rgb(Luma(left), Green(right), Blue(right));
    case kViewGrey: {
        int l = Luma(left), r = Luma(right);
        return Rgb(l, r, r);
    }
    case kViewColour: return Rgb(Red(left), Green(right), Blue(right));
    default: {
        const int in[6] = {Red(left), Green(left), Blue(left), Red(right), Green(right), Blue(right)};
        int out[3];
        for (int c = 0; c < 3; c++) {
            int64_t sum = 0;
            for (int k = 0; k < 6; k++)
                sum += (int64_t)kDubois[c][k] * in[k];
            out[c] = Channel(sum);
        }
        return Rgb(out[0], out[1], out[2]);
    }
    }
}

const char *StereoViewLabel(int view)
{
    static const char *const kLabels[kStereoViews] = {"Dubois", "half colour", "grey",
                                                      "colour", "difference", "overlay"};
    return (unsigned)view < kStereoViews ? kLabels[view] : kLabels[0];
}

// 0..255 from a 16.16 sum that fits 32 bits (every Dubois row's weights times 255 do).
static inline uint32_t Clamp16(int32_t sum)
{
    int32_t v = sum >> 16;
    return (uint32_t)(v < 0 ? 0 : v > 255 ? 255 : v);
}

// The Dubois view of a whole frame: AnaglyphPixel's sums in 32 bits, a loop the compiler can
// widen (at 1920 x 1080 the 64-bit sums took 30 ms a frame, most of a frame's time).
static void DuboisRows(const uint32_t *left, const uint32_t *right, uint32_t *out, size_t n)
{
    for (size_t i = 0; i < n; i++) {
        int32_t in[6] = {(int32_t)(left[i] >> 16 & 0xFF),  (int32_t)(left[i] >> 8 & 0xFF),
                         (int32_t)(left[i] & 0xFF),        (int32_t)(right[i] >> 16 & 0xFF),
                         (int32_t)(right[i] >> 8 & 0xFF),  (int32_t)(right[i] & 0xFF)};
        uint32_t rgb = 0;
        for (int c = 0; c < 3; c++) {
            int32_t sum = 0;
            for (int k = 0; k < 6; k++)
                sum += kDubois[c][k] * in[k];
            rgb = rgb << 8 | Clamp16(sum);
        }
        out[i] = rgb;
    }
}

// One row of a view: n pixels of left and right into out; y is the row's place in the view.
static void ViewRow(int view, const uint32_t *left, const uint32_t *right, uint32_t *out,
                    size_t n, int y)
{
    switch (view) {
    case kViewDubois: DuboisRows(left, right, out, n); return;
    case kViewDifference: {
        // Byte by byte, which the compiler widens to sixteen at a time; the unused top byte is
        // cleared after.
        const uint8_t *a = (const uint8_t *)left, *b = (const uint8_t *)right;
        uint8_t *o = (uint8_t *)out;
        for (size_t j = 0; j < 4 * n; j++) {
            int d = a[j] > b[j] ? a[j] - b[j] : b[j] - a[j];
            o[j] = (uint8_t)(d * kDifferenceGain > 255 ? 255 : d * kDifferenceGain);
        }
        for (size_t i = 0; i < n; i++)
            out[i] &= 0xFFFFFF;
        return;
    }
    case kViewOverlay:
        for (size_t i = 0; i < n; i++) {
            // Per channel (a + b) / 2 without carries between the channels.
            out[i] = ((left[i] & 0xFEFEFE) >> 1) + ((right[i] & 0xFEFEFE) >> 1) +
                     (left[i] & right[i] & 0x010101);
            if (i % kGridStep == kGridStep / 2 || y % kGridStep == kGridStep / 2)
                out[i] = 0x00FFFF;
        }
        return;
    default:
        for (size_t i = 0; i < n; i++)
            out[i] = AnaglyphPixel(view, left[i], right[i]);
        return;
    }
}

void MakeStereoView(int view, const uint32_t *left, const uint32_t *right, uint32_t *out,
                    int width, int height, int step)
{
    if (step <= 1) {
        for (int y = 0; y < height; y++) {
            size_t at = (size_t)y * (size_t)width;
            ViewRow(view, left + at, right + at, out + at, (size_t)width, y);
        }
        return;
    }
    // Every step-th pixel of the row gathered first, so that the rows' arithmetic stays the
    // same loop over packed pixels.
    const int w = width / step, h = height / step;
    std::vector<uint32_t> a((size_t)w), b((size_t)w);
    for (int y = 0; y < h; y++) {
        const size_t row = (size_t)y * (size_t)step * (size_t)width;
        for (int x = 0; x < w; x++) {
            a[(size_t)x] = left[row + (size_t)x * (size_t)step];
            b[(size_t)x] = right[row + (size_t)x * (size_t)step];
        }
        ViewRow(view, a.data(), b.data(), out + (size_t)y * (size_t)w, (size_t)w, y);
    }
}
