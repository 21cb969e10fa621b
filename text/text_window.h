// text_window.h - the text windows inside the library: the 256-slot table, the current window,
// drawing into a window's back buffer, the line input's shared state and the log files.
#ifndef TVX_TEXT_WINDOW_H
#define TVX_TEXT_WINDOW_H

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "text/text_rules.h"
#include "torvex.h"

struct TextWindowRecord {
    int in_use;
    int width, height;
    int cursor_x, cursor_y;
    int char_width, line_height;
    uint32_t text_color, back_color;   // 0xRRGGBB
    ColorStack stacks;                 // text_stack and back_stack
    HWND window;
    HDC mem_dc;
    HDC window_dc;
    HBITMAP back_bitmap;
    HBITMAP old_bitmap;
    int top;            // the back buffer's row at the window's top
    int buffer_rows;    // the back buffer's height
    bool repaint_due;   // printed since the last repaint was asked for
    DWORD last_repaint; // tick of that request
};
enum { kTextWindowSlots = 256 };
extern TextWindowRecord TextWindow[kTextWindowSlots];
extern std::atomic<int> CurrentTextWindow;   // the main window's prompts read it too

// Serialises drawing into back buffers and moving cursors: the main window's prompts print and
// read from the main thread while the worker owns and paints the windows. Never held while
// messages are pumped.
extern std::recursive_mutex TextDrawLock;

void InitTextWindowTable(void);
HFONT ConsoleFont(void);          // the font of every text window, chosen on first use
void ReleaseConsoleFont(void);
int IsTextWindowOpen(int index);
HWND TextWindowHandle(int index);   // NULL when the slot is not open
int FirstFreeTextWindow(void);      // -1 when all 256 are open
int TextWindowIndexOf(HWND window); // -1 when none
void EnsureTextWindow(void);
int ScrollIfNeeded(int index);
// The whole window repainted soon: at once when the last repaint is a display frame ago, else
// by a timer of the window, so that fast printing repaints about 60 times a second.
void RepaintSoon(int index);
void DrawCell(wchar_t unit, int x, int y, int cells);
TextCursorState CursorOf(const TextWindowRecord &record);
void StoreCursor(TextWindowRecord *record, const TextCursorState &cursor);
// A surface that draws into window index's back buffer.
TextSurface SurfaceOf(int *index);
void ApplyTextColors(TextWindowRecord *record);
HMENU BuildTextWindowMenu(int index);   // the popup menu with its check marks
LRESULT CALLBACK TextWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Line input.
extern std::atomic<int> KeyAction;     // 0 none, 1 recall the last line, 2 paste
extern KeyRingState KeyRing;
void ClearLastInputLine(void);
void PasteClipboardKeys(void);

// The main window's prompts (main thread): text window n to the front, opened when it is not;
// one number read as the prompt's answer (false when Exit came meanwhile).
void ShowTextWindowFromMain(int n);
bool ReadPromptNumber(int *value);

// "Window Info.": the open windows printed in text window index, their layout listing on the
// clipboard.
void PrintWindowInfo(int index);

// Log files.
extern std::atomic<int> LogState[kTextWindowSlots];   // 0 none, 1 logging, 2 paused
void WriteLog(int index, const char *text, size_t length);

// Commands of text windows.
enum {
    kCmdTextSelect = 1069,
    kCmdTextWindowInfo = 1045,
    kCmdTextCommand = 1029,
    kCmdTextStartLog = 1024,
    kCmdTextStopLog = 1025,
    kCmdTextCopyLog = 1030,
    kCmdTextAbout = 1020,
    kCmdTextDestroy = 1006,
};

// The main thread's request that the worker open text window n at the default place and size;
// waits until it is served.
enum { kRequestOpenTextWindow = 9005 };
// The main window's commands of the text windows (Window Info prints in the current one).
enum { kCmdTextWindow = 1028, kCmdWindowInfo = 1045 };
void RequestOpenTextWindow(int n);

#endif
