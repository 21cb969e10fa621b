// testpicture - writes the test camera's picture that a captured half shows, for the end-to-end
// tests to compare the whole half against it.
// Usage: testpicture camera half.rgb reference.ppm
//   half.rgb: 640 x 480 raw 8-bit RGB, top row first (ImageMagick's "rgb:" output).
// Reads the frame number the half carries, writes that frame of the camera's picture and prints
// the number.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "testcam/picture.h"

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: testpicture camera half.rgb reference.ppm\n");
        return 2;
    }
    int camera = atoi(argv[1]);
    std::vector<unsigned char> rgb((size_t)kCamWidth * kCamHeight * 3);
    FILE *in = fopen(argv[2], "rb");
    if (in == NULL || fread(rgb.data(), 1, rgb.size(), in) != rgb.size()) {
        fprintf(stderr, "cannot read 640 x 480 RGB from %s\n", argv[2]);
        if (in)
            fclose(in);
        return 1;
    }
    fclose(in);
    std::vector<uint32_t> words((size_t)kCamWidth * kCamHeight);
    for (size_t i = 0; i < words.size(); i++)
        words[i] = (uint32_t)rgb[3 * i] << 16 | (uint32_t)rgb[3 * i + 1] << 8 | rgb[3 * i + 2];
    uint32_t frame = ReadFrameNumber(words.data());
    FILE *out = fopen(argv[3], "wb");
    if (out == NULL)
        return 1;
    fprintf(out, "P6\n%d %d\n255\n", kCamWidth, kCamHeight);
    for (int y = 0; y < kCamHeight; y++)
        for (int x = 0; x < kCamWidth; x++) {
            uint32_t p = TestPicturePixel(camera, frame, x, y);
            unsigned char px[3] = {(unsigned char)(p >> 16), (unsigned char)(p >> 8), (unsigned char)p};
            fwrite(px, 1, 3, out);
        }
    fclose(out);
    printf("%u\n", frame);
    return 0;
}
