// image_window.cpp - the image window procedure: painting, keys, wheel zoom, the click-wait
// feed, and files dropped on the window.
#include "image/image_commands.h"
#include "image/image_store.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"

ClickWaitState ClickWait = {-1, 0, 0, 0, 0, 0, 0, 0};

int BeginClickWait(int image, const char *prompt)
{
    if ((unsigned)image >= 256 || !ImageTable[image].inUse)
        return 2;
    SetStatusText(prompt);
    AcceptMainWindowDrops(false);
    TVX_SelectImage(image);
    ClickWait.clicked = 0;
    StopRequest.store(0);
    ClickWait.image = image;
    ClickWaitActive.store(1);
    return 0;
}

void EndClickWait(void)
{
    ShowColorDepthStatus();
    ClickWaitActive.store(0);
    ClickWait.image = -1;
    AcceptMainWindowDrops(true);
}

static void ZoomBy(int index, bool in)
{
    int zoom = ImageTable[index].zoom;
    TVX_SetZoom(index, in ? ZoomInStep(zoom) : ZoomOutStep(zoom));
}

static void OnKeyDown(HWND window, int index, WPARAM key)
{
    // A click wait takes this window's keys itself; during a line input only Start, Stop and Exit
    // pass on to the main window, which decides on them.
    if (ClickWaitActive.load() != 0 || ForwardMainKey(key) || IsModalWaitActive())
        return;
    if (GetKeyState(VK_CONTROL) < 0) {
        if (int command = ImageCommandForKey((unsigned)key)) {
            PostMessageW(window, WM_COMMAND, (WPARAM)command, 0);
            return;
        }
        switch (key) {
        case VK_NUMPAD0: TVX_SetZoom(index, 100); return;
        case VK_ADD: ZoomBy(index, true); return;
        case VK_SUBTRACT: ZoomBy(index, false); return;
        default: break;
        }
    }
    switch (key) {
    case VK_TAB:
        if (GetStretchBltMode(ImageTable[index].windowDC) == COLORONCOLOR) {
            ImageRecord &r = ImageTable[index];
            SetStretchBltMode(r.windowDC, HALFTONE);
            SetBrushOrgEx(r.windowDC, 0, 0, NULL);
            SetStretchBltMode(r.memoryDC, HALFTONE);
            SetBrushOrgEx(r.memoryDC, 0, 0, NULL);
            InvalidateRect(window, NULL, FALSE);
            UpdateImageTitle(index);
        } else {
            TVX_SetStretchMode(COLORONCOLOR, index);
        }
        break;
    default: break;
    }
}

static void OnWheel(int index, WPARAM wParam)
{
    if (!(GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL))
        return;
    int distance = GET_WHEEL_DELTA_WPARAM(wParam);
    if (distance < 0)
        ZoomBy(index, true);
    else if (distance > 0)
        ZoomBy(index, false);
}

// Feeds the running click wait from its own window; false when no wait takes this window.
static bool FeedClickWait(int index, UINT message, LPARAM lParam)
{
    if (ClickWaitActive.load() == 0 || ClickWait.image != index)
        return ClickWaitActive.load() != 0;
    int zoom = ImageTable[index].zoom;
    int x = ClientToPixel(LOWORD(lParam), zoom);
    int y = ClientToPixel(HIWORD(lParam), zoom);
    switch (message) {
    case WM_MOUSEMOVE:
        ClickWait.moveX = x;
        ClickWait.moveY = y;
        ClickWait.moved = 1;
        break;
    case WM_LBUTTONDOWN:
        ClickWait.clickX = x;
        ClickWait.clickY = y;
        ClickWait.clicked = 1;
        break;
    default: ClickWait.cancelled = 1; break;
    }
    return true;
}

// A running wait takes the click as a cancellation; during a line input no menu opens. Otherwise
// the middle button, or the right with Ctrl, opens the processing menu, the right the basic one.
static void OnMenuButton(HWND window, int index, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (FeedClickWait(index, message, lParam) || IsModalWaitActive())
        return;
    bool process = message == WM_MBUTTONDOWN || (wParam & MK_CONTROL) != 0;
    HMENU menu = process ? BuildProcessMenu(window) : BuildImageMenu(window);
    if (menu != NULL)
        TrackMenuAtCursor(menu, window);
}

static void OnDropFiles(HWND window, HDROP drop)
{
    // By its wide name, and only when the whole name fits: never a cut or converted one.
    wchar_t file[MAX_PATH];
    UINT length = DragQueryFileW(drop, 0, NULL, 0);
    if (length > 0 && length < MAX_PATH && DragQueryFileW(drop, 0, file, MAX_PATH) > 0) {
        SelectImageByWindow(window);
        LoadImageFileW(file, 0, 0);
        if ((unsigned)CurrentImage < 256 && ImageTable[CurrentImage].inUse)
            InvalidateRect(ImageTable[CurrentImage].window, NULL, FALSE);
        TVX_SelectPreviousImage();
    }
    DragFinish(drop);
    SetForegroundWindow(window);
}

LRESULT CALLBACK ImageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY:
    case WM_MOVE:
    case WM_MOVING: return SnapWindowMessage(window, message, lParam);
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        TVX_RefreshImage(FindImageByWindow(window));
        EndPaint(window, &paint);
        return 0;
    }
    default: break;
    }
    int index = FindImageByWindow(window);
    if (index < 0)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_CLOSE: TVX_DestroyImage(index); return 0;
    case WM_KEYDOWN: OnKeyDown(window, index, wParam); return 0;
    case WM_MOUSEWHEEL: OnWheel(index, wParam); return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN: FeedClickWait(index, message, lParam); return 0;
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: OnMenuButton(window, index, message, wParam, lParam); return 0;
    case WM_COMMAND: RunImageCommand(window, LOWORD(wParam)); return 0;
    case WM_DROPFILES: OnDropFiles(window, (HDROP)wParam); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
