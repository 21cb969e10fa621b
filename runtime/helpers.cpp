// helpers.cpp - the small helpers shared by every module: clock, status line, menu items, texts.
#include <cstdio>

#include "runtime/rules.h"
#include "runtime/runtime.h"

double MillisecondsPerTick = 1.0;

int NowMilliseconds(void)
{
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return CounterToMilliseconds(counter.QuadPart, MillisecondsPerTick);
}

int AnsiToWide(const char *text, wchar_t *out, int units)
{
    if (units <= 0)
        return 0;
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, NULL, 0);
    if (n <= 0) {
        out[0] = L'\0';
        return 0;
    }
    if (n <= units) {
        MultiByteToWideChar(CP_ACP, 0, text, -1, out, units);
        return n - 1;
    }
    // Too long for the caller: convert whole, then keep what fits.
    wchar_t *all = (wchar_t *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)n * sizeof(wchar_t));
    if (all == NULL) {
        out[0] = L'\0';
        return 0;
    }
    MultiByteToWideChar(CP_ACP, 0, text, -1, all, n);
    lstrcpynW(out, all, units);
    HeapFree(GetProcessHeap(), 0, all);
    return units - 1;
}

bool AnsiToWideWhole(const char *text, wchar_t *out, int units)
{
    if (units <= 0)
        return false;
    out[0] = L'\0';
    if (text == NULL)
        return false;
    // Fails with ERROR_INSUFFICIENT_BUFFER rather than cut: a cut file name names another file.
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, out, units);
    if (n <= 0) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

int WideToAnsi(const wchar_t *text, char *out, int bytes)
{
    if (bytes <= 0)
        return 0;
    int n = WideCharToMultiByte(CP_ACP, 0, text, -1, NULL, 0, NULL, NULL);
    if (n <= 0) {
        out[0] = '\0';
        return 0;
    }
    if (n <= bytes) {
        WideCharToMultiByte(CP_ACP, 0, text, -1, out, bytes, NULL, NULL);
        return n - 1;
    }
    // Too long for the caller: convert whole, then cut at a character boundary.
    char *all = (char *)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)n);
    if (all == NULL) {
        out[0] = '\0';
        return 0;
    }
    WideCharToMultiByte(CP_ACP, 0, text, -1, all, n, NULL, NULL);
    int copied = (int)CopyAnsiCut(out, (size_t)bytes, all, IsSystemLeadByte);
    HeapFree(GetProcessHeap(), 0, all);
    return copied;
}

void SetStatusText(const char *text)
{
    char line[kStatusBufferBytes];
    CentreStatusText(text, line);
    wchar_t wide[kStatusBufferBytes];
    AnsiToWide(line, wide, kStatusBufferBytes);
    if (GetWindowThreadProcessId(StatusLine, NULL) == GetCurrentThreadId()) {
        SetWindowTextW(StatusLine, wide);
        return;
    }
    // From the worker the text goes through the main thread, which does not answer while Exit
    // waits for the worker: after Exit, or when it takes too long, the status line is left
    // alone so that the worker can still end by itself.
    if (QuitState.load() != 0)
        return;
    DWORD_PTR ignored;
    SendMessageTimeoutW(StatusLine, WM_SETTEXT, 0, (LPARAM)wide, SMTO_NORMAL, 200, &ignored);
}

void AcceptMainWindowDrops(bool accept)
{
    if (MainWindow == NULL)
        return;
    if (GetWindowThreadProcessId(MainWindow, NULL) == GetCurrentThreadId())
        DragAcceptFiles(MainWindow, accept ? TRUE : FALSE);
    else
        PostMessageW(MainWindow, kMsgAcceptDrops, accept ? 1 : 0, 0);
}

void ShowColorDepthStatus(void)
{
    char text[32];
    snprintf(text, sizeof text, "%d-bit color", ScreenBits);
    SetStatusText(text);
}

void InsertMenuText(HMENU menu, UINT position, UINT state, UINT id, const char *text)
{
    wchar_t wide[256];
    AnsiToWide(text, wide, 256);
    InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | state, id, wide);
}

void InsertMenuSeparator(HMENU menu, UINT position)
{
    InsertMenuW(menu, position, MF_BYPOSITION | MF_SEPARATOR, 0, NULL);
}

void InsertSubMenu(HMENU menu, UINT position, HMENU submenu, const char *text)
{
    wchar_t wide[256];
    AnsiToWide(text, wide, 256);
    InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING | MF_POPUP, (UINT_PTR)submenu, wide);
}

void RaiseWindow(HWND window)
{
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    // A window of the other thread is raised without waiting for it: that thread may be busy.
    if (GetWindowThreadProcessId(window, NULL) != GetCurrentThreadId())
        flags |= SWP_ASYNCWINDOWPOS;
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, flags);
}

void TrackMenuAtCursor(HMENU menu, HWND owner)
{
    POINT at;
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, NULL);
    PostMessageW(owner, WM_NULL, 0, 0);
    DestroyMenu(menu);
}

int GetWindowTextAnsi(HWND window, char *buffer, int max)
{
    wchar_t wide[256];
    if (GetWindowTextW(window, wide, 256) == 0)
        wide[0] = L'\0';
    return WideToAnsi(wide, buffer, max);
}

void SetWindowTextAnsi(HWND window, const char *text)
{
    wchar_t wide[256];
    AnsiToWide(text, wide, 256);
    SetWindowTextW(window, wide);
}

void ReadFullScreenSize(int *width, int *height)
{
    *width = GetSystemMetrics(SM_CXFULLSCREEN);
    *height = GetSystemMetrics(SM_CYFULLSCREEN);
    // Windows reports the work area less the caption; Wine reports the maximized size less the
    // minimum window height, which can reach past the bottom of the screen. Never go below the
    // work area, so that the main window rests on the screen on both.
    RECT work;
    if (SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        int workWidth = work.right - work.left;
        int workHeight = work.bottom - work.top - GetSystemMetrics(SM_CYCAPTION);
        if (*width > workWidth)
            *width = workWidth;
        if (*height > workHeight)
            *height = workHeight;
    }
}

// SetThreadDescription exists from Windows 10 1607 on; older systems simply keep unnamed threads.
// Wine passes the name on to the Linux thread, where process lists and profilers show it.
void NameThread(HANDLE thread, const wchar_t *name)
{
    typedef HRESULT(WINAPI * Describe)(HANDLE, PCWSTR);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    Describe describe =
        kernel != NULL ? (Describe)(void *)GetProcAddress(kernel, "SetThreadDescription") : NULL;
    if (describe != NULL)
        describe(thread, name);
}

void TVX_SetStatusText(const char *text)
{
    SetStatusText(text != NULL ? text : "");
}

void TVX_SetForeground(int window)
{
    if (window == TVXMAINWINDOW && MainWindow != NULL)
        SetForegroundWindow(MainWindow);
}
