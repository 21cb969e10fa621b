// Text layout, colour stack, key ring and line editing, against a recording surface.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "text/text_rules.h"
#include "text/window_info_rules.h"

struct Recorder {
    struct Op {
        char kind;   // 'r' run, 'c' cell, 's' scroll
        std::u16string text;
        int x, y, cells;
    };
    std::vector<Op> ops;
    TextSurface surface{this, DrawRun, DrawCell, Scroll};

    static void DrawRun(void *c, const uint16_t *u, int n, int x, int y)
    {
        ((Recorder *)c)->ops.push_back({'r', std::u16string((const char16_t *)u, (size_t)n), x, y, 0});
    }
    static void DrawCell(void *c, uint16_t u, int x, int y, int cells)
    {
        ((Recorder *)c)->ops.push_back({'c', std::u16string(1, (char16_t)u), x, y, cells});
    }
    static int Scroll(void *c, TextCursorState *cursor)
    {
        int band;
        if (!ScrollStep(cursor, &band))
            return 0;
        ((Recorder *)c)->ops.push_back({'s', u"", 0, cursor->y, 0});
        return 1;
    }
};

static int Print(const std::u16string &text, TextCursorState *cursor, Recorder *r)
{
    return LayoutPrint((const uint16_t *)text.data(), (int)text.size(), cursor, r->surface);
}

TEST(PrintLayout, LineFeedsAndWrapsStartLinesAndTwoCellCharactersMoveWhole)
{
    using Run = std::tuple<std::u16string, int, int>;   // text, x, y
    struct Case {
        int width;
        std::vector<std::u16string> prints;
        std::vector<Run> runs;
        int endX;
    };
    const Case cases[] = {
        {400, {u"abc\n", u"de"}, {{u"abc", 0, 0}, {u"de", 0, 16}}, 16},   // a line feed draws nothing
        {400, {u"\n\nxyz"}, {{u"xyz", 0, 32}}, 24},
        {80, {u"abcdefghijkl"}, {{u"abcdefghij", 0, 0}, {u"kl", 0, 16}}, 16},   // 12 in 10 cells
        {80, {u"abcdefghi\u3042"}, {{u"abcdefghi", 0, 0}, {u"\u3042", 0, 16}}, 16},   // 1 cell left
    };
    for (const Case &k : cases) {
        Recorder r;
        TextCursorState c = {0, 0, k.width, 300, 8, 16};
        for (const std::u16string &text : k.prints)
            Print(text, &c, &r);
        std::vector<Run> runs;
        for (const Recorder::Op &op : r.ops)
            runs.push_back({op.text, op.x, op.y});
        EXPECT_TRUE(k.runs == runs) << "case of width " << k.width << ", " << runs.size() << " runs";
        EXPECT_EQ(k.endX, c.x);
    }
}

TEST(PrintLayout, ScrollsOneLineHeightPerLineFeedAtTheBottom)
{
    Recorder r;
    TextCursorState c = {0, 0, 80, 64, 8, 16};   // four lines
    // A line fits while its top plus the line height stays below the height: lines 0, 16, 32.
    int scrolls = Print(u"1\n2\n3\n4\n5\n", &c, &r);
    EXPECT_EQ(3, scrolls);
    EXPECT_EQ(32, c.y);
    int band = -1;
    TextCursorState bottom = {0, 48, 80, 64, 8, 16};
    ASSERT_EQ(1, ScrollStep(&bottom, &band));
    EXPECT_EQ(32, band);
    EXPECT_EQ(32, bottom.y);
    TextCursorState fits = {0, 32, 80, 64, 8, 16};
    EXPECT_EQ(0, ScrollStep(&fits, &band));
}

// The back buffer scrolled by moving its shown rows shows, after every scroll and every line
// drawn, what moving the pixels would show: rows as numbers, the window beside the buffer.
TEST(PrintLayout, AScrolledBufferShowsWhatMovingThePixelsShows)
{
    for (int height : {20, 40, 47, 300}) {
        const int lh = 16, rows = BufferRowsFor(height, lh);
        std::vector<int> shown(height, 0), buffer(rows, 0);
        int top = 0, drawn = 0, y = 0;
        for (int step = 0; step < 500; step++) {
            drawn++;   // a line drawn at the cursor, in both
            for (int r = y; r < std::min(height, y + lh); r++)
                shown[r] = buffer[top + r] = drawn;
            y += lh;
            TextCursorState c = {0, y, 80, height, 8, lh};
            int band = 0;
            if (!ScrollStep(&c, &band))
                continue;
            for (int r = 0; r < band; r++)   // the pixels moved, then the new line cleared
                shown[r] = shown[r + lh];
            for (int r = std::max(0, c.y); r < std::min(height, 2 * c.y + lh); r++)
                shown[r] = 0;
            BufferScroll plan = PlanBufferScroll(top, rows, height, lh, c.y);
            if (plan.compactFrom >= 0)
                std::copy(buffer.begin() + plan.compactFrom, buffer.begin() + plan.compactFrom + height,
                          buffer.begin());
            std::copy_backward(buffer.begin() + plan.top - lh + plan.keepFrom,
                               buffer.begin() + plan.top - lh + plan.keepTo, buffer.begin() + plan.top + plan.keepTo);
            std::fill(buffer.begin() + plan.top + plan.clearFrom, buffer.begin() + plan.top + plan.clearTo, 0);
            ASSERT_LE(plan.top + height, rows);
            top = plan.top;
            y = c.y;
            ASSERT_EQ(shown, std::vector<int>(buffer.begin() + top, buffer.begin() + top + height))
                << height << " rows, step " << step;
        }
    }
}

TEST(ColorStack, NinePushesAndNinePopsEndAtTheFirstPush)
{
    ColorStack stack;
    uint32_t text = 0xFFFFFF, back = 0;
    FillColorStack(&stack, text, back);
    PushColors(&stack, &text, &back, 0xFFFF00, 0x000000);   // yellow on black
    PopColors(&stack, &text, &back);
    EXPECT_EQ(0xFFFFFFu, text);
    EXPECT_EQ(0u, back);
    for (uint32_t i = 1; i <= 9; i++)
        PushColors(&stack, &text, &back, i, 100 + i);
    for (int i = 0; i < 9; i++)
        PopColors(&stack, &text, &back);
    // Eight entries: the window's own colours fell off; the first push's colours remain.
    EXPECT_EQ(1u, text);
    EXPECT_EQ(101u, back);
}

TEST(KeyRing, HoldsTwoHundredFiftySixUnitsInOrder)
{
    KeyRingState ring;
    EXPECT_EQ(0, KeyRingTake(&ring));
    for (int i = 0; i < 256; i++)
        EXPECT_TRUE(KeyRingPut(&ring, (uint16_t)(i + 1)));
    EXPECT_FALSE(KeyRingPut(&ring, 999));   // full: dropped
    for (int i = 0; i < 256; i++)
        EXPECT_EQ(i + 1, KeyRingTake(&ring));
    EXPECT_EQ(0, KeyRingTake(&ring));
    // Around the end of the buffer.
    for (int round = 0; round < 3; round++) {
        for (int i = 0; i < 200; i++)
            KeyRingPut(&ring, (uint16_t)(i + 7));
        for (int i = 0; i < 200; i++)
            ASSERT_EQ(i + 7, KeyRingTake(&ring));
    }
    EXPECT_EQ(0, KeyRingTake(&ring));
}

// A 10-cell line (80 pixels of 8): the line wraps after the tenth cell and Backspace returns onto
// it; a two-cell character that does not fit moves down whole and Backspace brings the cursor
// back to where it did not fit; 255 characters are the most, and an empty line has nothing to
// take back.
TEST(InputLine, WrapsBackspacesOverLineEndsAndHoldsTwoHundredFiftyFive)
{
    Recorder r;
    InputLine line;
    InputLineClear(&line);
    TextCursorState c = {0, 0, 80, 300, 8, 16};
    EXPECT_FALSE(InputLineBackspace(&line, &c, r.surface));
    for (char16_t ch : std::u16string(u"0123456789"))
        InputLineInsert(&line, ch, &c, r.surface);
    EXPECT_EQ(0, c.x);
    EXPECT_EQ(16, c.y);
    EXPECT_EQ(72, r.ops.back().x);   // the 10th on the first line
    ASSERT_TRUE(InputLineBackspace(&line, &c, r.surface));
    EXPECT_EQ(72, c.x);
    EXPECT_EQ(0, c.y);
    InputLineInsert(&line, 'x', &c, r.surface);
    EXPECT_EQ(u"x", r.ops.back().text);
    EXPECT_EQ(72, r.ops.back().x);
    EXPECT_EQ(0, r.ops.back().y);
    EXPECT_EQ(10, line.length);

    InputLineClear(&line);
    c = {0, 0, 80, 300, 8, 16};
    for (char16_t ch : std::u16string(u"abcdefghi"))   // one cell left
        InputLineInsert(&line, ch, &c, r.surface);
    EXPECT_EQ(72, c.x);
    InputLineInsert(&line, u'\u3042', &c, r.surface);
    EXPECT_EQ(u"\u3042", r.ops.back().text);
    EXPECT_EQ(0, r.ops.back().x);
    EXPECT_EQ(16, r.ops.back().y);
    EXPECT_EQ(16, c.x);
    ASSERT_TRUE(InputLineBackspace(&line, &c, r.surface));
    EXPECT_EQ(72, c.x);   // back to the end of the line above, where it did not fit
    EXPECT_EQ(0, c.y);
    EXPECT_EQ(u"\u3000", r.ops.back().text);   // erased with an ideographic space
    ASSERT_TRUE(InputLineBackspace(&line, &c, r.surface));
    EXPECT_EQ(64, c.x);   // then the 'i'
    EXPECT_EQ(0, c.y);

    InputLineClear(&line);
    c = {0, 0, 4000, 300, 8, 16};
    for (int i = 0; i < 255; i++)
        ASSERT_TRUE(InputLineInsert(&line, 'a', &c, r.surface));
    size_t drawn = r.ops.size();
    EXPECT_FALSE(InputLineInsert(&line, 'b', &c, r.surface));
    EXPECT_EQ(drawn, r.ops.size());   // no echo
    EXPECT_EQ(255, line.length);
}

static LayoutWindow TextAt(int slot, int x, int y, int w, int h)
{
    LayoutWindow t = LayoutWindow();
    t.kind = kLayoutText;
    t.slot = slot;
    t.x = x;
    t.y = y;
    t.width = w;
    t.height = h;
    return t;
}

static std::string Printed(const std::vector<InfoPiece> &summary)
{
    std::string all;
    for (const InfoPiece &p : summary)
        all += p.s;
    return all;
}

TEST(WindowInfo, OneTextWindowGivesFourLines)
{
    std::vector<InfoPiece> summary;
    std::string listing;
    WriteWindowInfo({TextAt(0, 10, 20, 400, 300)}, &summary, &listing);
    EXPECT_EQ("\t// TORVEX --- Automatic Source Generator\n"
              "\t// [Text Window]\n"
              "\tTVX_OpenTextWindow(0,10,20,400,300);\n"
              "\tTVX_SetForeground(TVXMAINWINDOW);\n",
              listing);
    EXPECT_EQ("******* Window information *******\n[Text Window]\n 0 X:10 Y:20 W:400 H:300\n"
              "**********************************\n",
              Printed(summary));
    EXPECT_TRUE(summary.front().coloured);
    EXPECT_EQ(0xFFFF00u, summary.front().text);
}

TEST(WindowInfo, EveryKindOfWindowAndLongLayoutsWhole)
{
    LayoutWindow eight = LayoutWindow();
    eight.kind = kLayoutImage;
    eight.slot = 3;
    eight.bits = 8;
    eight.name = "gray \"q\"";
    eight.x = -4, eight.y = 5, eight.width = 64, eight.height = 48, eight.zoom = 200;
    LayoutWindow deep = eight;
    deep.slot = 7;
    deep.bits = 32;
    deep.name = "Right";
    LayoutWindow input = LayoutWindow();
    input.kind = kLayoutInputBox;
    input.x = 1, input.y = 2, input.items = 3, input.labelWidth = 80, input.editWidth = 90;
    input.titles = {"a", "", "c"};
    LayoutWindow buttons = LayoutWindow();
    buttons.kind = kLayoutButtonBox;
    buttons.x = 5, buttons.y = 6, buttons.columns = 2, buttons.rows = 1;
    buttons.width = 200, buttons.height = 30;
    buttons.titles = {"two\nlines", "b"};
    std::vector<InfoPiece> summary;
    std::string listing;
    WriteWindowInfo({eight, deep, TextAt(0, 0, 0, 400, 300), input, buttons}, &summary, &listing);
    EXPECT_EQ("\t// TORVEX --- Automatic Source Generator\n"
              "\t// [Image Window]\n"
              "\tTVX_CreateImage8(3,\"gray \"q\"\",-4,5,64,48,200);\n"
              "\tTVX_CreateImage(7,\"Right\",-4,5,64,48,200);\n"
              "\t// [Text Window]\n"
              "\tTVX_OpenTextWindow(0,0,0,400,300);\n"
              "\t// [Input Box]\n"
              "\tTVX_OpenInputBox(1,2,3);\n"
              "\tTVX_ResizeInputBox(80,90);\n"
              "\tTVX_SetInputBoxTitle(0,\"a\");\n"
              "\tTVX_SetInputBoxTitle(1,\"\");\n"
              "\tTVX_SetInputBoxTitle(2,\"c\");\n"
              "\t// [Button Box]\n"
              "\tTVX_OpenButtonBox(5,6,2,1);\n"
              "\tTVX_ResizeButtonBox(200,30);\n"
              "\tTVX_SetButtonBoxTitle(0,\"two\\nlines\");\n"
              "\tTVX_SetButtonBoxTitle(1,\"b\");\n"
              "\tTVX_SetForeground(TVXMAINWINDOW);\n",
              listing);
    // The depth letters in light blue.
    int letters = 0;
    for (const InfoPiece &p : summary)
        if (p.coloured && p.text == 0x0080FF) {
            EXPECT_TRUE(p.s == "8" || p.s == "F");
            letters++;
        }
    EXPECT_EQ(2, letters);
    EXPECT_NE(std::string::npos,
              Printed(summary).find(" 3 8 'gray \"q\"' X:-4 Y:5 W:64 H:48 ZM:200%\n"));
    EXPECT_NE(std::string::npos, Printed(summary).find(" X:5 Y:6 NX:2 NY:1 SIZE:200x30\n"));

    // Hundreds of windows with long names: the listing is never cut.
    std::vector<LayoutWindow> many;
    for (int i = 0; i < 256; i++) {
        LayoutWindow w = deep;
        w.slot = i;
        w.name = std::string(200, 'n');
        many.push_back(w);
    }
    WriteWindowInfo(many, &summary, &listing);
    EXPECT_GT(listing.size(), 30000u);
    EXPECT_EQ("\tTVX_SetForeground(TVXMAINWINDOW);\n", listing.substr(listing.size() - 35));
}
