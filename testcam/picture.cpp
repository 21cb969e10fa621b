// picture.cpp - the test cameras' moving test picture.
#include "testcam/picture.h"

#include <cmath>
#include <cstddef>

uint32_t TestPicturePixel(int camera, uint32_t frame, int x, int y)
{
    if (y < 16)
        return camera == 0 ? 0xFFFF00u : camera == 1 ? 0x00FFFFu : 0x808080u;
    if (y >= 24 && y < 32)
        return ((frame >> (31 - x / 20 % 32)) & 1) && x / 20 < 32 ? 0xFFFFFFu : 0x000000u;
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
