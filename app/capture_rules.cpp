// capture_rules.cpp - platform-free rules of the camera capture module.
#include "app/capture_rules.h"

#include <chrono>
#include <cmath>
#include <cstring>

#include "app/mjpg_decoder.h"

void CopyFrameFlipped(uint8_t *frame, const uint8_t *sample, long length, int rows,
                      long frameRowBytes)
{
    if (rows <= 0 || length <= 0)
        return;
    long rowBytes = length / rows;
    if (rowBytes > frameRowBytes)
        rowBytes = frameRowBytes;
    for (int r = 0; r < rows; r++)
        memcpy(frame + (size_t)(rows - 1 - r) * frameRowBytes, sample + (size_t)r * (length / rows),
               (size_t)rowBytes);
}

bool NeedsArrivalTime(const FrameSlot *slot, double rawTime)
{
    return slot->arrivalTimes || (slot->anySample && rawTime <= slot->lastRawTime);
}

// The time a sample is stored with; called under the slot's lock.
static double TimeOfSample(FrameSlot *slot, double rawTime, double arrivalTime)
{
    if (NeedsArrivalTime(slot, rawTime))
        slot->arrivalTimes = true;
    slot->anySample = true;
    slot->lastRawTime = rawTime;
    if (!slot->arrivalTimes)
        return rawTime;
    // A consumer tells frames apart by their times: two arrivals within one tick of the clock
    // still get two times.
    return arrivalTime > slot->sampleTime ? arrivalTime : slot->sampleTime + 1e-4;
}

// Keeps the frame just stored among the recent ones; called under the slot's lock.
static void Remember(FrameSlot *slot)
{
    if (slot->recent == nullptr)
        return;
    long bytes = SlotFrameBytes(*slot);
    memcpy(slot->recent + (size_t)slot->recentNext * bytes, slot->buffer, (size_t)bytes);
    slot->recentTimes[slot->recentNext] = slot->sampleTime;
    slot->recentNext = (slot->recentNext + 1) % kRecentFrames;
    if (slot->recentCount < kRecentFrames)
        slot->recentCount++;
}

static int Convert(const FrameSlot *slot, const uint8_t *sample, long length, uint8_t *out)
{
    if (slot->format.code == kSampleMjpg)
        return DecodeMjpgFrame(sample, length, out, slot->size);
    long needed = SampleBytesNeeded(slot->format);
    if (needed != 0 && length > needed)
        return kConvertWrongSize;
    return ConvertRawSample(slot->format, sample, length, out, slot->size);
}

void StoreSample(FrameSlot *slot, const uint8_t *sample, long length, double rawTime,
                 double arrivalTime)
{
    const long bytes = SlotFrameBytes(*slot);
    if (!slot->convert) {
        std::lock_guard<std::mutex> hold(slot->lock);
        if (slot->buffer == nullptr)
            return;   // the module has let the buffer go
        // The plain format has one size: anything else is a part of a frame or another format.
        if (length != bytes) {
            (length < bytes ? slot->counts.shortSamples : slot->counts.wrongSize)++;
            return;
        }
        slot->frameBytes = length;
        CopyFrameFlipped(slot->buffer, sample, length, slot->size.height, slot->size.width * 4L);
        slot->sampleTime = TimeOfSample(slot, rawTime, arrivalTime);
        slot->counts.frames++;
        Remember(slot);
        return;
    }
    uint8_t *scratch;
    {
        std::lock_guard<std::mutex> hold(slot->lock);
        if (slot->buffer == nullptr || slot->scratch == nullptr)
            return;
        scratch = slot->scratch;   // only this streaming thread writes it
    }
    auto begin = std::chrono::steady_clock::now();
    int result = Convert(slot, sample, length, scratch);
    double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::lock_guard<std::mutex> hold(slot->lock);
    if (slot->buffer == nullptr)
        return;
    switch (result) {
    case kConvertOk:
        memcpy(slot->buffer, scratch, (size_t)bytes);
        slot->frameBytes = bytes;
        slot->sampleTime = TimeOfSample(slot, rawTime, arrivalTime);
        slot->counts.frames++;
        slot->counts.convertSeconds += took;
        Remember(slot);
        break;
    case kConvertShort: slot->counts.shortSamples++; break;
    case kConvertCorrupt: slot->counts.corrupt++; break;
    default: slot->counts.wrongSize++; break;
    }
}

FrameCounts CountsOf(FrameSlot *slot)
{
    std::lock_guard<std::mutex> hold(slot->lock);
    return slot->counts;
}

double LatestSampleTime(FrameSlot *slot)
{
    std::lock_guard<std::mutex> hold(slot->lock);
    return slot->sampleTime;
}

long TakeFrame(FrameSlot *slot, uint8_t *dst, long bytes, double *sampleTime)
{
    std::lock_guard<std::mutex> hold(slot->lock);
    long n = slot->frameBytes;
    if (n > bytes)
        n = bytes;
    if (n > SlotFrameBytes(*slot))
        n = SlotFrameBytes(*slot);
    if (n > 0 && slot->buffer != nullptr)
        memcpy(dst, slot->buffer, (size_t)n);
    if (sampleTime != nullptr)
        *sampleTime = slot->sampleTime;
    return n < 0 ? 0 : n;
}

bool NearestTimes(const double *a, int na, const double *b, int nb, int *ia, int *ib)
{
    if (na <= 0 || nb <= 0)
        return false;
    // Gaps within a microsecond are equal: times made of frame periods differ in their last bits.
    const double kTie = 1e-6;
    double best = -1.0;
    for (int i = 0; i < na; i++)
        for (int j = 0; j < nb; j++) {
            double gap = std::fabs(a[i] - b[j]);
            if (best < 0.0 || gap <= best + kTie) {
                best = best < 0.0 || gap < best ? gap : best;
                *ia = i;
                *ib = j;
            }
        }
    return true;
}

// A slot's recent exposure times, oldest first, and where each lies in its ring.
static int RecentInOrder(const FrameSlot *slot, double *times, int *places)
{
    int n = slot->recent == nullptr ? 0 : slot->recentCount;
    int first = (slot->recentNext - n + kRecentFrames) % kRecentFrames;
    for (int k = 0; k < n; k++) {
        places[k] = (first + k) % kRecentFrames;
        times[k] = slot->recentTimes[places[k]] - slot->delay;
    }
    return n;
}

// Where the nearest pair of recent frames lies in each slot's ring, and its times; called under
// both slots' locks.
static bool FindNearestPair(const FrameSlot *s0, const FrameSlot *s1, int *place0, int *place1,
                            double *time0, double *time1)
{
    double t0[kRecentFrames], t1[kRecentFrames];
    int p0[kRecentFrames], p1[kRecentFrames];
    int n0 = RecentInOrder(s0, t0, p0), n1 = RecentInOrder(s1, t1, p1);
    int i, j;
    if (!NearestTimes(t0, n0, t1, n1, &i, &j))
        return false;
    *place0 = p0[i];
    *place1 = p1[j];
    *time0 = t0[i];
    *time1 = t1[j];
    return true;
}

bool NearestPairTimes(FrameSlot *s0, FrameSlot *s1, double *time0, double *time1)
{
    std::scoped_lock hold(s0->lock, s1->lock);
    int place0, place1;
    return FindNearestPair(s0, s1, &place0, &place1, time0, time1);
}

bool TakeNearestPair(FrameSlot *s0, FrameSlot *s1, uint8_t *dst0, uint8_t *dst1, double *time0,
                     double *time1)
{
    std::scoped_lock hold(s0->lock, s1->lock);
    int place0, place1;
    if (!FindNearestPair(s0, s1, &place0, &place1, time0, time1))
        return false;
    long bytes0 = SlotFrameBytes(*s0), bytes1 = SlotFrameBytes(*s1);
    memcpy(dst0, s0->recent + (size_t)place0 * bytes0, (size_t)bytes0);
    memcpy(dst1, s1->recent + (size_t)place1 * bytes1, (size_t)bytes1);
    return true;
}

static const OpenResultRow kOpenResults[] = {
    {kOpenRunning, "open and running", false},
    {kOpenAlreadyOpen, "already open", false},
    {kOpenComStart, "COM could not be started for the module", false},
    {kOpenGraph, "the filter graph could not be created", false},
    {kOpenDeviceEnumerator, "the system device enumerator could not be created", false},
    {kOpenCategory, "the video input category could not be enumerated, or is empty", false},
    {kOpenDisplayName, "a device's display name could not be read", false},
    {kOpenAddCamera, "a capture filter could not be added to the graph", false},
    {kOpenNoCamera, "no camera among the first eight video devices", false},
    {kOpenBuilder, "the capture graph builder could not take the graph", false},
    {kOpenStreamConfig, "the capture pin's stream configuration was not found", false},
    {kOpenFormat, "the camera refused every format it was offered", false},
    {kOpenGrabber, "the sample grabber could not be created", false},
    {kOpenGrabberType, "the grabber refused the RGB32 media type", false},
    {kOpenAddGrabber, "the grabber could not be added to the graph", false},
    {kOpenConnect, "the camera could not be connected to the grabber", false},
    {kOpenBufferSamples, "SetBufferSamples failed", false},
    {kOpenOneShot, "SetOneShot failed", false},
    {kOpenMediaControl, "the graph's media control could not be obtained", false},
    {kOpenRun, "the graph did not run", true},
    {kOpenCallback, "the callback or the frame buffers could not be installed", false},
    {kOpenNoFrame, "camera 0 delivered no frame within 3000 ms", true},
    {kOpenNoUsableFormat, "a camera offers no format of the frame size or more the module converts", false},
};

const OpenResultRow *OpenResultOf(int code)
{
    for (const OpenResultRow &row : kOpenResults)
        if (row.code == code)
            return &row;
    return nullptr;
}

int64_t AverageTimePerFrame(double frameRate)
{
    return (int64_t)std::floor(10000000.0 / frameRate + 0.5);
}

bool IsPlugAndPlayName(const char16_t *displayName)
{
    static const char16_t kPnp[] = u"@device:pnp";
    for (const char16_t *p = displayName; *p != 0; p++) {
        size_t k = 0;
        while (kPnp[k] != 0 && p[k] == kPnp[k])
            k++;
        if (kPnp[k] == 0)
            return true;
    }
    return false;
}

double PropertyPercent(long value, long min, long max)
{
    if (max == min)
        return -1.0;   // no range, no percentage (and no division by zero)
    return (double)(value - min) * 100.0 / (double)(max - min);
}

long PropertyValue(double percent, long min, long max)
{
    long value = (long)((double)(max - min) * (percent / 100.0) + (double)min);
    if (value <= min)
        return min;
    if (value >= max)
        return max;
    return value;
}
