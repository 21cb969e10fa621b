// The JPEG encoder's stream: markers in order, quantisation by quality, and its size.
#include <vector>

#include <gtest/gtest.h>

#include "image/jpeg_writer.h"

static size_t FindMarker(const std::vector<uint8_t> &bytes, uint8_t marker, size_t from = 0)
{
    for (size_t i = from; i + 1 < bytes.size(); i++)
        if (bytes[i] == 0xFF && bytes[i + 1] == marker)
            return i;
    return bytes.size();
}

TEST(JpegWriter, WritesABaselineStreamWithTheSizeAndTables)
{
    std::vector<uint32_t> pixels(13 * 9);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (uint32_t)(i * 2654435761u) & 0xFFFFFF;
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(pixels.data(), 13, 9, 100, &jpeg));
    EXPECT_EQ(0xFF, jpeg[0]);
    EXPECT_EQ(0xD8, jpeg[1]);
    EXPECT_EQ(0xFF, jpeg[jpeg.size() - 2]);
    EXPECT_EQ(0xD9, jpeg[jpeg.size() - 1]);
    size_t dqt = FindMarker(jpeg, 0xDB), sof = FindMarker(jpeg, 0xC0);
    size_t dht = FindMarker(jpeg, 0xC4), sos = FindMarker(jpeg, 0xDA);
    ASSERT_LT(dqt, sof);
    ASSERT_LT(sof, dht);
    ASSERT_LT(dht, sos);
    // Frame: 8-bit samples, height 9, width 13, three components.
    EXPECT_EQ(8, jpeg[sof + 4]);
    EXPECT_EQ(9, jpeg[sof + 6]);
    EXPECT_EQ(13, jpeg[sof + 8]);
    EXPECT_EQ(3, jpeg[sof + 9]);
    // Quality 100: every step of both tables is 1.
    for (int i = 0; i < 64; i++) {
        EXPECT_EQ(1, jpeg[dqt + 5 + i]);
        EXPECT_EQ(1, jpeg[dqt + 5 + 65 + i]);
    }
    // The entropy-coded data never holds a bare 0xFF before the end marker.
    for (size_t i = sos + 14; i + 2 < jpeg.size(); i++) {
        if (jpeg[i] == 0xFF) {
            EXPECT_EQ(0, jpeg[i + 1]) << i;
        }
    }
    EXPECT_FALSE(EncodeJpeg(pixels.data(), 0, 9, 100, &jpeg));
}

TEST(JpegWriter, QualityScalesTheStandardTables)
{
    uint8_t table[64];
    JpegQuantTable(50, false, table);
    EXPECT_EQ(16, table[0]);   // quality 50 is the standard table itself
    EXPECT_EQ(99, table[63]);
    JpegQuantTable(50, true, table);
    EXPECT_EQ(17, table[0]);
    JpegQuantTable(75, false, table);
    EXPECT_EQ(8, table[0]);
    JpegQuantTable(100, false, table);
    EXPECT_EQ(1, table[63]);
    JpegQuantTable(1, false, table);
    EXPECT_EQ(255, table[63]);
    // Lower quality makes smaller files of the same picture.
    std::vector<uint32_t> pixels(64 * 64);
    for (size_t i = 0; i < pixels.size(); i++)
        pixels[i] = (uint32_t)((i * 37) % 251) * 0x010101u;
    std::vector<uint8_t> best, small;
    EncodeJpeg(pixels.data(), 64, 64, 100, &best);
    EncodeJpeg(pixels.data(), 64, 64, 30, &small);
    EXPECT_LT(small.size(), best.size());
}
