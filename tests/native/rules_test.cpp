// Rules of the runtime frame that need no window: status centring, clock, keys, popup, prompts,
// drop slots, character-boundary cuts.
#include <climits>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "runtime/rules.h"
#include "runtime/snap_rules.h"

TEST(StatusLine, CentresOnThirtySixColumns)
{
    struct Row {
        const char *text;
        int spaces;
    };
    const Row rows[] = {
        {"16-bit color", 12},   // 12 characters: position 18 - 6
        {"32-bit color", 12},
        {"Ready", 16},          // 18 - 2
        {"Input text", 13},
        {"", 18},
        {"x", 18},
        {"0123456789012345678901234567890123456", 0},   // 37 characters: 18 - 18
        {"0123456789012345678901234567890123456789", 0},   // would be negative
    };
    for (const Row &row : rows) {
        char out[kStatusBufferBytes];
        CentreStatusText(row.text, out);
        EXPECT_EQ(std::string(row.spaces, ' ') + row.text, std::string(out)) << row.text;
    }
}

TEST(StatusLine, OverlongTextIsCutInsideTheBuffer)
{
    std::string text(100, 'a');
    char out[kStatusBufferBytes + 8];
    memset(out, 'Z', sizeof out);
    CentreStatusText(text.c_str(), out);
    EXPECT_EQ(std::string(63, 'a'), std::string(out));
    EXPECT_EQ('Z', out[kStatusBufferBytes]);   // nothing written past the 64 bytes
}

TEST(Clock, RoundsDownAndWrapsAt32Bits)
{
    EXPECT_EQ(0, CounterToMilliseconds(9999, 0.0001));     // 0.9999 ms
    EXPECT_EQ(1, CounterToMilliseconds(10000, 0.0001));
    EXPECT_EQ(123456, CounterToMilliseconds(1234567890, 0.0001));
    // Beyond 2^31 ms the value wraps, but differences across the wrap stay right.
    int64_t ticks = (int64_t)2147483000 * 10000;   // 10 MHz counter
    int32_t before = CounterToMilliseconds(ticks, 0.0001);
    int32_t after = CounterToMilliseconds(ticks + 20000000, 0.0001);   // 2000 ms later
    EXPECT_EQ(2000, ElapsedMilliseconds(after, before));
    EXPECT_LT(after, before);
    int32_t far = CounterToMilliseconds((int64_t)5000000000LL * 10000, 0.0001);
    int32_t farLater = CounterToMilliseconds((int64_t)5000000000LL * 10000 + 500 * 10000, 0.0001);
    EXPECT_EQ(500, ElapsedMilliseconds(farLater, far));
}

TEST(MainKeys, ActWithAndWithoutCtrl)
{
    struct Row {
        unsigned key;
        bool ctrl;
        int action;
    };
    const Row rows[] = {
        {'V', true, kMainKeyCommand},  {'W', true, kMainKeyCommand}, {'V', false, kMainKeyNothing},
        {'S', false, kMainKeyStart},   {'S', true, kMainKeyCommand}, {'C', false, kMainKeyStop},
        {'X', false, kMainKeyExit},    {kVirtualKeyEscape, false, kMainKeyExit},
        {kVirtualKeyEscape, true, kMainKeyNothing},                  {'Q', false, kMainKeyNothing},
    };
    for (const Row &r : rows)
        EXPECT_EQ(r.action, MainKeyAction(r.key, r.ctrl)) << r.key << " " << r.ctrl;
}

TEST(MainPopup, PlacesGapsAndGreying)
{
    std::vector<MainCommandItem> commands(kFrameCommands, kFrameCommands + 3);
    commands.push_back({1026, "Paste", 0, 1, 'V'});
    commands.push_back({1045, "Info", 6, 1, 'W'});
    std::vector<MainCommandItem> layout = MainPopupLayout(commands);
    const int ids[] = {1026, 0, 1001, 1003, 1002, 0, 1045};   // places none takes: separators
    ASSERT_EQ(7u, layout.size());
    for (size_t i = 0; i < layout.size(); i++)
        EXPECT_EQ(ids[i], layout[i].id) << i;
    for (const MainCommandItem &item : layout) {
        if (item.id == 0)
            continue;
        bool alwaysOn = item.id == kCmdStop || item.id == kCmdExit;
        EXPECT_EQ(0, MainPopupItemState(item, 0, 0)) << item.text;
        EXPECT_EQ(alwaysOn ? 0 : 3, MainPopupItemState(item, 1, 0)) << item.text;
        EXPECT_EQ(alwaysOn ? 0 : 3, MainPopupItemState(item, 0, 4)) << item.text;
    }
}

TEST(Prompts, ReadTheLeadingInteger)
{
    EXPECT_EQ(640, LeadingInteger("640"));
    EXPECT_EQ(32, LeadingInteger("  32bits"));
    EXPECT_EQ(-8, LeadingInteger("-8"));
    EXPECT_EQ(0, LeadingInteger(""));
    EXPECT_EQ(0, LeadingInteger("abc"));
    EXPECT_EQ(INT_MAX, LeadingInteger("99999999999999999999"));
    EXPECT_EQ(INT_MIN, LeadingInteger("-99999999999999999999"));
}

TEST(AnsiCut, NeverSplitsADoubleByteCharacter)
{
    // "あいう" in code page 932, then ASCII.
    const char text[] = "\x82\xa0\x82\xa2\x82\xa4" "ab";
    char out[16];
    memset(out, 'Z', sizeof out);
    EXPECT_EQ(4u, CopyAnsiCut(out, 6, text, IsLeadByte932));   // 5 bytes of room: two characters
    EXPECT_EQ(std::string("\x82\xa0\x82\xa2"), std::string(out));
    EXPECT_EQ(6u, CopyAnsiCut(out, 7, text, IsLeadByte932));
    EXPECT_EQ(8u, CopyAnsiCut(out, 16, text, IsLeadByte932));
    EXPECT_EQ(std::string(text), std::string(out));
    EXPECT_EQ(0u, CopyAnsiCut(out, 1, text, IsLeadByte932));
    EXPECT_EQ('\0', out[0]);
    // Half-width katakana (0xA1-0xDF) are single bytes; a lone lead byte at the end is copied.
    const char kana[] = "\xb1\xb2\x82";
    EXPECT_EQ(3u, CopyAnsiCut(out, 16, kana, IsLeadByte932));
    EXPECT_EQ(2u, CopyAnsiCut(out, 3, kana, IsLeadByte932));
}

TEST(Snapping, WallsNeighboursAlignmentAndCtrl)
{
    SnapTable table;
    ResetSnapTable(&table, 1280, 1024);
    const SnapRect other = {300, 200, 500, 400};
    AddSnapRect(&table, other);
    struct Case {
        SnapRect proposed;
        bool ctrl;
        SnapRect expected;
        const char *what;
    };
    const Case cases[] = {
        {{5, 600, 105, 700}, true, {0, 600, 100, 700}, "5 from the left wall: flush"},
        {{5, 600, 105, 700}, false, {5, 600, 105, 700}, "without Ctrl nothing moves"},
        {{507, 500, 607, 600}, true, {507, 500, 607, 600}, "no overlap with the neighbour"},
        {{507, 230, 607, 330}, true, {500, 230, 600, 330}, "7 right of the neighbour: beside it"},
        {{508, 230, 608, 330}, true, {508, 230, 608, 330}, "8 right: stays"},
        {{497, 205, 597, 305}, true, {500, 200, 600, 300}, "beside, then tops aligned"},
        {{180, 404, 280, 504}, true, {180, 404, 280, 504}, "no neighbour above within reach"},
        {{303, 397, 403, 497}, true, {300, 400, 400, 500}, "stacked below, lefts aligned"},
        {{1175, 921, 1275, 1021}, true, {1180, 924, 1280, 1024}, "into the bottom-right corner"},
    };
    for (const Case &c : cases) {
        SnapRect current = {c.proposed.left + 40, c.proposed.top, c.proposed.right + 40,
                            c.proposed.bottom};
        SnapRect got = SnapRectInTable(table, c.proposed, current, c.ctrl);
        EXPECT_EQ((std::vector<int>{c.expected.left, c.expected.top, c.expected.right,
                                    c.expected.bottom}),
                  (std::vector<int>{got.left, got.top, got.right, got.bottom}))
            << c.what;
    }
    // The moving window's own entry is passed over: here it is the neighbour itself.
    SnapRect self = SnapRectInTable(table, {303, 205, 503, 405}, other, true);
    EXPECT_EQ(303, self.left);
    EXPECT_EQ(205, self.top);
    // Entries past the capacity are not recorded.
    for (int i = 0; i < 300; i++)
        AddSnapRect(&table, {i, i, i + 1, i + 1});
    EXPECT_EQ(kSnapCapacity, table.count);
}
