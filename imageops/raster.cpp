// raster.cpp - lines, boxes, circles and the flood fill over a pixel view.
#include "imageops/raster.h"

#include <algorithm>
#include <cstring>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

// n words of one value, sixteen bytes a store: the compiler leaves a loop of unknown length to
// single words, four times the stores.
static void FillWords(uint32_t *p, size_t n, uint32_t value)
{
    size_t i = 0;
#ifdef __SSE2__
    const __m128i block = _mm_set1_epi32((int)value);
    for (; i + 4 <= n; i += 4)
        _mm_storeu_si128((__m128i *)(p + i), block);
#endif
    for (; i < n; i++)
        p[i] = value;
}

static void FillRun(uint32_t *p, size_t n, uint32_t value) { FillWords(p, n, value); }
static void FillRun(uint8_t *p, size_t n, uint32_t value) { memset(p, (uint8_t)value, n); }

namespace {

// A plot writes one pixel; row and column write the pixels between two ends already clipped to
// the image: the same pixels as plotting them one by one, with one bounds test per line.
struct Put {
    uint32_t colour;
    void operator()(const PixelView &v, int x, int y) const { ViewPut(v, x, y, colour); }
    void row(const PixelView &v, int y, int xa, int xb) const
    {
        if (v.bits == 32)
            FillWords(ViewWord(v, xa, y), (size_t)(xb - xa + 1), colour);
        else
            memset(ViewByte(v, xa, y), (uint8_t)colour, (size_t)(xb - xa + 1));
    }
    void column(const PixelView &v, int x, int ya, int yb) const
    {
        for (int y = ya; y <= yb; y++)
            if (v.bits == 32)
                *ViewWord(v, x, y) = colour;
            else
                *ViewByte(v, x, y) = (uint8_t)colour;
    }
};
struct Invert {
    void operator()(const PixelView &v, int x, int y) const { ViewInvert(v, x, y); }
    void row(const PixelView &v, int y, int xa, int xb) const
    {
        if (v.bits == 32) {
            uint32_t *p = ViewWord(v, 0, y);
            for (int x = xa; x <= xb; x++)
                p[x] ^= 0x00FFFFFFu;
        } else {
            uint8_t *p = ViewByte(v, 0, y);
            for (int x = xa; x <= xb; x++)
                p[x] ^= 0xFFu;
        }
    }
    void column(const PixelView &v, int x, int ya, int yb) const
    {
        for (int y = ya; y <= yb; y++)
            if (v.bits == 32)
                *ViewWord(v, x, y) ^= 0x00FFFFFFu;
            else
                *ViewByte(v, x, y) ^= 0xFFu;
    }
};

// The one line walk of the plain and the inverting line. Ends are put in a fixed order first, so
// that both directions give the same pixels and an XOR line drawn back restores the image.
template <typename Plot>
void WalkLine(const PixelView &v, Plot plot, int x1, int y1, int x2, int y2)
{
    int t;
    if (x1 == x2) {
        if (y1 > y2) { t = y1; y1 = y2; y2 = t; }
        if (v.pixels != nullptr && (unsigned)x1 < (unsigned)v.width && y2 >= 0 && y1 < v.height)
            plot.column(v, x1, y1 < 0 ? 0 : y1, y2 >= v.height ? v.height - 1 : y2);
        return;
    }
    if (y1 == y2) {
        if (x1 > x2) { t = x1; x1 = x2; x2 = t; }
        if (v.pixels != nullptr && (unsigned)y1 < (unsigned)v.height && x2 >= 0 && x1 < v.width)
            plot.row(v, y1, x1 < 0 ? 0 : x1, x2 >= v.width ? v.width - 1 : x2);
        return;
    }
    if (x1 > x2) {
        t = x1; x1 = x2; x2 = t;
        t = y1; y1 = y2; y2 = t;
    }
    // In 64 bits: the ends may be any two ints.
    int64_t dx = (int64_t)x2 - x1;
    int sy = y2 > y1 ? 1 : -1;
    int64_t dy = y2 > y1 ? (int64_t)y2 - y1 : (int64_t)y1 - y2;
    int x = x1, y = y1;
    plot(v, x, y);
    if (dx >= dy) {
        int64_t e = (dx + 1) / 2;
        while (x != x2) {
            e -= dy;
            x++;
            if (e <= 0) {
                e += dx;
                y += sy;
            }
            plot(v, x, y);
        }
    } else {
        int64_t e = (dy + 1) / 2;
        while (y != y2) {
            e -= dx;
            y += sy;
            if (e <= 0) {
                e += dy;
                x++;
            }
            plot(v, x, y);
        }
    }
}

void Sort(int *a, int *b)
{
    if (*a > *b) {
        int t = *a;
        *a = *b;
        *b = t;
    }
}

// The circle walk shared by the four circle routines: one octant, x stepping down by the error
// term, stopped just past 45 degrees by the 5/7 bound.
template <typename Pass, typename Step>
void WalkCircle(int r, Pass pass, Step beforeStep, Step afterLast)
{
    int x = r, y = 0;
    int64_t e = r;
    int limit = (int)(5 * (int64_t)r / 7);
    bool decreased;
    do {
        pass(x, y);
        decreased = e - (2 * (int64_t)y + 1) <= 0;
        if (decreased)
            beforeStep(x, y);
        e -= 2 * (int64_t)y + 1;
        if (e <= 0) {
            e += 2 * (int64_t)x - 2;
            x--;
        }
        y++;
    } while (y <= limit && y <= x);
    if (!decreased)
        afterLast(x, y - 1);
}

template <typename Plot>
void OutlineCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r, Plot plot)
{
    auto pass = [&](int x, int y) {
        plot(v, cx - y, cy + x);
        plot(v, cx + y, cy - x);
        if (y != 0 && y != x) {
            plot(v, cx + y, cy + x);
            plot(v, cx - y, cy - x);
            plot(v, cx + x, cy - y);
            plot(v, cx - x, cy + y);
        }
        plot(v, cx + x, cy + y);
        plot(v, cx - x, cy - y);
        pen.x = cx - x;
        pen.y = cy - y;
    };
    auto nothing = [](int, int) {};
    WalkCircle(r, pass, nothing, nothing);
}

// Every row of the disc is spanned once: the rows near the centre by the passes, the rows near
// the top and bottom as x steps down.
template <typename Span>
void SpanDisc(int cx, int cy, int r, Span span)
{
    auto pass = [&](int x, int y) {
        if (x != y) {
            span(cx - x, cx + x, cy + y);
            if (y != 0)
                span(cx - x, cx + x, cy - y);
        }
    };
    auto outer = [&](int x, int y) {
        span(cx - y, cx + y, cy + x);
        span(cx - y, cx + y, cy - x);
    };
    WalkCircle(r, pass, outer, outer);
}

}   // namespace

void DrawLine(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2)
{
    pen = {x2, y2};
    WalkLine(v, Put{colour}, x1, y1, x2, y2);
}

void XorLine(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2)
{
    pen = {x2, y2};
    WalkLine(v, Invert{}, x1, y1, x2, y2);
}

void DrawBox(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2)
{
    DrawLine(v, pen, colour, x1, y1, x2, y1);
    DrawLine(v, pen, colour, x2, y1, x2, y2);
    DrawLine(v, pen, colour, x2, y2, x1, y2);
    DrawLine(v, pen, colour, x1, y2, x1, y1);
}

void XorBox(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    // Each corner once: the sides leave out the rows of the top and bottom lines.
    XorLine(v, pen, x1, y1, x2, y1);
    if (y1 != y2)
        XorLine(v, pen, x1, y2, x2, y2);
    if ((int64_t)y2 - y1 > 1) {
        XorLine(v, pen, x1, y1 + 1, x1, y2 - 1);
        XorLine(v, pen, x2, y1 + 1, x2, y2 - 1);
    }
}

void FillBox(const PixelView &v, PenPoint &pen, uint32_t colour, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    DrawBox(v, pen, colour, x1, y1, x2, y2);
    if ((int64_t)x2 - x1 >= 2 && (int64_t)y2 - y1 >= 2)
        for (int y = y1 + 1; y <= y2 - 1; y++)
            DrawLine(v, pen, colour, x1 + 1, y, x2 - 1, y);
}

void XorFillBox(const PixelView &v, PenPoint &pen, int x1, int y1, int x2, int y2)
{
    Sort(&x1, &x2);
    Sort(&y1, &y2);
    for (int y = y1;; y++) {
        XorLine(v, pen, x1, y, x2, y);
        if (y == y2)
            break;
    }
}

void DrawCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r, uint32_t colour)
{
    OutlineCircle(v, pen, cx, cy, r, Put{colour});
}

void XorCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r)
{
    OutlineCircle(v, pen, cx, cy, r, Invert{});
}

void FillCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r, uint32_t colour)
{
    SpanDisc(cx, cy, r, [&](int xl, int xr, int y) { DrawLine(v, pen, colour, xl, y, xr, y); });
    DrawCircle(v, pen, cx, cy, r, colour);
}

void XorFillCircle(const PixelView &v, PenPoint &pen, int cx, int cy, int r)
{
    SpanDisc(cx, cy, r, [&](int xl, int xr, int y) { XorLine(v, pen, xl, y, xr, y); });
}

// The first x in [from, to) whose pixel is (want true) or is not (want false) the target; `to`
// when there is none. Sixteen bytes are compared at a time: the fill spends its time here.
template <typename T>
static int FindFrom(const T *row, int from, int to, T target, bool want)
{
    int x = from;
#ifdef __SSE2__
    const int lanes = 16 / (int)sizeof(T);
    const __m128i match = sizeof(T) == 4 ? _mm_set1_epi32((int)target) : _mm_set1_epi8((char)target);
    auto same = [&](int at) {
        __m128i block = _mm_loadu_si128((const __m128i *)(row + at));
        return sizeof(T) == 4 ? _mm_cmpeq_epi32(block, match) : _mm_cmpeq_epi8(block, match);
    };
    const unsigned flip = want ? 0u : 0xFFFFu;
    // Across a long stretch: four blocks at a time until one of them holds a change.
    if (!want)
        for (; x + 4 * lanes <= to; x += 4 * lanes) {
            __m128i all = _mm_and_si128(_mm_and_si128(same(x), same(x + lanes)),
                                        _mm_and_si128(same(x + 2 * lanes), same(x + 3 * lanes)));
            if (_mm_movemask_epi8(all) != 0xFFFF)
                break;
        }
    for (; x + lanes <= to; x += lanes) {
        unsigned hits = ((unsigned)_mm_movemask_epi8(same(x)) ^ flip) & 0xFFFFu;
        if (hits != 0)
            return x + __builtin_ctz(hits) / (int)sizeof(T);
    }
#endif
    while (x < to && (row[x] == target) != want)
        x++;
    return x;
}

// A start point of the fill, with the run whose scan pushed it: by the time it is taken, that run
// is painted, so its stretch of the neighbouring row need not be read again.
struct StartPoint {
    int x, y;
    int fromY, fromLeft, fromRight;   // fromRight is one past the run; fromY -1: none
};

// The start of every stretch of the target in row r within [left, right), in order, except
// inside [skipLeft, skipRight), which holds no target pixel.
template <typename T>
static int StretchStarts(const T *r, int left, int right, int skipLeft, int skipRight, T target,
                         int *starts)
{
    int n = 0;
    auto scan = [&](int from, int to) {
        int x = from;
        while ((x = FindFrom(r, x, to, target, true)) < to) {
            starts[n++] = x;
            x = FindFrom(r, x, to, target, false);
        }
    };
    if (skipLeft >= skipRight || skipRight <= left || skipLeft >= right) {
        scan(left, right);
    } else {
        scan(left, std::max(left, skipLeft));
        scan(std::min(right, skipRight), right);
    }
    return n;
}

// The scan of one fill over pixels of type T, with the image's edges as the border: a position
// outside never belongs to the area. The start points are pushed exactly as a pixel-by-pixel walk
// of each run pushes them (for each x from the left, the one above before the one below, while
// the stack has room), so that even a ragged area that fills the stack keeps the same pockets.
template <typename T>
static void Flood(const PixelView &v, PenPoint &pen, uint32_t fill, int x, int y)
{
    const T target = *(const T *)(v.pixels + (size_t)y * v.stride + (size_t)x * sizeof(T));
    auto row = [&](int r) { return (T *)(v.pixels + (size_t)r * (size_t)v.stride); };
    StartPoint pending[kFloodStack];
    int count = 0;
    std::vector<int> above((size_t)v.width), below((size_t)v.width);
    StartPoint start = {x, y, -1, 0, 0};
    for (;;) {
        T *here = row(start.y);
        int left = start.x;
        while (left > 0 && here[left - 1] == target)
            left--;
        int right = FindFrom(here, start.x, v.width, target, false);
        int upCount = 0, downCount = 0;
        if (start.y > 0) {
            bool from = start.fromY == start.y - 1;
            upCount = StretchStarts(row(start.y - 1), left, right, from ? start.fromLeft : 0,
                                    from ? start.fromRight : 0, target, above.data());
        }
        if (start.y + 1 < v.height) {
            bool from = start.fromY == start.y + 1;
            downCount = StretchStarts(row(start.y + 1), left, right, from ? start.fromLeft : 0,
                                      from ? start.fromRight : 0, target, below.data());
        }
        for (int i = 0, j = 0; (i < upCount || j < downCount) && count < kFloodStack;) {
            if (j >= downCount || (i < upCount && above[i] <= below[j]))
                pending[count++] = {above[i++], start.y - 1, start.y, left, right};
            else
                pending[count++] = {below[j++], start.y + 1, start.y, left, right};
        }
        FillRun(here + left, (size_t)(right - left), fill);
        pen = {right - 1, start.y};
        // The most recent start point still in the unpainted area begins the next run.
        bool found = false;
        while (count > 0 && !found) {
            start = pending[--count];
            found = row(start.y)[start.x] == target;
        }
        if (!found)
            return;
    }
}

void FloodFill(const PixelView &v, PenPoint &pen, uint32_t colour, int x, int y)
{
    if (!ViewInside(v, x, y))
        return;
    // Pixels compare as whole words; the outside is never part of the area, so a word
    // 0xFFFFFFFF fills like any other.
    if (v.bits == 32) {
        if (*ViewWord(v, x, y) != colour)
            Flood<uint32_t>(v, pen, colour, x, y);
    } else if (*ViewByte(v, x, y) != (uint8_t)colour) {
        Flood<uint8_t>(v, pen, (uint8_t)colour, x, y);
    }
}
