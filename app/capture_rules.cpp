// capture_rules.cpp - platform-free rules of the camera capture module.
#include "app/capture_rules.h"

#include <cmath>
#include <cstring>

void CopyFrameFlipped(uint8_t *frame, const uint8_t *sample, long length, int rows)
{
    if (rows <= 0 || length <= 0)
        return;
    long rowBytes = length / rows;
    if (rowBytes > kFrameRowBytes)
        rowBytes = kFrameRowBytes;
    if (rows > kFrameHeight480)
        rows = kFrameHeight480;
    for (int r = 0; r < rows; r++)
        memcpy(frame + (size_t)(rows - 1 - r) * kFrameRowBytes, sample + (size_t)r * (length / rows),
               (size_t)rowBytes);
}

void StoreSample(FrameSlot *slot, const uint8_t *sample, long length, double sampleTime)
{
    std::lock_guard<std::mutex> hold(slot->lock);
    if (slot->buffer == nullptr)
        return;   // the module has let the buffer go
    slot->frameBytes = length;
    CopyFrameFlipped(slot->buffer, sample, length, kFrameHeight480);
    slot->sampleTime = sampleTime;
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
    if (n > kFrameBufferBytes)
        n = kFrameBufferBytes;
    if (n > 0 && slot->buffer != nullptr)
        memcpy(dst, slot->buffer, (size_t)n);
    if (sampleTime != nullptr)
        *sampleTime = slot->sampleTime;
    return n < 0 ? 0 : n;
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
