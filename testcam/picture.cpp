// picture.cpp - the test cameras' moving test picture.
#include "testcam/picture.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

// The textured scene: value noise of three sizes, a margin wide on every side so that a camera
// looking a little elsewhere still sees it.
enum { kSceneMargin = 64, kSceneWidth = kCamWidth + 2 * kSceneMargin, kSceneHeight = kCamHeight + 2 * kSceneMargin };
static struct {
    bool on = false;
    int offset = 0;
    std::vector<uint8_t> grey;
} Scene;

double TestSceneAt(double x, double y)
{
    auto lattice = [](int i, int j) {
        uint32_t h = (uint32_t)i * 2246822519u ^ (uint32_t)j * 3266489917u;
        h ^= h >> 15;
        h *= 668265263u;
        return (double)((h ^ (h >> 13)) & 0xFF);
    };
    double value = 0.0;
    for (double cell : {29.0, 11.0, 5.0}) {
        double u = x / cell, v = y / cell;
        int i = (int)std::floor(u), j = (int)std::floor(v);
        double fu = u - i, fv = v - j;
        fu = fu * fu * (3 - 2 * fu);
        fv = fv * fv * (3 - 2 * fv);
        double top = lattice(i, j) + (lattice(i + 1, j) - lattice(i, j)) * fu;
        double bottom = lattice(i, j + 1) + (lattice(i + 1, j + 1) - lattice(i, j + 1)) * fu;
        value += (top + (bottom - top) * fv) / 3.0;
    }
    return value;
}

void UseTestScene(int verticalOffset)
{
    if (Scene.grey.empty()) {
        Scene.grey.resize((size_t)kSceneWidth * kSceneHeight);
        for (int y = 0; y < kSceneHeight; y++)
            for (int x = 0; x < kSceneWidth; x++)
                Scene.grey[(size_t)y * kSceneWidth + x] = (uint8_t)std::lround(TestSceneAt(x, y));
    }
    Scene.offset = verticalOffset < -kSceneMargin ? -kSceneMargin
                   : verticalOffset > kSceneMargin ? kSceneMargin : verticalOffset;
    Scene.on = true;
}

void StopTestScene(void) { Scene.on = false; }

static thread_local int GreyBelow = -1;
static thread_local const uint32_t *Backdrop = nullptr;

void ShowGreyBelowTheBands(int grey) { GreyBelow = grey; }
void ShowBackdrop(const uint32_t *topDown) { Backdrop = topDown; }

// The moment of the k-th switch of the flash scene's light.
static double FlashSwitch(int k)
{
    double t = 0.0;
    for (int i = 0; i < k; i++) {
        uint32_t h = (uint32_t)i * 2654435761u;
        h ^= h >> 15;
        h *= 2246822519u;
        h ^= h >> 13;
        t += 0.4 + 0.6 * (h & 0xFFFF) / 65535.0;
    }
    return t;
}

double FlashLevel(double from, double to)
{
    if (to <= from)
        return FlashLevel(from, from + 1e-6);
    double lit = 0.0;
    // Walks the switches up to `to`: the light is dark before switch 1, bright after it, and so on.
    for (int k = 0; FlashSwitch(k) < to; k++) {
        double begin = std::max(from, FlashSwitch(k)), end = std::min(to, FlashSwitch(k + 1));
        if (end > begin && k % 2 == 1)
            lit += end - begin;
    }
    return 40.0 + 160.0 * lit / (to - from);
}

uint32_t TestPicturePixel(int camera, uint32_t frame, int x, int y)
{
    if (y < 16)
        return camera == 0 ? 0xFFFF00u : camera == 1 ? 0x00FFFFu : 0x808080u;
    if (y >= 24 && y < 32)
        return ((frame >> (31 - x / 20 % 32)) & 1) && x / 20 < 32 ? 0xFFFFFFu : 0x000000u;
    if (Backdrop != nullptr && y >= 32)
        return Backdrop[(size_t)y * kCamWidth + x];
    if (GreyBelow >= 0 && y >= 32)
        return (uint32_t)GreyBelow * 0x010101u;
    if (Scene.on && y >= 32) {
        // Camera 1 stands 24 pixels to the side and sees the scene `offset` pixels lower.
        bool second = camera == 1;
        int sx = x + kSceneMargin + (second ? 24 : 0), sy = y + kSceneMargin - (second ? Scene.offset : 0);
        uint32_t g = Scene.grey[(size_t)sy * kSceneWidth + sx];
        return g * 0x010101u;
    }
    if ((uint32_t)x >= (frame * 4) % kCamWidth && (uint32_t)x < (frame * 4) % kCamWidth + 16)
        return 0xFF00FFu;
    uint32_t a = (uint32_t)(x * 255 / (kCamWidth - 1)), b = (uint32_t)(y * 255 / (kCamHeight - 1));
    return camera == 0 ? (a << 16 | b << 8 | 0x40) : (0x40u << 16 | a << 8 | b);
}

void FillTestPicture(uint8_t *sample, int camera, uint32_t frame)
{
    uint32_t *words = (uint32_t *)sample;
    for (int y = 0; y < kCamHeight; y++) {
        uint32_t *row = words + (size_t)(kCamHeight - 1 - y) * kCamWidth;   // bottom-up
        for (int x = 0; x < kCamWidth; x++)
            row[x] = TestPicturePixel(camera, frame, x, y);
    }
}

uint32_t ReadFrameNumber(const uint32_t *topDown)
{
    uint32_t frame = 0;
    for (int bit = 0; bit < 32; bit++)
        frame = frame << 1 | ((topDown[28 * kCamWidth + bit * 20 + 10] & 0xFF) > 127 ? 1u : 0u);
    return frame;
}

double PictureMatch(const uint32_t *topDown, int camera)
{
    uint32_t frame = ReadFrameNumber(topDown);
    double sum = 0;
    for (int y = 0; y < kCamHeight; y++)
        for (int x = 0; x < kCamWidth; x++) {
            uint32_t a = topDown[(size_t)y * kCamWidth + x], b = TestPicturePixel(camera, frame, x, y);
            for (int shift = 0; shift <= 16; shift += 8) {
                double d = (double)(a >> shift & 0xFF) - (double)(b >> shift & 0xFF);
                sum += d * d;
            }
        }
    double mse = sum / (kCamWidth * kCamHeight * 3.0);
    return mse == 0 ? 1000.0 : 10 * std::log10(255.0 * 255.0 / mse);
}
