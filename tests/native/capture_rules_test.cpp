// The capture module's rules: the frame copy's bounds, the frame handover between
// threads, frame times, plug-and-play names and property percentages.
#include <atomic>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_rules.h"
#include "testcam/picture.h"

// The flip itself is seen whole in every RGB sample the formats test reads back.
TEST(FrameCopy, ALongerSampleIsCutToTheBuffer)
{
    // Rows of 3,000 bytes: each is cut to 2,560 and nothing is written past the buffer.
    std::vector<uint8_t> sample((size_t)3000 * 480, 7);
    std::vector<uint8_t> frame(kFrameBufferBytes + 64, 0);
    CopyFrameFlipped(frame.data(), sample.data(), (long)sample.size(), 480);
    EXPECT_EQ(7, frame[kFrameBufferBytes - 1]);
    for (int i = 0; i < 64; i++)
        ASSERT_EQ(0, frame[kFrameBufferBytes + i]);
    // A short sample fills only the start of each row it has.
    std::vector<uint8_t> shortRows((size_t)100 * 480, 9), fresh(kFrameBufferBytes, 0);
    CopyFrameFlipped(fresh.data(), shortRows.data(), (long)shortRows.size(), 480);
    EXPECT_EQ(9, fresh[99]);
    EXPECT_EQ(0, fresh[100]);
    // A slot whose buffer the module has let go takes no frame and gives none.
    FrameSlot gone;
    StoreSample(&gone, sample.data(), kFrameBufferBytes, 1.0);
    EXPECT_EQ(0, gone.frameBytes);
    EXPECT_EQ(0, TakeFrame(&gone, fresh.data(), kFrameBufferBytes, nullptr));
}

TEST(FrameHandover, TheReaderNeverSeesHalfOfTwoFrames)
{
    std::vector<uint8_t> buffer(kFrameBufferBytes, 0);
    FrameSlot slot;
    slot.buffer = buffer.data();
    std::atomic<bool> done{false};
    std::thread writer([&] {
        std::vector<uint8_t> sample(kFrameBufferBytes);
        for (int n = 1; n <= 60; n++) {
            std::fill(sample.begin(), sample.end(), (uint8_t)n);
            StoreSample(&slot, sample.data(), kFrameBufferBytes, n / 30.0);
        }
        done = true;
    });
    std::vector<uint8_t> copy(kFrameBufferBytes);
    int mixed = 0, taken = 0;
    while (!done || taken == 0) {
        double time = -1;
        long n = TakeFrame(&slot, copy.data(), (long)copy.size(), &time);
        if (n == 0)
            continue;
        taken++;
        if (copy.front() != copy.back() || copy.front() != copy[n / 2])
            mixed++;
        EXPECT_NEAR(copy.front() / 30.0, time, 1e-9);
    }
    writer.join();
    EXPECT_EQ(0, mixed);
    EXPECT_GT(taken, 0);
}

TEST(CaptureRules, FrameTimesAndPlugAndPlayNames)
{
    EXPECT_EQ(333333, AverageTimePerFrame(30.0));
    EXPECT_EQ(400000, AverageTimePerFrame(25.0));
    EXPECT_EQ(166667, AverageTimePerFrame(60.0));
    EXPECT_TRUE(IsPlugAndPlayName(u"@device:pnp:\\\\?\\usb#vid_046d&pid_0825"));
    EXPECT_TRUE(IsPlugAndPlayName(u"@device:sw:{860BB310}\\@device:pnp:tvx-testcam-0"));
    EXPECT_FALSE(IsPlugAndPlayName(u"@device:cm:{33D9A762}\\video0"));
    EXPECT_FALSE(IsPlugAndPlayName(u"@DEVICE:PNP:upper"));   // case-sensitive
    EXPECT_FALSE(IsPlugAndPlayName(u""));
}

TEST(CaptureRules, PercentagesOfARangeAndBack)
{
    EXPECT_DOUBLE_EQ(50.0, PropertyPercent(128, 0, 256));
    EXPECT_DOUBLE_EQ(0.0, PropertyPercent(-10, -10, 10));
    EXPECT_DOUBLE_EQ(-1.0, PropertyPercent(5, 5, 5));   // empty range
    EXPECT_EQ(255, PropertyValue(150, 0, 255));          // clamped to the maximum
    EXPECT_EQ(0, PropertyValue(-20, 0, 255));            // and to the minimum
    EXPECT_EQ(127, PropertyValue(50, 0, 255));           // truncated: 127.5
    EXPECT_EQ(-5, PropertyValue(25, -10, 10));
    EXPECT_EQ(-10, PropertyValue(0, -10, 10));
    // Focus presets: button k gives (10 - k) x 10 percent.
    for (int k = 0; k <= 10; k++)
        EXPECT_EQ((10 - k) * 25, PropertyValue((10 - k) * 10.0, 0, 250)) << k;
    EXPECT_TRUE(IsCameraControlProperty(kFocusProperty));
    EXPECT_EQ(6, PropertyIndexInSet(kFocusProperty));
    EXPECT_EQ(9, PropertyIndexInSet(9));
}

TEST(TestPicture, ASentFrameArrivesTopDownWithItsNumber)
{
    std::vector<uint8_t> sample(kFrameBufferBytes), frame(kFrameBufferBytes);
    FillTestPicture(sample.data(), 1, 123456);
    CopyFrameFlipped(frame.data(), sample.data(), kFrameBufferBytes, 480);
    const uint32_t *words = (const uint32_t *)frame.data();
    EXPECT_EQ(123456u, ReadFrameNumber(words));
    EXPECT_EQ(0x00FFFFu, words[0]);                  // camera 1's band is at the top
    EXPECT_NE(TestPicturePixel(0, 7, 100, 300), TestPicturePixel(1, 7, 100, 300));
    EXPECT_NE(TestPicturePixel(0, 7, 30, 100), TestPicturePixel(0, 8, 30, 100));   // it moves
}
