// raster.cpp - lines, boxes, circles and the flood fill over a pixel view.
#include "imageops/raster.h"

namespace {

struct Put {
    uint32_t colour;
    void operator()(const PixelView &v, int x, int y) const { ViewPut(v, x, y, colour); }
};
struct Invert {
    void operator()(const PixelView &v, int x, int y) const { ViewInvert(v, x, y); }
};

// The one line walk of the plain and the inverting line. Ends are put in a fixed order first, so
// that both directions give the same pixels and an XOR line drawn back restores the image.
template <typename Plot>
void WalkLine(const PixelView &v, Plot plot, int x1, int y1, int x2, int y2)
{
    int t;
    if (x1 == x2) {
        if (y1 > y2) { t = y1; y1 = y2; y2 = t; }
        for (int y = y1;; y++) {
            plot(v, x1, y);
            if (y == y2)
                break;
        }
        return;
    }
    if (y1 == y2) {
        if (x1 > x2) { t = x1; x1 = x2; x2 = t; }
        for (int x = x1;; x++) {
            plot(v, x, y1);
            if (x == x2)
                break;
        }
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

void FloodFill(const PixelView &v, PenPoint &pen, uint32_t colour, int x, int y)
{
    if (!ViewInside(v, x, y))
        return;
    // Compared in 64 bits, so that the outside (-1) differs from every word, 0xFFFFFFFF included.
    const int64_t target = ViewGet(v, x, y, -1);
    const uint32_t fill = v.bits == 32 ? colour : (colour & 0xFF);
    if (target == (int64_t)fill)
        return;
    auto same = [&](int px, int py) { return ViewGet(v, px, py, -1) == target; };
    PenPoint seeds[kFloodSeeds];
    int count = 0;
    for (;;) {
        bool up = true, down = true;
        while (same(x - 1, y))
            x--;
        int left = x;
        while (same(x, y)) {
            if (up && same(x, y - 1) && count < kFloodSeeds) {
                seeds[count++] = {x, y - 1};
                up = false;
            }
            if (!up && !same(x, y - 1))
                up = true;
            if (down && same(x, y + 1) && count < kFloodSeeds) {
                seeds[count++] = {x, y + 1};
                down = false;
            }
            if (!down && !same(x, y + 1))
                down = true;
            x++;
        }
        DrawLine(v, pen, fill, left, y, x - 1, y);
        // The most recent seed that still lies in the unpainted area starts the next run.
        bool found = false;
        while (count > 0 && !found) {
            PenPoint seed = seeds[--count];
            if (same(seed.x, seed.y)) {
                x = seed.x;
                y = seed.y;
                found = true;
            }
        }
        if (!found)
            return;
    }
}
