// sample_writer.cpp - the test picture written as a webcam's sample.
#include "testcam/sample_writer.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "testcam/picture.h"

long LargestSample(int code, int width, int height)
{
    SampleFormat f{code == kSampleMjpg ? kSampleRgb24 : code, width, height, true};
    return SampleBytesNeeded(f);
}

void RgbToYuv(uint32_t rgb, int *y, int *u, int *v, bool fullRange)
{
    int r = (int)(rgb >> 16 & 0xFF), g = (int)(rgb >> 8 & 0xFF), b = (int)(rgb & 0xFF);
    if (fullRange) {
        *y = (77 * r + 150 * g + 29 * b + 128) >> 8;
        *u = ((-43 * r - 85 * g + 128 * b + 128) >> 8) + 128;
        *v = ((128 * r - 107 * g - 21 * b + 128) >> 8) + 128;
        *u = *u > 255 ? 255 : *u;
        *v = *v > 255 ? 255 : *v;
        return;
    }
    *y = ((66 * r + 129 * g + 25 * b + 128) >> 8) + 16;
    *u = ((-38 * r - 74 * g + 112 * b + 128) >> 8) + 128;
    *v = ((112 * r - 94 * g - 18 * b + 128) >> 8) + 128;
}

// The whole picture, top-down 0x00RRGGBB: the test picture in the centre, grey around it.
static void Compose(std::vector<uint32_t> &picture, int width, int height, int camera,
                    uint32_t frame)
{
    picture.assign((size_t)width * height, 0x808080u);
    int x0 = ((width - kCamWidth) / 2) & ~1, y0 = ((height - kCamHeight) / 2) & ~1;
    for (int y = 0; y < kCamHeight; y++)
        for (int x = 0; x < kCamWidth; x++)
            picture[(size_t)(y0 + y) * width + x0 + x] = TestPicturePixel(camera, frame, x, y);
}

static long WriteJpeg(const std::vector<uint32_t> &picture, int width, int height, uint8_t *out,
                      long capacity)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = (JDIMENSION)width;
    info.image_height = (JDIMENSION)height;
    info.input_components = 4;
    info.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    // 4:2:2, as webcams send it.
    info.comp_info[0].h_samp_factor = 2;
    info.comp_info[0].v_samp_factor = 1;
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = (JSAMPROW)&picture[(size_t)info.next_scanline * width];
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    long written = (long)size <= capacity ? (long)size : 0;
    if (written != 0)
        memcpy(out, buffer, size);
    free(buffer);
    return written;
}

long WriteTestSample(int code, int width, int height, int camera, uint32_t frame, uint8_t *out,
                     long capacity, bool fullRange)
{
    SampleFormat format{code, width, height, true};
    long needed = SampleBytesNeeded(format);
    if (code != kSampleMjpg && (needed == 0 || needed > capacity))
        return 0;
    if (width < kCamWidth || height < kCamHeight)
        return 0;
    static thread_local std::vector<uint32_t> picture;
    Compose(picture, width, height, camera, frame);
    switch (code) {
    case kSampleMjpg: return WriteJpeg(picture, width, height, out, capacity);
    case kSampleRgb32:
    case kSampleRgb24: {
        int bytes = code == kSampleRgb32 ? 4 : 3;
        long stride = ((long)width * bytes + 3) & ~3L;
        for (int y = 0; y < height; y++) {
            uint8_t *row = out + (size_t)(height - 1 - y) * stride;   // bottom-up
            for (int x = 0; x < width; x++, row += bytes) {
                uint32_t p = picture[(size_t)y * width + x];
                row[0] = (uint8_t)p;
                row[1] = (uint8_t)(p >> 8);
                row[2] = (uint8_t)(p >> 16);
                if (bytes == 4)
                    row[3] = 0;
            }
        }
        return needed;
    }
    case kSampleYuy2:
        for (int y = 0; y < height; y++) {
            uint8_t *row = out + (size_t)y * width * 2;
            for (int x = 0; x < width; x += 2, row += 4) {
                int y0, u0, v0, y1, u1, v1;
                RgbToYuv(picture[(size_t)y * width + x], &y0, &u0, &v0, fullRange);
                RgbToYuv(picture[(size_t)y * width + x + 1], &y1, &u1, &v1, fullRange);
                row[0] = (uint8_t)y0;
                row[1] = (uint8_t)((u0 + u1 + 1) / 2);
                row[2] = (uint8_t)y1;
                row[3] = (uint8_t)((v0 + v1 + 1) / 2);
            }
        }
        return needed;
    case kSampleNv12: {
        uint8_t *chroma = out + (size_t)width * height;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                int py, pu, pv;
                RgbToYuv(picture[(size_t)y * width + x], &py, &pu, &pv, fullRange);
                out[(size_t)y * width + x] = (uint8_t)py;
                // One chroma pair for each 2 x 2 block: its top-left pixel's.
                if (y % 2 == 0 && x % 2 == 0) {
                    chroma[(size_t)(y / 2) * width + x] = (uint8_t)pu;
                    chroma[(size_t)(y / 2) * width + x + 1] = (uint8_t)pv;
                }
            }
        return needed;
    }
    default: return 0;
    }
}
