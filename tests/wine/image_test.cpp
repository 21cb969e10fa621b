// Image windows and image files under Wine: real windows, DIB sections and GDI+ files.
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "image_store.h"
#include "runtime.h"
#include "test_app.h"
#include "text_window.h"

static std::wstring TitleOf(HWND window)
{
    wchar_t text[256] = L"";
    InternalGetWindowText(window, text, 256);
    return text;
}

static SIZE ClientOf(int index)
{
    RECT r;
    GetClientRect(ImageTable[index].window, &r);
    return {r.right, r.bottom};
}

// Files the tests write, in the folder the image-file checks on the Linux side read.
static std::string OutputFile(const char *name)
{
    CreateDirectoryA("image-files", NULL);
    return std::string("image-files\\") + name;
}

TEST(Images, CreationFitsTheZoomToTheScreen)
{
    int code = RunWithDriver([&] {
        StartWorkerCalls();
        CallOnWorker([] {
            ASSERT_EQ(0, TVX_CreateImage(0, "Right", 0, 0, 640, 480, 70));
            EXPECT_EQ(70, ImageTable[0].zoom);
            EXPECT_EQ(448, ClientOf(0).cx);
            EXPECT_EQ(336, ClientOf(0).cy);
            EXPECT_EQ(L"Right(70%)", TitleOf(ImageTable[0].window));
            EXPECT_EQ(0, CurrentImage);
            EXPECT_EQ(1, TVX_CreateImage(0, "again", 0, 0, 8, 8, 100));

            int screen = GetSystemMetrics(SM_CXSCREEN);
            ASSERT_EQ(0, TVX_CreateImage(1, "wide", 0, 0, 3000, 100, 100));
            EXPECT_EQ(screen * 100 / 3000, ImageTable[1].zoom);
            EXPECT_EQ(L"wide(" + std::to_wstring(screen * 100 / 3000) + L"%)",
                      TitleOf(ImageTable[1].window));

            ScreenLimits limits = ReadScreenLimits();
            ASSERT_EQ(0, TVX_CreateImage(2, "dot", 0, 0, 1, 1, 100));
            ASSERT_EQ(0, TVX_CreateImage(3, "dot0", 0, 0, 0, -5, 0));   // sizes become 1 x 1
            EXPECT_EQ(1, ImageTable[3].width);
            EXPECT_EQ(ImageTable[2].zoom, ImageTable[3].zoom);
            EXPECT_GE(ClientOf(3).cx, limits.minWidth);
            EXPECT_GE(ClientOf(3).cy, limits.minHeight);

            HWND before = GetTopWindow(NULL);
            (void)before;
            EXPECT_EQ(3, TVX_CreateImageEx(4, "deep", 0, 0, 8, 8, 100, 24));
            EXPECT_EQ(0, ImageTable[4].inUse);
            EXPECT_EQ(NULL, FindWindowW(L"tvx_iw", L"deep(100%)"));
            EXPECT_EQ(2, TVX_CreateImage(4, "line", 0, 0, 100000, 1, 100));
            EXPECT_EQ(0, ImageTable[4].inUse);

            // 8 bits, width 5: rows of 8 bytes; byte 8 is pixel (0, 1) as GDI sees it.
            ASSERT_EQ(0, TVX_CreateImage8(5, "gray", 0, 0, 5, 3, 100));
            EXPECT_EQ(L"gray(" + std::to_wstring(ImageTable[5].zoom) + L"%)[8bit]",
                      TitleOf(ImageTable[5].window));
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
        });
    });
    EXPECT_EQ(0, code);
}

TEST(Images, SelectionHistoryAndZoomRefusal)
{
    int code = RunWithDriver([&] {
        StartWorkerCalls();
        CallOnWorker([] {
            for (int i = 0; i < 10; i++)
                ASSERT_EQ(0, TVX_CreateImage(i, "i", 0, 0, 16, 16, 100));
            TVX_SelectImage(0);   // current before the nine: 0
            for (int i = 1; i <= 9; i++)
                ASSERT_EQ(0, TVX_SelectImage(i));
            std::vector<int> popped;
            for (int i = 0; i < 9; i++) {
                EXPECT_EQ(0, TVX_SelectPreviousImage());
                popped.push_back(CurrentImage);
            }
            EXPECT_EQ((std::vector<int>{8, 7, 6, 5, 4, 3, 2, 1, 1}), popped);
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
            EXPECT_EQ(320, ClientOf(20).cx);
            EXPECT_EQ(240, ClientOf(20).cy);
            EXPECT_EQ(L"z(50%)", TitleOf(ImageTable[20].window));
        });
    });
    EXPECT_EQ(0, code);
}

TEST(Images, ResizeKeepsTheSettingsAndARefusedResizeKeepsThePicture)
{
    int code = RunWithDriver([&] {
        StartWorkerCalls();
        CallOnWorker([] {
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
                      TitleOf(ImageTable[6].window));
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
        });
    });
    EXPECT_EQ(0, code);
}

TEST(ImageWindows, ClicksWheelAndTabReachTheImage)
{
    int code = RunWithDriver([&] {
        StartWorkerCalls();
        CallOnWorker([] {
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
            EXPECT_EQ(0, ClickWait.active);

            ASSERT_EQ(0, TVX_SetZoom(0, 100));
            SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);   // no Ctrl
            EXPECT_EQ(100, ImageTable[0].zoom);
            SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -WHEEL_DELTA), 0);
            EXPECT_EQ(111, ImageTable[0].zoom);
            EXPECT_EQ(L"Right(111%)", TitleOf(window));
            SendMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, WHEEL_DELTA), 0);
            EXPECT_EQ(100, ImageTable[0].zoom);   // (9 x 111 + 5) / 10

            SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);
            EXPECT_EQ(HALFTONE, TVX_GetStretchMode(0));
            EXPECT_EQ(L"Right(100%)*", TitleOf(window));
            SendMessageW(window, WM_KEYDOWN, VK_TAB, 0);
            EXPECT_EQ(COLORONCOLOR, TVX_GetStretchMode(0));
            EXPECT_EQ(L"Right(100%)", TitleOf(window));

            // The refresh draws the pixels into the window at once.
            for (int i = 0; i < 640 * 480; i++)
                ImagePixels32[0][i] = 0x00FF00;
            ASSERT_EQ(0, TVX_SetZoom(0, 100));
            EXPECT_EQ(0, TVX_RefreshImage(0));
            EXPECT_EQ(RGB(0, 255, 0), GetPixel(ImageTable[0].windowDC, 10, 10));
        });
    });
    EXPECT_EQ(0, code);
}

TEST(ImageFiles, SaveAndLoadInTheirFormats)
{
    int code = RunWithDriver([&] {
        StartWorkerCalls();
        CallOnWorker([] {
            // A 32-bit picture saved as JPEG: capture becomes capture.jps.
            ASSERT_EQ(0, TVX_CreateImage(0, "pair", 0, 0, 1280, 480, 25));
            for (int y = 0; y < 480; y++)
                for (int x = 0; x < 1280; x++)
                    ImagePixels32[0][y * 1280 + x] = x < 640 ? 0xFF0000 : 0x0000FF;
            std::string capture = OutputFile("capture");
            remove((capture + ".jps").c_str());
            EXPECT_EQ(0, TVX_SaveImageFile(480, 1280, 1, capture.c_str()));
            FILE *jpeg = fopen((capture + ".jps").c_str(), "rb");
            ASSERT_NE(nullptr, jpeg);
            unsigned char magic[3] = {};
            fread(magic, 1, 3, jpeg);
            fclose(jpeg);
            EXPECT_EQ(0xFF, magic[0]);
            EXPECT_EQ(0xD8, magic[1]);
            EXPECT_EQ(2, TVX_SaveImageFile(0, 10, 1, capture.c_str()));
            EXPECT_EQ(2, TVX_SaveImageFile(10, -3, 1, capture.c_str()));
            EXPECT_EQ(2, TVX_SaveImageFile(-1, 10, 0, capture.c_str()));
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
        });
    });
    EXPECT_EQ(0, code);
}
