// startup.cpp - process start-up: library tables, window classes, the main window and the main
// thread's message loop, and the clean-up after it.
#include <cstdio>
#include <cstring>

#include <windows.h>

#include <gdiplus.h>
#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"

HINSTANCE InstanceHandle = NULL;
HMENU MainMenuBar = NULL;
wchar_t StartupDirectoryW[2][MAX_PATH];
char StartupDirectoryA[2][MAX_PATH];
char LogDirectory[2 * MAX_PATH];
int FullScreenWidth = 0;
int FullScreenHeight = 0;

static int RegisterWindowClass(const WindowClassRow &row)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = row.style;
    wc.lpfnWndProc = row.procedure;
    wc.hInstance = InstanceHandle;
    wc.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    wc.hbrBackground = row.background ? row.background : (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = row.name;
    return RegisterClassExW(&wc) == 0 ? 1 : 0;
}

// The main window's class, then every module's.
static int RegisterWindowClasses(void)
{
    if (RegisterWindowClass({L"tvx_mw", MainWindowProc, CS_CLASSDC, NULL}) != 0)
        return 1;
    for (int m = 0; m < LibraryModuleCount(); m++) {
        const LibraryModule *module = LibraryModuleAt(m);
        for (int c = 0; c < module->classCount; c++)
            if (RegisterWindowClass(module->classes[c]) != 0)
                return 1;
    }
    return 0;
}

static void ReadStartupDirectories(void)
{
    for (int i = 0; i < 2; i++) {
        if (GetCurrentDirectoryW(MAX_PATH, StartupDirectoryW[i]) == 0)
            StartupDirectoryW[i][0] = L'\0';
        WideToAnsi(StartupDirectoryW[i], StartupDirectoryA[i], MAX_PATH);
    }
    // The logs go to the start-up folder. A folder too long to name whole is left out: the names
    // are then relative to the current folder, which is that folder at start-up, never another.
    wchar_t logDirectory[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH - 1, logDirectory);
    LogDirectory[0] = '\0';
    if (length == 0 || length >= MAX_PATH - 1)
        return;
    if (logDirectory[length - 1] != L'\\') {
        logDirectory[length] = L'\\';
        logDirectory[length + 1] = L'\0';
    }
    WideToAnsi(logDirectory, LogDirectory, sizeof LogDirectory);
}

static HMENU CreateMainMenuBar(void)
{
    HMENU bar = CreateMenu();
    InsertMenuText(bar, 0, 0, kCmdStart, "Start(&S)");
    InsertMenuText(bar, 1, 0, kCmdStop, "Stop(&C)");
    InsertMenuText(bar, 2, 0, kCmdExit, "Exit(&X)");
    return bar;
}

int TVX_RunProgram(HINSTANCE instance)
{
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;   // version 1, no callbacks
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, NULL);

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    MillisecondsPerTick = 1000.0 / (double)frequency.QuadPart;

    InstanceHandle = instance;
    ReadStartupDirectories();
    // What the worker may use from its first moment is ready before the main window's creation
    // starts it.
    for (int m = 0; m < LibraryModuleCount(); m++)
        if (LibraryModuleAt(m)->reset != nullptr)
            LibraryModuleAt(m)->reset();

    if (RegisterWindowClasses() != 0) {
        Gdiplus::GdiplusShutdown(gdiplusToken);
        return 1;
    }

    ReadFullScreenSize(&FullScreenWidth, &FullScreenHeight);
    MainMenuBar = CreateMainMenuBar();
    // Created 55 pixels high so that the drop animation brings it to rest at the bottom.
    int height = GetSystemMetrics(SM_CYCAPTION) + kMainWindowExtraHeight;
    CreateWindowExW(0, L"tvx_mw", L"TORVEX", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                    (FullScreenWidth - kMainWindowWidth) / 2, FullScreenHeight - 113,
                    kMainWindowWidth, height, NULL, MainMenuBar, InstanceHandle, NULL);

    ShowColorDepthStatus();
    DragAcceptFiles(MainWindow, TRUE);
    UpdateWindow(MainWindow);

    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    for (int m = 0; m < LibraryModuleCount(); m++)
        if (LibraryModuleAt(m)->release != nullptr)
            LibraryModuleAt(m)->release();
    // The bar went with the main window when it was destroyed; this covers a window never made.
    if (IsMenu(MainMenuBar))
        DestroyMenu(MainMenuBar);
    MainMenuBar = NULL;
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return 0;
}
