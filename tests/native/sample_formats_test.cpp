// What cameras deliver becoming frames: every format written by the test cameras' writer and
// read back through the slot's conversion, the drops of short, resized and corrupt samples, the
// choice among a camera's capabilities, and the times of samples that carry none.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_rules.h"
#include "testcam/picture.h"
#include "testcam/sample_writer.h"

// A slot of the module set up for a format and a frame size, with its buffers.
struct TestSlot {
    std::vector<uint8_t> buffer, scratch;
    FrameSlot slot;
    explicit TestSlot(SampleFormat format, FrameSize size = {640, 480})
        : buffer((size_t)size.width * size.height * 4, 0), scratch(buffer.size())
    {
        slot.size = size;
        slot.buffer = buffer.data();
        slot.scratch = scratch.data();
        slot.format = format;
        slot.convert = !(format.code == kSampleRgb32 && format.width == size.width &&
                         format.height == size.height);
    }
    // The centre 640 x 480 of the frame, where the test picture lies.
    std::vector<uint32_t> Centre() const
    {
        std::vector<uint32_t> centre(640 * 480);
        const uint32_t *frame = (const uint32_t *)buffer.data();
        int x0 = ((slot.size.width - 640) / 2) & ~1, y0 = ((slot.size.height - 480) / 2) & ~1;
        for (int y = 0; y < 480; y++)
            for (int x = 0; x < 640; x++)
                centre[(size_t)y * 640 + x] = frame[(size_t)(y0 + y) * slot.size.width + x0 + x];
        return centre;
    }
};

TEST(SampleFormats, EveryFormatAndSizeBecomesTheTestPicture)
{
    struct Row {
        int code, width, height;
        FrameSize frame;    // the frame size the slot is set to
        double minimum;   // dB
    };
    const FrameSize vga = {640, 480}, hd = {1280, 720}, full = {1920, 1080};
    const Row rows[] = {
        {kSampleRgb32, 640, 480, vga, 1000},   {kSampleRgb24, 640, 480, vga, 1000},
        {kSampleYuy2, 640, 480, vga, 35},      {kSampleNv12, 640, 480, vga, 35},
        {kSampleMjpg, 640, 480, vga, 35},      {kSampleRgb32, 1280, 720, vga, 1000},
        {kSampleRgb24, 642, 482, vga, 1000},   {kSampleYuy2, 1280, 720, vga, 35},
        {kSampleNv12, 1920, 1080, vga, 35},    {kSampleMjpg, 1280, 720, vga, 35},
        // Frames of a larger size: the whole sample, or the centre of a still larger one.
        {kSampleRgb32, 1280, 720, hd, 1000},   {kSampleRgb24, 1920, 1080, hd, 1000},
        {kSampleYuy2, 1280, 720, hd, 35},      {kSampleNv12, 1920, 1080, hd, 35},
        {kSampleMjpg, 1280, 720, hd, 35},      {kSampleMjpg, 1920, 1080, full, 35},
        {kSampleYuy2, 1920, 1080, full, 35},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(SampleCodeName(row.code)) + " " + std::to_string(row.width) +
                     " into " + std::to_string(row.frame.width));
        std::vector<uint8_t> sample((size_t)LargestSample(row.code, row.width, row.height));
        long length = WriteTestSample(row.code, row.width, row.height, 1, 4242, sample.data(),
                                      (long)sample.size());
        ASSERT_GT(length, 0);
        TestSlot t({row.code, row.width, row.height, true}, row.frame);
        StoreSample(&t.slot, sample.data(), length, 0.5);
        ASSERT_EQ(1u, t.slot.counts.frames);
        EXPECT_EQ((long)t.buffer.size(), t.slot.frameBytes);
        EXPECT_DOUBLE_EQ(0.5, t.slot.sampleTime);
        std::vector<uint32_t> centre = t.Centre();
        EXPECT_EQ(4242u, ReadFrameNumber(centre.data()));
        EXPECT_GE(PictureMatch(centre.data(), 1), row.minimum);
        // Around the picture, the writer's grey ground reached the frame's corners.
        if (row.frame.width > 640) {
            EXPECT_NEAR(0x80, (int)(((const uint32_t *)t.buffer.data())[0] & 0xFF), 2);
        }
    }
    // A sample smaller than the frame cannot fill it: nothing is stored.
    std::vector<uint8_t> small((size_t)LargestSample(kSampleYuy2, 640, 480));
    long smallLength = WriteTestSample(kSampleYuy2, 640, 480, 0, 1, small.data(), (long)small.size());
    TestSlot tooSmall({kSampleYuy2, 640, 480, true}, hd);
    StoreSample(&tooSmall.slot, small.data(), smallLength, 0.5);
    EXPECT_EQ(0u, tooSmall.slot.counts.frames);
    // Pure colours through YUV and back.
    const uint32_t colours[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x808080};
    for (uint32_t c : colours) {
        int y, u, v;
        RgbToYuv(c, &y, &u, &v);
        uint32_t back = YuvToRgb(y, u, v);
        for (int shift = 0; shift <= 16; shift += 8)
            EXPECT_NEAR((int)(c >> shift & 0xFF), (int)(back >> shift & 0xFF), 3) << std::hex << c;
    }
}

TEST(SampleFormats, BrokenSamplesAreDroppedAndCountedNeverHalfWritten)
{
    for (int code : {kSampleRgb32, kSampleYuy2, kSampleMjpg}) {
        SCOPED_TRACE(SampleCodeName(code));
        std::vector<uint8_t> good((size_t)LargestSample(code, 640, 480) + 64);
        long length = WriteTestSample(code, 640, 480, 0, 1, good.data(), (long)good.size());
        TestSlot t({code, 640, 480, true});
        StoreSample(&t.slot, good.data(), length, 1.0);
        std::vector<uint8_t> before = t.buffer;
        // Half a sample, and one longer than its format: for raw formats a size change under
        // the stream, for MJPG padding after the picture, which webcams send and which is fine.
        StoreSample(&t.slot, good.data(), length / 2, 2.0);
        StoreSample(&t.slot, good.data(), length + 64, 3.0);
        bool mjpg = code == kSampleMjpg;
        if (mjpg) {
            // Corrupt entropy data in the middle of the picture.
            std::vector<uint8_t> bad(good.begin(), good.begin() + length);
            for (long i = length / 2; i < length / 2 + 400; i++)
                bad[(size_t)i] = (uint8_t)(i * 37);
            StoreSample(&t.slot, bad.data(), length, 4.0);
            StoreSample(&t.slot, bad.data(), 3, 5.0);
            EXPECT_EQ(3u, t.slot.counts.corrupt);   // cut, corrupted, 3 bytes
        } else {
            EXPECT_EQ(1u, t.slot.counts.shortSamples);
            EXPECT_EQ(1u, t.slot.counts.wrongSize);
        }
        EXPECT_EQ(mjpg ? 2u : 1u, t.slot.counts.frames);
        EXPECT_DOUBLE_EQ(mjpg ? 3.0 : 1.0, t.slot.sampleTime);
        EXPECT_TRUE(before == t.buffer) << "a dropped sample changed the frame";
    }
}

TEST(SampleFormats, TheCapabilityChosenForARate)
{
    const int64_t k30 = 333333, k15 = 666667, k10 = 1000000;
    struct Row {
        const char *what;
        std::vector<CapabilityOffer> offers;
        int expected;
        FrameSize size = {640, 480};
    };
    const Row rows[] = {
        {"RGB32 before YUY2 at the same rate",
         {{kSampleYuy2, 640, 480, k30, k30}, {kSampleRgb32, 640, 480, k30, k30}}, 1},
        {"the rate before the subtype: YUY2 holds 15 fps, MJPG 30",
         {{kSampleYuy2, 640, 480, k15, k15}, {kSampleMjpg, 640, 480, k30, k30}}, 1},
        {"640 x 480 before a larger size",
         {{kSampleRgb32, 1280, 720, k30, k30}, {kSampleNv12, 640, 480, k30, k30}}, 1},
        {"no 640 x 480: the smallest larger one",
         {{kSampleYuy2, 1920, 1080, k30, k30}, {kSampleYuy2, 1280, 720, k30, k30},
          {kSampleYuy2, 320, 240, k30, k30}}, 1},
        {"unknown subtypes and smaller sizes are no choice",
         {{kSampleUnknown, 640, 480, k30, k30}, {kSampleYuy2, 320, 240, k30, k30}}, -1},
        {"no rate limits (Wine) count as holding every rate",
         {{kSampleRgb24, 640, 480, 0, 0}, {kSampleYuy2, 640, 480, k15, k15}}, 0},
        // A larger frame size asked for.
        {"1280 x 720: MJPG at 30 fps before YUY2 held at 10",
         {{kSampleYuy2, 1280, 720, k10, k10}, {kSampleMjpg, 1280, 720, k30, k30},
          {kSampleYuy2, 640, 480, k30, k30}}, 1, {1280, 720}},
        {"1280 x 720 not offered: the centre of 1920 x 1080",
         {{kSampleYuy2, 640, 480, k30, k30}, {kSampleMjpg, 1920, 1080, k30, k30}}, 1, {1280, 720}},
        {"1920 x 1080 asked of a camera that stops at 1280 x 720",
         {{kSampleMjpg, 1280, 720, k30, k30}, {kSampleYuy2, 640, 480, k30, k30}}, -1, {1920, 1080}},
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.expected,
                  ChooseCapability(row.offers.data(), (int)row.offers.size(), k30, row.size))
            << row.what;
    CapabilityOffer range{kSampleYuy2, 640, 480, k30, k15};
    EXPECT_EQ(k30, IntervalWithin(range, 166667));
    EXPECT_EQ(k15, IntervalWithin(range, 1000000));
    EXPECT_EQ(400000, IntervalWithin(range, 400000));
}

TEST(SampleFormats, TheSizesTwoCamerasOfferInCommon)
{
    const int64_t k30 = 333333;
    const CapabilityOffer a[] = {{kSampleYuy2, 640, 480, k30, k30},   {kSampleMjpg, 1920, 1080, k30, k30},
                                 {kSampleYuy2, 1920, 1080, k30, k30}, {kSampleMjpg, 1280, 720, k30, k30},
                                 {kSampleMjpg, 800, 600, k30, k30},   {kSampleMjpg, 320, 240, k30, k30},
                                 {kSampleMjpg, 3840, 2160, k30, k30}, {kSampleMjpg, 1281, 720, k30, k30}};
    const CapabilityOffer b[] = {{kSampleYuy2, 320, 240, k30, k30},   {kSampleNv12, 1280, 720, k30, k30},
                                 {kSampleMjpg, 1920, 1080, k30, k30}, {kSampleUnknown, 800, 600, k30, k30},
                                 {kSampleMjpg, 3840, 2160, k30, k30}, {kSampleMjpg, 1281, 720, k30, k30}};
    const CapabilityOffer *lists[] = {a, b};
    const int counts[] = {8, 6};
    FrameSize sizes[kMostFrameSizes];
    // 640 x 480 always (the centre of any larger size); 800 x 600 only one camera offers in a
    // known subtype; 320 x 240 too small, 4K too large, an odd width splits YUV pairs.
    ASSERT_EQ(3, CommonFrameSizes(lists, counts, 2, sizes, kMostFrameSizes));
    EXPECT_EQ(640, sizes[0].width);
    EXPECT_EQ(1280, sizes[1].width);
    EXPECT_EQ(720, sizes[1].height);
    EXPECT_EQ(1920, sizes[2].width);
    EXPECT_EQ(4, CommonFrameSizes(lists, counts, 1, sizes, kMostFrameSizes));   // a's own, 800 x 600 too
    EXPECT_EQ(800, sizes[1].width);
    EXPECT_EQ(2, CommonFrameSizes(lists, counts, 2, sizes, 2));
    EXPECT_EQ(1, CommonFrameSizes(lists, counts, 0, sizes, kMostFrameSizes));
}

TEST(SampleFormats, SamplesWithoutTimesAreTimedByArrival)
{
    std::vector<uint8_t> sample(kFrameBufferBytes, 1);
    TestSlot stamped({kSampleRgb32, 640, 480, true});
    for (int n = 0; n < 3; n++)
        StoreSample(&stamped.slot, sample.data(), kFrameBufferBytes, n / 30.0, 99.0);
    EXPECT_DOUBLE_EQ(2 / 30.0, stamped.slot.sampleTime);   // its own times: kept
    EXPECT_FALSE(stamped.slot.arrivalTimes);

    // Times that stand still (none set: every sample says 0) give way to arrival times, which
    // always advance, even two arrivals within one tick of the clock.
    TestSlot unstamped({kSampleRgb32, 640, 480, true});
    const double arrivals[] = {0.010, 0.043, 0.076, 0.076};
    double last = -1;
    for (double arrival : arrivals) {
        StoreSample(&unstamped.slot, sample.data(), kFrameBufferBytes, 0.0, arrival);
        if (last >= 0) {
            EXPECT_GT(unstamped.slot.sampleTime, last);
        }
        last = unstamped.slot.sampleTime;
    }
    EXPECT_TRUE(unstamped.slot.arrivalTimes);
    EXPECT_DOUBLE_EQ(0.076 + 1e-4, unstamped.slot.sampleTime);
    EXPECT_TRUE(NeedsArrivalTime(&unstamped.slot, 5.0));   // once by arrival, always
}
