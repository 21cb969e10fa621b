// capture_rules.h - platform-free rules of the camera capture module (no Windows header): the
// frame copy with its row flip, the frame handover between a streaming thread and the worker
// (with the conversion of other formats and the times of samples that carry none), the frame
// time of a rate, plug-and-play names and property percentages.
#ifndef TZM_CAPTURE_RULES_H
#define TZM_CAPTURE_RULES_H

#include <cstddef>
#include <cstdint>
#include <mutex>

#include "app/sample_formats.h"

enum {
    kFrameWidth640 = 640,
    kFrameHeight480 = 480,
    kFrameRowBytes = 640 * 4,
    kFrameBufferBytes = 640 * 480 * 4,   // 1,228,800
};

// Copies a bottom-up sample into a top-down frame buffer of rows rows of frameRowBytes: sample
// row r goes to buffer row rows - 1 - r. A sample with longer rows than the buffer's is cut to
// frameRowBytes a row, so nothing is written past the buffer.
void CopyFrameFlipped(uint8_t *frame, const uint8_t *sample, long length, int rows,
                      long frameRowBytes = kFrameRowBytes);

// What became of one camera's samples, for the text window and the benchmarks.
struct FrameCounts {
    unsigned long frames = 0;        // samples that became the latest frame
    unsigned long shortSamples = 0;  // shorter than their format: dropped
    unsigned long corrupt = 0;       // MJPG frames that did not decode cleanly: dropped
    unsigned long wrongSize = 0;     // another size than the format (changed mid-stream): dropped
    double convertSeconds = 0.0;     // time spent converting the frames taken
};

enum { kRecentFrames = 4 };   // frames kept per camera for pairs taken in sync (133 ms at 30 fps)

// One camera's latest frame, handed from its streaming thread to the worker: the writer fills
// it under the slot's lock, the reader copies it out under the same lock, so a copy never holds
// half of one frame and half of the next.
struct FrameSlot {
    FrameSize size{kFrameWidth640, kFrameHeight480};   // of every frame, set at open
    uint8_t *buffer = nullptr;   // SlotFrameBytes, owned by the module
    long frameBytes = 0;         // bytes of the latest frame in buffer; 0 until the first
    double sampleTime = 0.0;     // its time in seconds of stream time
    std::mutex lock;
    // How samples become frames, set at open before the graph runs. The plain case is the
    // bottom-up RGB32 sample of the frame's size copied with its rows turned; any other format is
    // converted into scratch (owned by the module) first and handed over only when whole.
    SampleFormat format{kSampleRgb32, kFrameWidth640, kFrameHeight480, true};
    bool convert = false;
    uint8_t *scratch = nullptr;
    // Written by the streaming thread only: a source whose times do not advance (Wine's own
    // capture filter sets none) is timed by arrival from then on.
    bool arrivalTimes = false, anySample = false;
    double lastRawTime = 0.0;
    FrameCounts counts;
    // The last few whole frames with their times, where the module was asked to keep them: a
    // pair taken in sync needs the frame of each camera nearest in time, not just the latest.
    uint8_t *recent = nullptr;   // kRecentFrames x SlotFrameBytes, owned by the module
    double recentTimes[kRecentFrames] = {};
    int recentCount = 0, recentNext = 0;
    // How long the camera takes from exposing a frame to delivering it, beyond the other
    // cameras: pairs are matched by exposure time, the frame's time less this (seconds).
    double delay = 0.0;
};
// The bytes of one frame of the slot: 4 a pixel.
inline long SlotFrameBytes(const FrameSlot &slot)
{
    return (long)slot.size.width * slot.size.height * 4;
}
// Whether the sample with this time of its own must be timed by its arrival instead.
bool NeedsArrivalTime(const FrameSlot *slot, double rawTime);
// Takes one sample: converts it when the slot's format asks, drops and counts one that is short,
// of another size or corrupt, and stores a whole frame with its time (rawTime, or arrivalTime
// where NeedsArrivalTime said so; times always advance).
void StoreSample(FrameSlot *slot, const uint8_t *sample, long length, double rawTime,
                 double arrivalTime = 0.0);
FrameCounts CountsOf(FrameSlot *slot);
// The sample time of the latest frame (0.0 before the first).
double LatestSampleTime(FrameSlot *slot);
// Copies at most bytes of the frame into dst; returns the bytes copied and the sample time.
long TakeFrame(FrameSlot *slot, uint8_t *dst, long bytes, double *sampleTime);

// The entries of a and b (each oldest first) whose times lie nearest; of equally near pairs the
// one with the later entries. False when either list is empty.
bool NearestTimes(const double *a, int na, const double *b, int nb, int *ia, int *ib);
// The times of the pair TakeNearestPair would take now, without copying it. These and
// TakeNearestPair's times are exposure times: each frame's time less its slot's delay.
bool NearestPairTimes(FrameSlot *s0, FrameSlot *s1, double *time0, double *time1);
// Copies the recent frames of two slots that lie nearest in time into dst0 and dst1
// (SlotFrameBytes of each slot) with their times. False when a slot keeps no recent frame yet.
bool TakeNearestPair(FrameSlot *s0, FrameSlot *s1, uint8_t *dst0, uint8_t *dst1, double *time0,
                     double *time1);

// What tzm_OpenCameras answers. Only a graph that would not run or deliver is built again (at
// most twice); every other failure is final.
enum OpenResult {
    kOpenRunning = 0,
    kOpenAlreadyOpen = 1,
    kOpenComStart = 2,
    kOpenGraph = 3,
    kOpenDeviceEnumerator = 4,
    kOpenCategory = 5,
    kOpenDisplayName = 6,
    kOpenAddCamera = 7,
    kOpenNoCamera = 8,
    kOpenBuilder = 9,
    kOpenStreamConfig = 10,
    kOpenFormat = 11,
    kOpenGrabber = 12,
    kOpenGrabberType = 13,
    kOpenAddGrabber = 14,
    kOpenConnect = 15,
    kOpenBufferSamples = 16,
    kOpenOneShot = 17,
    kOpenMediaControl = 18,
    kOpenRun = 19,
    kOpenCallback = 20,
    kOpenNoFrame = 21,
    kOpenNoUsableFormat = 24,
};
struct OpenResultRow {
    int code;
    const char *meaning;
    bool retried;
};
// The row of a result; NULL for a number that is none.
const OpenResultRow *OpenResultOf(int code);

// 100-nanosecond units per frame: floor(10,000,000 / rate + 0.5).
int64_t AverageTimePerFrame(double frameRate);

// Whether a device's display name marks a plug-and-play device ("@device:pnp", case-sensitive).
bool IsPlugAndPlayName(const char16_t *displayName);

// A value in [min, max] as a percentage of the range; -1.0 for an empty range.
double PropertyPercent(long value, long min, long max);
// The value of a percentage, truncated and clamped to [min, max].
long PropertyValue(double percent, long min, long max);

// Property numbers 0 to 9 are the image-quality set, 10 to 16 the camera-control set.
enum { kPropertyCount = 17, kFocusProperty = 16 };
inline bool IsCameraControlProperty(int number) { return number >= 10; }
inline long PropertyIndexInSet(int number) { return number >= 10 ? number - 10 : number; }

#endif
