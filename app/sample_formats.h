// sample_formats.h - what a camera delivers and how it becomes a frame (no Windows header): the
// subtypes the module takes, the frame sizes it can be asked for, the choice of one capability
// among a camera's, and the conversion of raw RGB, YUY2 and NV12 samples into the top-down frame
// of 0x00RRGGBB words (640 x 480 unless a program asks for another size).
#ifndef TZM_SAMPLE_FORMATS_H
#define TZM_SAMPLE_FORMATS_H

#include <cstddef>
#include <cstdint>

// Subtypes in order of preference: a lower code needs less work to become a frame.
enum SampleCode {
    kSampleUnknown = 0,
    kSampleRgb32,
    kSampleRgb24,
    kSampleYuy2,
    kSampleMjpg,
    kSampleNv12,
};
const char *SampleCodeName(int code);   // "RGB32", "RGB24", "YUY2", "MJPG", "NV12", "other"

// A negotiated video format: subtype, size, and for RGB whether rows run bottom-up (a positive
// biHeight); YUV and MJPG pictures are always top-down.
struct SampleFormat {
    int code = kSampleUnknown;
    int width = 0, height = 0;
    bool bottomUp = false;
};

// Bytes one sample of a raw format needs (RGB rows padded to 4 bytes); 0 for MJPG and unknown.
long SampleBytesNeeded(const SampleFormat &format);

// One entry of a camera's capability list. Intervals are in 100 ns units; 0 for both when the
// camera does not say which rates it holds.
struct CapabilityOffer {
    int code;
    int width, height;
    int64_t minInterval, maxInterval;
};

// A frame size. The module takes 640 x 480 up to 2592 x 1944 (five megapixels, the largest of
// webcams' still sizes), even widths only (YUV pairs): larger frames, kept six times over for
// each camera, would not leave a 32-bit program room for the rest.
struct FrameSize {
    int width, height;
};
enum { kLargestFrameWidth = 2592, kLargestFrameHeight = 1944, kMostFrameSizes = 16 };
bool IsUsableFrameSize(int width, int height);

// The capability a camera is set to for frames of the size: that size if offered, otherwise the
// smallest size that holds it (its centre is used); within that size the rate nearest the asked
// interval (so MJPG where the raw subtype cannot hold the rate), then the subtype with the lower
// code. -1 when nothing of the size or more in a known subtype is offered.
int ChooseCapability(const CapabilityOffer *offers, int count, int64_t wantedInterval,
                     FrameSize size = FrameSize{640, 480});
// The usable sizes that every one of the cameras' lists offers in a known subtype, smallest area
// first, 640 x 480 always among them (the centre of any larger size gives it); at most `most`.
int CommonFrameSizes(const CapabilityOffer *const *lists, const int *counts, int cameras,
                     FrameSize *sizes, int most);
// The interval to ask of the chosen capability: the wanted one, kept within its limits.
int64_t IntervalWithin(const CapabilityOffer &offer, int64_t wantedInterval);

enum ConvertResult {
    kConvertOk = 0,
    kConvertShort = 1,         // the sample is shorter than its format needs: dropped
    kConvertCorrupt = 2,       // an MJPG frame that does not decode cleanly: dropped
    kConvertUnsupported = 3,   // a subtype or size the module cannot turn into a frame
    kConvertWrongSize = 4,     // longer than its format: the format changed under the stream
};

// Writes the centre frame-sized part of a raw sample (RGB32, RGB24, YUY2, NV12) into frame,
// top-down 0x00RRGGBB words. YUV is BT.601 limited range in integer arithmetic. Nothing is
// written unless the result is kConvertOk.
int ConvertRawSample(const SampleFormat &format, const uint8_t *sample, long length,
                     uint8_t *frame, FrameSize size = FrameSize{640, 480});

// "name [identity] YUY2 640x480 30.0 fps, converted" (conversion: 0 as delivered, 1 converted,
// 2 converted by the graph); cut to size - 1 characters.
void DescribeCameraLine(char *text, int size, const char *name, const char *identity,
                        const SampleFormat &format, double rate, int conversion);

// BT.601 limited range, integer: one pixel as 0x00RRGGBB.
uint32_t YuvToRgb(int y, int u, int v);

#endif
