// main_window.cpp - the main window: its creation and drop animation, popup menu, keys, commands
// and dropped files. It lives on the main thread and reaches the worker only through the mailbox.
#include <cstdio>

#include <windows.h>

#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "runtime/scoped.h"

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

// The frame's commands and every module's, for the popup and the Ctrl keys.
static std::vector<MainCommandItem> MainCommands(void)
{
    std::vector<MainCommandItem> commands(kFrameCommands, kFrameCommands + 3);
    for (int m = 0; m < LibraryModuleCount(); m++) {
        const LibraryModule *module = LibraryModuleAt(m);
        for (int c = 0; c < module->commandCount; c++)
            commands.push_back(module->commands[c].item);
    }
    return commands;
}

HMENU BuildMainPopupMenu(void)
{
    HMENU menu = CreatePopupMenu();
    int running = AppRunning.load();
    int input = InputWindow.load();
    std::vector<MainCommandItem> layout = MainPopupLayout(MainCommands());
    for (size_t position = 0; position < layout.size(); position++) {
        const MainCommandItem &item = layout[position];
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
    case kMainKeyCommand:
        for (const MainCommandItem &command : MainCommands())
            if (command.key == (unsigned)key)
                PostMessageW(window, WM_COMMAND, (WPARAM)command.id, 0);
        break;
    case kMainKeyStart:
        if (!IsModalWaitActive())
            RequestStart();
        break;
    case kMainKeyStop: RequestStop(); break;
    case kMainKeyExit: RunExitSequence(); break;
    default: break;
    }
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
    case kCmdStart: RequestStart(); return;
    case kCmdStop: RequestStop(); return;
    case kCmdExit: RunExitSequence(); return;
    default: break;
    }
    // The others belong to the modules: the creation prompts, paste, window info.
    for (int m = 0; m < LibraryModuleCount(); m++) {
        const LibraryModule *module = LibraryModuleAt(m);
        for (int c = 0; c < module->commandCount; c++)
            if (module->commands[c].item.id == id)
                module->commands[c].run();
    }
}

// Files dropped on the main window go to the module that takes them (the image windows).
static void OnDropFiles(HDROP drop)
{
    for (int m = 0; m < LibraryModuleCount(); m++) {
        if (LibraryModuleAt(m)->dropFiles != nullptr) {
            LibraryModuleAt(m)->dropFiles(drop);
            return;
        }
    }
    DragFinish(drop);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE: OnCreate(window); return 0;
    // The close box and Alt+F4 end the program like Exit, so the application's exit hook runs.
    case WM_CLOSE: RunExitSequence(); return 0;
    case WM_DESTROY:
        SnapWindowMessage(window, message, lParam);
        PostQuitMessage(0);
        return 0;
    case WM_MOVE:
    case WM_MOVING: return SnapWindowMessage(window, message, lParam);
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
