// Zoom fitting and steps, pixel mapping, the selection history, copies over pixel memory,
// titles and file extensions.
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image/image_rules.h"
#include "image/menu_rules.h"
#include "runtime/rules.h"

// A 1280 x 1024 screen with a 19-pixel caption; minimum window 112 x 27, dialog frame 3.
static const ScreenLimits kScreen = {1280, 1024 - 19, 112 - 6, 27 - 6 - 19};

TEST(FitZoom, KeepsWhatFitsReducesWhatDoesNotAndRaisesTinyImages)
{
    struct Row {
        int w, h, zoom;
        bool fits;
        int fitted, viewWidth, viewHeight;   // -1: not checked
    };
    const Row rows[] = {
        {640, 480, 70, true, 70, 448, 336},
        {1280, 480, 25, true, 25, 320, 120},
        {3000, 100, 100, true, 1280 * 100 / 3000, 3000 * 42 / 100, -1},   // wider than the screen
        {300, 2010, 100, true, 50, -1, -1},   // higher than the screen less the caption
        {1, 1, 100, true, 10600, 106, 106},   // raised to the minimum window: ceil(106 x 100 / 1)
        {1, 1, 0, true, 10600, 106, 106},
        {640, 480, -50, true, 17, 108, 81},   // ceil(106 x 100 / 640)
        // 480 x 111 / 100 = 532.8 and 532.8 x 100 / 480 is 110.99999999999999 in doubles.
        {640, 480, 111, true, 111, 710, 532},
        {100000, 1000, 100000, true, 1, -1, -1},   // 100000 x 100000 overflowed 32 bits
        // Too long and thin: raised to the minimum height it would be far wider than the screen.
        {100000, 1, 100, false, -1, -1, -1},
    };
    for (const Row &r : rows) {
        ZoomFit fit;
        ASSERT_EQ(r.fits, FitZoom(r.w, r.h, r.zoom, kScreen, &fit)) << r.w << "x" << r.h << " " << r.zoom;
        if (!r.fits)
            continue;
        EXPECT_TRUE(r.fitted < 0 || r.fitted == fit.zoom) << r.w << "x" << r.h << ": " << fit.zoom;
        EXPECT_TRUE(r.viewWidth < 0 || r.viewWidth == fit.viewWidth) << r.w << "x" << r.h << ": " << fit.viewWidth;
        EXPECT_TRUE(r.viewHeight < 0 || r.viewHeight == fit.viewHeight) << r.w << "x" << r.h << ": " << fit.viewHeight;
    }
    // Every zoom that fits is kept as it is.
    ZoomFit fit;
    for (int w = 1; w < 2000; w += 37)
        for (int z = 1; z < 400; z += 3) {
            if (!FitZoom(w, 480, z, kScreen, &fit))
                continue;
            bool fitsAsAsked = (int64_t)w * z <= kScreen.screenWidth * 100LL &&
                               480LL * z <= kScreen.screenHeight * 100LL &&
                               w * z / 100 >= kScreen.minWidth && 480 * z / 100 >= kScreen.minHeight;
            if (fitsAsAsked) {
                ASSERT_EQ(z, fit.zoom) << w << " " << z;
            }
        }
    ASSERT_TRUE(FitZoom(INT_MAX, 1, INT_MAX, {INT_MAX, INT_MAX, 1, 1}, &fit));
    EXPECT_GT(fit.viewWidth, 0);
}

TEST(ZoomSteps, InAndOutByTheFixedRules)
{
    EXPECT_EQ(111, ZoomInStep(100));
    EXPECT_EQ(123, ZoomInStep(111));
    EXPECT_EQ(28, ZoomInStep(25));
    EXPECT_EQ(90, ZoomOutStep(100));
    EXPECT_EQ(81, ZoomOutStep(90));
    EXPECT_EQ(23, ZoomOutStep(25));
    EXPECT_EQ(5, ZoomOutStep(5));
}

TEST(ClientToPixel, TruncatesByTheZoom)
{
    EXPECT_EQ(98, ClientToPixel(69, 70));
    EXPECT_EQ(2, ClientToPixel(5, 200));
    EXPECT_EQ(4, ClientToPixel(9, 200));
    EXPECT_EQ(10, ClientToPixel(5, 50));
    EXPECT_EQ(18, ClientToPixel(9, 50));
    EXPECT_EQ(65535, ClientToPixel(0xFFFF, 100));   // the 16 bits are unsigned
    EXPECT_EQ(0, ClientToPixel(7, 0));
}

TEST(Selection, NineSelectsAndNinePops)
{
    SelectionState s;
    ResetSelection(&s);
    s.current = 50;   // current before the selections: no longer reachable afterwards
    for (int i = 1; i <= 9; i++)
        PushSelection(&s, i);
    EXPECT_EQ(9, s.current);
    std::vector<int> popped;
    for (int i = 0; i < 9; i++) {
        PopSelection(&s);
        popped.push_back(s.current);
    }
    EXPECT_EQ((std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1, 1}), popped);
}

TEST(PixelCopies, RectanglesOutsideAreZeroAndFramesAreClipped)
{
    // 3 x 2 image, 32 bits.
    uint32_t image[6] = {1, 2, 3, 4, 5, 6};
    uint32_t out[6];
    CopyRectOut32(image, 3, 2, out, -1, 0, 3, 2);
    EXPECT_EQ((std::vector<uint32_t>{0, 1, 2, 0, 4, 5}), std::vector<uint32_t>(out, out + 6));
    // 8 bits, width 5: rows of 8 bytes, pixel (0, 1) is byte 8.
    EXPECT_EQ(8, Stride8(5));
    EXPECT_EQ(4, Stride8(4));
    uint8_t gray[16] = {};
    gray[8] = 77;
    uint8_t one;
    CopyRectOut8(gray, 5, 2, &one, 0, 1, 1, 1);
    EXPECT_EQ(77, one);
    // A frame at column 600 of a 1280 x 480 image fills columns 600 to 1239.
    std::vector<uint32_t> frame((size_t)kFrameWidth * kFrameHeight);
    for (size_t i = 0; i < frame.size(); i++)
        frame[i] = (uint32_t)i;
    std::vector<uint32_t> wide((size_t)1280 * 480, 0xEEEEEE);
    PutFrame32(wide.data(), 1280, 480, frame.data(), 600);
    EXPECT_EQ(0xEEEEEEu, wide[599]);
    EXPECT_EQ(0u, wide[600]);
    EXPECT_EQ(639u, wide[1239]);
    EXPECT_EQ(0xEEEEEEu, wide[1240]);
    EXPECT_EQ(479u * 640 + 5, wide[479 * 1280 + 605]);
    // Clipped on the right and below in a smaller image, and with a negative offset.
    std::vector<uint32_t> small((size_t)700 * 10, 0);
    PutFrame32(small.data(), 700, 10, frame.data(), 100);
    EXPECT_EQ(599u, small[699]);
    EXPECT_EQ(9u * 640 + 599, small[9 * 700 + 699]);
    PutFrame32(small.data(), 700, 10, frame.data(), -630);
    EXPECT_EQ(639u, small[9]);
    std::vector<uint8_t> bytes((size_t)Stride8(641) * 480, 0);
    std::vector<uint8_t> frame8((size_t)kFrameWidth * kFrameHeight, 9);
    PutFrame8(bytes.data(), 641, 480, frame8.data(), 1);
    EXPECT_EQ(0, bytes[0]);
    EXPECT_EQ(9, bytes[640]);
    EXPECT_EQ(9, bytes[(size_t)Stride8(641) + 1]);
}

TEST(Titles, ShowZoomDepthAndHalftone)
{
    char title[256];
    FormatImageTitle(title, sizeof title, "Right", 70, 32, false, IsLeadByte932);
    EXPECT_STREQ("Right(70%)", title);
    FormatImageTitle(title, sizeof title, "Right", 70, 8, false, IsLeadByte932);
    EXPECT_STREQ("Right(70%)[8bit]", title);
    FormatImageTitle(title, sizeof title, "LR", 25, 32, true, IsLeadByte932);
    EXPECT_STREQ("LR(25%)*", title);
    std::string longName(400, 'n');
    FormatImageTitle(title, sizeof title, longName.c_str(), 100, 32, false, IsLeadByte932);
    EXPECT_EQ(255u, strlen(title));
}

// The name after EnsureFileExtension, or "refused" when the extension did not fit.
static std::u16string Ensure(std::u16string name, const char16_t *ext)
{
    char16_t buffer[260] = {};
    for (size_t i = 0; i < name.size(); i++)
        buffer[i] = name[i];
    if (!EnsureFileExtension(buffer, 260, ext))
        return name == buffer ? u"refused" : u"refused, name changed";
    return buffer;
}

TEST(FileExtensions, AppendedUnlessTheLastFourCharactersHoldThem)
{
    EXPECT_EQ(u"capture.jps", Ensure(u"capture", u".jps"));
    EXPECT_EQ(u"a.BMP", Ensure(u"a.BMP", u".bmp"));
    EXPECT_EQ(u"a.jpg.jps", Ensure(u"a.jpg", u".jps"));
    EXPECT_EQ(u"x.TIF", Ensure(u"x.TIF", u".tif"));
    EXPECT_EQ(u"x.tiff.tif", Ensure(u"x.tiff", u".tif"));
    EXPECT_EQ(u"png.png", Ensure(u"png", u".png"));   // three characters: always appended
    EXPECT_EQ(u".png", Ensure(u"", u".png"));
    // 255 units and ".bmp" fill 260 with the terminator; one more would cut the extension.
    EXPECT_EQ(259u, Ensure(std::u16string(255, u'a'), u".bmp").size());
    EXPECT_EQ(u"refused", Ensure(std::u16string(256, u'a'), u".bmp"));
    EXPECT_EQ(u"refused", Ensure(std::u16string(258, u'a'), u".bmp"));
    EXPECT_EQ(259u, Ensure(std::u16string(255, u'a') + u".PNG", u".png").size());   // already there
}

TEST(PixelBytes, CountsIn64BitsAndRefusesWhatIsOverTheCap)
{
    size_t bytes = 0;
    EXPECT_TRUE(PixelBytes(640, 480, 32, &bytes));
    EXPECT_EQ(640u * 480 * 4, bytes);
    EXPECT_TRUE(PixelBytes(5, 3, 8, &bytes));
    EXPECT_EQ(8u * 3, bytes);   // rows padded to 4 bytes
    EXPECT_TRUE(PixelBytes(8192, 8192, 32, &bytes));
    EXPECT_EQ(kMaxPixelBytes, (uint64_t)bytes);
    const struct { int w, h, bits; } refused[] = {
        {8192, 8193, 32},     // one row over the cap
        {32768, 32768, 32},   // 4 GiB: 0 in 32-bit arithmetic
        {65536, 65536, 8},    // 4 GiB: 0 in 32-bit arithmetic
        {40000, 40000, 8},
        {0x7FFFFFFF, 0x7FFFFFFF, 32},
        {0, 10, 32}, {10, 0, 8}, {-1, 10, 32}, {10, -5, 8},
        {10, 10, 24},
    };
    for (const auto &r : refused) {
        bytes = 12345;
        EXPECT_FALSE(PixelBytes(r.w, r.h, r.bits, &bytes)) << r.w << " x " << r.h << " x " << r.bits;
        EXPECT_EQ(12345u, bytes);
    }
}

TEST(ImageMenuRules, ChecksCompareTheZoomExactlyAndDepthsOfferTheirItems)
{
    struct Case {
        int rule, zoom, bits;
        bool offered, checked;
    };
    const Case cases[] = {
        {kItemCheckedAtZoom100, 100, 32, true, true},  {kItemCheckedAtZoom100, 101, 32, true, false},
        {kItemCheckedAtZoom50, 49, 8, true, false},    {kItemCheckedAtZoom50, 50, 8, true, true},
        {kItemCheckedAtZoom200, 200, 32, true, true},  {kItemAlways, 100, 32, true, false},
        {kItemFor32Bit, 100, 8, false, false},         {kItemFor32Bit, 100, 32, true, false},
        {kItemFor8Bit, 100, 8, true, false},           {kItemFor8Bit, 100, 32, false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.offered, ImageItemOffered(c.rule, c.bits)) << c.rule << " " << c.bits;
        EXPECT_EQ(c.checked, ImageItemChecked(c.rule, c.zoom)) << c.rule << " " << c.zoom;
    }
}


struct SlotTable {
    int inUse[256];
    int refuse;   // a slot that refuses with 2 (cannot fit), or -1
    int calls;
};

static int CreateInTable(int slot, void *context)
{
    SlotTable *t = (SlotTable *)context;
    t->calls++;
    if (slot == t->refuse)
        return 2;
    if (t->inUse[slot])
        return 1;
    t->inUse[slot] = 1;
    return 0;
}

TEST(DropSlots, OneCursorServesAllFilesOfADrop)
{
    SlotTable table = {};
    table.refuse = -1;
    table.inUse[0] = table.inUse[2] = 1;
    int cursor = 0;
    EXPECT_EQ(1, CreateInNextFreeSlot(&cursor, CreateInTable, &table));
    EXPECT_EQ(3, CreateInNextFreeSlot(&cursor, CreateInTable, &table));
    EXPECT_EQ(4, CreateInNextFreeSlot(&cursor, CreateInTable, &table));
    EXPECT_EQ(5, cursor);
}

TEST(DropSlots, GivesUpOnRefusalAndAtTheEnd)
{
    SlotTable table = {};
    table.refuse = 1;
    int cursor = 0;
    table.inUse[0] = 1;
    EXPECT_EQ(-1, CreateInNextFreeSlot(&cursor, CreateInTable, &table));   // slot 1 cannot fit
    EXPECT_EQ(2, cursor);
    EXPECT_EQ(2, CreateInNextFreeSlot(&cursor, CreateInTable, &table));   // next file goes on
    for (int i = 0; i < 256; i++)
        table.inUse[i] = 1;
    table.calls = 0;
    EXPECT_EQ(-1, CreateInNextFreeSlot(&cursor, CreateInTable, &table));
    EXPECT_EQ(256, cursor);
    EXPECT_EQ(253, table.calls);
    EXPECT_EQ(-1, CreateInNextFreeSlot(&cursor, CreateInTable, &table));   // no slot 256
    EXPECT_EQ(253, table.calls);
}
