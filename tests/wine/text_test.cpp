// Text windows under Wine: real windows, their back buffers, printing, input fed through the
// window procedure, and the log files on disk.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "runtime/runtime.h"
#include "test_app.h"
#include "text/text_window.h"

// A pixel of the window as its back buffer holds it (the window shows the buffer from `top` on).
static COLORREF Shown(const TextWindowRecord &w, int x, int y)
{
    return GetPixel(w.mem_dc, x, y + w.top) & 0xFFFFFF;
}

// Counts the pixels of the back buffer within a rectangle that are not black.
static int LitPixels(int index, int left, int top, int right, int bottom)
{
    std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
    int lit = 0;
    for (int y = top; y < bottom; y++)
        for (int x = left; x < right; x++)
            if (Shown(TextWindow[index], x, y) != 0)
                lit++;
    return lit;
}

// Puts keys into a window as typed characters; they wait in the queue until the input pumps.
static void Type(int index, const std::wstring &keys)
{
    for (wchar_t c : keys)
        PostMessageW(TextWindow[index].window, WM_CHAR, c, 0);
}

// The slots, the popup menu's checks and the About line, in one run of the library.
TEST(TextWindows, SlotsThePopupMenuAndTheAboutLine)
{
    EXPECT_EQ(0, RunOnWorker([] {
        EXPECT_EQ(0, TVX_OpenTextWindow(3, -1, -1, -1, -1));
        HWND window = TextWindow[3].window;
        EXPECT_EQ(L"TextWindow 3", TextOf(window));
        RECT client;
        GetClientRect(window, &client);
        EXPECT_EQ(400, client.right);
        EXPECT_EQ(300, client.bottom);
        EXPECT_EQ(3, CurrentTextWindow);
        EXPECT_GT(TextWindow[3].char_width, 0);
        EXPECT_GT(TextWindow[3].line_height, 0);
        TVX_Print("x");
        EXPECT_EQ(0, TVX_OpenTextWindow(1, 10, 10, 200, 100));
        EXPECT_EQ(0, TVX_OpenTextWindow(5, 30, 30, 200, 100));
        EXPECT_EQ(1, TVX_OpenTextWindow(3, -1, -1, -1, -1));   // raised, current, not cleared
        EXPECT_EQ(3, CurrentTextWindow);
        EXPECT_EQ(TextWindow[3].char_width, TextWindow[3].cursor_x);
        EXPECT_EQ(0, TVX_CloseTextWindow(3));
        EXPECT_EQ(1, CurrentTextWindow);   // the lowest open slot
        EXPECT_EQ(1, TVX_CloseTextWindow(3));
        EXPECT_EQ(1, TVX_SelectTextWindow(3));
        EXPECT_EQ(1, TVX_OpenTextWindow(256, -1, -1, -1, -1));
        EXPECT_EQ(1, TVX_SelectTextWindow(-1));
        EXPECT_EQ(0, TVX_OpenTextWindow(3, -1, -1, -1, -1));   // reopened fresh
        EXPECT_EQ(0, TextWindow[3].cursor_x);
        EXPECT_EQ(0, LitPixels(3, 0, 0, 400, 300));

        // The popup menu: the current window and the log's state checked.
        ASSERT_EQ(0, TVX_OpenTextWindow(2, -1, -1, -1, -1));
        ASSERT_EQ(0, TVX_OpenTextWindow(4, -1, -1, -1, -1));
        auto checked = [](HMENU menu, int position) {
            return (GetMenuState(menu, (UINT)position, MF_BYPOSITION) & MF_CHECKED) != 0;
        };
        HMENU menu = BuildTextWindowMenu(2);
        ASSERT_EQ(11, GetMenuItemCount(menu));
        wchar_t text[64];
        GetMenuStringW(menu, 6, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(L"&Copy TORVEX2.LOG\tCtrl+C", text);
        EXPECT_FALSE(checked(menu, 0));   // 4 is current
        EXPECT_FALSE(checked(menu, 4));
        EXPECT_FALSE(checked(menu, 5));
        DestroyMenu(menu);
        TVX_SelectTextWindow(2);
        TVX_StartLog(2);
        menu = BuildTextWindowMenu(2);
        EXPECT_TRUE(checked(menu, 0));
        EXPECT_TRUE(checked(menu, 4));
        EXPECT_FALSE(checked(menu, 5));
        DestroyMenu(menu);
        TVX_StopLog(2);
        menu = BuildTextWindowMenu(2);
        EXPECT_FALSE(checked(menu, 4));
        EXPECT_TRUE(checked(menu, 5));
        DestroyMenu(menu);

        // The About line: green on grey, one line, the window's colours back after it.
        ASSERT_EQ(0, TVX_OpenTextWindow(0, -1, -1, -1, -1));
        SendMessageW(TextWindow[0].window, WM_COMMAND, 1020, 0);
        TextWindowRecord &w = TextWindow[0];
        EXPECT_EQ(0, w.cursor_x);
        EXPECT_EQ(w.line_height, w.cursor_y);   // one line
        int green = 0, grey = 0;
        for (int x = 0; x < w.width; x++) {
            COLORREF c = Shown(w, x, w.line_height / 2);
            green += c == RGB(0x50, 0xFF, 0x50);
            grey += c == RGB(0x50, 0x50, 0x50);
        }
        EXPECT_GT(green, 0);
        EXPECT_GT(grey, green);
        EXPECT_EQ(0xFFFFFFu, w.text_color);   // the window's colours are back
    }));
    remove(LogPath(2).c_str());
}

TEST(TextWindows, PrintFillsTheBackBufferAndScrollsOneLinePerLineFeed)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_OpenTextWindow(0, 0, 0, 400, 300));
        int cw = TextWindow[0].char_width, lh = TextWindow[0].line_height;
        TVX_CloseTextWindow(0);
        // Ten cells wide, five lines high (the fifth only ever triggers a scroll).
        ASSERT_EQ(0, TVX_OpenTextWindow(1, 0, 0, 10 * cw, 5 * lh));
        TextWindowRecord &w = TextWindow[1];
        // Where lines wrap is a layout rule checked natively; here what lands in the buffer.
        TVX_Print("ABCDEFGHIJKL\nABCDEFGHI\x82\xa0");
        EXPECT_EQ(3 * lh, w.cursor_y);
        EXPECT_GT(LitPixels(1, 9 * cw, 0, 10 * cw, lh), 0);     // J ends line one
        EXPECT_EQ(0, LitPixels(1, 2 * cw, lh, 10 * cw, 2 * lh));

        // One line feed at the bottom moves everything up by exactly one line height.
        COLORREF before[3][64];
        for (int y = 0; y < 3 * lh && y < 64; y++)
            for (int x = 0; x < 3; x++)
                before[x][y] = Shown(w, x * cw / 2, y + lh);
        TVX_PushTextColor(0xFFFFFF, 0xFF0000);   // red cells, the scrolled-in lines stay black
        TVX_Print("\n");
        for (int y = 0; y < 3 * lh && y < 64; y++)
            for (int x = 0; x < 3; x++)
                ASSERT_EQ(before[x][y], Shown(w, x * cw / 2, y)) << y;
        EXPECT_EQ(3 * lh, w.cursor_y);
        EXPECT_EQ(0, LitPixels(1, 0, 3 * lh, 10 * cw, 5 * lh));
        TVX_Print("a");
        EXPECT_EQ(RGB(255, 0, 0), Shown(w, 0, 4 * lh - 1));
        TVX_PopTextColor();
        EXPECT_EQ(0xFFFFFFu, w.text_color);
        EXPECT_EQ(0u, w.back_color);

        // Lines printed faster than the display repaints: once the program waits, the window
        // shows every one of them, the last included.
        for (int i = 0; i < 300; i++)
            TVX_Print("\nline %d", i);
        for (int i = 0; i < 10; i++) {
            Sleep(10);
            TVX_PumpMessages();
        }
        HDC screen = GetDC(w.window);
        int differ = 0;
        for (int y = 0; y < w.height; y += 2)
            for (int x = 0; x < w.width; x += 2)
                differ += (GetPixel(screen, x, y) & 0xFFFFFF) != Shown(w, x, y);
        ReleaseDC(w.window, screen);
        EXPECT_EQ(0, differ);
        EXPECT_GT(LitPixels(1, 0, 3 * lh, 10 * cw, 4 * lh), 0);

        // Resizing clears the buffer and starts again at the top left.
        RECT outer = {0, 0, 40 * cw, 10 * lh};
        AdjustWindowRectEx(&outer, GetWindowLongW(w.window, GWL_STYLE), FALSE, 0);
        SetWindowPos(w.window, NULL, 0, 0, outer.right - outer.left,
                     outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(40 * cw, w.width);
        EXPECT_EQ(0, w.cursor_x);
        EXPECT_EQ(0, w.cursor_y);
        EXPECT_EQ(0, LitPixels(1, 0, 0, w.width, w.height));
    }));
}

TEST(TextWindows, LogsHoldWhatWasPrintedAndTypedWhileLogging)
{
    std::string file, clipboard, afterCopy;
    int starts[3] = {-1, -1, -1};
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([&] {
            remove(LogPath(0).c_str());
            TVX_Print("nothing is open\n");   // no window, no log
            ASSERT_EQ(0, TVX_OpenTextWindow(0, -1, -1, -1, -1));
            EXPECT_EQ(1, TVX_StopLog(0));   // no log yet
            starts[0] = TVX_StartLog(0);
            starts[1] = TVX_StartLog(0);
            TVX_Print("first %d\n", 1);
            EXPECT_EQ(0, TVX_StopLog(0));
            TVX_Print("second\n");
            starts[2] = TVX_StartLog(0);
            TVX_Print("third\n");
            TVX_Print("Cmd>");
            Type(0, L"abc\bd\r");
            char line[256];
            TVX_InputText(line);
            EXPECT_STREQ("abd", line);
            EXPECT_EQ(0, TVX_CopyLog(0));
            clipboard = ClipboardText();
            TVX_Print("after copy\n");
            std::string big(5000, 'z');
            TVX_Print("%s", big.c_str());   // cut to 4095 bytes
            EXPECT_EQ(3, TVX_StartLog(7));
            EXPECT_EQ(4, TVX_CopyLog(300));
        });
        PostMainKey('X');   // Exit closes the logs
    }));
    EXPECT_EQ(0, starts[0]);
    EXPECT_EQ(1, starts[1]);
    EXPECT_EQ(0, starts[2]);
    EXPECT_EQ(0, LogState[0].load());
    file = ReadWholeFile(LogPath(0));
    std::string logged = "first 1\r\nthird\r\nCmd>abd\r\n";
    EXPECT_EQ(logged, clipboard);
    EXPECT_EQ(logged + "after copy\r\n" + std::string(4095, 'z'), file);
    remove(LogPath(0).c_str());
}

TEST(LineInput, TwoByteLinesComeBackInCodePage932CutAtACharacterBoundary)
{
    std::string kana, full;
    EXPECT_EQ(0, RunOnWorker([&] {
        ASSERT_EQ(0, TVX_OpenTextWindow(0, -1, -1, 4000, 300));
        char line[260];
        Type(0, L"\x3042\x3044\r");
        TVX_InputText(line);
        kana = line;
        // 255 two-byte characters need 510 bytes; the caller's buffer has 256.
        memset(line, 'Z', sizeof line);
        Type(0, std::wstring(255, L'\x3042') + L"\r");
        TVX_InputText(line);
        full = line;
        EXPECT_EQ('Z', line[256]);   // nothing written past the 256 bytes
    }));
    EXPECT_EQ("\x82\xa0\x82\xa2", kana);
    ASSERT_EQ(254u, full.size());   // 127 whole characters and the terminator
    for (size_t i = 0; i < full.size(); i += 2)
        ASSERT_EQ("\x82\xa0", full.substr(i, 2)) << i;
}

TEST(TextWindows, TheImageWindowPromptsReadTheirAnswersInTextWindowZero)
{
    std::string log;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        PostMainCommand(1027);
        ASSERT_TRUE(WaitUntil([] { return InputWindow.load() == 1; }, 5000));
        // The first prompt is on the screen; log what follows.
        SendMessageW(TextWindow[0].window, WM_COMMAND, 1024, 0);
        for (const wchar_t *answer : {L"640", L"480", L"16"})
            AnswerPrompt(answer);   // Enter moves the cursor to the next line
        Sleep(100);
        EXPECT_EQ(0, InputWindow.load());   // 16 bits: nothing more is asked or made
    }));
    log = ReadWholeFile(LogPath(0));
    EXPECT_EQ("640\r\nHeight=480\r\nBit[32 or 8]=16\r\n", log);
    remove(LogPath(0).c_str());
}

TEST(TextWindows, ExitWhileAMainWindowPromptWaitsEndsAtOnce)
{
    int asked = 0;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        PostMainCommand(1027);
        ASSERT_TRUE(WaitUntil([] { return InputWindow.load() == 1; }, 5000));
        asked = Now();
    }));
    EXPECT_LT(Now() - asked, 1000);
    EXPECT_EQ(1, ExitHook.calls.load());
    EXPECT_EQ(0, InputWindow.load());
}

TEST(LineInput, TheCursorBlinksAboutEveryTwoHundredMilliseconds)
{
    int changes = -1;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        PostMainCommand(1044);   // the Input Box prompt waits for a line in text window 0
        ASSERT_TRUE(WaitUntil([] { return InputWindow.load() == 1; }, 5000));
        TextWindowRecord &w = TextWindow[0];
        int lastLit = -1;
        changes = 0;
        int start = Now();
        while (Now() - start < 1200) {
            int lit = 0;
            {
                std::lock_guard<std::recursive_mutex> hold(TextDrawLock);
                for (int x = w.cursor_x; x < w.cursor_x + w.char_width; x++)
                    for (int y = w.cursor_y; y < w.cursor_y + w.line_height; y++)
                        lit += Shown(w, x, y) != 0;
            }
            if (lastLit >= 0 && (lit > 0) != (lastLit > 0))
                changes++;
            lastLit = lit;
            Sleep(10);
        }
    }));
    EXPECT_GE(changes, 4);   // 1.2 s at 200 ms a phase: about six
    EXPECT_LE(changes, 8);
}

// Copying a log that has no file shows its box without holding the clipboard or the logs: other
// programs can use the clipboard meanwhile, Exit can close the logs, and the clipboard keeps what
// it held.
TEST(TextWindows, ACopyLogBoxHoldsNeitherTheClipboardNorTheLogs)
{
    std::atomic<int> copied{-1};
    bool clipboardFree = false, logsClosed = false;
    std::string kept;
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_OpenTextWindow(0, -1, -1, -1, -1));
            ASSERT_EQ(0, TVX_OpenTextWindow(1, -1, -1, -1, -1));
            ASSERT_EQ(0, TVX_StartLog(0));
            remove(LogPath(1).c_str());
        });
        PutClipboardBytes(CF_TEXT, "kept", 5);
        // The worker waits in the box; the test goes on beside it.
        std::thread([&] { CallOnWorker([&] { copied = TVX_CopyLog(1); }); }).detach();
        HWND box = NULL;
        ASSERT_TRUE(WaitUntil([&] { return (box = FindWindowW(NULL, L"Pause")) != NULL; }, 5000));
        clipboardFree = OpenClipboard(NULL) != FALSE;
        if (clipboardFree)
            CloseClipboard();
        std::thread closer([&] {
            TVX_CloseLogs();
            logsClosed = true;
        });
        WaitUntil([&] { return logsClosed; }, 2000);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        closer.join();
        ASSERT_TRUE(WaitUntil([&] { return copied.load() != -1; }, 5000));
        kept = ClipboardText();
    }));
    EXPECT_EQ(2, copied.load());
    EXPECT_TRUE(clipboardFree);
    EXPECT_TRUE(logsClosed);
    EXPECT_EQ("kept", kept);
    remove(LogPath(0).c_str());
}
