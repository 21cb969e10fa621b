// print.cpp - formatted output into the current text window, its colour stack, and the Pause box.
#include <cstdarg>
#include <cstring>

#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

enum { kPrintBytes = 4096 };

void TVX_Print(const char *format, ...)
{
    int index = CurrentTextWindow;
    if (format == NULL || !IsTextWindowOpen(index))
        return;
    char formatted[kPrintBytes];
    va_list arguments;
    va_start(arguments, format);
    int length = vsnprintf(formatted, sizeof formatted, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    // Longer text is cut to the limit, at a character boundary.
    char text[kPrintBytes];
    CopyAnsiCut(text, sizeof text, formatted, IsSystemLeadByte);
    wchar_t local[kPrintBytes];
    int count = AnsiToWide(text, local, kPrintBytes);
    if (LogState[index].load() == 1)
        WriteLog(index, text, strlen(text));
    {
        std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
        if (!IsTextWindowOpen(index))
            return;
        TextWindowRecord &record = TextWindow[index];
        TextCursorState cursor = CursorOf(record);
        LayoutPrint((const uint16_t *)local, count, &cursor, SurfaceOf(&index));
        StoreCursor(&record, cursor);
    }
    RepaintSoon(index);
    TVX_PumpMessages();
}

void TVX_PushTextColor(unsigned int text, unsigned int back)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsTextWindowOpen(CurrentTextWindow))
        return;
    TextWindowRecord &record = TextWindow[CurrentTextWindow];
    PushColors(&record.stacks, &record.text_color, &record.back_color, text, back);
    ApplyTextColors(&record);
}

void TVX_PopTextColor(void)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    if (!IsTextWindowOpen(CurrentTextWindow))
        return;
    TextWindowRecord &record = TextWindow[CurrentTextWindow];
    PopColors(&record.stacks, &record.text_color, &record.back_color);
    ApplyTextColors(&record);
}

void TVX_Pause(const char *message)
{
    wchar_t wide[256];
    AnsiToWide(message, wide, 256);
    MessageBoxW(NULL, wide, L"Pause", MB_OK);
}
