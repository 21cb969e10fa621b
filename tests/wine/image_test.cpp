// Image windows and image files under Wine: real windows, DIB sections and GDI+ files.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <shlobj.h>   // DROPFILES

#include "image/image_store.h"
#include "runtime/runtime.h"
#include "test_app.h"
#include "text/text_window.h"

// Files the tests write, in a folder of their own.
static std::string OutputFile(const char *name)
{
    CreateDirectoryA("image-files", NULL);
    return std::string("image-files\\") + name;
}

TEST(Images, CreationFitsTheZoomToTheScreen)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "Right", 0, 0, 640, 480, 70));
        EXPECT_EQ(70, ImageTable[0].zoom);
        EXPECT_EQ(448, ClientOf(ImageTable[0].window).cx);
        EXPECT_EQ(336, ClientOf(ImageTable[0].window).cy);
        EXPECT_EQ(L"Right(70%)", TextOf(ImageTable[0].window));
        EXPECT_EQ(0, CurrentImage);
        EXPECT_EQ(1, TVX_CreateImage(0, "again", 0, 0, 8, 8, 100));

        int screen = GetSystemMetrics(SM_CXSCREEN);
        ASSERT_EQ(0, TVX_CreateImage(1, "wide", 0, 0, 3000, 100, 100));
        EXPECT_EQ(screen * 100 / 3000, ImageTable[1].zoom);
        EXPECT_EQ(L"wide(" + std::to_wstring(screen * 100 / 3000) + L"%)",
                  TextOf(ImageTable[1].window));

        ScreenLimits limits = ReadScreenLimits();
        ASSERT_EQ(0, TVX_CreateImage(2, "dot", 0, 0, 1, 1, 100));
        ASSERT_EQ(0, TVX_CreateImage(3, "dot0", 0, 0, 0, -5, 0));   // sizes become 1 x 1
        EXPECT_EQ(1, ImageTable[3].width);
        EXPECT_EQ(ImageTable[2].zoom, ImageTable[3].zoom);
        EXPECT_GE(ClientOf(ImageTable[3].window).cx, limits.minWidth);
        EXPECT_GE(ClientOf(ImageTable[3].window).cy, limits.minHeight);

        EXPECT_EQ(3, TVX_CreateImageEx(4, "deep", 0, 0, 8, 8, 100, 24));
        EXPECT_EQ(0, ImageTable[4].inUse);
        EXPECT_EQ(NULL, FindWindowW(L"tvx_iw", L"deep(100%)"));
        EXPECT_EQ(2, TVX_CreateImage(4, "line", 0, 0, 100000, 1, 100));
        EXPECT_EQ(0, ImageTable[4].inUse);

        // 8 bits, width 5: rows of 8 bytes; byte 8 is pixel (0, 1) as GDI sees it.
        ASSERT_EQ(0, TVX_CreateImage8(5, "gray", 0, 0, 5, 3, 100));
        EXPECT_EQ(L"gray(" + std::to_wstring(ImageTable[5].zoom) + L"%)[8bit]",
                  TextOf(ImageTable[5].window));
        ImagePixels8[5][8] = 200;
        GdiFlush();
        EXPECT_EQ(RGB(200, 200, 200), GetPixel(ImageTable[5].memoryDC, 0, 1));
        EXPECT_EQ(RGB(0, 0, 0), GetPixel(ImageTable[5].memoryDC, 3, 0));
        ImagePixels32[0][1 + 2 * 640] = 0x123456;   // 0x00RRGGBB
        GdiFlush();
        EXPECT_EQ(RGB(0x12, 0x34, 0x56), GetPixel(ImageTable[0].memoryDC, 1, 2));

        EXPECT_EQ(0, TVX_DestroyImage(1));
        EXPECT_EQ(1, TVX_DestroyImage(1));
        EXPECT_EQ(1, TVX_RefreshImage(300));
    }));
}

TEST(Images, SelectionHistoryAndZoomRefusal)
{
    EXPECT_EQ(0, RunOnWorker([] {
        // The history's rule (nine back) is tested natively; here the calls that feed it.
        for (int i = 0; i < 10; i++)
            ASSERT_EQ(0, TVX_CreateImage(i, "i", 0, 0, 16, 16, 100));
        ASSERT_EQ(0, TVX_SelectImage(1));
        ASSERT_EQ(0, TVX_SelectImage(2));
        EXPECT_EQ(0, TVX_SelectPreviousImage());
        EXPECT_EQ(1, CurrentImage);
        EXPECT_EQ(1, TVX_SelectImage(300));
        EXPECT_EQ(1, TVX_SelectImage(20));
        TVX_DestroyImage(7);
        TVX_SelectImage(7);   // refused: free
        TVX_SelectImage(3);
        TVX_DestroyImage(1);
        EXPECT_EQ(1, TVX_SelectPreviousImage());   // back to 1, which is gone
        EXPECT_EQ(3, CurrentImage);

        // Any zoom is refitted to the screen; the image stays usable.
        ASSERT_EQ(0, TVX_CreateImage(20, "z", 0, 0, 640, 480, 100));
        EXPECT_EQ(0, TVX_SetZoom(20, 100000));
        EXPECT_EQ(200, ImageTable[20].zoom);
        EXPECT_EQ(0, TVX_SetZoom(20, -7));
        EXPECT_EQ(1, ImageTable[20].inUse);
        EXPECT_EQ(0, TVX_RefreshImage(20));
        EXPECT_EQ(1, TVX_SetZoom(300, 50));
        EXPECT_EQ(0, TVX_SetZoom(20, 50));
        EXPECT_EQ(320, ClientOf(ImageTable[20].window).cx);
        EXPECT_EQ(240, ClientOf(ImageTable[20].window).cy);
        EXPECT_EQ(L"z(50%)", TextOf(ImageTable[20].window));
    }));
}

TEST(Images, ResizeKeepsTheSettingsAndARefusedResizeKeepsThePicture)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage8(6, "eight", 40, 50, 64, 48, 200));
        RGBQUAD table[256];
        for (int i = 0; i < 256; i++)
            table[i] = {(BYTE)i, (BYTE)(255 - i), 7, 0};
        ASSERT_EQ(0, TVX_SetColorTable(table, 256));
        TVX_SetStretchMode(HALFTONE, 6);
        RECT before;
        GetWindowRect(ImageTable[6].window, &before);
        ImagePixels8[6][0] = 9;
        ASSERT_EQ(0, TVX_ResizeImage(6, 32, 24));
        EXPECT_EQ(32, ImageTable[6].width);
        ZoomFit refit;   // the zoom is kept and refitted: raised to the minimum window
        ASSERT_TRUE(FitZoom(32, 24, 200, ReadScreenLimits(), &refit));
        EXPECT_EQ(refit.zoom, ImageTable[6].zoom);
        EXPECT_EQ(HALFTONE, TVX_GetStretchMode(6));
        EXPECT_EQ(L"eight(" + std::to_wstring(refit.zoom) + L"%)[8bit]*",
                  TextOf(ImageTable[6].window));
        RECT after;
        GetWindowRect(ImageTable[6].window, &after);
        EXPECT_EQ(before.left, after.left);
        EXPECT_EQ(before.top, after.top);
        RGBQUAD back[256];
        ASSERT_EQ(0, TVX_GetColorTable(back));
        EXPECT_EQ(0, memcmp(table, back, sizeof table));
        EXPECT_EQ(0, ImagePixels8[6][0]);   // cleared

        // A size that cannot fit is refused before anything is destroyed.
        ASSERT_EQ(0, TVX_CreateImage(7, "keep", 0, 0, 100, 100, 100));
        HWND window = ImageTable[7].window;
        ImagePixels32[7][5] = 0xABCDEF;
        EXPECT_EQ(2, TVX_ResizeImage(7, 200000, 1));
        EXPECT_EQ(1, ImageTable[7].inUse);
        EXPECT_EQ(window, ImageTable[7].window);
        EXPECT_EQ(100, ImageTable[7].width);
        EXPECT_EQ(0xABCDEFu, ImagePixels32[7][5]);
        EXPECT_TRUE(IsWindow(window));
    }));
}

TEST(ImageWindows, ClicksWheelAndTabReachTheImage)
{
    EXPECT_EQ(0, RunOnWorker([] {
        ASSERT_EQ(0, TVX_CreateImage(0, "Right", 0, 0, 640, 480, 70));
        ASSERT_EQ(0, TVX_CreateImage(1, "other", 500, 0, 64, 64, 100));
        HWND window = ImageTable[0].window;
        ASSERT_EQ(0, BeginClickWait(0, "Click a point"));
        SendMessageW(ImageTable[1].window, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3));
        EXPECT_EQ(0, ClickWait.clicked);   // another window's click is not taken
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(69, 0));
        EXPECT_EQ(1, ClickWait.clicked);
        EXPECT_EQ(98, ClickWait.clickX);
        EXPECT_EQ(0, ClickWait.clickY);
        SendMessageW(window, WM_MOUSEMOVE, 0, MAKELPARAM(140, 70));
        EXPECT_EQ(200, ClickWait.moveX);
        EXPECT_EQ(100, ClickWait.moveY);
        SendMessageW(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 1));
        EXPECT_EQ(1, ClickWait.cancelled);
        SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);   // ignored while waiting
        EXPECT_EQ(COLORONCOLOR, TVX_GetStretchMode(0));
        EndClickWait();
        EXPECT_EQ(0, ClickWaitActive.load());

        ASSERT_EQ(0, TVX_SetZoom(0, 100));
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);   // no Ctrl
        EXPECT_EQ(100, ImageTable[0].zoom);
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
        EXPECT_EQ(111, ImageTable[0].zoom);
        EXPECT_EQ(L"Right(111%)", TextOf(window));
        SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0);
        EXPECT_EQ(100, ImageTable[0].zoom);   // (9 x 111 + 5) / 10

        SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(HALFTONE, TVX_GetStretchMode(0));
        EXPECT_EQ(L"Right(100%)*", TextOf(window));
        SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);
        EXPECT_EQ(COLORONCOLOR, TVX_GetStretchMode(0));
        EXPECT_EQ(L"Right(100%)", TextOf(window));

        // The refresh draws the pixels into the window at once.
        for (int i = 0; i < 640 * 480; i++)
            ImagePixels32[0][i] = 0x00FF00;
        ASSERT_EQ(0, TVX_SetZoom(0, 100));
        EXPECT_EQ(0, TVX_RefreshImage(0));
        EXPECT_EQ(RGB(0, 255, 0), GetPixel(ImageTable[0].windowDC, 10, 10));
    }));
}

TEST(ImageFiles, SaveAndLoadInTheirFormats)
{
    EXPECT_EQ(0, RunOnWorker([] {
        // A detailed picture saved as JPEG ("detail" becomes detail.jps) and read back by GDI+
        // close to the original; what other programs read of such a file is checked on the
        // capture job's own in its end-to-end test.
        ASSERT_EQ(0, TVX_CreateImage(6, "detail", 0, 0, 203, 117, 100));
        for (int y = 0; y < 117; y++)
            for (int x = 0; x < 203; x++)
                ImagePixels32[6][y * 203 + x] =
                    (unsigned)((x * 255 / 202) << 16 | (y * 255 / 116) << 8 |
                               ((x * 7 + y * 13) % 256));
        EXPECT_EQ(0, TVX_SaveImageFile(117, 203, 1, OutputFile("detail").c_str()));
        EXPECT_EQ(2, TVX_SaveImageFile(0, 10, 1, OutputFile("detail").c_str()));
        EXPECT_EQ(2, TVX_SaveImageFile(10, -3, 1, OutputFile("detail").c_str()));
        EXPECT_EQ(2, TVX_SaveImageFile(-1, 10, 0, OutputFile("detail").c_str()));
        ASSERT_EQ(0, TVX_CreateImage(7, "reread", 0, 0, 203, 117, 100));
        EXPECT_EQ(0, TVX_LoadImageFile(OutputFile("detail.jps").c_str(), 0, 0));
        int worst = 0;
        for (int i = 0; i < 203 * 117; i++)
            for (int shift = 0; shift < 24; shift += 8) {
                int a = (ImagePixels32[6][i] >> shift) & 0xFF;
                int b = (ImagePixels32[7][i] >> shift) & 0xFF;
                worst = std::max(worst, std::abs(a - b));
            }
        EXPECT_LE(worst, 12);   // quality 100: every channel within a few levels
        TVX_DestroyImage(7);
        TVX_SelectImage(6);

        std::string tif = OutputFile("x.TIF");
        EXPECT_EQ(0, TVX_SaveImageFile(8, 8, 4, tif.c_str()));
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(tif.c_str()));
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((tif + ".tif").c_str()));

        // An 8-bit image of width 5 comes back unchanged with its colour table.
        ASSERT_EQ(0, TVX_CreateImage8(1, "five", 0, 0, 5, 3, 100));
        RGBQUAD table[256];
        for (int i = 0; i < 256; i++)
            table[i] = {(BYTE)(i * 3), (BYTE)i, (BYTE)(255 - i), 0};
        TVX_SetColorTable(table, 256);
        for (int y = 0; y < 3; y++)
            for (int x = 0; x < 5; x++)
                ImagePixels8[1][y * 8 + x] = (unsigned char)(10 * y + x + 1);
        std::string five = OutputFile("five");
        EXPECT_EQ(0, TVX_SaveImageFile(3, 5, 0, five.c_str()));
        ASSERT_EQ(0, TVX_CreateImage8(2, "back", 0, 0, 5, 3, 100));
        EXPECT_EQ(0, TVX_LoadImageFile((five + ".bmp").c_str(), 0, 0));
        RGBQUAD loaded[256];
        TVX_GetColorTable(loaded);
        EXPECT_EQ(0, memcmp(table, loaded, sizeof table));
        for (int y = 0; y < 3; y++)
            for (int x = 0; x < 5; x++)
                EXPECT_EQ(10 * y + x + 1, ImagePixels8[2][y * 8 + x]) << x << "," << y;

        // A palette GIF replaces an 8-bit image's colour table.
        TVX_SelectImage(1);
        std::string gif = OutputFile("palette");
        EXPECT_EQ(0, TVX_SaveImageFile(3, 5, 2, gif.c_str()));
        ASSERT_EQ(0, TVX_CreateImage8(3, "gif", 0, 0, 5, 3, 100));
        EXPECT_EQ(0, TVX_LoadImageFile((gif + ".gif").c_str(), 0, 0));
        TVX_GetColorTable(loaded);
        EXPECT_EQ(table[11].rgbRed, loaded[11].rgbRed);
        EXPECT_EQ(table[11].rgbBlue, loaded[11].rgbBlue);
        EXPECT_EQ(0, loaded[11].rgbReserved);

        // A 100 x 100 PNG at (600, 0) of a 640 x 480 image draws its left 40 columns.
        ASSERT_EQ(0, TVX_CreateImage(4, "square", 0, 0, 100, 100, 100));
        for (int i = 0; i < 100 * 100; i++)
            ImagePixels32[4][i] = 0x8080FF;
        std::string png = OutputFile("square");
        EXPECT_EQ(0, TVX_SaveImageFile(100, 100, 3, png.c_str()));
        ASSERT_EQ(0, TVX_CreateImage(5, "frame", 0, 0, 640, 480, 50));
        EXPECT_EQ(0, TVX_LoadImageFile((png + ".png").c_str(), 600, 0));
        EXPECT_EQ(0u, ImagePixels32[5][599]);
        EXPECT_EQ(0x8080FFu, ImagePixels32[5][600] & 0xFFFFFF);
        EXPECT_EQ(0x8080FFu, ImagePixels32[5][99 * 640 + 639] & 0xFFFFFF);
        EXPECT_EQ(0u, ImagePixels32[5][100 * 640 + 620]);
        EXPECT_EQ(1, TVX_LoadImageFile("no such file.png", 0, 0));
        TVX_DestroyImage(5);
        EXPECT_EQ(2, TVX_LoadImageFile((png + ".png").c_str(), 0, 0));
        EXPECT_EQ(3, TVX_SaveImageFile(10, 10, 0, png.c_str()));
    }));
}

// Saves a w x h PNG of one colour as image-files\name.png (through image slot 10).
static void SaveSolidPng(const char *name, int w, int h, unsigned colour)
{
    ASSERT_EQ(0, TVX_CreateImage(10, "file", 0, 0, w, h, 100));
    for (int p = 0; p < w * h; p++)
        ImagePixels32[10][p] = colour;
    TVX_SaveImageFile(h, w, 3, OutputFile(name).c_str());
    TVX_DestroyImage(10);
}

// A real drop of files as the shell delivers it: a DROPFILES block with wide names.
static HGLOBAL MakeDrop(const std::vector<std::wstring> &files)
{
    size_t units = 1;
    for (const std::wstring &f : files)
        units += f.size() + 1;
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    DROPFILES *drop = (DROPFILES *)GlobalLock(block);
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    wchar_t *names = (wchar_t *)(drop + 1);
    for (const std::wstring &f : files) {
        wcscpy(names, f.c_str());
        names += f.size() + 1;
    }
    *names = 0;
    GlobalUnlock(block);
    return block;
}

static std::wstring FullPath(const std::string &file)
{
    wchar_t wide[MAX_PATH], full[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
    GetFullPathNameW(wide, MAX_PATH, full, NULL);
    return full;
}

// The main window's Image Window command, its three prompts answered in text window 0 as typed.
static void AnswerImageWindowPrompts(std::initializer_list<const wchar_t *> answers)
{
    PostMainCommand(1027);
    for (const wchar_t *answer : answers)
        AnswerPrompt(answer);
}

TEST(MainWindowImages, PromptsAndDroppedFilesMakeImagesInFreeSlots)
{
    std::string names[5];
    int widths[5] = {};
    int bits0 = 0;
    EXPECT_EQ(0, RunStarted([&] {
        // Three files, and images in slots 0 and 2.
        CallOnWorker([] {
            const char *files[3] = {"a", "b", "c"};
            for (int i = 0; i < 3; i++)
                SaveSolidPng(files[i], 20 + 10 * i, 16, 0x00FF00u * (unsigned)(i + 1));
            ASSERT_EQ(0, TVX_CreateImage(0, "zero", 0, 0, 8, 8, 100));
            ASSERT_EQ(0, TVX_CreateImage(2, "two", 0, 0, 8, 8, 100));
        });
        StopUntilIdle();
        HGLOBAL drop = MakeDrop({FullPath(OutputFile("a.png")), FullPath(OutputFile("b.png")),
                                 FullPath(OutputFile("c.png"))});
        PostMessageW(MainWindow, WM_DROPFILES, (WPARAM)drop, 0);
        ASSERT_TRUE(WaitUntil([] { return ImageTable[4].inUse != 0; }, 10000));
        Sleep(100);
        for (int i : {1, 3, 4}) {
            names[i] = ImageTable[i].name;
            widths[i] = ImageTable[i].width;
        }
        // Loaded from their files (GDI+ writes an opaque alpha byte on top).
        EXPECT_EQ(0x00FF00u, ImagePixels32[1][0] & 0xFFFFFF);
        EXPECT_EQ((0x00FF00u * 3) & 0xFFFFFF, ImagePixels32[4][0] & 0xFFFFFF);

        // The Image Window prompts, answered in text window 0, fill the next free slot.
        AnswerImageWindowPrompts({L"64", L"48", L"8"});
        ASSERT_TRUE(WaitUntil([] { return ImageTable[5].inUse != 0; }, 5000));
        names[0] = ImageTable[5].name;
        widths[0] = ImageTable[5].width;
        bits0 = ImageTable[5].bits;
    }));
    EXPECT_EQ("001 a.png", names[1]);
    EXPECT_EQ("003 b.png", names[3]);
    EXPECT_EQ("004 c.png", names[4]);
    EXPECT_EQ(20, widths[1]);
    EXPECT_EQ(30, widths[3]);
    EXPECT_EQ(40, widths[4]);
    EXPECT_EQ("005", names[0]);
    EXPECT_EQ(64, widths[0]);
    EXPECT_EQ(8, bits0);
}

TEST(ImageWindows, ADroppedFileLoadsOnlyTheFirstIntoThatImage)
{
    unsigned first = 0;
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] {
            SaveSolidPng("blue", 4, 4, 0x0000FF);
            SaveSolidPng("red", 4, 4, 0xFF0000);
            ASSERT_EQ(0, TVX_CreateImage(0, "target", 0, 0, 8, 8, 100));
            ASSERT_EQ(0, TVX_CreateImage(1, "other", 0, 0, 8, 8, 100));
            HGLOBAL drop = MakeDrop({FullPath(OutputFile("blue.png")),
                                     FullPath(OutputFile("red.png"))});
            SendMessageW(ImageTable[0].window, WM_DROPFILES, (WPARAM)drop, 0);
        });
        first = ImagePixels32[0][0] & 0xFFFFFF;
        EXPECT_EQ(0u, ImagePixels32[0][5 * 8]);   // the 4 x 4 file covers only its corner
        EXPECT_EQ(1, CurrentImage);               // the previous current image is back
    }));
    EXPECT_EQ(0x0000FFu, first);
}

static bool FileExists(const std::string &name)
{
    return GetFileAttributesA(name.c_str()) != INVALID_FILE_ATTRIBUTES;
}

static bool AnyFileLike(const std::string &pattern)
{
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    FindClose(search);
    return true;
}

// Names that do not fit whole, missing names, NULL arguments and sizes over the cap are refused
// with the call's failure code; nothing is read or written under a cut name.
TEST(ImageFiles, NamesThatDoNotFitNullArgumentsAndOversizedPicturesAreRefused)
{
    EXPECT_EQ(0, RunOnWorker([] {
        std::string folder = OutputFile("");
        // 259 characters with ".png" just fit: written, and red.
        std::string stem = folder + std::string(259 - 4 - folder.size(), 'n');
        ASSERT_EQ(0, TVX_CreateImage(0, "red", 0, 0, 8, 8, 100));
        for (int p = 0; p < 64; p++)
            ImagePixels32[0][p] = 0xFF0000;
        ASSERT_EQ(0, TVX_SaveImageFile(8, 8, 3, stem.c_str()));
        std::string fits = stem + ".png";
        ASSERT_EQ(259u, fits.size());
        EXPECT_TRUE(FileExists(fits));
        // A 318-character name whose first 259 characters name that file loads nothing.
        ASSERT_EQ(0, TVX_CreateImage(1, "target", 0, 0, 8, 8, 100));
        EXPECT_EQ(1, TVX_LoadImageFile((fits + std::string(59, 'x')).c_str(), 0, 0));
        EXPECT_EQ(0u, ImagePixels32[1][0]);
        EXPECT_EQ(0, TVX_LoadImageFile(fits.c_str(), 0, 0));
        EXPECT_EQ(0xFF0000u, ImagePixels32[1][0] & 0xFFFFFF);
        // Saves whose name, or whose name with its extension, does not fit write nothing.
        for (size_t length : {256u, 257u, 324u, 325u}) {
            std::string name = folder + std::string(length - folder.size(), 'q');
            EXPECT_EQ(1, TVX_SaveImageFile(8, 8, 1, name.c_str())) << length;
            EXPECT_EQ(1, TVX_SaveImageFile(8, 8, 3, name.c_str())) << length;
        }
        EXPECT_FALSE(AnyFileLike(folder + "qqq*"));
        // No name: refused, and no file named ".jps" appears.
        remove(".jps");
        EXPECT_EQ(1, TVX_SaveImageFile(8, 8, 1, NULL));
        EXPECT_EQ(1, TVX_SaveImageFile(8, 8, 1, ""));
        EXPECT_EQ(1, TVX_SaveImageFile(8, 8, 3, ""));
        EXPECT_FALSE(FileExists(".jps"));
        EXPECT_FALSE(FileExists(".png"));
        EXPECT_EQ(1, TVX_LoadImageFile(NULL, 0, 0));
        EXPECT_EQ(1, TVX_LoadImageFile("", 0, 0));

        // Pixel memory over 256 MiB is refused before anything is made; 32768 x 32768 x 4
        // would be 0 bytes in 32-bit arithmetic.
        EXPECT_EQ(3, TVX_CreateImage8(4, "huge", 0, 0, 40000, 40000, 100));
        EXPECT_EQ(3, TVX_CreateImage(4, "huge", 0, 0, 32768, 32768, 100));
        EXPECT_EQ(0, ImageTable[4].inUse);
        EXPECT_EQ(nullptr, ImagePixels32[4]);
        EXPECT_EQ(3, TVX_ResizeImage(1, 40000, 40000));
        EXPECT_EQ(8, ImageTable[1].width);
        EXPECT_EQ(0xFF0000u, ImagePixels32[1][0] & 0xFFFFFF);
        std::string big = OutputFile("big");
        EXPECT_EQ(1, TVX_SaveImageFile(40000, 40000, 1, big.c_str()));
        EXPECT_EQ(1, TVX_SaveImageFile(8193, 8192, 3, big.c_str()));
        EXPECT_FALSE(AnyFileLike(big + ".*"));
        // A failure inside the encoder (wider than JPEG allows, yet under the cap) returns the
        // failure code, leaves no file and the process goes on.
        std::string wide = OutputFile("wide");
        EXPECT_EQ(1, TVX_SaveImageFile(1, 65501, 1, wide.c_str()));
        EXPECT_FALSE(AnyFileLike(wide + ".*"));

        // NULL where a name is optional is "", elsewhere nothing happens.
        ASSERT_EQ(0, TVX_CreateImage(3, NULL, 0, 0, 8, 8, 100));
        EXPECT_EQ(L'(', TextOf(ImageTable[3].window)[0]);   // an empty name, then the zoom
        TVX_Print(NULL);
        TVX_InputText(NULL);
        TVX_GetImageRect(NULL, 0, 0, 8, 8);
        TVX_PutFrame(NULL, 0);
        char value[8];
        EXPECT_EQ(2, TVX_GetInputBoxValue(0, NULL, 8));
        EXPECT_EQ(1, TVX_GetInputBoxValue(0, value, 8));

        // The pixel pointers go with the image.
        ASSERT_NE(nullptr, ImagePixels32[3]);
        TVX_DestroyImage(3);
        EXPECT_EQ(nullptr, ImagePixels32[3]);
        EXPECT_EQ(nullptr, ImagePixels8[3]);
    }));
}

// A file whose name holds characters outside code page 932, dropped on the main window and on an
// image window, is loaded by its wide name; a prompt answer over the size cap makes no image.
TEST(MainWindowImages, DroppedNamesOutsideTheCodePageLoadAndOversizedPromptsMakeNoImage)
{
    const std::wstring unicodeName = FullPath(OutputFile("")) + L"caf\u00e9_\ud55c\uad6d.png";
    unsigned dropped = 0, onWindow = 0;
    int made = -1;
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([&] {
            SaveSolidPng("unicode", 6, 4, 0x12A05C);
            ASSERT_TRUE(CopyFileW(FullPath(OutputFile("unicode.png")).c_str(),
                                  unicodeName.c_str(), FALSE));
            ASSERT_EQ(0, TVX_CreateImage(1, "target", 0, 0, 8, 8, 100));
            SendMessageW(ImageTable[1].window, WM_DROPFILES, (WPARAM)MakeDrop({unicodeName}), 0);
            onWindow = ImagePixels32[1][0] & 0xFFFFFF;
        });
        StopUntilIdle();
        PostMessageW(MainWindow, WM_DROPFILES, (WPARAM)MakeDrop({unicodeName}), 0);
        ASSERT_TRUE(WaitUntil([] { return ImageTable[0].inUse != 0; }, 10000));
        Sleep(200);
        dropped = ImagePixels32[0][0] & 0xFFFFFF;

        AnswerImageWindowPrompts({L"40000", L"40000", L"8"});
        Sleep(300);
        made = FirstFreeImageSlot();
    }));
    EXPECT_EQ(0x12A05Cu, onWindow);
    EXPECT_EQ(0x12A05Cu, dropped);
    EXPECT_EQ(2, made);   // slots 0 and 1 only
}
