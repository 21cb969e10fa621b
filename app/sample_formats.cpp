// sample_formats.cpp - the module's subtypes, the capability choice and the raw conversions.
#include "app/sample_formats.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/capture_rules.h"

const char *SampleCodeName(int code)
{
    static const char *const kNames[] = {"other", "RGB32", "RGB24", "YUY2", "MJPG", "NV12"};
    return (unsigned)code < sizeof kNames / sizeof kNames[0] ? kNames[code] : "other";
}

static long RgbStride(int width, int bytesPerPixel)
{
    return ((long)width * bytesPerPixel + 3) & ~3L;
}

long SampleBytesNeeded(const SampleFormat &f)
{
    if (f.width <= 0 || f.height <= 0)
        return 0;
    switch (f.code) {
    case kSampleRgb32: return RgbStride(f.width, 4) * f.height;
    case kSampleRgb24: return RgbStride(f.width, 3) * f.height;
    case kSampleYuy2: return (long)f.width * 2 * f.height;
    case kSampleNv12: return (long)f.width * f.height + (long)f.width * ((f.height + 1) / 2);
    default: return 0;
    }
}

// Distance of the wanted rate from what an offer holds, in frames per second; 0 when the offer
// names no limits (Wine's own capture filter, which takes any rate and keeps its own).
static double RateDistance(const CapabilityOffer &o, int64_t wanted)
{
    if (o.minInterval <= 0 && o.maxInterval <= 0)
        return 0.0;
    int64_t within = IntervalWithin(o, wanted);
    double a = 1e7 / (double)wanted, b = 1e7 / (double)within;
    return a > b ? a - b : b - a;
}

int64_t IntervalWithin(const CapabilityOffer &o, int64_t wanted)
{
    if (o.minInterval > 0 && wanted < o.minInterval)
        return o.minInterval;
    if (o.maxInterval > 0 && wanted > o.maxInterval)
        return o.maxInterval;
    return wanted;
}

bool IsUsableFrameSize(int width, int height)
{
    return width >= kFrameWidth640 && height >= kFrameHeight480 && width <= kLargestFrameWidth &&
           height <= kLargestFrameHeight && width % 2 == 0;
}

int ChooseCapability(const CapabilityOffer *offers, int count, int64_t wanted, FrameSize size)
{
    // The size first: the asked one itself, else the smallest that holds it.
    int width = 0, height = 0;
    for (int i = 0; i < count; i++) {
        const CapabilityOffer &o = offers[i];
        if (o.code == kSampleUnknown || o.width < size.width || o.height < size.height)
            continue;
        long area = (long)o.width * o.height;
        if (width == 0 || area < (long)width * height) {
            width = o.width;
            height = o.height;
        }
    }
    int best = -1;
    double bestDistance = 0.0;
    for (int i = 0; i < count; i++) {
        const CapabilityOffer &o = offers[i];
        if (o.code == kSampleUnknown || o.width != width || o.height != height)
            continue;
        double d = RateDistance(o, wanted);
        if (best < 0 || d < bestDistance - 1e-9 ||
            (d < bestDistance + 1e-9 && o.code < offers[best].code)) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

static bool Offers(const CapabilityOffer *list, int count, FrameSize size)
{
    for (int i = 0; i < count; i++)
        if (list[i].code != kSampleUnknown && list[i].width == size.width &&
            list[i].height == size.height)
            return true;
    return false;
}

int CommonFrameSizes(const CapabilityOffer *const *lists, const int *counts, int cameras,
                     FrameSize *sizes, int most)
{
    if (most <= 0)
        return 0;
    int n = 0;
    sizes[n++] = FrameSize{kFrameWidth640, kFrameHeight480};
    for (int i = 0; cameras > 0 && i < counts[0]; i++) {
        FrameSize size{lists[0][i].width, lists[0][i].height};
        bool everywhere = IsUsableFrameSize(size.width, size.height);
        for (int c = 0; c < cameras && everywhere; c++)
            everywhere = Offers(lists[c], counts[c], size);
        for (int k = 0; k < n && everywhere; k++)
            everywhere = sizes[k].width != size.width || sizes[k].height != size.height;
        if (!everywhere || n == most)
            continue;
        // Kept in order of area as they come.
        int at = n++;
        long area = (long)size.width * size.height;
        for (; at > 0 && (long)sizes[at - 1].width * sizes[at - 1].height > area; at--)
            sizes[at] = sizes[at - 1];
        sizes[at] = size;
    }
    return n;
}

void DescribeCameraLine(char *text, int size, const char *name, const char *identity,
                        const SampleFormat &f, double rate, int conversion)
{
    static const char *const kHow[] = {"as delivered", "converted", "converted by the graph"};
    char rateText[32];
    if (rate > 0.0)
        snprintf(rateText, sizeof rateText, "%.1f fps", rate);
    else
        snprintf(rateText, sizeof rateText, "rate not stated");
    snprintf(text, (size_t)size, "%s [%s] %s %dx%d %s, %s", name, identity, SampleCodeName(f.code),
             f.width, f.height, rateText, kHow[(unsigned)conversion < 3 ? conversion : 0]);
}

static inline uint8_t Clamp8(int v) { return (uint8_t)(v < 0 ? 0 : v > 255 ? 255 : v); }

uint32_t YuvToRgb(int y, int u, int v)
{
    int c = 298 * (y - 16) + 128, d = u - 128, e = v - 128;
    return (uint32_t)Clamp8((c + 409 * e) >> 8) << 16 |
           (uint32_t)Clamp8((c - 100 * d - 208 * e) >> 8) << 8 | Clamp8((c + 516 * d) >> 8);
}

int ConvertRawSample(const SampleFormat &f, const uint8_t *sample, long length, uint8_t *frame,
                     FrameSize size)
{
    if (f.width < size.width || f.height < size.height)
        return kConvertUnsupported;
    long needed = SampleBytesNeeded(f);
    if (needed == 0)
        return kConvertUnsupported;
    if (sample == nullptr || length < needed)
        return kConvertShort;
    // The centre of a larger picture; even offsets keep YUV pairs together.
    int x0 = ((f.width - size.width) / 2) & ~1, y0 = ((f.height - size.height) / 2) & ~1;
    uint32_t *out = (uint32_t *)frame;
    for (int y = 0; y < size.height; y++, out += size.width) {
        int sy = y0 + y;
        switch (f.code) {
        case kSampleRgb32:
        case kSampleRgb24: {
            int bytes = f.code == kSampleRgb32 ? 4 : 3;
            long stride = RgbStride(f.width, bytes);
            const uint8_t *row =
                sample + (size_t)(f.bottomUp ? f.height - 1 - sy : sy) * stride + (size_t)x0 * bytes;
            if (bytes == 4) {
                memcpy(out, row, (size_t)size.width * 4);
                break;
            }
            for (int x = 0; x < size.width; x++, row += 3)
                out[x] = (uint32_t)row[2] << 16 | (uint32_t)row[1] << 8 | row[0];
            break;
        }
        case kSampleYuy2: {
            const uint8_t *row = sample + (size_t)sy * f.width * 2 + (size_t)x0 * 2;
            for (int x = 0; x < size.width; x += 2, row += 4) {
                out[x] = YuvToRgb(row[0], row[1], row[3]);
                out[x + 1] = YuvToRgb(row[2], row[1], row[3]);
            }
            break;
        }
        case kSampleNv12: {
            const uint8_t *luma = sample + (size_t)sy * f.width + x0;
            const uint8_t *chroma =
                sample + (size_t)f.width * f.height + (size_t)(sy / 2) * f.width + x0;
            for (int x = 0; x < size.width; x += 2, chroma += 2) {
                out[x] = YuvToRgb(luma[x], chroma[0], chroma[1]);
                out[x + 1] = YuvToRgb(luma[x + 1], chroma[0], chroma[1]);
            }
            break;
        }
        default: return kConvertUnsupported;
        }
    }
    return kConvertOk;
}
