// What cameras deliver becoming frames: every format written by the test cameras' writer and
// read back through the slot's conversion, the drops of short, resized and corrupt samples, the
// choice among a camera's capabilities, and the times of samples that carry none.
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_rules.h"
#include "testcam/picture.h"
#include "testcam/sample_writer.h"

// A slot of the module set up for a format, with its buffers.
struct TestSlot {
    std::vector<uint8_t> buffer, scratch;
    FrameSlot slot;
    explicit TestSlot(SampleFormat format) : buffer(kFrameBufferBytes, 0), scratch(kFrameBufferBytes)
    {
        slot.buffer = buffer.data();
        slot.scratch = scratch.data();
        slot.format = format;
        slot.convert = !(format.code == kSampleRgb32 && format.width == 640 && format.height == 480);
    }
};

TEST(SampleFormats, EveryFormatAndSizeBecomesTheTestPicture)
{
    struct Row {
        int code, width, height;
        double minimum;   // dB
    };
    const Row rows[] = {
        {kSampleRgb32, 640, 480, 1000}, {kSampleRgb24, 640, 480, 1000}, {kSampleYuy2, 640, 480, 35},
        {kSampleNv12, 640, 480, 35},    {kSampleMjpg, 640, 480, 35},    {kSampleRgb32, 1280, 720, 1000},
        {kSampleRgb24, 642, 482, 1000}, {kSampleYuy2, 1280, 720, 35},   {kSampleNv12, 1920, 1080, 35},
        {kSampleMjpg, 1280, 720, 35},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(SampleCodeName(row.code)) + " " + std::to_string(row.width));
        std::vector<uint8_t> sample((size_t)LargestSample(row.code, row.width, row.height));
        long length = WriteTestSample(row.code, row.width, row.height, 1, 4242, sample.data(),
                                      (long)sample.size());
        ASSERT_GT(length, 0);
        TestSlot t({row.code, row.width, row.height, true});
        StoreSample(&t.slot, sample.data(), length, 0.5);
        ASSERT_EQ(1u, t.slot.counts.frames);
        EXPECT_EQ(kFrameBufferBytes, t.slot.frameBytes);
        EXPECT_DOUBLE_EQ(0.5, t.slot.sampleTime);
        EXPECT_EQ(4242u, ReadFrameNumber((const uint32_t *)t.buffer.data()));
        double psnr = PictureMatch((const uint32_t *)t.buffer.data(), 1);
        EXPECT_GE(psnr, row.minimum);
    }
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
    const int64_t k30 = 333333, k15 = 666667;
    struct Row {
        const char *what;
        std::vector<CapabilityOffer> offers;
        int expected;
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
    };
    for (const Row &row : rows)
        EXPECT_EQ(row.expected, ChooseCapability(row.offers.data(), (int)row.offers.size(), k30))
            << row.what;
    CapabilityOffer range{kSampleYuy2, 640, 480, k30, k15};
    EXPECT_EQ(k30, IntervalWithin(range, 166667));
    EXPECT_EQ(k15, IntervalWithin(range, 1000000));
    EXPECT_EQ(400000, IntervalWithin(range, 400000));
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
