// The stereo shooter's platform-free parts: pairing frames by time, the Stereo views against
// FFmpeg's stereo3d filter, and the names of the pair files. The files themselves are read by
// exiftool, FFmpeg and ImageMagick in the end-to-end test.
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "app/capture_rules.h"
#include "stereoshot/frame_gaps.h"
#include "stereoshot/pair_encoding.h"
#include "stereoshot/pair_figures.h"
#include "stereoshot/pair_naming.h"
#include "stereoshot/rig_settings.h"
#include "stereoshot/stereo_views.h"
#include "stereoshot/sync_measure.h"
#include "testcam/picture.h"

TEST(SyncedPairs, TheNearestTimesAndTheNewestOnATie)
{
    struct Case {
        std::vector<double> a, b;
        int ia, ib;   // -1: no pair
    };
    const double t = 1.0 / 30;
    const Case cases[] = {
        {{0, t, 2 * t, 3 * t}, {0, t, 2 * t, 3 * t}, 3, 3},   // in step: the newest pair
        // Camera 1 20 ms behind: its frame before camera 0's next lies 13.3 ms off.
        {{0, t, 2 * t, 3 * t}, {0.020, t + 0.020, 2 * t + 0.020}, 3, 2},
        {{0, t, 2 * t}, {0.010, t + 0.010, 2 * t + 0.010}, 2, 2},
        {{5.0}, {1.0, 4.0, 9.5}, 0, 1},   // a camera that fell far behind still pairs
        {{}, {1.0}, -1, -1},
        {{1.0}, {}, -1, -1},
    };
    for (const Case &c : cases) {
        int ia = -1, ib = -1;
        bool found = NearestTimes(c.a.data(), (int)c.a.size(), c.b.data(), (int)c.b.size(), &ia,
                                  &ib);
        EXPECT_EQ(c.ia >= 0, found);
        EXPECT_EQ(c.ia, ia);
        EXPECT_EQ(c.ib, ib);
    }
}

// Frames whose first byte is their number, stored with times as a camera delivers them.
TEST(SyncedPairs, FramesPassedOverAreTheGapsInTheTimesOfThoseShown)
{
    const double t = 1.0 / 30;
    const struct {
        double before, now, rate;
        unsigned long passed;
    } rows[] = {
        {5 * t, 6 * t, 30, 0},           // the next frame
        {5 * t, 8 * t + 0.004, 30, 2},   // two passed over, the time a little late
        {5 * t, 7 * t - 0.006, 30, 1},   // one, the time a little early
        {-1.0, 9 * t, 30, 0},            // the first frame shown
        {5 * t, 9 * t, 0, 0},            // a camera that names no rate
        {9 * t, 2 * t, 30, 0},           // the cameras opened anew: their times start again
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.passed, FramesPassedOver(r.before, r.now, r.rate)) << r.before << " " << r.now;
}

TEST(SyncedPairs, TheRecentFramesOfTwoSlotsArePairedWhole)
{
    std::vector<uint8_t> buffers[2], recent[2], sample(kFrameBufferBytes);
    FrameSlot slots[2];
    for (int s = 0; s < 2; s++) {
        buffers[s].assign(kFrameBufferBytes, 0);
        recent[s].assign((size_t)kRecentFrames * kFrameBufferBytes, 0);
        slots[s].buffer = buffers[s].data();
        slots[s].recent = recent[s].data();
    }
    std::vector<uint8_t> out0(kFrameBufferBytes), out1(kFrameBufferBytes);
    double t0 = -1, t1 = -1;
    EXPECT_FALSE(TakeNearestPair(&slots[0], &slots[1], out0.data(), out1.data(), &t0, &t1));
    // Six frames each (more than are kept), camera 1 12 ms after camera 0.
    for (int n = 0; n < 6; n++)
        for (int s = 0; s < 2; s++) {
            sample.assign(kFrameBufferBytes, 0);
            sample[(size_t)479 * kFrameRowBytes] = (uint8_t)(10 * s + n);   // the bottom-up top row
            StoreSample(&slots[s], sample.data(), kFrameBufferBytes, n / 30.0 + s * 0.012);
        }
    ASSERT_TRUE(TakeNearestPair(&slots[0], &slots[1], out0.data(), out1.data(), &t0, &t1));
    EXPECT_EQ(5, out0[0]);
    EXPECT_EQ(15, out1[0]);
    EXPECT_NEAR(12.0, (t1 - t0) * 1000, 1e-6);
}

TEST(StereoViews, AnaglyphsWithinTwoLevelsOfFfmpegsStereo3d)
{
    // Left, right, and what `ffmpeg -vf stereo3d=sbsl:X` made of them for arcd, arch, arcg, arcc.
    struct Row {
        uint32_t left, right, expected[4];
    };
    const Row rows[] = {
        {0xFF0000, 0x00FFFF, {0x5DACFF, 0x4CFFFF, 0x4CB2B2, 0xFFFFFF}},
        {0x000000, 0xFFFFFF, {0x00FFFF, 0x00FFFF, 0x00FFFF, 0x00FFFF}},
        {0x808080, 0x808080, {0x7F807F, 0x808080, 0x808080, 0x808080}},
        {0x123456, 0xABCDEF, {0x17CEFF, 0x2DCDEF, 0x2DC6C6, 0x12CDEF}},
        {0xFFFFFF, 0x000000, {0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000}},
        {0x00FF00, 0xFF00FF, {0x7452FF, 0x9500FF, 0x956969, 0x0000FF}},
        {0xA5CD68, 0x4D3C1A, {0xBB380C, 0xB53C1A, 0xB53D3D, 0xA53C1A}},
        {0xCA264E, 0x18B8FF, {0x6B80FF, 0x5BB8FF, 0x5B9090, 0xCAB8FF}},
        {0xBB3B93, 0x1DB208, {0x7B8100, 0x6BB208, 0x6B7272, 0xBBB208}},
    };
    for (const Row &r : rows)
        for (int view = kViewDubois; view <= kViewColour; view++) {
            uint32_t ours = 0;
            MakeStereoView(view, &r.left, &r.right, &ours, 1, 1);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR((int)(r.expected[view] >> shift & 0xFF), (int)(ours >> shift & 0xFF), 2)
                    << StereoViewLabel(view) << " of " << std::hex << r.left << " " << r.right;
        }
    // A whole frame's Dubois view sums in 32 bits: the same as the pixel's 64-bit sums.
    std::vector<uint32_t> left(4096), right(4096), frame(4096);
    for (size_t i = 0; i < left.size(); i++) {
        left[i] = (uint32_t)(i * 2654435761u) & 0xFFFFFF;
        right[i] = (uint32_t)(i * 40503u + 0x5A5A5A) & 0xFFFFFF;
    }
    MakeStereoView(kViewDubois, left.data(), right.data(), frame.data(), 64, 64);
    for (size_t i = 0; i < left.size(); i++)
        ASSERT_EQ(AnaglyphPixel(kViewDubois, left[i], right[i]), frame[i]) << i;
}

TEST(StereoViews, DifferenceOverlayAndGrid)
{
    const int w = kGridStep * 2, h = kGridStep;
    std::vector<uint32_t> left(w * h, 0x102030), right(w * h, 0x183020), out(w * h);
    right[3] = 0xFFFFFF;
    MakeStereoView(kViewDifference, left.data(), right.data(), out.data(), w, h);
    EXPECT_EQ(0x204040u, out[0]);   // |differences| x 4: 8, 16, 16
    EXPECT_EQ(0xFFFFFFu, out[3]);   // clamped
    MakeStereoView(kViewOverlay, left.data(), right.data(), out.data(), w, h);
    EXPECT_EQ(0x142828u, out[0]);   // the mean, per channel
    EXPECT_EQ(0x00FFFFu, out[kGridStep / 2]);                     // a column of the grid
    EXPECT_EQ(0x00FFFFu, out[(size_t)(kGridStep / 2) * w + 1]);   // and a row

    // A larger frame's view is that of every third pixel of every third row (a 3 x 2 rest
    // of the frame is left out), for every view, the grid placed in the view's own pixels.
    const int bw = 3 * w + 2, bh = 3 * h + 1;
    std::vector<uint32_t> big[2], small[2], stepped(w * h);
    for (int side = 0; side < 2; side++) {
        big[side].resize((size_t)bw * bh);
        for (size_t i = 0; i < big[side].size(); i++)
            big[side][i] = (uint32_t)(i * (side ? 40503u : 2654435761u)) & 0xFFFFFF;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                small[side].push_back(big[side][(size_t)3 * y * bw + 3 * x]);
    }
    for (int view = 0; view < kStereoViews; view++) {
        MakeStereoView(view, small[0].data(), small[1].data(), out.data(), w, h);
        MakeStereoView(view, big[0].data(), big[1].data(), stepped.data(), bw, bh, 3);
        EXPECT_EQ(out, stepped) << StereoViewLabel(view);
    }
}

TEST(PairFiles, NamesSortByTimeAndFoldersAreTakenAsTyped)
{
    EXPECT_EQ("Pair_20261208_181530_001", PairStem({2026, 12, 8, 18, 15, 30}, 1));
    EXPECT_EQ("Pair_20270101_000000_1234", PairStem({2027, 1, 1, 0, 0, 0}, 1234));
    struct Case {
        const char *typed, *path;   // the path of "x.jps" in the folder typed
    };
    const Case cases[] = {
        {"", "x.jps"},
        {" . ", "x.jps"},
        {"\"D:\\shots\\\"", "D:\\shots\\x.jps"},
        {"C:\\", "C:\\x.jps"},
        {"pairs/", "pairs\\x.jps"},
        // The second byte of a code page 932 character may be a backslash or a bar.
        {"\x83\x5C", "\x83\x5C\\x.jps"},
        {"\x83\x7C\\", "\x83\x7C\\x.jps"},
        {"a|b", ""},
        {"a?", ""},
    };
    for (const Case &c : cases)
        EXPECT_EQ(c.path, PairPath(CleanFolder(c.typed), "x.jps")) << c.typed;
    EXPECT_EQ("", PairPath(std::string(250, 'f'), "Pair_20261208_181530_001.jps"));
}

TEST(PairFiles, EveryFormatGivesItsFilesAndTheIndexNeedsItsSegment)
{
    std::vector<uint32_t> left(16 * 48, 0xFF0000), right(16 * 48, 0x0000FF);
    std::vector<PairFile> files;
    ASSERT_TRUE(EncodePair(kSaveAll, left.data(), right.data(), 16, 8, 100, "c", &files));
    ASSERT_EQ(4u, files.size());
    const char *suffixes[] = {".jps", ".mpo", "_parallel.jpg", "_anaglyph.jpg"};
    for (size_t i = 0; i < 4; i++) {
        EXPECT_EQ(suffixes[i], files[i].suffix);
        EXPECT_EQ(0xFF, files[i].bytes[0]);
        EXPECT_EQ(0xD9, files[i].bytes.back());
    }
    // Each format alone is the same file; with a pace function the same bytes, the function
    // called as the rows go by (16 rows at a time).
    static int paced = 0;
    for (int format = kSaveJps; format < kSaveAll; format++) {
        std::vector<PairFile> one, steady;
        ASSERT_TRUE(EncodePair(format, left.data(), right.data(), 16, 48, 100, "c", &one));
        paced = 0;
        ASSERT_TRUE(EncodePair(format, left.data(), right.data(), 16, 48, 100, "c", &steady,
                               [] { paced++; }));
        ASSERT_EQ(1u, one.size());
        EXPECT_EQ(suffixes[format], one[0].suffix);
        EXPECT_TRUE(one[0].bytes == steady[0].bytes) << suffixes[format];
        EXPECT_EQ(format == kSaveMpo ? 6 : 3, paced) << suffixes[format];
    }
    std::vector<uint8_t> plain;
    ASSERT_TRUE(EncodeJpeg(left.data(), 16, 8, 90, {}, &plain));
    EXPECT_FALSE(FillMpIndex(&plain, 100));
    EXPECT_FALSE(EncodeJpeg(left.data(), 0, 8, 90, {}, &plain));
    EXPECT_TRUE(plain.empty());
}

// Left sees the test cameras' scene; Right sees it turned by t degrees, scaled by 1 + s % and moved down by dy
// about the centre, and a near square in the middle 24 pixels further to the side than the rest
// (which is 30 pixels off): the parallax of depth.
static void RenderPair(double dy, double t, double s, std::vector<uint32_t> *left,
                       std::vector<uint32_t> *right)
{
    const int w = 640, h = 480;
    const double cx = (w - 1) / 2.0, cy = (h - 1) / 2.0, a = t * M_PI / 180, k = 1 + s / 100;
    left->resize((size_t)w * h);
    right->resize((size_t)w * h);
    auto grey = [](double v) { uint32_t g = (uint32_t)std::lround(std::min(255.0, std::max(0.0, v))); return g * 0x010101u; };
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            (*left)[(size_t)y * w + x] = grey(TestSceneAt(x, y));
            bool near = std::abs(x - cx) < 100 && std::abs(y - cy) < 80;
            double px = x - cx - (near ? 54 : 30), py = y - cy - dy;
            // The inverse of the turn and scale, back into Left's scene.
            double qx = (std::cos(a) * px + std::sin(a) * py) / k, qy = (-std::sin(a) * px + std::cos(a) * py) / k;
            (*right)[(size_t)y * w + x] = grey(TestSceneAt(qx + cx, qy + cy) + 12);   // and brighter
        }
}

TEST(PairFigures, OffsetTurnAndSizeOfSyntheticPairsDespiteParallax)
{
    struct Case {
        double dy, t, s;
    };
    const Case cases[] = {{0, 0, 0}, {7.3, 0, 0}, {20, 0, 0}, {-12.6, 1.5, 0}, {3, 3, 0},
                          {0, 0, 5}, {-4.5, -2, 2.5}, {20, 3, 5}};
    std::vector<uint32_t> left, right;
    for (const Case &c : cases) {
        RenderPair(c.dy, c.t, c.s, &left, &right);
        Alignment a = EstimateAlignment(left.data(), right.data(), 640, 480);
        ASSERT_TRUE(a.valid) << c.dy << " " << c.t << " " << c.s;
        EXPECT_NEAR(c.dy, a.verticalPx, 0.5) << c.t << " " << c.s;
        EXPECT_NEAR(c.t, a.rotationDeg, 0.2) << c.dy << " " << c.s;
        EXPECT_NEAR(c.s, a.sizePercent, 0.5) << c.dy << " " << c.t;
        EXPECT_GE(a.matched, 20);
    }
    // The test cameras: their gradients give no figures (a gradient matches itself anywhere
    // along its slope); their scene, with its frame-number rows that both cameras show alike,
    // gives the offset they were set apart by.
    std::vector<uint32_t> cam[2] = {std::vector<uint32_t>(640 * 480), std::vector<uint32_t>(640 * 480)};
    auto film = [&cam] {
        for (int c = 0; c < 2; c++)
            for (int y = 0; y < 480; y++)
                for (int x = 0; x < 640; x++)
                    cam[c][(size_t)y * 640 + x] = TestPicturePixel(c, 77, x, y);
    };
    film();
    EXPECT_FALSE(EstimateAlignment(cam[0].data(), cam[1].data(), 640, 480).valid);
    for (int offset : {12, -30}) {
        UseTestScene(offset);
        film();
        Alignment a = EstimateAlignment(cam[0].data(), cam[1].data(), 640, 480);
        EXPECT_TRUE(a.valid);
        EXPECT_NEAR(offset, a.verticalPx, 0.5);
    }
    StopTestScene();
    // A blank view (a covered lens) gives no figures rather than made-up ones.
    std::vector<uint32_t> blank(640 * 480, 0x202020);
    EXPECT_FALSE(EstimateAlignment(left.data(), blank.data(), 640, 480).valid);
    ColourDifference d = CompareColours(left.data(), right.data(), 640, 480);
    EXPECT_NEAR(12.0, d.brightness, 1.5);
    EXPECT_NEAR(d.red, d.blue, 0.01);
    std::vector<uint32_t> reddish(left);
    for (uint32_t &p : reddish)
        p = (p & 0x00FFFF) | std::min(255u, ((p >> 16) & 0xFF) + 10) << 16;
    d = CompareColours(left.data(), reddish.data(), 640, 480);
    EXPECT_GT(d.red, 8.0);
    EXPECT_EQ(0.0, d.green);
}

TEST(RigSides, KeptByDevicePathWhateverTheOrderAndSaidWhenACameraIsMissing)
{
    RigSettings kept;
    std::string problem;
    ASSERT_TRUE(ParseRigSettings(FormatRigSettings({"\\\\?\\usb#b", "\\\\?\\usb#a", 1280, 720, 0.0, 40.5}),
                                 &kept, &problem));
    EXPECT_EQ(40.5, kept.rightDelayMs);
    EXPECT_EQ("\\\\?\\usb#b", kept.left);
    EXPECT_EQ(1280, kept.width);
    EXPECT_EQ(720, kept.height);
    struct Case {
        std::string paths[2];
        int count, left;
        const char *note;   // the start of the note; "" none
    };
    const Case cases[] = {
        {{"\\\\?\\usb#a", "\\\\?\\usb#b"}, 2, 1, ""},   // found in the other order
        {{"\\\\?\\usb#b", "\\\\?\\usb#a"}, 2, 0, ""},
        {{"\\\\?\\usb#c", "\\\\?\\usb#b"}, 2, 1, "The Right camera (\\\\?\\usb#a) is not here"},
        {{"\\\\?\\usb#c", "\\\\?\\usb#d"}, 2, 0, "Neither camera of the rig"},
        {{"\\\\?\\usb#b", ""}, 1, 0, "The Right camera (\\\\?\\usb#a) is not here: Left opens alone"},
        {{"\\\\?\\usb#a", ""}, 1, -1, "The Left camera (\\\\?\\usb#b) is not here: Right opens alone"},
        {{"\\\\?\\usb#c", ""}, 1, 0, "The one camera open is not one of the rig's"},
    };
    for (const Case &c : cases) {
        SideChoice choice = ChooseSides(kept, c.paths, c.count);
        EXPECT_EQ(c.left, choice.leftCamera) << c.paths[0];
        EXPECT_EQ(0u, choice.note.find(c.note)) << choice.note;
        EXPECT_EQ(c.note[0] == 0, choice.note.empty()) << choice.note;
    }
    EXPECT_EQ(0, ChooseSides(RigSettings(), cases[0].paths, 2).leftCamera);   // none kept yet
    // Damaged files are refused with the line named, never half read.
    for (const char *bad : {"left=\\\\?\\a\nleft=\\\\?\\b\n", "sides=swapped\n", "left=\n", "left=x\nright=x\n",
                            "\x89PNG\r\n", "size=1280\n", "size=1280x\n", "size=0x720\n", "size=-1x720\n",
                            "size=1280x720x2\n", "size=999999x720\n", "size=640x480\nsize=640x480\n",
                            "left_delay=\n", "left_delay=12ms\n", "right_delay=5000\n"}) {
        RigSettings out = kept;
        EXPECT_FALSE(ParseRigSettings(bad, &out, &problem)) << bad;
        EXPECT_EQ(kept.left, out.left);
        EXPECT_EQ(1280, out.width);
        EXPECT_FALSE(problem.empty());
    }
    EXPECT_TRUE(ParseRigSettings("# only a comment\r\n\r\n", &kept, &problem));
    EXPECT_TRUE(kept.left.empty());
}

// Two cameras at 30 fps, out of phase, each stamping a frame when it delivers it: the latencies
// of a rig, measured from 4 s of frames by both methods within 3 ms; a still scene gives none.
TEST(SyncCheck, TheDelayBetweenTwoCamerasByTheSyncWindowAndBySuddenChanges)
{
    const double period = 1.0 / 30;
    // What a camera's frame exposed until e shows: the Sync window as the screen shows it (a new
    // picture every 1/60 s) over the exposure, the flash scene's light over the exposure, or a
    // still scene.
    auto windowGrey = [period](double e) {
        double sum = 0;
        for (int k = 0; k < 32; k++)
            sum += SyncWindowGrey(std::floor((e - period * (k + 0.5) / 32) * 60) / 60);
        return sum / 32;
    };
    auto flashes = [period](double e) { return FlashLevel(e - period, e); };
    auto still = [](double) { return 100.0; };
    auto trace = [period](const std::function<double(double)> &scene, double phase, double latencyMs) {
        SyncTrace t;
        std::vector<uint32_t> frame(16 * 16);
        for (int n = 0; n < 120; n++) {
            double e = 0.5 + phase + n * period;
            int grey = (int)std::lround(scene(e));
            frame.assign(frame.size(), (uint32_t)grey * 0x010101u);
            double jitter = ((n * 7919) % 11 - 5) * 0.0002;   // stamps off by up to 1 ms
            TraceFrame(&t, frame.data(), 16, 16, e + latencyMs / 1000 + jitter);
        }
        return t;
    };
    const double rigs[][2] = {{0, 40}, {30, 30}, {100, 20}};
    for (const auto &rig : rigs)
        for (double phase : {0.011, 0.027}) {
            SyncTrace left = trace(windowGrey, 0.0, rig[0]), right = trace(windowGrey, phase, rig[1]);
            SyncEstimate e = EstimateDelay(LevelSteps(left.level), LevelSteps(right.level));
            ASSERT_TRUE(e.found) << rig[0] << "/" << rig[1];
            EXPECT_NEAR(rig[1] - rig[0], e.delayMs, 3.0) << "Sync window, " << rig[0] << "/" << rig[1];
            left = trace(flashes, 0.0, rig[0]);
            right = trace(flashes, phase, rig[1]);
            e = EstimateDelay(left.change, right.change);
            ASSERT_TRUE(e.found) << rig[0] << "/" << rig[1];
            EXPECT_NEAR(rig[1] - rig[0], e.delayMs, 3.0) << "scene, " << rig[0] << "/" << rig[1];
            EXPECT_GT(e.confidence, 0.9);
        }
    SyncTrace a = trace(still, 0.0, 0), b = trace(still, 0.011, 40);
    EXPECT_FALSE(EstimateDelay(a.change, b.change).found);
    EXPECT_FALSE(EstimateDelay(LevelSteps(a.level), LevelSteps(b.level)).found);
}
