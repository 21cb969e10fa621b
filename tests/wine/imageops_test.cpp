// Image operations under Wine on real image windows: the transforms and test patterns driven by
// their command numbers as a menu choice drives them, and the drawing calls on the current image.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "image/image_store.h"
#include "image/image_operations.h"
#include "test_app.h"

// Sends command id to image index's window as its menu would; the command runs in the window
// procedure on this (the worker) thread.
static void Command(int index, int id) { SendMessageW(ImageTable[index].window, WM_COMMAND, id, 0); }

// The colour bytes of every pixel, top byte masked off.
static std::vector<unsigned> Colours(int index)
{
    const ImageRecord &r = ImageTable[index];
    std::vector<unsigned> out(ImagePixels32[index], ImagePixels32[index] + r.width * r.height);
    for (unsigned &p : out)
        p &= 0xFFFFFF;
    return out;
}

static void Fill32(int index, const std::vector<unsigned> &values)
{
    memcpy(ImagePixels32[index], values.data(), values.size() * 4);
}

static unsigned At(int index, int x, int y)
{
    return ImagePixels32[index][x + y * ImageTable[index].width] & 0xFFFFFF;
}

static SIZE SizeOf(int index) { return {ImageTable[index].width, ImageTable[index].height}; }
static bool operator==(SIZE a, SIZE b) { return a.cx == b.cx && a.cy == b.cy; }

// The smallest w for which w x 1 fits the screen but 1 x w does not.
static int FirstThatCannotTurn(void)
{
    ScreenLimits limits = ReadScreenLimits();
    ZoomFit fit;
    for (int w = 16; w < 100000; w++)
        if (FitZoom(w, 1, 100, limits, &fit) && !FitZoom(1, w, 100, limits, &fit))
            return w;
    return -1;
}

TEST(Transforms, TurnsFlipsInversionAndSizesByTheirCommandNumbers)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(3, "small", 40, 60, 3, 2, 100));
        RECT before, after;
        GetWindowRect(ImageTable[3].window, &before);
        Fill32(3, {1, 2, 3, 4, 5, 6});
        TVX_SelectImage(0);   // a free slot: the turn makes its own image current
        Command(3, 1061);
        EXPECT_TRUE(SizeOf(3) == SIZE({2, 3}));
        EXPECT_EQ((std::vector<unsigned>{4, 1, 5, 2, 6, 3}), Colours(3));
        EXPECT_EQ(3, CurrentImage);
        GetWindowRect(ImageTable[3].window, &after);
        EXPECT_EQ(before.left, after.left);
        EXPECT_EQ(before.top, after.top);
        Command(3, 1062);   // a left turn undoes it
        EXPECT_TRUE(SizeOf(3) == SIZE({3, 2}));
        EXPECT_EQ((std::vector<unsigned>{1, 2, 3, 4, 5, 6}), Colours(3));
        Command(3, 1062);
        EXPECT_TRUE(SizeOf(3) == SIZE({2, 3}));
        EXPECT_EQ((std::vector<unsigned>{3, 6, 2, 5, 1, 4}), Colours(3));
        Command(3, 1061);

        // Four right turns give the start back; 8-bit turns move bytes into padded rows.
        ASSERT_EQ(0, TVX_CreateImage(4, "odd", 0, 0, 7, 5, 100));
        for (int i = 0; i < 35; i++)
            ImagePixels32[4][i] = 0x010203u * (unsigned)i;
        std::vector<unsigned> start = Colours(4);
        for (int i = 0; i < 4; i++)
            Command(4, 1061);
        EXPECT_EQ(start, Colours(4));
        ASSERT_EQ(0, TVX_CreateImage8(5, "odd8", 0, 0, 5, 3, 100));
        for (int y = 0; y < 3; y++)
            for (int x = 0; x < 5; x++)
                ImagePixels8[5][y * 8 + x] = (unsigned char)(10 * y + x);
        Command(5, 1062);   // now 3 wide and 5 high, rows of 4 bytes
        EXPECT_TRUE(SizeOf(5) == SIZE({3, 5}));
        EXPECT_EQ(4, ImagePixels8[5][0]);            // the old top-right at the top left
        EXPECT_EQ(24, ImagePixels8[5][2]);
        EXPECT_EQ(20, ImagePixels8[5][4 * 4 + 2]);   // the old bottom-left at the bottom right

        // Flips mirror exactly; a one-pixel-wide flip changes nothing.
        Fill32(3, {1, 2, 3, 4, 5, 6});
        Command(3, 1059);
        EXPECT_EQ((std::vector<unsigned>{3, 2, 1, 6, 5, 4}), Colours(3));
        Command(3, 1060);
        EXPECT_EQ((std::vector<unsigned>{6, 5, 4, 3, 2, 1}), Colours(3));
        ASSERT_EQ(0, TVX_CreateImage(6, "thin", 0, 0, 1, 4, 100));
        Fill32(6, {7, 8, 9, 10});
        Command(6, 1059);
        EXPECT_EQ((std::vector<unsigned>{7, 8, 9, 10}), Colours(6));

        // Inverting twice gives the colours back; an 8-bit index i becomes 255 - i and the
        // colour table stays.
        const std::vector<unsigned> colours = {0, 0x123456, 0xFFFFFF, 0x808080, 0xFF, 0xFF0000};
        Fill32(3, colours);
        Command(3, 1058);
        EXPECT_EQ(0xEDCBA9u, Colours(3)[1]);
        EXPECT_EQ(0xFFFFFFu, Colours(3)[0]);
        Command(3, 1058);
        EXPECT_EQ(colours, Colours(3));
        ImagePixels8[5][0] = 0;
        ImagePixels8[5][1] = 200;
        Command(5, 1058);
        EXPECT_EQ(255, ImagePixels8[5][0]);
        EXPECT_EQ(55, ImagePixels8[5][1]);
        RGBQUAD table[256];
        TVX_SelectImage(5);
        ASSERT_EQ(0, TVX_GetColorTable(table));
        EXPECT_EQ(200, table[200].rgbRed);

        // Sizes, and the changes that cannot be made leave the image as it was.
        struct Size {
            int id, width, height;
        };
        const Size sizes[] = {{1063, 320, 240}, {1064, 452, 339}, {1065, 905, 679},
                              {1066, 1280, 960}};
        for (const Size &s : sizes) {
            ASSERT_EQ(0, TVX_CreateImage(7, "sized", 0, 0, 640, 480, 100));
            PatternRgb();
            Command(7, s.id);
            EXPECT_TRUE(SizeOf(7) == SIZE({s.width, s.height})) << s.id;
            EXPECT_EQ(7, CurrentImage);
            // Colour-on-colour keeps whole rows and columns: the corners come from the
            // corners (red counts the columns, green the rows).
            EXPECT_EQ(0x0000FFu, At(7, 0, 0)) << s.id;
            unsigned corner = At(7, s.width - 1, s.height - 1);
            EXPECT_GE(corner >> 16, 0xFDu) << s.id;
            EXPECT_GE(corner >> 8 & 0xFF, 0xFDu) << s.id;
            TVX_DestroyImage(7);
        }
        ASSERT_EQ(0, TVX_CreateImage(7, "dot", 0, 0, 1, 1, 100));
        Command(7, 1063);
        EXPECT_TRUE(SizeOf(7) == SIZE({1, 1}));

        // A turn that cannot fit the screen, or a doubling over the memory one image may
        // take, leaves window and pixels as they were.
        int turn = FirstThatCannotTurn();
        ASSERT_GT(turn, 0);
        struct Refused {
            int id, width, height, bits;
        };
        const Refused refused[] = {{1061, turn, 1, 32}, {1062, turn, 1, 32},
                                   {1066, 16384, 4097, 8}};
        for (const Refused &r : refused) {
            ASSERT_EQ(0, TVX_CreateImageEx(8, "keep", 0, 0, r.width, r.height, 100, r.bits));
            HWND window = ImageTable[8].window;
            ImagePixels8[8][r.width - 1] = 0xAB;
            Command(8, r.id);
            EXPECT_EQ(1, ImageTable[8].inUse) << r.id;
            EXPECT_EQ(window, ImageTable[8].window) << r.id;
            EXPECT_TRUE(SizeOf(8) == SIZE({r.width, r.height})) << r.id;
            EXPECT_EQ(0xAB, ImagePixels8[8][r.width - 1]) << r.id;
            TVX_DestroyImage(8);
        }
    }));
}

TEST(TestPatterns, ReferencePixelsOfEveryChart)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(9, "chart", 0, 0, 640, 480, 50));
        ASSERT_EQ(0, TVX_CreateImage8(10, "chart8", 0, 0, 640, 480, 50));
        struct Probe {
            int id, x, y;
            unsigned colour;
        };
        const Probe probes[] = {
            {1053, 0, 0, 0x0000FF}, {1053, 320, 240, 0x7F7F80}, {1053, 639, 479, 0xFEFE01},
            {1054, 0, 240, 0xFF0000}, {1054, 320, 240, 0x00FFFA}, {1054, 0, 0, 0xFFFFFF},
            {1055, 0, 0, 0xFFFFB0}, {1055, 320, 0, 0xFFC0FF}, {1055, 0, 240, 0xFFFF3A},
            {1055, 320, 240, 0}, {1067, 320, 240, 0}, {1068, 320, 240, 0},
            {1071, 0, 0, 0}, {1071, 639, 0, 0xFEFEFE}, {1071, 0, 479, 0xFFFFFF},
        };
        for (const Probe &p : probes) {
            memset(ImagePixels32[9], 0x55, 640 * 480 * 4);
            TVX_SelectImage(10);   // the command selects the window's own image
            Command(9, p.id);
            EXPECT_EQ(9, CurrentImage);
            EXPECT_EQ(p.colour, At(9, p.x, p.y)) << p.id << " at " << p.x << "," << p.y;
        }
        // The Yuv and YIQ charts put their chroma on other axes than YCrCb.
        Command(9, 1067);
        unsigned yuv = At(9, 0, 0);
        Command(9, 1068);
        EXPECT_NE(yuv, At(9, 0, 0));

        // 8 bits keep the blue byte; Grey gives a changed colour table its ramp back.
        Command(10, 1053);
        EXPECT_EQ(255, ImagePixels8[10][0]);
        EXPECT_EQ(1, ImagePixels8[10][479 * 640 + 639]);
        RGBQUAD red[256] = {};
        for (RGBQUAD &c : red)
            c.rgbRed = 255;
        TVX_SelectImage(10);
        ASSERT_EQ(0, TVX_SetColorTable(red, 256));
        Command(10, 1071);
        RGBQUAD table[256];
        ASSERT_EQ(0, TVX_GetColorTable(table));
        for (int i = 0; i < 256; i++)
            ASSERT_TRUE(table[i].rgbRed == i && table[i].rgbGreen == i && table[i].rgbBlue == i)
                << i;
        EXPECT_EQ(254, ImagePixels8[10][639]);
        EXPECT_EQ(255, ImagePixels8[10][479 * 640]);
    }));
}

TEST(Drawing, CallsActOnTheCurrentImageAndGdiSeesThem)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(11, "draw", 0, 0, 64, 40, 100));
        ASSERT_EQ(0, TVX_CreateImage8(12, "other", 0, 0, 16, 16, 100));
        TVX_SelectImage(11);
        PlotPixel(-1, 5, 0xFFFFFF);
        EXPECT_EQ(-1, PenPosition.x);
        EXPECT_EQ(5, PenPosition.y);
        EXPECT_EQ(0u, ReadPixel(64, 0));
        EXPECT_EQ(-1, ProbePixel(64, 0));
        DrawColor = 0x00FF00;
        FillBox(0, 0, 9, 9);
        DrawLine(0xFF0000, 0, 20, 63, 20);
        tvx_tc = 0x0000FF;
        TextCursor = {20, 39, 20};
        DrawFormatted("%d", 42);
        EXPECT_EQ(36, TextCursor.x);
        GdiFlush();
        HDC dc = ImageTable[11].memoryDC;
        EXPECT_EQ(RGB(0, 255, 0), GetPixel(dc, 5, 5));
        EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 63, 20));
        int blue = 0;
        for (int y = 25; y < 39; y++)
            for (int x = 20; x < 36; x++)
                blue += GetPixel(dc, x, y) == RGB(0, 0, 255);
        EXPECT_GT(blue, 20);
        EXPECT_EQ(0, ImagePixels8[12][0]) << "the other image is not touched";

        // With the current slot free every call does nothing.
        TVX_DestroyImage(11);
        PlotPixel(0, 0, 1);
        FloodFill(0, 0);
        DrawString("free");
        PatternHsv();
        EXPECT_EQ(0u, ReadPixel(0, 0));
    }));
}
