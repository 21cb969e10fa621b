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
// when the format is unknown or out is too small. YUV is limited range, or with fullRange the
// full range JPEG uses (as the V4L2 webcams send it, which is what libv4l2 converts from).
long WriteTestSample(int code, int width, int height, int camera, uint32_t frame, uint8_t *out,
                     long capacity, bool fullRange = false);
// BT.601, integer: the Y, U and V of 0x00RRGGBB, in limited or full range.
void RgbToYuv(uint32_t rgb, int *y, int *u, int *v, bool fullRange = false);

#endif
