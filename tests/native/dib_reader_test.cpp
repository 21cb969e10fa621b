// The clipboard DIB reader: the layouts other programs write, and blocks that lie.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "dib_builder.h"
#include "image/dib_reader.h"

static std::vector<uint32_t> Pixels(const std::vector<uint8_t> &block)
{
    DibPicture dib;
    if (!ParseDib(block.data(), block.size(), &dib))
        return {};
    std::vector<uint32_t> out((size_t)dib.width * dib.height);
    DibToPixels32(dib, out.data());
    return out;
}

TEST(DibReader, ReadsTheLayoutsProgramsWrite)
{
    // 24 bits bottom-up, as the library writes a copy: 40 + 12 bytes for 3 x 1.
    DibFields copy = {40, 3, 1, 24};
    std::vector<uint8_t> block = BuildDib(copy, {0x102030, 0x405060, 0x708090});
    EXPECT_EQ(52u, block.size());
    EXPECT_EQ((std::vector<uint32_t>{0x102030, 0x405060, 0x708090}), Pixels(block));

    struct Case {
        DibFields fields;
        std::vector<uint32_t> pixels;   // top-down, what the reader must give back
    };
    const std::vector<uint32_t> square = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    const Case cases[] = {
        {{40, 2, 2, 24}, square},
        {{40, 2, -2, 24}, square},                          // top-down rows
        {{108, 2, 2, 32}, square},                          // a version-4 header
        {{124, 2, -2, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF}}, square},   // version 5, bit fields
        {{40, 2, 2, 32, 3, 0, {0xFF, 0xFF00, 0xFF0000}}, square},     // masks after a 40-byte header
        {{40, 2, 2, 16, 3, 0, {0xF800, 0x07E0, 0x001F}}, square},     // 5-6-5
        {{40, 2, 2, 16}, square},                           // 5-5-5 by default
        {{40, 2, 2, 8, 0, 4}, square},                      // four colours used
        {{40, 2, 2, 4, 0, 0}, square},                      // 16 entries implied
        {{40, 2, 2, 1, 0, 2}, {0xFF0000, 0x00FF00, 0x00FF00, 0xFF0000}},
        {{52, 3, 1, 24}, {1, 2, 3}},
        {{12, 2, 2, 24}, square},                           // the core header
    };
    for (const Case &c : cases) {
        std::vector<uint8_t> dib = BuildDib(c.fields, c.pixels);
        EXPECT_EQ(c.pixels, Pixels(dib)) << c.fields.header << " " << c.fields.bits << " bits";
    }
    DibPicture eight;
    std::vector<uint8_t> indexed = BuildDib({40, 2, 2, 8, 0, 0}, square);
    ASSERT_TRUE(ParseDib(indexed.data(), indexed.size(), &eight));
    EXPECT_EQ(256, eight.colorCount);
}

TEST(DibReader, RefusesBlocksThatLie)
{
    const std::vector<uint32_t> square = {1, 2, 3, 4};
    std::vector<uint8_t> good = BuildDib({40, 2, 2, 24}, square);
    auto refused = [](std::vector<uint8_t> block) {
        DibPicture dib;
        return !ParseDib(block.data(), block.size(), &dib);
    };
    EXPECT_FALSE(refused(good));
    std::vector<uint8_t> cut(good.begin(), good.end() - 1);
    EXPECT_TRUE(refused(cut)) << "a row cut short";
    std::vector<uint8_t> lying = good;
    lying[0] = 200;   // a header larger than the block
    EXPECT_TRUE(refused(lying));
    lying = good;
    lying[0] = 41;    // no header of that size
    EXPECT_TRUE(refused(lying));
    EXPECT_TRUE(refused(BuildDib({40, 2, 2, 8, 0, 1000}, square))) << "1000 colours";
    EXPECT_TRUE(refused(BuildDib({40, 2, 2, 4, 0, 17}, square))) << "more colours than 4 bits";
    std::vector<uint8_t> huge = good;
    huge[4] = huge[5] = huge[6] = 0;
    huge[7] = 0x40;   // 2^30 pixels wide
    EXPECT_TRUE(refused(huge));
    EXPECT_TRUE(refused(BuildDib({40, 2, 2, 7}, square, 64))) << "7 bits a pixel";
    EXPECT_TRUE(refused(BuildDib({40, 2, 2, 8, 1}, square))) << "run-length compressed";
    EXPECT_TRUE(refused(BuildDib({40, 2, 2, 24, 3}, square))) << "bit fields on 24 bits";
    EXPECT_TRUE(refused(BuildDib({40, 0, 2, 24}, {}, 64))) << "no width";
    std::vector<uint8_t> planes = good;
    planes[12] = 2;
    EXPECT_TRUE(refused(planes));
    std::vector<uint8_t> fields = BuildDib({40, 2, 2, 32, 3, 0, {0xFF0000, 0xFF00, 0xFF}}, square);
    fields.resize(44);   // masks promised, block ends
    EXPECT_TRUE(refused(fields));
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<uint8_t>(11, 0)));
}
