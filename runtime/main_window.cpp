// main_window.cpp - the main window: its creation and drop animation, popup menu, keys, commands
// and dropped files. It lives on the main thread and reaches the worker only through the mailbox.
#include <cstdio>

#include <windows.h>

#include <gdiplus.h>
#include "rules.h"
#include "runtime.h"
#include "scoped.h"
#include "text_window.h"
#include "image_store.h"
#include "unbuilt.h"

HWND MainWindow = NULL;
HWND StatusLine = NULL;
HANDLE WorkerThreadHandle = NULL;
DWORD WorkerThreadId = 0;
int ScreenBits = 0;

// The drop animation: 28 steps of 20 ms that add up to 55 pixels, with two small bounces.
static const int kDropOffsets[28] = {1,  2,  3,  4,  5,  6,  7,  8,  9, 10, -6, -5, -4, -3,
                                     -2, -1, 1,  2,  3,  4,  5,  6, -3, -2, -1, 1,  2,  3};

static void WaitUntilElapsed(int since, int milliseconds)
{
    while (ElapsedMilliseconds(NowMilliseconds(), since) < milliseconds)
        Sleep(1);
}

static void OnCreate(HWND window)
{
    MainWindow = window;
    StatusLine = CreateWindowExW(0, L"STATIC", L"Ready", WS_CHILD | WS_VISIBLE, 0, 6, 234, 20,
                                 window, (HMENU)(INT_PTR)kStatusLineId, InstanceHandle, NULL);
    int t = NowMilliseconds();
    for (int offset : kDropOffsets) {
        RECT r;
        GetWindowRect(window, &r);
        SetWindowPos(window, NULL, r.left, r.top + offset, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
        // The message loop is not running yet: paint now so that the falling window is drawn.
        RedrawWindow(window, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
        WaitUntilElapsed(t, 20);
        t = NowMilliseconds();
    }
    WaitUntilElapsed(t, 500);

    ScreenBits = GetDeviceCaps(WindowDC(NULL).get(), BITSPIXEL);

    WorkerThreadHandle = CreateThread(NULL, 0, WorkerThreadMain, NULL, 0, &WorkerThreadId);
    if (WorkerThreadHandle != NULL)
        NameThread(WorkerThreadHandle, L"TORVEX worker");
}

HMENU BuildMainPopupMenu(void)
{
    HMENU menu = CreatePopupMenu();
    int running = AppRunning.load();
    int input = InputWindow.load();
    for (int position = 0; position < kMainPopupItemCount; position++) {
        const MainPopupItem &item = kMainPopup[position];
        if (item.id == 0)
            InsertMenuSeparator(menu, (UINT)position);
        else
            InsertMenuText(menu, (UINT)position, (UINT)MainPopupItemState(item, running, input),
                           (UINT)item.id, item.text);
    }
    return menu;
}

static void OnRightButton(HWND window)
{
    if (ClickWaitActive.load() != 0)
        return;
    TrackMenuAtCursor(BuildMainPopupMenu(), window);
}

static void OnKeyDown(HWND window, WPARAM key)
{
    switch (MainKeyAction((unsigned)key, GetKeyState(VK_CONTROL) < 0)) {
    case kMainKeyPostPaste: PostMessageW(window, WM_COMMAND, kCmdPaste, 0); break;
    case kMainKeyPostWindowInfo: PostMessageW(window, WM_COMMAND, kCmdWindowInfo, 0); break;
    case kMainKeyStart:
        if (!IsModalWaitActive())
            RequestStart();
        break;
    case kMainKeyStop: RequestStop(); break;
    case kMainKeyExit: RunExitSequence(); break;
    default: break;
    }
}

// Reads one answer of a creation prompt; false when Exit came while it waited.
static bool ReadNumber(int *value)
{
    char line[256];
    TVX_InputText(line);
    if (QuitState.load() != 0)
        return false;
    *value = LeadingInteger(line);
    return true;
}

static void OnPaste(void)
{
    if (AppRunning.load() != 0)
        return;
    HBITMAP bitmap = ReadClipboardBitmap();
    if (bitmap == NULL)
        return;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    for (int i = 0; i < 256 && QuitState.load() == 0; i++) {
        char name[16];
        snprintf(name, sizeof name, "%03d", i);
        if (RequestCreateImage(i, name, info.bmWidth, info.bmHeight, 32) == 0) {
            RequestPasteBitmap(bitmap);
            RequestRedrawImage(i);
            TVX_SelectPreviousImage();
            return;
        }
    }
    DeleteObject(bitmap);
}

static void OnImageWindowPrompt(void)
{
    int width, height, bits;
    RequestOpenTextWindow(0);
    TVX_Print("Creating ImageWindow...\n");
    TVX_Print(" Width=");
    if (!ReadNumber(&width))
        return;
    TVX_Print("Height=");
    if (!ReadNumber(&height))
        return;
    TVX_Print("Bit[32 or 8]=");
    if (!ReadNumber(&bits))
        return;
    if (bits != 32 && bits != 8)
        return;
    int slot = FirstFreeImageSlot();
    if (slot < 0)
        return;
    char name[16];
    snprintf(name, sizeof name, "%03d", slot);
    RequestCreateImage(slot, name, width, height, bits);
}

static void OnInputBoxPrompt(void)
{
    int count;
    RequestOpenTextWindow(0);
    TVX_Print("Creating InpuxBox...\n");
    TVX_Print("How many items? >");
    if (!ReadNumber(&count))
        return;
    RequestOpenInputBox(count);
}

static void OnButtonBoxPrompt(void)
{
    int nx, ny;
    RequestOpenTextWindow(0);
    TVX_Print("Creating ButtonBox...\n");
    TVX_Print("Number[X]=>");
    if (!ReadNumber(&nx))
        return;
    TVX_Print("Number[Y]=>");
    if (!ReadNumber(&ny))
        return;
    RequestOpenButtonBox(nx, ny);
}

static void OnWindowInfo(void)
{
    if (!IsTextWindowOpen(CurrentTextWindow))
        RequestOpenTextWindow(0);
    HWND text = TextWindowHandle(CurrentTextWindow);
    if (text != NULL)
        PostMessageW(text, WM_COMMAND, kCmdWindowInfo, 0);
}

static bool IsImmediateCommand(int id)
{
    return id == kCmdStart || id == kCmdStop || id == kCmdExit;
}

static void OnCommand(WPARAM wParam)
{
    // After Exit the worker serves nothing more: no prompt or request may begin.
    int id = LOWORD(wParam);
    if (QuitState.load() != 0 && id != kCmdExit)
        return;
    // While a line input or a click wait runs only Stop and Exit act: the others are the items
    // the popup menu greys, and a prompt would start a second line input.
    if (IsModalWaitActive() && id != kCmdStop && id != kCmdExit)
        return;
    switch (id) {
    case kCmdStart: RequestStart(); break;
    case kCmdStop: RequestStop(); break;
    case kCmdExit: RunExitSequence(); break;
    case kCmdPaste: OnPaste(); break;
    case kCmdImageWindow: OnImageWindowPrompt(); break;
    case kCmdTextWindow: {
        int slot = FirstFreeTextWindow();
        if (slot >= 0)
            RequestOpenTextWindow(slot);
        break;
    }
    case kCmdInputBox: OnInputBoxPrompt(); break;
    case kCmdButtonBox: OnButtonBoxPrompt(); break;
    case kCmdWindowInfo: OnWindowInfo(); break;
    default: break;
    }
}

// Width and height of an image file as GDI+ reads it; 0 x 0 when it cannot.
static void ReadImageFileSize(const wchar_t *path, UINT *width, UINT *height)
{
    *width = 0;
    *height = 0;
    Gdiplus::GpImage *image = NULL;
    if (Gdiplus::DllExports::GdipLoadImageFromFile(path, &image) != Gdiplus::Ok || image == NULL)
        return;
    Gdiplus::DllExports::GdipGetImageWidth(image, width);
    Gdiplus::DllExports::GdipGetImageHeight(image, height);
    Gdiplus::DllExports::GdipDisposeImage(image);
}

struct DropTarget {
    const char *fileName;
    int width, height;
};

static int CreateDropImage(int slot, void *context)
{
    const DropTarget *target = (const DropTarget *)context;
    char name[256];
    snprintf(name, sizeof name, "%03d %s", slot, target->fileName);
    return RequestCreateImage(slot, name, target->width, target->height, 32);
}

static void OnDropFiles(HDROP drop)
{
    // Drops are refused during a run; one already queued when the run began is ignored too.
    if (AppRunning.load() != 0 || QuitState.load() != 0) {
        DragFinish(drop);
        return;
    }
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
    int cursor = 0;
    for (UINT i = 0; i < count; i++) {
        // A name that does not fit is passed over whole: a cut one would name another file.
        wchar_t file[MAX_PATH];
        UINT fileLength = DragQueryFileW(drop, i, NULL, 0);
        if (fileLength == 0 || fileLength >= MAX_PATH || DragQueryFileW(drop, i, file, MAX_PATH) == 0)
            continue;
        wchar_t full[MAX_PATH];
        wchar_t *part = NULL;
        DWORD length = GetFullPathNameW(file, MAX_PATH, full, &part);
        if (length == 0 || length >= MAX_PATH || part == NULL || *part == L'\0')
            continue;
        UINT width, height;
        ReadImageFileSize(full, &width, &height);
        if (width == 0 || height == 0)
            continue;
        // The title shows the name in the system code page; the file is loaded by its wide name,
        // which may hold characters the code page has not.
        char partAnsi[MAX_PATH];
        WideToAnsi(part, partAnsi, MAX_PATH);
        DropTarget target = {partAnsi, (int)width, (int)height};
        int slot = CreateInNextFreeSlot(&cursor, CreateDropImage, &target);
        if (slot < 0)
            continue;
        RequestLoadImageFile(slot, full);
        RequestRedrawImage(slot);
        TVX_SelectPreviousImage();
    }
    DragFinish(drop);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    // The close box and Alt+F4 end the program like Exit, so the application's exit hook runs.
    case WM_CLOSE: RunExitSequence(); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    case WM_MOVE: UpdateSnapRects(); return 0;
    case WM_MOVING: SnapMovingRect((RECT *)lParam, window); return 0;
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN: OnRightButton(window); return 0;
    case WM_KEYDOWN: OnKeyDown(window, wParam); return 0;
    // Commands that send requests, and drops, arriving inside another request's wait run after
    // it; Start, Stop and Exit act at once.
    case WM_COMMAND:
        if (!IsImmediateCommand(LOWORD(wParam)) && DeferWhileSending(window, message, wParam, lParam))
            return 0;
        OnCommand(wParam);
        return 0;
    case WM_DROPFILES:
        if (!DeferWhileSending(window, message, wParam, lParam))
            OnDropFiles((HDROP)wParam);
        return 0;
    case kMsgAcceptDrops: DragAcceptFiles(window, wParam != 0 ? TRUE : FALSE); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
