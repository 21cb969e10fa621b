// text_window.cpp - text windows: the slot table, opening and closing, the back buffer with its
// scrolling, the window procedure with its keys and popup menu.
#include <cstdio>

#include "runtime/runtime.h"
#include "runtime/scoped.h"
#include "text/text_window.h"

TextWindowRecord TextWindow[kTextWindowSlots];
std::atomic<int> CurrentTextWindow{0};
std::recursive_mutex TextDrawLock;

static bool IsOpen(int index)
{
    return (unsigned)index < kTextWindowSlots && LoadShared(TextWindow[index].in_use);
}

void InitTextWindowTable(void)
{
    for (TextWindowRecord &record : TextWindow)
        record = TextWindowRecord();
    CurrentTextWindow = 0;
}

int IsTextWindowOpen(int index) { return IsOpen(index) ? 1 : 0; }

HWND TextWindowHandle(int index) { return IsOpen(index) ? TextWindow[index].window : NULL; }

int FirstFreeTextWindow(void)
{
    for (int i = 0; i < kTextWindowSlots; i++)
        if (!LoadShared(TextWindow[i].in_use))
            return i;
    return -1;
}

int TextWindowIndexOf(HWND window)
{
    for (int i = 0; i < kTextWindowSlots; i++)
        if (TextWindow[i].in_use && TextWindow[i].window == window)
            return i;
    return -1;
}

// A display frame: printing faster than this repaints once per frame, not once per line.
enum { kRepaintMs = 16, kRepaintTimer = 1 };

static COLORREF SystemColor(uint32_t rgb)
{
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void ApplyTextColors(TextWindowRecord *record)
{
    SetTextColor(record->mem_dc, SystemColor(record->text_color));
    SetBkColor(record->mem_dc, SystemColor(record->back_color));
}

TextCursorState CursorOf(const TextWindowRecord &record)
{
    TextCursorState cursor = {record.cursor_x, record.cursor_y, record.width,
                              record.height,   record.char_width, record.line_height};
    return cursor;
}

void StoreCursor(TextWindowRecord *record, const TextCursorState &cursor)
{
    record->cursor_x = cursor.x;
    record->cursor_y = cursor.y;
}

static HFONT ConsoleFontHandle = NULL;

// Whether a font draws a visible underscore, the input cursor, in a small memory DC.
static bool DrawsUnderscore(HFONT font)
{
    WindowDC screen(NULL);
    MemoryDC dc(screen.get());
    HBITMAP bitmap = CreateCompatibleBitmap(screen.get(), 32, 32);
    bool lit = false;
    {
        SelectedObject selectBitmap(dc.get(), bitmap);
        SelectedObject selectFont(dc.get(), font);
        PatBlt(dc.get(), 0, 0, 32, 32, BLACKNESS);
        SetTextColor(dc.get(), RGB(255, 255, 255));
        SetBkColor(dc.get(), RGB(0, 0, 0));
        TextOutW(dc.get(), 4, 4, L"_", 1);
        for (int y = 0; y < 32 && !lit; y++)
            for (int x = 0; x < 32 && !lit; x++)
                lit = (GetPixel(dc.get(), x, y) & 0xFFFFFF) != 0;
    }
    DeleteObject(bitmap);
    return lit;
}

// The console font: the system's OEM fixed-pitch font. Under Wine with a Japanese locale that
// font is a 12-pixel substitute whose underscore, the input cursor, draws nothing; a 16-pixel
// fixed-pitch font takes its place there.
HFONT ConsoleFont(void)
{
    if (ConsoleFontHandle != NULL)
        return ConsoleFontHandle;
    HFONT oem = (HFONT)GetStockObject(OEM_FIXED_FONT);
    if (DrawsUnderscore(oem))
        return ConsoleFontHandle = oem;
    HFONT fixed = CreateFontW(16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック");
    return ConsoleFontHandle = (fixed != NULL ? fixed : oem);
}

void ReleaseConsoleFont(void)
{
    if (ConsoleFontHandle != NULL && ConsoleFontHandle != GetStockObject(OEM_FIXED_FONT))
        DeleteObject(ConsoleFontHandle);
    ConsoleFontHandle = NULL;
}

// Makes the back buffer of a record: memory DC, bitmap, black brush and the console font.
static bool CreateBackBuffer(TextWindowRecord *record)
{
    record->window_dc = GetDC(record->window);
    record->mem_dc = CreateCompatibleDC(record->window_dc);
    record->top = 0;
    record->buffer_rows = BufferRowsFor(record->height, record->line_height > 0 ? record->line_height : 16);
    record->back_bitmap =
        CreateCompatibleBitmap(record->window_dc, record->width, record->buffer_rows);
    if (record->window_dc == NULL || record->mem_dc == NULL || record->back_bitmap == NULL)
        return false;
    SelectObject(record->mem_dc, GetStockObject(BLACK_BRUSH));
    SelectObject(record->mem_dc, ConsoleFont());
    record->old_bitmap = (HBITMAP)SelectObject(record->mem_dc, record->back_bitmap);
    PatBlt(record->mem_dc, 0, 0, record->width, record->buffer_rows, PATCOPY);
    return true;
}

static void ReleaseBackBuffer(TextWindowRecord *record)
{
    ReleaseBackBuffer(record->window, &record->window_dc, &record->mem_dc, &record->back_bitmap,
                      &record->old_bitmap);
}

static void BringToFront(HWND window)
{
    SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetForegroundWindow(window);
}

int TVX_OpenTextWindow(int index, int x, int y, int width, int height)
{
    if ((unsigned)index >= kTextWindowSlots)
        return 1;
    TextWindowRecord &record = TextWindow[index];
    if (record.in_use) {
        BringToFront(record.window);
        CurrentTextWindow = index;
        return 1;
    }
    if (width < 0)
        width = 400;
    if (height < 0)
        height = 300;
    // The slot is not open until the end, so no other thread draws into it meanwhile; the lock
    // is not held across window creation, which may wait for the main thread.
    record = TextWindowRecord();
    record.width = width;
    record.height = height;
    CurrentTextWindow = index;
    record.text_color = 0xFFFFFF;
    record.back_color = 0;

    wchar_t title[32];
    swprintf(title, 32, L"TextWindow %d", index);
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_VISIBLE;
    RECT outer = {0, 0, width, height};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    record.window = CreateWindowExW(0, L"tvx_twi", title, style, x < 0 ? CW_USEDEFAULT : x,
                                    y < 0 ? CW_USEDEFAULT : y, outer.right - outer.left,
                                    outer.bottom - outer.top, MainWindow, NULL, InstanceHandle,
                                    NULL);
    if (record.window == NULL || !CreateBackBuffer(&record)) {
        ReleaseBackBuffer(&record);
        if (record.window != NULL)
            DestroyWindow(record.window);
        record = TextWindowRecord();
        return 4;
    }
    ApplyTextColors(&record);
    TEXTMETRICW metrics;
    GetTextMetricsW(record.mem_dc, &metrics);
    record.char_width = metrics.tmAveCharWidth;
    record.line_height = metrics.tmHeight;
    FillColorStack(&record.stacks, record.text_color, record.back_color);
    {
        std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
        StoreShared(record.in_use, 1);
    }
    UpdateSnapRects();
    InvalidateRect(record.window, NULL, FALSE);
    UpdateWindow(record.window);
    BringToFront(record.window);
    return 0;
}

int TVX_CloseTextWindow(int index)
{
    if (!IsOpen(index))
        return 1;
    TextWindowRecord &record = TextWindow[index];
    HWND window;
    {
        std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
        StoreShared(record.in_use, 0);
        if (index == CurrentTextWindow) {
            for (int i = 0; i < kTextWindowSlots; i++) {
                if (TextWindow[i].in_use) {
                    CurrentTextWindow = i;
                    break;
                }
            }
        }
        if (InputWindow.load() == index + 1)
            InputWindow.store(0);
        ReleaseBackBuffer(&record);
        window = record.window;
        record.window = NULL;
    }
    DestroyWindow(window);
    return 0;
}

int TVX_SelectTextWindow(int index)
{
    if (!IsOpen(index))
        return 1;
    CurrentTextWindow = index;
    return 0;
}

void EnsureTextWindow(void)
{
    if (IsOpen(CurrentTextWindow)) {
        BringToFront(TextWindow[CurrentTextWindow].window);
        return;
    }
    TVX_OpenTextWindow(0, FullScreenWidth / 2 - 200, FullScreenHeight / 2 - 150, 400, 300);
}

// Scrolls the window of record by one line when cursor (its cursor, or a copy being moved) has
// run past the bottom: the shown part of the back buffer moves down a line. Returns 1 when it
// scrolled; the caller repaints the window.
static int ScrollBuffer(TextWindowRecord *record, TextCursorState *cursor)
{
    int band = 0;
    if (!ScrollStep(cursor, &band))
        return 0;
    const int w = record->width, lh = record->line_height;
    BufferScroll plan = PlanBufferScroll(record->top, record->buffer_rows, record->height, lh, cursor->y);
    HDC dc = record->mem_dc;
    if (plan.compactFrom >= 0)
        BitBlt(dc, 0, 0, w, record->height, dc, 0, plan.compactFrom, SRCCOPY);
    if (plan.keepTo > plan.keepFrom)
        BitBlt(dc, 0, plan.top + plan.keepFrom, w, plan.keepTo - plan.keepFrom, dc, 0,
               plan.top - lh + plan.keepFrom, SRCCOPY);
    RECT clear = {0, plan.top + plan.clearFrom, w, plan.top + plan.clearTo};
    FillRect(dc, &clear, (HBRUSH)GetStockObject(BLACK_BRUSH));
    record->top = plan.top;
    return 1;
}

void RepaintSoon(int index)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsOpen(index))
        return;
    TextWindowRecord &record = TextWindow[index];
    DWORD now = GetTickCount();
    DWORD since = now - record.last_repaint;
    if (since >= kRepaintMs) {
        record.last_repaint = now;
        InvalidateRect(record.window, NULL, FALSE);
        return;
    }
    if (record.repaint_due)
        return;
    // The timer belongs to the window's thread; printed from another (the main window's
    // prompts), the window is repainted at once.
    if (SetTimer(record.window, kRepaintTimer, kRepaintMs - since, NULL) != 0)
        record.repaint_due = true;
    else
        InvalidateRect(record.window, NULL, FALSE);
}

static void OnRepaintTimer(HWND window, int index)
{
    KillTimer(window, kRepaintTimer);
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsOpen(index))
        return;
    TextWindow[index].repaint_due = false;
    TextWindow[index].last_repaint = GetTickCount();
    InvalidateRect(window, NULL, FALSE);
}

int ScrollIfNeeded(int index)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsOpen(index))
        return 0;
    TextWindowRecord &record = TextWindow[index];
    TextCursorState cursor = CursorOf(record);
    int scrolled = ScrollBuffer(&record, &cursor);
    StoreCursor(&record, cursor);
    return scrolled;
}

static void DrawCellIn(int index, wchar_t unit, int x, int y, int cells)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsOpen(index))
        return;
    TextWindowRecord &record = TextWindow[index];
    TextOutW(record.mem_dc, x, y + record.top, &unit, 1);
    RECT cell = {x, y, x + cells * record.char_width, y + record.line_height};
    InvalidateRect(record.window, &cell, FALSE);
}

void DrawCell(wchar_t unit, int x, int y, int cells)
{
    DrawCellIn(CurrentTextWindow, unit, x, y, cells);
}

static void SurfaceDrawRun(void *context, const uint16_t *units, int count, int x, int y)
{
    int index = *(int *)context;
    if (IsOpen(index))
        TextOutW(TextWindow[index].mem_dc, x, y + TextWindow[index].top, (const wchar_t *)units, count);
}

static void SurfaceDrawCell(void *context, uint16_t unit, int x, int y, int cells)
{
    DrawCellIn(*(int *)context, (wchar_t)unit, x, y, cells);
}

static int SurfaceScroll(void *context, TextCursorState *cursor)
{
    int index = *(int *)context;
    if (!IsOpen(index))
        return 0;
    int scrolled = ScrollBuffer(&TextWindow[index], cursor);
    if (scrolled)
        RepaintSoon(index);
    return scrolled;
}

TextSurface SurfaceOf(int *index)
{
    TextSurface surface = {index, SurfaceDrawRun, SurfaceDrawCell, SurfaceScroll};
    return surface;
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    {
        std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
        int index = TextWindowIndexOf(window);
        if (index >= 0) {
            const RECT &r = paint.rcPaint;
            BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, TextWindow[index].mem_dc,
                   r.left, r.top + TextWindow[index].top, SRCCOPY);
        }
    }
    EndPaint(window, &paint);
}

static void OnSize(HWND window, LPARAM lParam)
{
    {
        std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
        int index = TextWindowIndexOf(window);
        if (index < 0)
            return;   // still being created
        TextWindowRecord &record = TextWindow[index];
        ReleaseBackBuffer(&record);
        record.width = LOWORD(lParam);
        record.height = HIWORD(lParam);
        CreateBackBuffer(&record);
        record.cursor_x = 0;
        record.cursor_y = 0;
        ApplyTextColors(&record);
    }
    UpdateSnapRects();
    InvalidateRect(window, NULL, FALSE);
}

static void PrintAbout(int)
{
    TVX_PushTextColor(0x50FF50, 0x505050);
    TVX_Print("TORVEX GUI and image library, version 0.3\n");
    TVX_PopTextColor();
}

static void Select(int index) { TVX_SelectTextWindow(index); }
static void Command(int) { TVX_Command(); }
static void StartLog(int index) { TVX_StartLog(index); }
static void StopLog(int index) { TVX_StopLog(index); }
static void CopyLog(int index) { TVX_CopyLog(index); }
static void Destroy(int index) { TVX_CloseTextWindow(index); }

enum TextCheck { kTextCheckNone, kTextCheckSelected, kTextCheckLogging, kTextCheckPaused };

// The one command table of the text windows: number, menu text (%d: the window's number), place
// in the menu (places no row takes are separators), check rule, Ctrl key, handler.
struct TextCommandRow {
    int id;
    const char *text;
    int place;
    int check;
    WPARAM key;
    void (*run)(int index);
};
static const TextCommandRow kTextCommands[] = {
    {kCmdTextSelect, "&Select\tCtrl+S", 0, kTextCheckSelected, 'S', Select},
    {kCmdTextWindowInfo, "&Window Info.\tCtrl+W", 1, kTextCheckNone, 'W', PrintWindowInfo},
    {kCmdTextCommand, "Command", 2, kTextCheckNone, 0, Command},
    {kCmdTextStartLog, "Start Log", 4, kTextCheckLogging, 0, StartLog},
    {kCmdTextStopLog, "Stop Log", 5, kTextCheckPaused, 0, StopLog},
    {kCmdTextCopyLog, "&Copy TORVEX%d.LOG\tCtrl+C", 6, kTextCheckNone, 'C', CopyLog},
    {kCmdTextAbout, "&About TORVEX\tCtrl+A", 8, kTextCheckNone, 'A', PrintAbout},
    {kCmdTextDestroy, "&Destroy\tCtrl+Q", 10, kTextCheckNone, 'Q', Destroy},
};

static void OnKeyDown(HWND window, int index, WPARAM key)
{
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (InputWindow.load() != 0) {
        // During a line input only recall and paste have a key-down meaning.
        if (KeyAction.load() == 0) {
            if (key == VK_UP)
                KeyAction.store(1);
            else if (key == 'V' && ctrl)
                KeyAction.store(2);
        }
        return;
    }
    // During a click wait only Start, Stop and Exit pass on to the main window.
    if (ForwardMainKey(key) || IsModalWaitActive())
        return;
    if (ctrl) {
        for (const TextCommandRow &row : kTextCommands)
            if (row.key == key)
                PostMessageW(window, WM_COMMAND, (WPARAM)row.id, 0);
        return;
    }
    switch (key) {
    case VK_SPACE:
        if (!ctrl) {
            TVX_SelectTextWindow(index);
            TVX_Command();
        }
        break;
    default: break;
    }
}


static void OnCommand(int index, WPARAM wParam)
{
    for (const TextCommandRow &row : kTextCommands)
        if (row.id == (int)LOWORD(wParam))
            row.run(index);
}

// The window's menu from the table: each row at its place, a separator where no row is.
HMENU BuildTextWindowMenu(int index)
{
    HMENU menu = CreatePopupMenu();
    int log = LogState[index].load();
    int place = 0;
    for (const TextCommandRow &row : kTextCommands) {
        for (; place < row.place; place++)
            InsertMenuSeparator(menu, (UINT)place);
        bool checked = (row.check == kTextCheckSelected && index == CurrentTextWindow) ||
                       (row.check == kTextCheckLogging && log == 1) ||
                       (row.check == kTextCheckPaused && log == 2);
        char text[64];
        snprintf(text, sizeof text, row.text, index);   // the Copy item names the window's log
        InsertMenuText(menu, (UINT)place++, checked ? MF_CHECKED : 0, (UINT)row.id, text);
    }
    return menu;
}

static void OnRightButton(HWND window, int index)
{
    if (IsModalWaitActive())
        return;
    TrackMenuAtCursor(BuildTextWindowMenu(index), window);
}

LRESULT CALLBACK TextWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    int index = TextWindowIndexOf(window);
    switch (message) {
    case WM_CREATE: return 0;
    case WM_DESTROY:
    case WM_MOVE:
    case WM_MOVING: return SnapWindowMessage(window, message, lParam);
    case WM_SIZE: OnSize(window, lParam); return 0;
    case WM_PAINT: OnPaint(window); return 0;
    default: break;
    }
    if (index < 0)
        return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
    case WM_KEYDOWN: OnKeyDown(window, index, wParam); return 0;
    case WM_CHAR:
        if (InputWindow.load() != 0 && GetKeyState(VK_CONTROL) >= 0)
            KeyRingPut(&KeyRing, (uint16_t)wParam);
        return 0;
    case WM_COMMAND: OnCommand(index, wParam); return 0;
    case WM_TIMER:
        if (wParam == kRepaintTimer)
            OnRepaintTimer(window, index);
        return 0;
    case WM_CLOSE: TVX_CloseTextWindow(index); return 0;
    case WM_RBUTTONDOWN: OnRightButton(window, index); return 0;
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
