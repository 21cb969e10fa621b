// sync_measure.cpp - the signals of a sync check and the delay between them.
#include "stereoshot/sync_measure.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

enum { kGridStep = 8 };   // every 8th pixel of every 8th row: 4,800 at 640 x 480

void TraceFrame(SyncTrace *trace, const uint32_t *frame, int width, int height, double time)
{
    std::vector<uint8_t> grid;
    grid.reserve((size_t)(width / kGridStep + 1) * (height / kGridStep + 1));
    for (int y = kGridStep / 2; y < height; y += kGridStep)
        for (int x = kGridStep / 2; x < width; x += kGridStep) {
            uint32_t p = frame[(size_t)y * width + x];
            grid.push_back((uint8_t)((77 * (p >> 16 & 0xFF) + 150 * (p >> 8 & 0xFF) + 29 * (p & 0xFF)) >> 8));
        }
    if (grid.empty())
        return;
    long sum = 0, moved = 0;
    bool comparable = trace->previous.size() == grid.size() && !trace->level.empty();
    for (size_t i = 0; i < grid.size(); i++) {
        sum += grid[i];
        if (comparable)
            moved += std::abs((int)grid[i] - (int)trace->previous[i]);
    }
    if (comparable)
        trace->change.push_back({(trace->level.back().time + time) / 2, (double)moved / grid.size()});
    trace->level.push_back({time, (double)sum / grid.size()});
    trace->previous.swap(grid);
}

std::vector<SignalSample> LevelSteps(const std::vector<SignalSample> &level)
{
    std::vector<double> median(level.size());
    for (size_t i = 0; i < level.size(); i++) {
        double a = level[i > 0 ? i - 1 : i].value, b = level[i].value,
               c = level[i + 1 < level.size() ? i + 1 : i].value;
        median[i] = std::max(std::min(a, b), std::min(std::max(a, b), c));
    }
    std::vector<SignalSample> steps;
    for (size_t i = 1; i < level.size(); i++)
        steps.push_back({(level[i - 1].time + level[i].time) / 2, median[i] - median[i - 1]});
    return steps;
}

static double Spread(const std::vector<SignalSample> &s)
{
    double mean = 0.0, square = 0.0;
    for (const SignalSample &x : s)
        mean += x.value;
    mean /= (double)s.size();
    for (const SignalSample &x : s)
        square += (x.value - mean) * (x.value - mean);
    return std::sqrt(square / (double)s.size());
}

// The correlation of a's samples from first to last with b read `lag` seconds later, b taken
// between its samples.
static double CorrelationAt(const std::vector<SignalSample> &a, size_t first, size_t last,
                            const std::vector<SignalSample> &b, double lag)
{
    double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
    size_t n = 0, j = 0;
    for (size_t i = first; i <= last; i++) {
        const SignalSample &x = a[i];
        double t = x.time + lag;
        while (j + 1 < b.size() && b[j + 1].time < t)
            j++;
        const SignalSample &p = b[j], &q = b[j + 1 < b.size() ? j + 1 : j];
        double f = q.time > p.time ? (t - p.time) / (q.time - p.time) : 0.0;
        double y = p.value + (q.value - p.value) * f;
        sa += x.value;
        sb += y;
        saa += x.value * x.value;
        sbb += y * y;
        sab += x.value * y;
        n++;
    }
    double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
    return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0.0;
}

SyncEstimate EstimateDelay(const std::vector<SignalSample> &a, const std::vector<SignalSample> &b,
                           double maxLagMs, double minSpread)
{
    SyncEstimate none = {false, 0.0, 0.0};
    if (a.size() < 20 || b.size() < 20 || Spread(a) < minSpread || Spread(b) < minSpread)
        return none;
    // The same samples of a for every shift: one that came in or dropped out at the ends would
    // move the peak of a smooth signal's correlation more than the shift does.
    int steps = (int)maxLagMs;
    double reach = steps / 1000.0;
    size_t first = 0, last = a.size();
    while (first < a.size() && a[first].time - reach < b.front().time)
        first++;
    while (last > first && a[last - 1].time + reach > b.back().time)
        last--;
    if (last - first < 20)
        return none;
    std::vector<double> r((size_t)(2 * steps + 1));
    int best = 0;
    for (int k = 0; k <= 2 * steps; k++) {
        r[(size_t)k] = CorrelationAt(a, first, last - 1, b, (k - steps) / 1000.0);
        if (r[(size_t)k] > r[(size_t)best])
            best = k;
    }
    if (r[(size_t)best] < 0.6)
        return none;
    // Between the milliseconds: the vertex of the parabola through the peak and its neighbours.
    double offset = 0.0;
    if (best > 0 && best < 2 * steps) {
        double l = r[(size_t)best - 1], c = r[(size_t)best], h = r[(size_t)best + 1];
        double curve = l - 2 * c + h;
        if (curve < 0)
            offset = 0.5 * (l - h) / curve;
    }
    return {true, best - steps + offset, r[(size_t)best]};
}

// A hash of a whole number to 0..1, for the Sync window's sequence.
static double Noise(long k)
{
    uint32_t x = (uint32_t)k * 0x9E3779B9u + 0x7F4A7C15u;
    x ^= x >> 16;
    x *= 0x85EBCA6Bu;
    x ^= x >> 13;
    x *= 0xC2B2AE35u;
    x ^= x >> 16;
    return (x & 0xFFFFFF) / (double)0xFFFFFF;
}

int SyncWindowGrey(double seconds)
{
    // Knots every 0.15 s joined by a cosine: smooth, so that a camera's frames sample it without
    // aliasing, and never alike twice in the seconds a check takes.
    double at = seconds / 0.15;
    long k = (long)std::floor(at);
    double f = at - (double)k, w = (1.0 - std::cos(f * 3.14159265358979)) / 2;
    double v = Noise(k) * (1 - w) + Noise(k + 1) * w;
    return 16 + (int)std::lround(v * 223.0);
}
