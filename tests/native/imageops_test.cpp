// Colour formulas, pixel routines, drawing primitives and the bitmap font over pixel views.
#include <algorithm>
#include <cstring>
#include <random>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "imageops/bitmap_font.h"
#include "imageops/color_models.h"
#include "imageops/plots.h"
#include "imageops/rubber_bands.h"
#include "imageops/raster.h"
#include "imageops/whole_image.h"

// An image of either depth in plain memory; 8-bit rows padded to 4 bytes as in the library.
struct Canvas {
    std::vector<uint8_t> memory;
    PixelView view;
    PenPoint pen = {0, 0};
    Canvas(int w, int h, int bits)
    {
        int stride = bits == 32 ? w * 4 : (w + 3) & ~3;
        memory.assign((size_t)stride * h, 0);
        view = {memory.data(), w, h, stride, bits};
    }
    uint32_t at(int x, int y) const { return ViewRead(view, x, y); }
    // The positions whose value differs from `background`.
    std::set<std::pair<int, int>> set(uint32_t background = 0) const
    {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < view.height; y++)
            for (int x = 0; x < view.width; x++)
                if (at(x, y) != background)
                    out.insert({x, y});
        return out;
    }
};
using Points = std::set<std::pair<int, int>>;

TEST(ColourModels, ReferenceColoursGiveEveryNumberOfTheTable)
{
    struct Row {
        uint32_t colour;
        int y, cr, cb, u, v, i, q, hue, sat, value;
    };
    const Row rows[] = {
        {0xFF0000, 76, 128, -42, -36, 157, 152, 53, 0, 255, 255},
        {0x00FF00, 150, -106, -83, -73, -130, -69, -126, 120, 255, 255},
        {0x0000FF, 29, -20, 128, 111, -25, -81, 74, 240, 255, 255},
        {0xFFFFFF, 255, 0, 0, 0, 0, 0, 0, 0, 0, 255},
        {0xFF8000, 151, 74, -84, -73, 91, 117, -10, 30, 255, 255},
        {0x0A141E, 18, -5, 7, 6, -6, -8, 1, 210, 20, 30},
        {0x808080, 128, 0, 0, 0, 0, 0, 0, 0, 0, 128},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << r.colour);
        YCrCb ycc = RgbToYCrCb(r.colour);
        ChromaPair uv = RgbToYuv(r.colour), iq = RgbToYiq(r.colour);
        Hsv hsv = RgbToHsv(r.colour);
        EXPECT_EQ((std::vector<int>{r.y, r.cr, r.cb, r.u, r.v, r.i, r.q, r.hue, r.sat, r.value}),
                  (std::vector<int>{ycc.y, ycc.cr, ycc.cb, uv.first, uv.second, iq.first,
                                    iq.second, hsv.hue, hsv.saturation, hsv.value}));
        EXPECT_EQ(r.hue, HueOf(r.colour));
        EXPECT_EQ(r.sat, SaturationOf(r.colour));
        EXPECT_EQ(r.value, ValueOf(r.colour));
    }
    // Ties take the earliest case: yellow, cyan, magenta.
    EXPECT_EQ(60, HueOf(0xFFFF00));
    EXPECT_EQ(180, HueOf(0x00FFFF));
    EXPECT_EQ(300, HueOf(0xFF00FF));
}

// The conversions look their quotients up and round by shifts; every one of the 2^24 colours
// gives what the formulas with their divisions give.
TEST(ColourModels, EveryColourAgreesWithTheDividingFormulas)
{
    auto hue = [](int r, int g, int b) {
        int max = std::max({r, g, b}), min = std::min({r, g, b}), d = max - min;
        if (d == 0) return 0;
        if (max == r && min == b) return 60 * (g - b) / d;
        if (max == g && min == b) return 60 + 60 * (g - r) / d;
        if (max == g && min == r) return 120 + 60 * (b - r) / d;
        if (max == b && min == r) return 180 + 60 * (b - g) / d;
        if (max == b && min == g) return 240 + 60 * (r - g) / d;
        return 300 + 60 * (r - b) / d;
    };
    int64_t wrong = 0;
    uint32_t first = 0;
    for (uint32_t c = 0; c < 0x1000000u; c++) {
        int r = (int)(c >> 16), g = (int)(c >> 8 & 0xFF), b = (int)(c & 0xFF);
        Hsv hsv = RgbToHsv(c);
        YCrCb ycc = RgbToYCrCb(c);
        ChromaPair uv = RgbToYuv(c), iq = RgbToYiq(c);
        bool same = hsv.hue == hue(r, g, b) && hsv.saturation == std::max({r, g, b}) - std::min({r, g, b}) &&
                    hsv.value == std::max({r, g, b}) &&
                    ycc.y == (19595 * r + 38470 * g + 7471 * b + 32768) / 65536 &&
                    ycc.cr == Round16(32768 * r - 27460 * g - 5308 * b) &&
                    ycc.cb == Round16(32768 * b - 11076 * r - 21692 * g) &&
                    uv.first == Round16(28574 * b - 9634 * r - 18940 * g) &&
                    uv.second == Round16(40305 * r - 33751 * g - 6554 * b) &&
                    iq.first == Round16(39053 * r - 18022 * g - 21037 * b) &&
                    iq.second == Round16(13533 * r - 32565 * g + 19032 * b);
        if (!same && wrong++ == 0)
            first = c;
    }
    EXPECT_EQ(0, wrong) << "first at " << std::hex << first;
}

TEST(ColourModels, RoundingClampingAndTheInverses)
{
    const std::pair<int, int> rounds[] = {{-40000, 0}, {-98304, -1}, {32768, 1}, {32767, 0},
                                          {-32769, 0}, {-98305, -1}, {98304, 2},
                                          {INT32_MAX, 32768}, {INT32_MIN, -32767}};
    for (auto [n, expected] : rounds)
        EXPECT_EQ(expected, Round16(n)) << n;
    EXPECT_EQ(0, Clamp255(-1));
    EXPECT_EQ(254, Clamp255(254));
    EXPECT_EQ(255, Clamp255(300));

    EXPECT_EQ(0x00C800u, HsvToRgb(200, 300, 120));   // S above V: m is clamped at 0
    EXPECT_EQ(0xFF7F00u, HsvToRgb(255, 255, 30));    // not an exact inverse of (255, 128, 0)
    for (int hue : {0, 60, 120, 180, 240, 300})   // the six pure hues go there and back
        EXPECT_EQ(hue, HueOf(HsvToRgb(255, 255, hue))) << hue;

    // Grey stays grey; the chroma pushes the channels out to their clamps, never past them.
    EXPECT_EQ(0x646464u, YCrCbToRgb(100, 0, 0));
    EXPECT_EQ(0x646464u, YuvToRgb(100, 0, 0));
    EXPECT_EQ(0x646464u, YiqToRgb(100, 0, 0));
    EXPECT_EQ(0xFF0000u, YCrCbToRgb(76, 400, -42) & 0xFF0000u);
    EXPECT_EQ(0xFFFFFFu, YuvToRgb(100000, 0, 0));
    EXPECT_EQ(0u, YiqToRgb(0, INT32_MIN / 2, INT32_MIN / 2) & 0xFFu);
    // Forward then back stays within a step of the colour.
    for (uint32_t c : {0x102030u, 0xC08040u, 0x7F7F7Fu}) {
        YCrCb f = RgbToYCrCb(c);
        uint32_t back = YCrCbToRgb(f.y, f.cr, f.cb);
        for (int shift : {0, 8, 16})
            EXPECT_NEAR((int)(c >> shift & 0xFF), (int)(back >> shift & 0xFF), 2) << std::hex << c;
    }
}

TEST(PixelView, BoundsWritesReadsAndInversionAtBothDepths)
{
    Canvas c32(4, 3, 32), c8(5, 3, 8);
    ViewPut(c8.view, 1, 1, 0x123456);
    EXPECT_EQ(0x56u, c8.at(1, 1));
    EXPECT_EQ(0, c8.memory[8 + 5]) << "the 8-bit row is padded to 8 bytes";
    ViewPut(c32.view, 3, 2, 0xFF102030);
    ViewInvert(c32.view, 3, 2);
    EXPECT_EQ(0xFFEFDFCFu, c32.at(3, 2));
    ViewPut(c8.view, 4, 2, 10);
    ViewInvert(c8.view, 4, 2);
    EXPECT_EQ(245u, c8.at(4, 2));
    for (auto [x, y] : {std::pair<int, int>{-1, 0}, {0, -1}, {4, 0}, {0, 3}, {INT32_MIN, 0}}) {
        ViewPut(c32.view, x, y, 7);
        ViewInvert(c32.view, x, y);
        EXPECT_EQ(0u, ViewRead(c32.view, x, y));
        EXPECT_EQ(-1, ViewGet(c32.view, x, y, -1));
    }
    EXPECT_EQ(Points({{3, 2}}), c32.set());

    uint32_t row[6];
    memset(row, 0xAB, sizeof row);
    ViewReadRow(c32.view, row, 2, 6);   // two beyond the width
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 0, 0xFFEFDFCF, 0, 0}), std::vector<uint32_t>(row, row + 6));
    ViewReadRow(c32.view, row, 7, 4);   // below the image
    EXPECT_EQ((std::vector<uint32_t>{0, 0, 0, 0}), std::vector<uint32_t>(row, row + 4));
    uint8_t bytes[5];
    ViewReadRow(c8.view, bytes, 2, 5);
    EXPECT_EQ(245, bytes[4]);
}

TEST(Lines, PixelSetsEndsAndClipping)
{
    struct Case {
        int x1, y1, x2, y2;
        Points expected;
    };
    const Case cases[] = {
        {0, 0, 3, 1, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
        {0, 0, 4, 4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}}},
        {1, 4, 1, 1, {{1, 1}, {1, 2}, {1, 3}, {1, 4}}},
        {0, 0, 1, 5, {{0, 0}, {0, 1}, {0, 2}, {1, 3}, {1, 4}, {1, 5}}},
        {-10, 5, 10, 5, {{0, 5}, {1, 5}, {2, 5}, {3, 5}, {4, 5}}},   // clipped to 5 wide
        {2, 2, 2, 2, {{2, 2}}},
    };
    for (const Case &k : cases) {
        for (bool reversed : {false, true}) {
            Canvas c(5, 8, 32);
            if (reversed)
                DrawLine(c.view, c.pen, 9, k.x2, k.y2, k.x1, k.y1);
            else
                DrawLine(c.view, c.pen, 9, k.x1, k.y1, k.x2, k.y2);
            EXPECT_EQ(k.expected, c.set()) << k.x1 << "," << k.y1 << " " << k.x2 << "," << k.y2;
            EXPECT_EQ(reversed ? k.x1 : k.x2, c.pen.x);
            EXPECT_EQ(reversed ? k.y1 : k.y2, c.pen.y);
        }
    }
    // Any two ends, in either order, give one set.
    std::mt19937 random(7);
    std::uniform_int_distribution<int> at(-20, 60);
    for (int i = 0; i < 500; i++) {
        int x1 = at(random), y1 = at(random), x2 = at(random), y2 = at(random);
        Canvas a(40, 40, 8), b(40, 40, 8);
        DrawLine(a.view, a.pen, 1, x1, y1, x2, y2);
        DrawLine(b.view, b.pen, 1, x2, y2, x1, y1);
        ASSERT_EQ(a.memory, b.memory) << x1 << "," << y1 << " " << x2 << "," << y2;
    }
    Canvas far(4, 4, 32);
    DrawLine(far.view, far.pen, 1, INT32_MIN, INT32_MIN + 1, INT32_MIN + 3, INT32_MIN);
    EXPECT_TRUE(far.set().empty());
}

TEST(Figures, EveryXorFigureDrawnTwiceRestoresTheImage)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int> at(-40, 80), radius(0, 50), byte(0, 255);
    for (int bits : {32, 8}) {
        Canvas c(37, 29, bits);
        for (uint8_t &b : c.memory)
            b = (uint8_t)byte(random);
        const std::vector<uint8_t> start = c.memory;
        for (int i = 0; i < 400; i++) {
            int x1 = at(random), y1 = at(random), x2 = at(random), y2 = at(random),
                r = radius(random);
            for (int pass = 0; pass < 2; pass++) {
                switch (i % 6) {
                case 0: XorLine(c.view, c.pen, x1, y1, x2, y2); break;
                case 1: XorBox(c.view, c.pen, x1, y1, x2, y2); break;
                case 2: XorFillBox(c.view, c.pen, x1, y1, x2, y2); break;
                case 3: XorCircle(c.view, c.pen, x1, y1, r); break;
                case 4: XorFillCircle(c.view, c.pen, x1, y1, r); break;
                default: XorBox(c.view, c.pen, x2, y2, x1, y1); break;
                }
            }
            ASSERT_EQ(start, c.memory) << "figure " << i % 6 << " at depth " << bits;
        }
    }
}

TEST(Figures, BoxesAndCirclesSetTheirPixels)
{
    Canvas box(8, 8, 32);
    XorBox(box.view, box.pen, 5, 4, 1, 1);   // corners inverted once each
    Points outline;
    for (int x = 1; x <= 5; x++)
        outline.insert({x, 1}), outline.insert({x, 4});
    for (int y = 2; y <= 3; y++)
        outline.insert({1, y}), outline.insert({5, y});
    EXPECT_EQ(outline, box.set());
    EXPECT_EQ(0xFFFFFFu, box.at(1, 1));
    Canvas drawn(8, 8, 32);
    DrawBox(drawn.view, drawn.pen, 5, 5, 4, 1, 1);
    EXPECT_EQ(outline, drawn.set());
    EXPECT_EQ(5, drawn.pen.x);
    EXPECT_EQ(4, drawn.pen.y);
    Canvas filled(8, 8, 32);
    FillBox(filled.view, filled.pen, 3, 5, 4, 1, 1);
    EXPECT_EQ(20u, filled.set().size());

    Canvas ring(9, 9, 32);
    DrawCircle(ring.view, ring.pen, 4, 4, 1, 7);
    EXPECT_EQ(Points({{3, 4}, {5, 4}, {4, 3}, {4, 5}}), ring.set());
    Canvas dot(9, 9, 32);
    XorCircle(dot.view, dot.pen, 4, 4, 0);   // the centre four times
    EXPECT_TRUE(dot.set().empty());
    Canvas plus(9, 9, 32);
    XorFillCircle(plus.view, plus.pen, 4, 4, 1);
    EXPECT_EQ(Points({{3, 4}, {4, 4}, {5, 4}, {4, 3}, {4, 5}}), plus.set());
    Canvas disc(9, 9, 32);
    XorFillCircle(disc.view, disc.pen, 4, 4, 2);
    Points square;
    for (int y = 2; y <= 6; y++)
        for (int x = 2; x <= 6; x++)
            if ((x == 2 || x == 6) != (y == 2 || y == 6) || (x != 2 && x != 6))
                square.insert({x, y});
    EXPECT_EQ(square, disc.set());
    // Filled discs of every radius are symmetric and contain their outline.
    for (int r = 0; r <= 12; r++) {
        Canvas full(31, 31, 8), outlineOnly(31, 31, 8);
        FillCircle(full.view, full.pen, 15, 15, r, 1);
        DrawCircle(outlineOnly.view, outlineOnly.pen, 15, 15, r, 1);
        Points f = full.set();
        for (auto p : outlineOnly.set())
            EXPECT_TRUE(f.count(p)) << r;
        for (auto [x, y] : f)
            EXPECT_TRUE(f.count({30 - x, y}) && f.count({y, x})) << r;
    }
}

// Which pixels an area holds is checked against the walked fill below; here the fills that
// must change nothing.
TEST(FloodFill, OnItsOwnColourOrOutsideNothingChanges)
{
    // On a pixel of the fill value nothing changes, 8-bit included (its fill is the low byte).
    Canvas same(6, 6, 32);
    FloodFill(same.view, same.pen, 0, 2, 2);
    EXPECT_TRUE(same.set().empty());
    Canvas white8(6, 6, 8);
    memset(white8.memory.data(), 255, white8.memory.size());
    FloodFill(white8.view, white8.pen, 0xFFFFFF, 1, 1);
    EXPECT_EQ(Points(), white8.set(255));
    FloodFill(white8.view, white8.pen, 0x123456, 1, 1);
    EXPECT_EQ(0x56u, white8.at(5, 5));
    // Whole words 0xFFFFFFFF fill: the outside is not taken for one of them.
    Canvas ones(5, 5, 32);
    memset(ones.memory.data(), 0xFF, ones.memory.size());
    FloodFill(ones.view, ones.pen, 3, 0, 0);
    EXPECT_EQ(Points(), ones.set(3));
    FloodFill(ones.view, ones.pen, 4, -1, 2);   // outside: nothing
    EXPECT_EQ(3u, ones.at(0, 2));
}

// The fill walked pixel by pixel, as it is defined: the fast fill must leave the very same pixels,
// the pockets of an overflowing stack included.
static void WalkedFill(Canvas &c, uint32_t fill, int x, int y)
{
    const PixelView &v = c.view;
    int64_t target = ViewGet(v, x, y, -1);
    std::vector<std::pair<int, int>> stack;
    auto same = [&](int px, int py) { return ViewGet(v, px, py, -1) == target; };
    for (;;) {
        bool up = true, down = true;
        while (same(x - 1, y))
            x--;
        int left = x;
        for (; same(x, y); x++) {
            for (int dy : {-1, 1}) {
                bool &open = dy < 0 ? up : down;
                if (open && same(x, y + dy) && stack.size() < kFloodStack) {
                    stack.push_back({x, y + dy});
                    open = false;
                } else if (!open && !same(x, y + dy)) {
                    open = true;
                }
            }
        }
        for (int px = left; px < x; px++)
            ViewPut(v, px, y, fill);
        do {
            if (stack.empty())
                return;
            std::tie(x, y) = stack.back();
            stack.pop_back();
        } while (!same(x, y));
    }
}

TEST(FloodFill, ARaggedAreaStaysWithinItsSeedStack)
{
    // Random blobs at both depths and a comb that overflows the stack: the same pixels as the walk.
    std::mt19937 random(7);
    for (int round = 0; round < 40; round++) {
        int bits = round % 2 ? 8 : 32, w = 1 + (int)(random() % 300), h = 1 + (int)(random() % 200);
        Canvas fast(w, h, bits), walked(w, h, bits);
        int density = (int)(random() % 60);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                if ((int)(random() % 100) < density)
                    ViewPut(fast.view, x, y, 1);
        walked.memory = fast.memory;
        int sx = (int)(random() % w), sy = (int)(random() % h);
        FloodFill(fast.view, fast.pen, 2, sx, sy);
        WalkedFill(walked, 2, sx, sy);
        ASSERT_TRUE(fast.memory == walked.memory) << "round " << round;
    }

    // A comb of one-pixel teeth pushes a start point per tooth on every row: far more than the stack.
    // Some pockets stay unpainted then, but nothing outside the area is touched.
    Canvas c(2001, 400, 32);
    for (int x = 1; x < 2001; x += 2)
        for (int y = 1; y < 400; y += 2)
            ViewPut(c.view, x, y, 1);
    Canvas walked(2001, 400, 32);
    walked.memory = c.memory;
    FloodFill(c.view, c.pen, 2, 0, 0);
    WalkedFill(walked, 2, 0, 0);
    EXPECT_TRUE(c.memory == walked.memory);
    size_t teeth = 0, painted = 0;
    for (int y = 0; y < 400; y++)
        for (int x = 0; x < 2001; x++) {
            teeth += c.at(x, y) == 1;
            painted += c.at(x, y) == 2;
        }
    EXPECT_EQ(1000u * 200, teeth);
    EXPECT_GE(painted, 2001u);
    for (int x = 0; x < 2001; x++)
        ASSERT_EQ(2u, c.at(x, 0)) << x;
    // An open area of a whole picture is painted to the last pixel.
    Canvas open(640, 480, 8);
    DrawCircle(open.view, open.pen, 320, 240, 100, 7);
    FloodFill(open.view, open.pen, 5, 0, 0);
    for (int y = 0; y < 480; y++)
        for (int x = 0; x < 640; x++) {
            int d2 = (x - 320) * (x - 320) + (y - 240) * (y - 240);
            if (d2 > 101 * 101) {
                ASSERT_EQ(5u, open.at(x, y)) << x << "," << y;
            }
            if (d2 < 99 * 99) {
                ASSERT_EQ(0u, open.at(x, y)) << x << "," << y;
            }
        }
}

TEST(BitmapFont, TheTableFollowsItsLayout)
{
    auto rows = [](char c) {
        return std::vector<int>(FontGlyphs[c - 32], FontGlyphs[c - 32] + 14);
    };
    EXPECT_EQ((std::vector<int>{0, 0, 0x18, 0x3C, 0x66, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x66, 0, 0, 0}),
              rows('A'));
    EXPECT_EQ((std::vector<int>{0, 0, 0, 0, 0x3E, 0x66, 0x66, 0x66, 0x66, 0x66, 0x3E, 6, 6, 0x7C}),
              rows('g'));
    EXPECT_EQ((std::vector<int>{0, 0, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18,
                                0x18, 0x18}),
              rows('|'));
    EXPECT_EQ(std::vector<int>(14, 0), rows(' '));
    EXPECT_EQ(std::vector<int>(14, 0), rows(127));
    EXPECT_EQ(0xFF, rows('_')[13]);
    for (int c = 33; c < 127; c++) {
        std::vector<int> r = rows((char)c);
        int top = 0, bottom = 13;
        while (r[top] == 0 && top < 13)
            top++;
        while (r[bottom] == 0 && bottom > 0)
            bottom--;
        EXPECT_GE(bottom, top) << (char)c << " is blank";
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            EXPECT_EQ(2, top) << (char)c;
            EXPECT_EQ(10, bottom) << (char)c;
        }
        if (c >= 'a' && c <= 'z') {
            EXPECT_GE(top, 2) << (char)c;
        }
    }
}

TEST(BitmapFont, CharactersPlaceWrapAndSkip)
{
    Canvas c(64, 40, 32);
    GlyphCursor cursor = {10, 20, 3};
    DrawGlyph(c.view, c.pen, cursor, 0xABCDEF, 'A');
    // Glyph row i lands on row 20 - 14 + i, bit 7 on column 10.
    const int a[14] = {0, 0, 0x18, 0x3C, 0x66, 0x66, 0x66, 0x7E, 0x66, 0x66, 0x66, 0, 0, 0};
    Points expected;
    for (int i = 0; i < 14; i++)
        for (int j = 0; j < 8; j++)
            if (a[i] & (0x80 >> j))
                expected.insert({10 + j, 6 + i});
    EXPECT_EQ(expected, c.set());
    for (auto [x, y] : c.set()) {
        EXPECT_TRUE(x >= 11 && x <= 16 && y >= 8 && y <= 16) << x << "," << y;
        EXPECT_EQ(0xABCDEFu, c.at(x, y));
    }
    EXPECT_EQ(18, cursor.x);
    EXPECT_EQ(20, cursor.y);
    EXPECT_EQ(16, c.pen.x);   // the last pixel plotted
    EXPECT_EQ(16, c.pen.y);

    // Tab, double-byte text and other control codes neither draw nor move; line feed returns.
    Canvas blank(64, 40, 32);
    GlyphCursor skip = {8, 20, 3};
    DrawGlyphs(blank.view, blank.pen, skip, 1, "\t\x82\xa0\xff\x01");
    EXPECT_TRUE(blank.set().empty());
    EXPECT_EQ(8, skip.x);
    DrawGlyphs(blank.view, blank.pen, skip, 1, "\n");
    EXPECT_EQ(3, skip.x);
    EXPECT_EQ(36, skip.y);

    // 40 wide: after four characters x is 32 (not beyond 32); the fifth is drawn at 32 to 39 and
    // then the cursor wraps.
    Canvas narrow(40, 60, 32);
    GlyphCursor wrap = {0, 14, 0};
    DrawGlyphs(narrow.view, narrow.pen, wrap, 1, "IIII");
    EXPECT_EQ(32, wrap.x);
    EXPECT_EQ(14, wrap.y);
    DrawGlyph(narrow.view, narrow.pen, wrap, 1, 'I');
    EXPECT_EQ(0, wrap.x);
    EXPECT_EQ(30, wrap.y);
    EXPECT_EQ(1u, narrow.at(35, 2));
}

TEST(WholeImage, ChartsGiveTheFormulaAtEveryPixelAndSize)
{
    const std::pair<int, int> sizes[] = {{1, 1}, {1, 7}, {9, 1}, {3, 2}, {37, 23}, {640, 480}};
    for (int bits : {32, 8})
        for (auto [w, h] : sizes)
            for (int kind = kPatternRgb; kind <= kPatternYiq; kind++) {
                Canvas c(w, h, bits);
                DrawPattern(c.view, c.pen, kind);
                uint32_t mask = bits == 32 ? 0xFFFFFFFF : 0xFF;
                for (int y = 0; y < h; y++)
                    for (int x = 0; x < w; x++)
                        ASSERT_EQ(PatternPixel(kind, x, y, w, h) & mask, c.at(x, y))
                            << kind << " " << w << "x" << h << " at " << x << "," << y;
            }
    // One row high: the full hues at value 255, no division by zero.
    EXPECT_EQ(0xFF0000u, PatternPixel(kPatternHsv, 0, 0, 360, 1));
    EXPECT_EQ(HsvToRgb(255, 255, 179), PatternPixel(kPatternHsv, 180, 0, 360, 1));
    // The grey ramp is two lines a column: the same pixels and pen as drawing them.
    for (int bits : {32, 8})
        for (auto [w, h] : sizes) {
            Canvas grey(w, h, bits), lines(w, h, bits);
            DrawPattern(grey.view, grey.pen, kPatternGrey);
            for (int x = 0; x < w; x++) {
                uint32_t level = 255u * x / w;
                DrawLine(lines.view, lines.pen, level * 0x010101, x, 0, x, h / 2 - 1);
                DrawLine(lines.view, lines.pen, (255 - level) * 0x010101, x, h / 2, x, h - 1);
            }
            EXPECT_EQ(lines.memory, grey.memory) << w << "x" << h;
            EXPECT_EQ(lines.pen.x, grey.pen.x);
            EXPECT_EQ(lines.pen.y, grey.pen.y);
        }
}

TEST(RubberBands, PlacementFramesRadiiAndUndrawing)
{
    EXPECT_EQ(5, CircleRadius(3, 4));
    EXPECT_EQ(1, CircleRadius(1, 1));   // 1.414 + 0.5, truncated
    EXPECT_EQ(2, CircleRadius(-1, -1 - 1));
    Canvas c(40, 30, 32);
    Band frame = {kBandPlacement, 20, 15, 0, 0, 10, 9};   // left 15, top 11, right 24, bottom 19
    XorBand(c.view, c.pen, frame);
    EXPECT_EQ(0xFFFFFFu, c.at(15, 11));
    EXPECT_EQ(0xFFFFFFu, c.at(24, 19));
    EXPECT_EQ(0xFFFFFFu, c.at(16, 12)) << "crossed inside";
    EXPECT_EQ(0u, c.at(20, 10));
    XorBand(c.view, c.pen, frame);
    EXPECT_TRUE(c.set().empty());
    Band small = {kBandPlacement, 20, 15, 0, 0, 8, 20};   // a side of 8: no cross
    XorBand(c.view, c.pen, small);
    EXPECT_EQ(2u * 8 + 2 * 18, c.set().size());
    Canvas row(40, 30, 8);
    XorBand(row.view, row.pen, Band{kBandRow, 7, 3, 0, 0, 0, 0});
    EXPECT_EQ(40u, row.set().size());
}

TEST(Plots, SeriesRowsAndChromaPoints)
{
    // Full scale on row 0, zero on row 127; hue over 0 to 359; Cr and Cb of grey on row 64.
    struct Case {
        uint32_t colour;
        int selector, row;
    };
    const Case cases[] = {
        {0xFFFFFF, kSeriesBlue, 0},       {0x000000, kSeriesValue, 127},
        {0x808080, kSeriesCr, 64},        {0x808080, kSeriesCb, 64},
        {0x00FFFF, kSeriesHue, 127 - 180 * 127 / 359},
        {0x102030, kSeriesLuminance, 127 - 29 * 127 / 255},
    };
    for (const Case &k : cases) {
        Canvas c(8, 128, 32);
        uint32_t words[3] = {k.colour, k.colour, k.colour};
        PlotSeries(c.view, c.pen, words, 2, 3, k.selector | kSeriesPolyline, 0xABCDEF);
        EXPECT_EQ(Points({{2, k.row}, {3, k.row}, {4, k.row}}), c.set()) << k.selector;
    }
    Canvas bytes(8, 128, 32);
    const uint8_t levels[2] = {255, 0};
    PlotSeries(bytes.view, bytes.pen, levels, 0, 2, kSeriesByte | kSeriesDots, 1);
    EXPECT_EQ(Points({{0, 0}, {1, 127}}), bytes.set());
    Canvas none(8, 128, 32);
    PlotSeries(none.view, none.pen, levels, 0, 2, kSeriesByte, 1);   // no drawing mode
    EXPECT_TRUE(none.set().empty());

    EXPECT_EQ(128, ChromaPoint(0x808080).x);
    EXPECT_EQ(128, ChromaPoint(0x808080).y);
    EXPECT_EQ(0, ChromaPoint(0xFF0000).y) << "pure red at the top";
    // A grey row ends magenta after an even count of points, white after an odd one.
    for (int n : {2, 3, 200, 201}) {
        Canvas chart(256, 256, 32);
        std::vector<uint32_t> grey((size_t)n, 0x808080);
        PlotChromaLine(chart.view, chart.pen, grey.data(), n);
        EXPECT_EQ(n % 2 == 0 ? 0xFF00FFu : 0xFFFFFFu, chart.at(128, 128)) << n;
    }
    Canvas area(256, 256, 32);
    GlyphCursor cursor;
    uint32_t textColour = 0;
    DrawChromaFrame(area.view, area.pen, cursor, &textColour);
    EXPECT_EQ(0x808080u, area.at(0, 128));
    EXPECT_EQ(0x808080u, area.at(128, 255));
    EXPECT_EQ(0x8888FFu, textColour);
    EXPECT_EQ(238, cursor.x) << "\"Cb\" ends at the right edge and wraps to its column";
    EXPECT_EQ(160, cursor.y);
    uint32_t one = 0x00FF00;
    PlotChromaArea(area.view, area.pen, 1, &one, 1);
    EXPECT_EQ(0xFFFFFFu, area.at(ChromaPoint(one).x, ChromaPoint(one).y));
}
