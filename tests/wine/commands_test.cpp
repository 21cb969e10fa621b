// The image windows' commands under Wine: menus built from the command table, picks fed by mouse
// messages to the real window, the drawing commands, the measurements and the prompts.
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "image/image_commands.h"
#include "image/image_store.h"
#include "image/truetype_text.h"
#include "image/image_operations.h"
#include "runtime/runtime.h"
#include "layout_dump.h"
#include "test_app.h"
#include "tests/native/dib_builder.h"
#include "text/text_window.h"

enum { kMove = WM_MOUSEMOVE, kLeft = WM_LBUTTONDOWN, kRight = WM_RBUTTONDOWN };
struct Mouse {
    UINT message;
    int x, y;   // client coordinates: the image's pixels at zoom 100
};

static int &FlagOf(UINT message)
{
    return message == kMove ? ClickWait.moved : message == kLeft ? ClickWait.clicked
                                                                  : ClickWait.cancelled;
}

// Plays the events into the window of an image once its click wait runs, each after the wait has
// taken the one before, then runs `after`. Join the thread once the command has returned.
static std::thread Play(int index, std::vector<Mouse> events, std::function<void()> after = {})
{
    HWND window = ImageTable[index].window;
    return std::thread([=] {
        if (!WaitUntil([] { return ClickWaitActive.load() != 0; }, 5000))
            return;
        for (const Mouse &e : events) {
            SendMessageW(window, e.message, 0, MAKELPARAM(e.x, e.y));
            WaitUntil([&] { return FlagOf(e.message) == 0; }, 5000);
        }
        if (after)
            after();
    });
}

// Runs command id of image index's window on the worker while the events are played into it.
static void CommandWithMouse(int index, int id, std::vector<Mouse> events,
                             std::function<void()> after = {})
{
    HWND window = ImageTable[index].window;
    std::thread player = Play(index, events, after);
    CallOnWorker([=] { SendMessageW(window, WM_COMMAND, id, 0); });
    player.join();
}

static std::vector<unsigned> PixelsOf(int index)
{
    const ImageRecord &r = ImageTable[index];
    size_t bytes = r.bits == 32 ? (size_t)r.width * r.height * 4 : (size_t)Stride8(r.width) * r.height;
    std::vector<unsigned> out((bytes + 3) / 4);
    memcpy(out.data(), ImagePixels8[index], bytes);
    return out;
}

static std::wstring TitleOf(int index)
{
    return TextOf(ImageTable[index].window);
}

static int ImageTitled(const std::wstring &title)
{
    for (int i = 0; i < 256; i++)
        if (ImageTable[i].inUse && TitleOf(i) == title)
            return i;
    return -1;
}

// Walks a built menu and its submenus: every command item has its table row's text, is offered
// for the image's depth and checked as its rule says. Returns the number of command items.
static int CheckAgainstTable(HMENU menu, const ImageRecord &image)
{
    int commands = 0;
    for (int i = 0; i < GetMenuItemCount(menu); i++) {
        if (HMENU sub = GetSubMenu(menu, i)) {
            commands += CheckAgainstTable(sub, image);
            continue;
        }
        UINT id = GetMenuItemID(menu, i);
        if (id == 0)
            continue;   // a separator
        const ImageCommandRow *row = FindImageCommand((int)id);
        if (row == NULL) {
            ADD_FAILURE() << "an item without a row: " << id;
            continue;
        }
        wchar_t text[128] = L"";
        GetMenuStringW(menu, (UINT)i, text, 128, MF_BYPOSITION);
        EXPECT_EQ(std::wstring(row->text, row->text + strlen(row->text)), text);
        EXPECT_TRUE(ImageItemOffered(row->rule, image.bits)) << row->text;
        bool checked = GetMenuState(menu, (UINT)i, MF_BYPOSITION) & MF_CHECKED;
        EXPECT_EQ(ImageItemChecked(row->rule, image.zoom), checked) << row->text;
        commands++;
    }
    return commands;
}

// The rows with a menu place that an image of this depth is offered.
static int RowsInMenus(int bits)
{
    int rows = 0;
    for (int id = 1; id < 2000; id++) {
        const ImageCommandRow *row = FindImageCommand(id);
        rows += row != NULL && row->menu != kMenuNone && ImageItemOffered(row->rule, bits);
    }
    return rows;
}

TEST(ImageMenus, EveryRowInItsMenuWithItsCheckAndDepth)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "menu", 0, 0, 400, 300, 100));
        ASSERT_EQ(0, TVX_CreateImage8(1, "eight", 0, 0, 400, 300, 100));
        for (int zoom : {100, 49, 200})
            for (int i : {0, 1}) {
                ASSERT_EQ(0, TVX_SetZoom(i, zoom));
                HMENU basic = BuildImageMenu(ImageTable[i].window);
                HMENU process = BuildProcessMenu(ImageTable[i].window);
                EXPECT_EQ(RowsInMenus(ImageTable[i].bits),
                          CheckAgainstTable(basic, ImageTable[i]) +
                              CheckAgainstTable(process, ImageTable[i]));
                DestroyMenu(basic);
                DestroyMenu(process);
            }

        // Numbers without a command do nothing.
        std::vector<unsigned> before = PixelsOf(0);
        for (int id : {1006, 1020, 1069, 0, 70000})
            SendMessageW(ImageTable[0].window, WM_COMMAND, id, 0);
        EXPECT_EQ(1, ImageTable[0].inUse);
        EXPECT_EQ(before, PixelsOf(0));
    }));
}

TEST(Picks, BoxesBothWaysCancellationsAndCircles)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(0, "picks", 0, 0, 240, 200, 100));
            ASSERT_EQ(0, TVX_CreateImage(1, "expected", 300, 0, 240, 200, 100));
            DrawColor = 0xFFFFFF;
            TVX_SelectImage(1);
            DrawBox(20, 30, 50, 60);
        });
        // The second click up and left of the first draws the same box.
        CommandWithMouse(0, 1036, {{kLeft, 50, 60}, {kMove, 30, 40}, {kLeft, 20, 30}});
        CallOnWorker([] {
            EXPECT_EQ(PixelsOf(1), PixelsOf(0));
            EXPECT_EQ(0, ClickWaitActive.load());
            EXPECT_EQ(0, CurrentImage);
        });

        // Moving at the second point, going back, and giving up leaves every byte as it was.
        std::vector<unsigned> before;
        CallOnWorker([&] { before = PixelsOf(0); });
        CommandWithMouse(0, 1036,
                         {{kLeft, 10, 10}, {kMove, 40, 40}, {kMove, 60, 30}, {kRight, 60, 30},
                          {kMove, 70, 70}, {kRight, 70, 70}});
        CallOnWorker([&] { EXPECT_EQ(before, PixelsOf(0)); });

        // Radii: 3 and 4 give 5; 1 and 1 give 1 (1.414 rounded).
        struct Circle {
            int dx, dy, radius;
        };
        for (Circle c : {Circle{3, 4, 5}, Circle{1, 1, 1}}) {
            std::thread player = Play(0, {{kLeft, 100, 100}, {kLeft, 100 + c.dx, 100 + c.dy}});
            CallOnWorker([&] {
                int cx, cy, r;
                EXPECT_EQ(0, PickCircle(0, &cx, &cy, &r));
                EXPECT_EQ(100, cx);
                EXPECT_EQ(c.radius, r);
            });
            player.join();
        }

        // "Horz." spans the whole width whatever the column.
        CommandWithMouse(0, 1034, {{kMove, 5, 5}, {kMove, 37, 80}, {kLeft, 37, 80}});
        CallOnWorker([] {
            for (int x = 0; x < 240; x++)
                ASSERT_EQ(0xFFFFFFu, ImagePixels32[0][80 * 240 + x]) << x;
            EXPECT_EQ(0u, ImagePixels32[0][79 * 240 + 5]) << "the band is gone";
        });

        // The image closed during a pick: the command ends, nothing is drawn anywhere.
        CommandWithMouse(0, 1037, {{kLeft, 10, 10}, {kMove, 30, 30}},
                         [] { PostMessageW(ImageTable[0].window, WM_CLOSE, 0, 0); });
        CallOnWorker([] {
            EXPECT_EQ(0, ImageTable[0].inUse);
            EXPECT_EQ(0, ClickWaitActive.load());
        });
    }));
}

TEST(Picks, StopAndExitDuringAPickLeaveThePicture)
{
    EXPECT_EQ(0, RunStarted([&] {
        std::vector<unsigned> before;
        CallOnWorker([&] {
            ASSERT_EQ(0, TVX_CreateImage(0, "stop", 0, 0, 240, 200, 100));
            PatternRgb();
            before = PixelsOf(0);
        });
        CommandWithMouse(0, 1039, {{kLeft, 100, 100}, {kMove, 120, 110}}, [] { PostMainKey('C'); });
        ASSERT_TRUE(WaitUntil([] { return AppRunning.load() == 0; }, 5000));
        StartRun();
        CallOnWorker([&] { EXPECT_EQ(before, PixelsOf(0)); });

        // Exit during a pick ends the program in time, the band gone from the picture.
        HWND window = ImageTable[0].window;
        std::thread player = Play(0, {{kLeft, 10, 10}, {kMove, 50, 50}}, [] { PostMainKey('X'); });
        int start = Now();
        PostMessageW(window, WM_COMMAND, 1036, 0);
        player.join();
        ASSERT_TRUE(WaitUntil([] { return QuitState.load() != 0 && ExitHook.calls.load() == 1; },
                              5000));
        EXPECT_LT(Now() - start, 2500);
        EXPECT_EQ(before, PixelsOf(0));
    }));
}

TEST(DrawingCommands, ColoursTextAndPaint)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage8(0, "eight", 0, 0, 240, 200, 100));
            ImagePixels8[0][10 * Stride8(240) + 20] = 7;
            ASSERT_EQ(0, TVX_CreateImage(1, "deep", 300, 0, 240, 200, 100));
        });
        // "Pick" on an 8-bit pixel: the index, and the colour it stands for as TrueType colour.
        CommandWithMouse(0, 1052, {{kLeft, 20, 10}});
        CallOnWorker([] {
            EXPECT_EQ(7u, DrawColor);
            EXPECT_EQ(0x070707u, tvx_tttc);
        });

        // Cancelling the colour dialog keeps DrawColor and gives it to both text colours.
        CallOnWorker([] {
            DrawColor = 0x123456;
            tvx_tttc = tvx_tc = 0;
        });
        std::thread closer([] {
            HWND dialog = NULL;
            WaitUntil([&] { return (dialog = FindWindowW(L"#32770", NULL)) != NULL; }, 5000);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        CallOnWorker([] { SendMessageW(ImageTable[1].window, WM_COMMAND, 1031, 0); });
        closer.join();
        CallOnWorker([] {
            EXPECT_EQ(0x123456u, DrawColor);
            EXPECT_EQ(0x123456u, tvx_tttc);
            EXPECT_EQ(0x123456u, tvx_tc);
        });

        // "Draw Text" five rows from the top: only the glyphs' lowest five rows, in DrawColor.
        CommandWithMouse(1, 1042, {{kLeft, 30, 5}}, [] { AnswerPrompt(L"Ag"); });
        CallOnWorker([] {
            int drawn = 0;
            for (int y = 0; y < 200; y++)
                for (int x = 0; x < 240; x++)
                    if (ImagePixels32[1][y * 240 + x] != 0) {
                        drawn++;
                        EXPECT_TRUE(y < 5 && x >= 30 && x < 46) << x << "," << y;
                        EXPECT_EQ(0x123456u, ImagePixels32[1][y * 240 + x]);
                    }
            // "A" rows 9 to 13 hold its legs and nothing below row 10; "g" its descender.
            EXPECT_GT(drawn, 10);
            EXPECT_EQ(0x123456u, tvx_tc);
        });

        // "Paint" fills the clicked area only.
        CallOnWorker([] {
            TVX_SelectImage(1);
            DrawColor = 0xFFFFFF;
            DrawBox(100, 100, 140, 140);
            DrawColor = 0x00FF00;
        });
        CommandWithMouse(1, 1043, {{kLeft, 120, 120}});
        CallOnWorker([] {
            EXPECT_EQ(0x00FF00u, ImagePixels32[1][120 * 240 + 120]);
            EXPECT_EQ(0u, ImagePixels32[1][150 * 240 + 150]);
        });
    }));
}

TEST(Measurements, PixelReadoutInTheTextWindow)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(0, "red", 0, 0, 240, 200, 100));
            ImagePixels32[0][7 * 240 + 3] = 0xFF0000;
            ASSERT_EQ(0, TVX_CreateImage8(1, "eight", 300, 0, 240, 200, 100));
            ImagePixels8[1][0] = 9;
            ASSERT_EQ(0, TVX_OpenTextWindow(0, -1, -1, -1, -1));
            ASSERT_EQ(0, TVX_StartLog(0));
        });
        CommandWithMouse(0, 1015, {{kLeft, 3, 7}});
        CommandWithMouse(1, 1015, {{kLeft, 0, 0}});
        CallOnWorker([] { TVX_CloseLogs(); });   // the file then holds everything printed
        std::string log;   // the log is written in text mode: lines end in CR LF
        for (char c : ReadWholeFile(LogPath(0)))
            if (c != '\r')
                log += c;
        auto has = [&](const char *text) { return log.find(text) != std::string::npos; };
        EXPECT_TRUE(has("(X,Y)=(3,7)\n(R,G,B)=(255,0,0)\n(H,S,V)=(0,255,255)\n"
                        "(Y,Cr,Cb)=(76,128,-42)\n(Y,u,v)=(76,-36,157)\n(Y,I,Q)=(76,152,53)\n\n"))
            << log;
        EXPECT_TRUE(has("(X,Y)=(0,0)\n(Luminance)=(9)\n\n")) << log;
    }));
}

TEST(Measurements, ProfilesChromaPlotsAndClips)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(10, "src", 500, 300, 200, 60, 100));
            for (int x = 0; x < 200; x++) {
                ImagePixels32[10][3 * 200 + x] = 0xFFFFFF;   // a white row
                ImagePixels32[10][4 * 200 + x] = 0x808080;   // a grey row
            }
            ASSERT_EQ(0, TVX_CreateImage(11, "odd", 500, 400, 201, 60, 100));
            for (int x = 0; x < 201; x++)
                ImagePixels32[11][x] = 0x808080;
            ASSERT_EQ(0, TVX_CreateImage8(12, "eight", 800, 300, 200, 60, 100));
            RGBQUAD reds[256] = {};
            for (int i = 0; i < 256; i++)
                reds[i].rgbRed = (BYTE)i;
            TVX_SelectImage(12);
            TVX_SetColorTable(reds, 256);
            ImagePixels8[12][5 * 200 + 6] = 77;
        });
        // RGB of a white row: three lines on row 0 of a 212 x 128 plot, blue drawn last.
        CommandWithMouse(10, 1016, {{kMove, 9, 3}, {kLeft, 9, 3}});
        CallOnWorker([] {
            int plot = CurrentImage;
            ASSERT_EQ(0, plot) << "the lowest free slot";
            EXPECT_EQ(L"RGB(Y=3)(100%)", TitleOf(plot));
            EXPECT_EQ(212, ImageTable[plot].width);
            EXPECT_EQ(128, ImageTable[plot].height);
            for (int x = 12; x < 212; x++)
                ASSERT_EQ(0x0000FFu, ImagePixels32[plot][x]) << x;
            EXPECT_EQ(0x0000FFu, tvx_tc) << "the last label's colour";
        });
        // HSV of a black row: everything on row 127, value drawn last.
        CommandWithMouse(10, 1017, {{kLeft, 0, 10}});
        CallOnWorker([] {
            EXPECT_EQ(L"HSV(Y=10)(100%)", TitleOf(CurrentImage));
            EXPECT_EQ(0x00FFFFu, ImagePixels32[CurrentImage][127 * 212 + 100]);
        });
        // A grey row's chroma sits on the crossing: magenta for an even count, white for odd.
        CommandWithMouse(10, 1021, {{kLeft, 0, 4}});
        CallOnWorker([] {
            EXPECT_EQ(L"CrCb(Y=4)(100%)", TitleOf(CurrentImage));
            EXPECT_EQ(0xFF00FFu, ImagePixels32[CurrentImage][128 * 256 + 128]);
        });
        CommandWithMouse(11, 1021, {{kLeft, 0, 0}});
        CallOnWorker([] { EXPECT_EQ(0xFFFFFFu, ImagePixels32[CurrentImage][128 * 256 + 128]); });
        // A one-pixel area: its coordinates twice and a single dot (the white row's grey point).
        CommandWithMouse(10, 1022, {{kLeft, 5, 3}, {kLeft, 5, 3}});
        CallOnWorker([] {
            EXPECT_EQ(L"CrCb(5,3)-(5,3)(100%)", TitleOf(CurrentImage));
            EXPECT_EQ(0xFFFFFFu, ImagePixels32[CurrentImage][128 * 256 + 128]);
        });
        // The luminance profile of an 8-bit row plots its indices.
        CommandWithMouse(12, 1070, {{kLeft, 0, 5}});
        CallOnWorker([] {
            EXPECT_EQ(L"Luminance(Y=5)(100%)", TitleOf(CurrentImage));
            EXPECT_EQ(0xFFFFFFu, ImagePixels32[CurrentImage][(127 - 77 * 127 / 255) * 212 + 12 + 6]);
            EXPECT_EQ(0xFFFFFFu, ImagePixels32[CurrentImage][127 * 212 + 12]);
        });
        // An 8-bit clip keeps the pixels and the colour table.
        CommandWithMouse(12, 1019, {{kLeft, 4, 3}, {kLeft, 9, 8}});
        CallOnWorker([] {
            int clip = CurrentImage;
            EXPECT_EQ(L"(4,3)-(9,8)(" + std::to_wstring(ImageTable[clip].zoom) + L"%)[8bit]",
                      TitleOf(clip));
            EXPECT_EQ(8, ImageTable[clip].bits);
            EXPECT_EQ(6, ImageTable[clip].width);
            EXPECT_EQ(77, ImagePixels8[clip][2 * Stride8(6) + 2]);
            RGBQUAD table[256];
            ASSERT_EQ(0, TVX_GetColorTable(table));
            EXPECT_EQ(77, table[77].rgbRed);
            EXPECT_EQ(0, table[77].rgbGreen);
        });
        // With every slot in use the profiles and the clip do nothing.
        CallOnWorker([] {
            for (int i = 0; i < 256; i++)
                if (!ImageTable[i].inUse) {
                    ASSERT_EQ(0, TVX_CreateImage(i, "full", 0, 0, 8, 8, 100));
                }
        });
        CommandWithMouse(10, 1018, {{kLeft, 0, 0}});
        CommandWithMouse(10, 1019, {{kLeft, 0, 0}, {kLeft, 3, 3}});
        CallOnWorker([] {
            EXPECT_EQ(10, CurrentImage);
            EXPECT_EQ(-1, ImageTitled(L"YCrCb(Y=0)(100%)"));
        });
    }));
}

TEST(ImagePrompts, ZoomAndResizeAnsweredInTheTextWindow)
{
    EXPECT_EQ(0, RunStarted([&] {
        int fits = 0;
        CallOnWorker([&] {
            ASSERT_EQ(0, TVX_CreateImage(2, "big", 30, 40, 1000, 700, 50));
            ZoomFit fit;
            ASSERT_TRUE(FitZoom(1000, 700, 150, ReadScreenLimits(), &fit));
            ASSERT_LT(fit.zoom, 150) << "the screen must be too small for 150";
            fits = fit.zoom;
        });
        // While the prompt reads its line, a right click on the image opens no menu.
        std::thread answer([] {
            ASSERT_TRUE(WaitUntil([] { return InputWindow.load() != 0; }, 5000));
            PostMessageW(ImageTable[2].window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
            Sleep(300);
            HWND menu = FindWindowW(L"#32768", NULL);
            EXPECT_TRUE(menu == NULL || !IsWindowVisible(menu));
            AnswerPrompt(L"150");
        });
        CallOnWorker([] { SendMessageW(ImageTable[2].window, WM_COMMAND, 1046, 0); });
        answer.join();
        CallOnWorker([&] {
            EXPECT_EQ(fits, ImageTable[2].zoom);
            EXPECT_EQ(L"big(" + std::to_wstring(fits) + L"%)", TitleOf(2));
        });
        std::thread sizes([] {
            AnswerPrompt(L"320");
            AnswerPrompt(L"240");
        });
        CallOnWorker([] { SendMessageW(ImageTable[2].window, WM_COMMAND, 1047, 0); });
        sizes.join();
        // What a resize keeps and clears is checked on TVX_ResizeImage (image_test.cpp).
        CallOnWorker([&] {
            EXPECT_EQ(320, ImageTable[2].width);
            EXPECT_EQ(240, ImageTable[2].height);
        });
    }));
}

static void PutDibOnClipboard(const std::vector<uint8_t> &dib)
{
    PutClipboardBytes(CF_DIB, dib.data(), dib.size());
}

TEST(Clipboard, CopyCutAndPaste)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(0, "three", 0, 0, 3, 1, 100));
            ImagePixels32[0][0] = 0x102030;
            ImagePixels32[0][1] = 0x405060;
            ImagePixels32[0][2] = 0xFF708090;   // the top byte is not part of the colour
            SendMessageW(ImageTable[0].window, WM_COMMAND, 1012, 0);
            // 24 bits: a 40-byte header and one row of 3 pixels padded to 12 bytes; whether
            // other programs read it so is seen end to end (e2e/clipboard.sh).
            std::vector<uint8_t> dib = ClipboardBytes(CF_DIB);
            ASSERT_EQ(52u, dib.size());
            EXPECT_EQ((std::vector<uint8_t>{0x30, 0x20, 0x10, 0x60, 0x50, 0x40, 0x90, 0x80, 0x70}),
                      std::vector<uint8_t>(dib.begin() + 40, dib.begin() + 49));

            // 8 bits carry the colour table; Cut leaves the image black.
            ASSERT_EQ(0, TVX_CreateImage8(1, "eight", 0, 0, 5, 2, 100));
            RGBQUAD table[256] = {};
            for (int i = 0; i < 256; i++)
                table[i].rgbRed = (BYTE)(255 - i);
            TVX_SetColorTable(table, 256);
            ImagePixels8[1][8 + 4] = 9;   // pixel (4, 1)
            SendMessageW(ImageTable[1].window, WM_COMMAND, 1011, 0);
            dib = ClipboardBytes(CF_DIB);
            ASSERT_EQ(40u + 1024 + 8 * 2, dib.size());
            EXPECT_EQ(255 - 9, dib[40 + 9 * 4 + 2]);
            EXPECT_EQ(9, dib[40 + 1024 + 4]) << "bottom-up: (4, 1) in the first stored row";
            EXPECT_EQ(0, ImagePixels8[1][8 + 4]);
            // A Cut whose copy cannot reach the clipboard (another thread holds it) keeps the
            // picture.
            ImagePixels8[1][8 + 4] = 9;
            std::atomic<int> held{0};
            std::thread holder([&] {
                HWND own = CreateWindowW(L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, NULL, NULL);
                held = OpenClipboard(own) ? 1 : -1;
                while (held == 1)
                    Sleep(1);
                CloseClipboard();
                DestroyWindow(own);
            });
            while (held == 0)
                Sleep(1);
            ASSERT_EQ(1, held.load());
            SendMessageW(ImageTable[1].window, WM_COMMAND, 1011, 0);
            held = 2;
            holder.join();
            EXPECT_EQ(9, ImagePixels8[1][8 + 4]);
        });
        // Ctrl+V at (0, 0) and the main window's Paste are driven from outside with other
        // programs' pictures (e2e/clipboard.sh). The menu's Paste of a foreign DIB (a 124-byte
        // header, top-down): centred on the clicked point; at the edge, clipped.
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(2, "target", 0, 0, 200, 100, 100));
            // As another program might write it: a 124-byte header, bit-field masks, top-down rows,
            // the top bytes set.
            PutDibOnClipboard(BuildDib({124, 3, -1, 32, 3, 0, {0xFF0000, 0x00FF00, 0x0000FF}},
                                       {0xFFAA0000, 0xFFBB0000, 0xFFCC0000}));
        });
        CommandWithMouse(2, 1013, {{kMove, 50, 50}, {kLeft, 199, 99}});
        CallOnWorker([] {
            EXPECT_EQ(0xAA0000u, ImagePixels32[2][99 * 200 + 198] & 0xFFFFFF);
            EXPECT_EQ(0xBB0000u, ImagePixels32[2][99 * 200 + 199] & 0xFFFFFF);
            EXPECT_EQ(0u, ImagePixels32[2][50 * 200 + 50] & 0xFFFFFF) << "the frame is gone";
            // An 8-bit picture's colours replace the first entries of an 8-bit image's table.
            PutDibOnClipboard(BuildDib({40, 2, 1, 8, 0, 2}, {0x123456, 0x000056}));
            ASSERT_EQ(0, TVX_CreateImage8(3, "eight2", 0, 0, 200, 100, 100));
            SendMessageW(ImageTable[3].window, WM_COMMAND, 1014, 0);
            RGBQUAD table[256];
            TVX_SelectImage(3);
            TVX_GetColorTable(table);
            EXPECT_EQ(0x12, table[0].rgbRed);
            EXPECT_EQ(0x56, table[1].rgbBlue);
            EXPECT_EQ(2, table[2].rgbRed) << "the rest of the grey ramp stays";
            EXPECT_EQ(1, ImagePixels8[3][1]);

            // An empty clipboard: the menu's Paste starts no click wait and changes nothing.
            OpenClipboard(NULL);
            EmptyClipboard();
            CloseClipboard();
            std::vector<unsigned> before = PixelsOf(2);
            SendMessageW(ImageTable[2].window, WM_COMMAND, 1013, 0);
            EXPECT_EQ(0, ClickWaitActive.load());
            EXPECT_EQ(before, PixelsOf(2));
        });
    }));
}

// The bounds of the pixels that differ from black: left, top, right, bottom (-1 when none).
static RECT Inked(int index, int x0 = 0, int x1 = -1)
{
    const ImageRecord &r = ImageTable[index];
    if (x1 < 0)
        x1 = r.width;
    RECT box = {-1, -1, -1, -1};
    for (int y = 0; y < r.height; y++)
        for (int x = x0; x < x1; x++)
            if (ImagePixels32[index][y * r.width + x] & 0xFFFFFF) {
                if (box.left < 0 || x < box.left) box.left = x;
                if (box.top < 0) box.top = y;
                if (x > box.right) box.right = x;
                box.bottom = y;
            }
    return box;
}

TEST(TrueType, CellsCodesAndTheFontDialog)
{
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] { ASSERT_EQ(0, TVX_CreateImage(0, "tt", 0, 0, 240, 120, 100)); });
        // The rectangle (10, 20) to (49, 39): cells of 20 x 20, the first from column 10, rows 20
        // to 39.
        CommandWithMouse(0, 1048, {{kLeft, 10, 20}, {kLeft, 49, 39}}, [] { AnswerPrompt(L"H"); });
        CallOnWorker([] {
            EXPECT_EQ(20, cellWidth);
            EXPECT_EQ(20, cellHeight);
            RECT ink = Inked(0);
            EXPECT_GE(ink.left, 10);
            EXPECT_GE(ink.top, 20);
            EXPECT_LE(ink.bottom, 39);
            EXPECT_LT(ink.right, 30) << "one cell";
            EXPECT_EQ(39, TextCursor.y);
        });
        CallOnWorker([] {
            TVX_SelectImage(0);
            int startGdi = CountGdiObjects();
            // A double-byte character is one glyph and one advance.
            TextCursor = {0, 100, 0};
            SetTrueTypeCellSize(20, 20);
            HDC dc = ImageTable[0].memoryDC;
            ABC abc;
            LOGFONTW description = ImageFontDescription();
            HGDIOBJ old = SelectObject(dc, CreateFontIndirectW(&description));
            ASSERT_TRUE(GetCharABCWidthsW(dc, 0x3042, 0x3042, &abc));
            DeleteObject(SelectObject(dc, old));
            DrawTrueTypeText("\x82\xa0");
            EXPECT_EQ(abc.abcA + (int)abc.abcB + abc.abcC, TextCursor.x);

            // Bold between codes 3 and 4: the first "l" has more ink than the second.
            memset(ImagePixels32[0], 0, 240 * 120 * 4);
            TextCursor = {0, 60, 0};
            DrawTrueTypeText("\x03I\x04");
            int boldEnd = TextCursor.x;
            DrawTrueTypeText("I");
            EXPECT_GT(InkCount(0, 0, boldEnd), InkCount(0, boldEnd, TextCursor.x));
            EXPECT_EQ(FW_NORMAL, ImageFontDescription().lfWeight);

            // Line feed: back to left, one cell lower. Past the right edge: cut, not wrapped.
            TextCursor = {30, 60, 30};
            DrawTrueTypeText("A\nB");
            EXPECT_EQ(80, TextCursor.y);
            EXPECT_GT(TextCursor.x, 30);
            EXPECT_LT(TextCursor.x, 60);
            TextCursor = {200, 100, 0};
            DrawTrueTypeText("WWWWWWWW");
            EXPECT_EQ(100, TextCursor.y);
            EXPECT_GT(TextCursor.x, 240);

            // A thousand draws and changes keep no GDI object.
            for (int i = 0; i < 1000; i++) {
                SetTrueTypeCellSize(10 + i % 30, 12 + i % 20);
                TextCursor = {i % 200, 50, 0};
                DrawTrueTypeText(i % 2 ? "\x01g\x02\x05y\x06" : "\x03\x82\xa0\x04");
            }
            EXPECT_LE(CountGdiObjects(), startGdi + 1) << "at most the font made anew";
        });
        // Cancelling the font dialog keeps face and style.
        LOGFONTW before = {};
        CallOnWorker([&] {
            TVX_SelectImage(0);
            DrawTrueTypeText("\x03");
            before = ImageFontDescription();
        });
        std::thread closer([] {
            HWND dialog = NULL;
            WaitUntil([&] { return (dialog = FindWindowW(L"#32770", NULL)) != NULL; }, 5000);
            PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        CallOnWorker([] { SendMessageW(ImageTable[0].window, WM_COMMAND, 1049, 0); });
        closer.join();
        CallOnWorker([&] {
            LOGFONTW after = ImageFontDescription();
            EXPECT_EQ(0, wcscmp(before.lfFaceName, after.lfFaceName));
            EXPECT_EQ(FW_BOLD, after.lfWeight);
            EXPECT_EQ(before.lfHeight, after.lfHeight);
        });
    }));
}

// A drag step as the system gives it to a window: the proposed rectangle through WM_MOVING, with
// the Ctrl key as this thread's keyboard state says.
static RECT Moving(HWND window, RECT proposed, bool ctrl)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(window, WM_MOVING, WMSZ_BOTTOMRIGHT, (LPARAM)&proposed);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return proposed;
}

TEST(Snapping, LibraryWindowsSnapToTheScreenAndEachOther)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "fixed", 300, 200, 200, 150, 100));
        ASSERT_EQ(0, TVX_CreateImage(1, "moving", 700, 500, 200, 150, 100));
        ASSERT_EQ(0, TVX_OpenTextWindow(0, 600, 100, 300, 200));
        RECT fixed, own;
        GetWindowRect(ImageTable[0].window, &fixed);
        GetWindowRect(ImageTable[1].window, &own);
        int w = own.right - own.left, h = own.bottom - own.top;
        HWND moving = ImageTable[1].window;
        // The rule is checked natively; here what the windows feed it. Without Ctrl a window 5
        // pixels from the left edge stays where it was put.
        EXPECT_EQ(5, Moving(moving, {5, 600, 5 + w, 600 + h}, false).left);
        // Beside the fixed image, 7 pixels off and overlapping it: snapped; 8: not. Moved (as a
        // drag ends), its edges move with it.
        SetWindowPos(ImageTable[0].window, NULL, fixed.left + 40, fixed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        OffsetRect(&fixed, 40, 0);
        int top = fixed.top + 30;
        EXPECT_EQ(fixed.right, Moving(moving, {fixed.right + 7, top, fixed.right + 7 + w, top + h}, true).left);
        EXPECT_EQ(fixed.right + 8, Moving(moving, {fixed.right + 8, top, fixed.right + 8 + w, top + h}, true).left);
        // A text window is in the table too: stacked under it (overlapping it by 3), lefts
        // aligned.
        RECT text;
        GetWindowRect(TextWindow[0].window, &text);
        RECT under = Moving(moving, {text.left + 2, text.bottom - 3, text.left + 2 + w, text.bottom - 3 + h}, true);
        EXPECT_EQ(text.bottom, under.top);
        EXPECT_EQ(text.left, under.left);
        // Closed, its edges are gone: nothing to snap to there any more.
        SendMessageW(TextWindow[0].window, WM_CLOSE, 0, 0);
        under = Moving(moving, {text.left + 2, text.bottom - 3, text.left + 2 + w, text.bottom - 3 + h}, true);
        EXPECT_EQ(text.bottom - 3, under.top);
        EXPECT_EQ(text.left + 2, under.left);
    }));
}

TEST(WindowInfo, OneTextWindowAndTheColoursAfter)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_OpenTextWindow(0, 40, 50, 400, 300));
        TVX_PushTextColor(0x123456, 0x654321);
        // The listing's lines are checked natively, the windows' places by the round trip.
        SendMessageW(TextWindow[0].window, WM_COMMAND, 1045, 0);
        EXPECT_EQ(0u, ClipboardText().find("\t// TORVEX --- Automatic Source Generator\n"));
        EXPECT_EQ(0x123456u, TextWindow[0].text_color) << "printing goes on as before";
        EXPECT_EQ(0x654321u, TextWindow[0].back_color);
        // A caption of 200 double-byte characters (400 bytes) is listed whole.
        std::string title;
        for (int i = 0; i < 200; i++)
            title += "\x82\xa0";
        TVX_OpenButtonBox(0, 0, 2, 1);
        TVX_SetButtonBoxTitle(1, title.c_str());
        SendMessageW(TextWindow[0].window, WM_COMMAND, 1045, 0);
        EXPECT_NE(std::string::npos, ClipboardText().find("\"" + title + "\""));
    }));
}

// Makes a layout of every window kind, moved about and renamed, and writes its listing and the
// layout itself for wine.layout_round_trip, which compiles the listing into another program.
TEST(WindowInfo, RoundTrip)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "Right", 10, 20, 320, 240, 70));
        ASSERT_EQ(0, TVX_CreateImage8(5, "eight", 300, 40, 64, 48, 200));
        ASSERT_EQ(0, TVX_OpenTextWindow(0, 500, 300, 400, 300));
        ASSERT_EQ(0, TVX_OpenTextWindow(3, 620, 60, 300, 200));
        TVX_OpenInputBox(100, 420, 3);
        TVX_SetInputBoxTitle(0, "alpha");
        TVX_SetInputBoxTitle(1, "");
        TVX_SetInputBoxTitle(2, "gamma");
        TVX_ResizeInputBox(90, 110);
        TVX_OpenButtonBox(40, 600, 3, 2);
        TVX_SetButtonBoxTitle(0, "one");
        TVX_SetButtonBoxTitle(4, "two\nlines");
        TVX_ResizeButtonBox(330, 70);
        SetWindowPos(ImageTable[5].window, NULL, 333, 44, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetWindowPos(TextWindow[3].window, NULL, 640, 70, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        TVX_PumpMessages();
        SendMessageW(TextWindow[0].window, WM_COMMAND, 1045, 0);
        std::string listing = ClipboardText();
        EXPECT_NE(std::string::npos, listing.find("\tTVX_CreateImage8(5,\"eight\",333,44,64,48,"));
        EXPECT_NE(std::string::npos, listing.find("\tTVX_SetButtonBoxTitle(4,\"two\\nlines\");"));
        EXPECT_NE(std::string::npos, listing.find("\tTVX_SetInputBoxTitle(1,\"\");"));
        FILE *f = fopen("layout-listing.inc", "wb");
        ASSERT_TRUE(f != NULL);
        fputs(listing.c_str(), f);
        fclose(f);
        f = fopen("layout-made.txt", "wb");
        ASSERT_TRUE(f != NULL);
        fputs(DumpLayout().c_str(), f);
        fclose(f);
    }));
}
