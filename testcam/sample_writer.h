// sample_writer.h - the test cameras' picture in the formats webcams deliver (no Windows header):
// RGB32 and RGB24 bottom-up, YUY2, NV12 (BT.601 limited range) and MJPG through libjpeg-turbo.
// A picture larger than 640 x 480 has the test picture in its centre on a grey ground.
#ifndef TVX_TESTCAM_SAMPLE_WRITER_H
#define TVX_TESTCAM_SAMPLE_WRITER_H

#include <cstdint>

#include "app/sample_formats.h"

// The largest sample a format can take (an MJPG frame is never larger than raw RGB24).
long LargestSample(int code, int width, int height);
// Writes picture number frame of camera in the format into out; returns the bytes written, 0
// when the format is unknown or out is too small.
long WriteTestSample(int code, int width, int height, int camera, uint32_t frame, uint8_t *out,
                     long capacity);
// BT.601 limited range, integer: the Y, U and V of 0x00RRGGBB.
void RgbToYuv(uint32_t rgb, int *y, int *u, int *v);

#endif
