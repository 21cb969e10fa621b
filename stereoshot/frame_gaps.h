// frame_gaps.h - how many frames the live windows passed over between two they showed (no
// Windows header): counted from the frames' own times, so that the figure is exact where counts
// of frames delivered and shown differ by the frame on show at Start or arriving at Stop.
#ifndef STEREOSHOT_FRAME_GAPS_H
#define STEREOSHOT_FRAME_GAPS_H

#include <cmath>

// The frames a camera sent between two shown at `before` and `now` (seconds), at `rate` frames
// a second: a gap of about k periods passed k - 1 over (rounded, as webcams' times jitter). None
// before the first frame (before < 0), for a camera that names no rate, or where the times went
// back (the cameras were opened anew).
inline unsigned long FramesPassedOver(double before, double now, double rate)
{
    if (before < 0.0 || rate <= 0.0 || now <= before)
        return 0;
    long gaps = std::lround((now - before) * rate) - 1;
    return gaps > 0 ? (unsigned long)gaps : 0;
}

#endif
