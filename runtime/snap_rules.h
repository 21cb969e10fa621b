// snap_rules.h - edge snapping of windows dragged with Ctrl (no Windows header): the table of
// the screen's walls and every library window's rectangle, and the snap of a moving rectangle.
#ifndef TVX_SNAP_RULES_H
#define TVX_SNAP_RULES_H

struct SnapRect {
    int left, top, right, bottom;   // right and bottom exclusive
};

enum { kSnapCapacity = 260, kSnapDistance = 8 };

struct SnapTable {
    SnapRect rects[kSnapCapacity];
    int count;
};

// A table holding the four walls around a screen of width w and height h.
void ResetSnapTable(SnapTable *table, int w, int h);
// One more rectangle; those beyond the capacity are not recorded.
void AddSnapRect(SnapTable *table, const SnapRect &rect);

// The proposed rectangle of a window being dragged, moved so that its sides meet a wall or
// another window within kSnapDistance - 1 pixels: beside one (then tops or bottoms aligned), or
// stacked (then lefts or rights aligned). The first entry that snaps an axis wins it, so the walls
// come before windows. current is the window's rectangle now: the entry equal to it is the window
// itself and is passed over. Without Ctrl nothing moves.
SnapRect SnapRectInTable(const SnapTable &table, const SnapRect &proposed,
                         const SnapRect &current, bool ctrl);

#endif
