// sync_measure.h - how much later one camera delivers what it saw than the other (no Windows
// header). Each camera's frames give a signal over time: the mean brightness of a coarse grid
// (for the program's Sync window, whose whole picture follows a known sequence) or its change
// from the frame before (for any scene with a sudden change). The delay is the shift of one
// signal against the other that makes them agree best, to a fraction of a frame.
#ifndef STEREOSHOT_SYNC_MEASURE_H
#define STEREOSHOT_SYNC_MEASURE_H

#include <cstdint>
#include <vector>

enum SyncMethod { kSyncWindow = 0, kSyncScene = 1 };

struct SignalSample {
    double time;    // the frame's time, seconds
    double value;   // grey levels
};

// One camera's signals while a check runs.
struct SyncTrace {
    std::vector<uint8_t> previous;   // the last frame's grid
    std::vector<SignalSample> level, change;
};
// Adds a frame (top-down 0x00RRGGBB) taken at `time` to the trace: its grid's mean (level) and,
// from the second frame on, the mean absolute change of the grid's points (change), timed
// midway between the two frames.
void TraceFrame(SyncTrace *trace, const uint32_t *frame, int width, int height, double time);

// The steps of a level signal, signed, midway between its samples, after a median of three has
// taken out single frames that are off (a frame caught while the picture was being drawn). A
// grey that goes up and down marks moments more sharply by its steps than by its level.
std::vector<SignalSample> LevelSteps(const std::vector<SignalSample> &level);

struct SyncEstimate {
    bool found;          // false: no sync signal (nothing changed enough, or no shift agrees)
    double delayMs;      // how much later b shows a moment than a does; negative: earlier
    double confidence;   // the correlation of the signals at that shift, 0 to 1
};
// The shift of b against a (within +-maxLagMs) at which the signals correlate best, refined
// between milliseconds; a signal that varies by under minSpread grey levels (standard deviation)
// or a best correlation under 0.6 gives no estimate. Every shift is judged on the same samples of
// a: those that b covers at every shift tried.
SyncEstimate EstimateDelay(const std::vector<SignalSample> &a, const std::vector<SignalSample> &b,
                           double maxLagMs = 250.0, double minSpread = 0.3);

// The Sync window's grey level at a time (seconds from its start): a smooth sequence that never
// repeats within a check, with features about a tenth of a second long, 16 to 239.
int SyncWindowGrey(double seconds);

#endif
