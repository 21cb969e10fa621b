// snapping.cpp - the snap table of the library's windows and the snap of a window being dragged.
//
// Both threads move windows (the main thread its own, the worker all others), so the table is
// built aside and swapped in under a lock: a drag never reads a half-built table.
#include <algorithm>
#include <mutex>

#include "runtime/modules.h"
#include "runtime/snap_rules.h"

static std::mutex SnapLock;
static SnapTable Snaps;   // under SnapLock

static SnapRect RectOf(HWND window)
{
    RECT r = {0, 0, 0, 0};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right, r.bottom};
}

std::vector<HWND> LibraryWindows(void)
{
    std::vector<HWND> windows;
    for (int m = 0; m < LibraryModuleCount(); m++)
        if (LibraryModuleAt(m)->listWindows != nullptr)
            LibraryModuleAt(m)->listWindows(&windows);
    return windows;
}

void UpdateSnapRects(HWND leaving)
{
    SnapTable built;
    ResetSnapTable(&built, FullScreenWidth, FullScreenHeight + GetSystemMetrics(SM_CYCAPTION));
    for (HWND window : LibraryWindows())
        if (window != leaving)
            AddSnapRect(&built, RectOf(window));
    if (MainWindow != NULL && MainWindow != leaving)
        AddSnapRect(&built, RectOf(MainWindow));
    std::lock_guard<std::mutex> hold(SnapLock);
    Snaps = built;
}

void SnapMovingRect(RECT *proposed, HWND window)
{
    if (proposed == NULL)
        return;
    SnapTable table;
    {
        std::lock_guard<std::mutex> hold(SnapLock);
        table = Snaps;
    }
    SnapRect moved = SnapRectInTable(table,
                                     {proposed->left, proposed->top, proposed->right,
                                      proposed->bottom},
                                     RectOf(window), GetKeyState(VK_CONTROL) < 0);
    *proposed = {moved.left, moved.top, moved.right, moved.bottom};
}

LRESULT SnapWindowMessage(HWND window, UINT message, LPARAM lParam)
{
    switch (message) {
    case WM_MOVING: SnapMovingRect((RECT *)lParam, window); break;
    case WM_MOVE: UpdateSnapRects(); break;
    // A closed window's slot may still be in use while it is destroyed: its edges go now.
    case WM_DESTROY: UpdateSnapRects(window); break;
    default: break;
    }
    return 0;
}
