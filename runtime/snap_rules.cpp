// snap_rules.cpp - the snap table and the snap of a moving rectangle.
#include "runtime/snap_rules.h"

void ResetSnapTable(SnapTable *table, int w, int h)
{
    table->count = 0;
    AddSnapRect(table, {-1000, 0, 0, h});
    AddSnapRect(table, {0, -1000, w, 0});
    AddSnapRect(table, {w, 0, w + 1000, h});
    AddSnapRect(table, {0, h, w, h + 1000});
}

void AddSnapRect(SnapTable *table, const SnapRect &rect)
{
    if (table->count < kSnapCapacity)
        table->rects[table->count++] = rect;
}

static bool Near(long long d) { return d > -kSnapDistance && d < kSnapDistance; }

SnapRect SnapRectInTable(const SnapTable &table, const SnapRect &proposed,
                         const SnapRect &current, bool ctrl)
{
    SnapRect out = proposed;
    if (!ctrl)
        return out;
    // The proposed edges stay the reference for the whole pass, however far the rectangle moved.
    const long long l0 = proposed.left, t0 = proposed.top, r0 = proposed.right,
                    b0 = proposed.bottom;
    bool hDone = false, vDone = false;
    auto shiftX = [&](long long d) {
        out.left += (int)d;
        out.right += (int)d;
        hDone = true;
    };
    auto shiftY = [&](long long d) {
        out.top += (int)d;
        out.bottom += (int)d;
        vDone = true;
    };
    for (int k = 0; k < table.count && !(hDone && vDone); k++) {
        const SnapRect &e = table.rects[k];
        if (e.left == current.left && e.top == current.top && e.right == current.right &&
            e.bottom == current.bottom)
            continue;
        bool xOverlap = e.left <= r0 && e.right >= l0;
        bool yOverlap = e.top <= b0 && e.bottom >= t0;
        // Side by side.
        if (!hDone && yOverlap) {
            if (Near(e.right - l0))
                shiftX(e.right - l0);
            else if (Near(e.left - r0))
                shiftX(e.left - r0);
        }
        // Tops or bottoms aligned after a side-by-side snap.
        if (!vDone && hDone && xOverlap) {
            if (Near(e.top - t0))
                shiftY(e.top - t0);
            else if (Near(e.bottom - b0))
                shiftY(e.bottom - b0);
        }
        // Stacked.
        if (!vDone && xOverlap) {
            if (Near(e.bottom - t0))
                shiftY(e.bottom - t0);
            else if (Near(e.top - b0))
                shiftY(e.top - b0);
        }
        // Lefts or rights aligned after a stacking snap.
        if (!hDone && vDone && yOverlap) {
            if (Near(e.left - l0))
                shiftX(e.left - l0);
            else if (Near(e.right - r0))
                shiftX(e.right - r0);
        }
    }
    return out;
}
