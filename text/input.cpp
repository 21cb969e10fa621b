// input.cpp - line input in the current text window: echo, blinking cursor, backspace over wrapped
// lines and two-cell characters, recall of the last line and paste of clipboard text.
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "runtime/scoped.h"
#include "text/text_window.h"

std::atomic<int> KeyAction{0};
KeyRingState KeyRing;
static wchar_t LastInputLine[kInputMaxUnits + 1];

enum { kBlinkMilliseconds = 200 };

void ClearLastInputLine(void)
{
    LastInputLine[0] = L'\0';
    KeyRingClear(&KeyRing);
}

void PasteClipboardKeys(void)
{
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT))
        return;
    OpenedClipboard clipboard;
    if (!clipboard.ok())
        return;
    GlobalBytes<const wchar_t> text(GetClipboardData(CF_UNICODETEXT));
    if (text.get() == NULL)
        return;
    for (const wchar_t *p = text.get(); *p != L'\0' && *p != L'\n' && *p != L'\r'; p++)
        if (!KeyRingPut(&KeyRing, (uint16_t)*p))
            break;
}

static void DrawInputCursor(int index, int phase)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsTextWindowOpen(index))
        return;
    TextSurface surface = SurfaceOf(&index);
    const TextWindowRecord &record = TextWindow[index];
    surface.drawCell(surface.context, phase ? '_' : ' ', record.cursor_x, record.cursor_y, 1);
}

// Runs one edit of the line on window index's cursor; false when the window went away.
template <typename Edit> static bool EditLine(int index, Edit edit)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsTextWindowOpen(index))
        return false;
    TextWindowRecord &record = TextWindow[index];
    TextCursorState cursor = CursorOf(record);
    edit(&cursor, SurfaceOf(&index));
    StoreCursor(&record, cursor);
    return true;
}

void TVX_InputText(char *buffer)
{
    if (buffer == NULL)
        return;
    buffer[0] = '\0';
    int index = CurrentTextWindow;
    // After Exit no input begins: nothing would end it but the window's closing. Inside another
    // input none begins either: the outer one goes on and keeps what the user types.
    if (!IsTextWindowOpen(index) || QuitState.load() != 0 || !ClaimLineInput(index))
        return;
    HWND window = TextWindow[index].window;
    RaiseWindow(window);
    SetStatusText("Input text");

    int last = NowMilliseconds();
    int phase = 1;
    bool redraw = true;
    InputLine line;
    InputLineClear(&line);
    bool entered = false;
    for (;;) {
        TVX_PumpMessages();
        uint16_t c = KeyRingTake(&KeyRing);
        if (c == '\t')
            c = ' ';
        if (c == '\r') {
            entered = true;
            break;
        }
        if (KeyAction.load() == 1) {
            HWND current = TextWindowHandle(CurrentTextWindow);
            for (const wchar_t *p = LastInputLine; *p != L'\0' && current != NULL; p++)
                SendMessageW(current, WM_CHAR, *p, 0);
            KeyAction.store(0);
        } else if (KeyAction.load() == 2) {
            PasteClipboardKeys();
            KeyAction.store(0);
        }
        if (InputWindow.load() == 0)
            break;   // cancelled by Exit or by closing the window
        if (c == '\b') {
            if (line.length > 0 &&
                EditLine(index, [&](TextCursorState *cursor, const TextSurface &surface) {
                    InputLineBackspace(&line, cursor, surface);
                }) &&
                redraw) {
                DrawInputCursor(index, phase);
                redraw = false;
            }
        } else if (c != 0 && line.length < kInputMaxUnits) {
            EditLine(index, [&](TextCursorState *cursor, const TextSurface &surface) {
                InputLineInsert(&line, c, cursor, surface);
            });
            DrawInputCursor(index, phase);
            redraw = false;
        } else {
            if (redraw) {
                DrawInputCursor(index, phase);
                redraw = false;
            }
            // Nothing typed: wait for the next message or a millisecond instead of spinning.
            if (c == 0)
                MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
        }
        if (ElapsedMilliseconds(NowMilliseconds(), last) > kBlinkMilliseconds) {
            last = NowMilliseconds();
            phase = 1 - phase;
            redraw = true;
        }
    }
    if (entered) {
        InputWindow.store(0);
        EditLine(index, [&](TextCursorState *cursor, const TextSurface &surface) {
            surface.drawCell(surface.context, ' ', cursor->x, cursor->y, 1);
            cursor->x = 0;
            cursor->y += cursor->lineHeight;
            surface.scroll(surface.context, cursor);
        });
        for (int i = 0; i <= line.length; i++)
            LastInputLine[i] = (wchar_t)line.units[i];
        // A line of 255 two-byte characters needs 510 bytes: cut at a character boundary.
        WideToAnsi(LastInputLine, buffer, 256);
        if (LogState[index].load() == 1) {
            WriteLog(index, buffer, strlen(buffer));
            WriteLog(index, "\n", 1);
        }
    }
    ShowColorDepthStatus();
}
