// image_store.cpp - the image store: slots, DIB sections and their windows, the current image,
// zoom and size changes, stretch modes, colour tables, and copies in and out.
#include <cstdlib>
#include <cstring>

#include "image/image_store.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "runtime/scoped.h"

ImageRecord ImageTable[256];
unsigned int *ImagePixels32[256];
unsigned char *ImagePixels8[256];
SelectionState Selection;
int &CurrentImage = Selection.current;

static bool InUse(int index) { return (unsigned)index < 256 && LoadShared(ImageTable[index].inUse); }

void InitImageTable(void)
{
    for (ImageRecord &record : ImageTable)
        record = ImageRecord();
    ResetSelection(&Selection);
}

int FirstFreeImageSlot(void)
{
    for (int i = 0; i < 256; i++)
        if (!LoadShared(ImageTable[i].inUse))
            return i;
    return -1;
}

ScreenLimits ReadScreenLimits(void)
{
    int caption = GetSystemMetrics(SM_CYCAPTION);
    int frame = GetSystemMetrics(SM_CXDLGFRAME);
    ScreenLimits limits;
    limits.screenWidth = GetSystemMetrics(SM_CXSCREEN);
    limits.screenHeight = GetSystemMetrics(SM_CYSCREEN) - caption;
    limits.minWidth = GetSystemMetrics(SM_CXMIN) - 2 * frame;
    limits.minHeight = GetSystemMetrics(SM_CYMIN) - 2 * frame - caption;
    return limits;
}

static void OuterSize(int viewWidth, int viewHeight, int *width, int *height)
{
    RECT r = {0, 0, viewWidth, viewHeight};
    AdjustWindowRectEx(&r, kImageWindowStyle, FALSE, 0);
    *width = r.right - r.left;
    *height = r.bottom - r.top;
}

static void SetTitle(int index)
{
    const ImageRecord &record = ImageTable[index];
    char title[256];
    bool halftone = GetStretchBltMode(record.memoryDC) == HALFTONE;
    FormatImageTitle(title, sizeof title, record.name ? record.name : "", record.zoom,
                     record.bits, halftone, IsSystemLeadByte);
    SetWindowTextAnsi(record.window, title);
}

void UpdateImageTitle(int index)
{
    if (InUse(index))
        SetTitle(index);
}

int TVX_SetImageName(int index, const char *name)
{
    if (!InUse(index))
        return 1;
    if (name == NULL)
        name = "";
    size_t bytes = strlen(name) + 1;
    char *copy = (char *)malloc(bytes);
    if (copy == NULL)
        return 4;
    memcpy(copy, name, bytes);
    free(ImageTable[index].name);
    ImageTable[index].name = copy;
    SetTitle(index);
    return 0;
}

// The header and grey colour table of every image's DIB section.
struct DibHeader {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

static void FillDibHeader(DibHeader *dib, int width, int height, int bits)
{
    memset(dib, 0, sizeof *dib);
    dib->header.biSize = sizeof(BITMAPINFOHEADER);
    dib->header.biWidth = width;
    dib->header.biHeight = -height;   // top-down
    dib->header.biPlanes = 1;
    dib->header.biBitCount = (WORD)bits;
    dib->header.biCompression = BI_RGB;
    for (int i = 0; i < 256; i++) {
        dib->colors[i].rgbBlue = dib->colors[i].rgbGreen = dib->colors[i].rgbRed = (BYTE)i;
    }
}

static void ReleaseImage(ImageRecord *record)
{
    ReleaseBackBuffer(record->window, &record->windowDC, &record->memoryDC, &record->dib,
                      &record->previousBitmap);
    free(record->name);
    if (record->window != NULL)
        DestroyWindow(record->window);
    *record = ImageRecord();
}

int TVX_CreateImageEx(int index, const char *name, int x, int y, int width, int height, int zoom,
                      int bits)
{
    // Callers inside the library pass 0 to 255; an application's larger index is refused too.
    if ((unsigned)index >= 256 || ImageTable[index].inUse)
        return 1;
    if (bits != 8 && bits != 32)
        return 3;
    ImageRecord record = ImageRecord();
    record.bits = bits;
    record.width = width < 1 ? 1 : width;
    record.height = height < 1 ? 1 : height;
    size_t pixelBytes = 0;
    if (!PixelBytes(record.width, record.height, bits, &pixelBytes))
        return 3;
    if (name == NULL)
        name = "";
    ZoomFit fit;
    if (!FitZoom(record.width, record.height, zoom, ReadScreenLimits(), &fit))
        return 2;
    record.viewWidth = fit.viewWidth;
    record.viewHeight = fit.viewHeight;
    record.zoom = fit.zoom;
    int outerWidth, outerHeight;
    OuterSize(record.viewWidth, record.viewHeight, &outerWidth, &outerHeight);

    size_t nameBytes = strlen(name) + 1;
    record.name = (char *)malloc(nameBytes);
    if (record.name == NULL)
        return 3;
    memcpy(record.name, name, nameBytes);
    char title[256];
    FormatImageTitle(title, sizeof title, record.name, record.zoom, bits, false,
                     IsSystemLeadByte);
    wchar_t wideTitle[256];
    AnsiToWide(title, wideTitle, 256);
    record.window = CreateWindowExW(0, L"tvx_iw", wideTitle, kImageWindowStyle,
                                    x == -1 ? CW_USEDEFAULT : x, y == -1 ? CW_USEDEFAULT : y,
                                    outerWidth, outerHeight, MainWindow, NULL, InstanceHandle,
                                    NULL);
    if (record.window == NULL) {
        ReleaseImage(&record);
        return 3;
    }
    UpdateWindow(record.window);
    SetForegroundWindow(record.window);
    DragAcceptFiles(record.window, TRUE);

    record.windowDC = GetDC(record.window);
    SetStretchBltMode(record.windowDC, COLORONCOLOR);
    SetBrushOrgEx(record.windowDC, 0, 0, NULL);
    record.memoryDC = CreateCompatibleDC(record.windowDC);
    SetStretchBltMode(record.memoryDC, COLORONCOLOR);
    SetBrushOrgEx(record.memoryDC, 0, 0, NULL);

    DibHeader header;
    FillDibHeader(&header, record.width, record.height, bits);
    void *pixels = NULL;
    record.dib = CreateDIBSection(record.windowDC, (const BITMAPINFO *)&header, DIB_RGB_COLORS,
                                  &pixels, NULL, 0);
    if (record.dib == NULL || pixels == NULL || record.memoryDC == NULL) {
        // The window made for it goes again: a refused image leaves nothing behind.
        ReleaseImage(&record);
        return 3;
    }
    record.previousBitmap = (HBITMAP)SelectObject(record.memoryDC, record.dib);
    ImagePixels32[index] = (unsigned int *)pixels;
    ImagePixels8[index] = (unsigned char *)pixels;
    // The record is whole before its slot shows as in use to the main thread.
    ImageTable[index] = record;
    StoreShared(ImageTable[index].inUse, 1);
    UpdateSnapRects();
    TVX_SelectImage(index);
    return 0;
}

int TVX_CreateImage(int index, const char *name, int x, int y, int width, int height, int zoom)
{
    return TVX_CreateImageEx(index, name, x, y, width, height, zoom, 32);
}

int TVX_CreateImage8(int index, const char *name, int x, int y, int width, int height, int zoom)
{
    return TVX_CreateImageEx(index, name, x, y, width, height, zoom, 8);
}

int TVX_DestroyImage(int index)
{
    if (!InUse(index))
        return 1;
    StoreShared(ImageTable[index].inUse, 0);
    // The pixel pointers go with the pixels: an application reading them after this finds NULL.
    ImagePixels32[index] = NULL;
    ImagePixels8[index] = NULL;
    ReleaseImage(&ImageTable[index]);
    return 0;
}

int TVX_RefreshImage(int index)
{
    if (!InUse(index))
        return 1;
    const ImageRecord &r = ImageTable[index];
    if (r.zoom == 100)
        BitBlt(r.windowDC, 0, 0, r.width, r.height, r.memoryDC, 0, 0, SRCCOPY);
    else
        StretchBlt(r.windowDC, 0, 0, r.viewWidth, r.viewHeight, r.memoryDC, 0, 0, r.width,
                   r.height, SRCCOPY);
    return 0;
}

int TVX_SelectImage(int index)
{
    if (!InUse(index))
        return 1;
    PushSelection(&Selection, index);
    return 0;
}

int TVX_SelectPreviousImage(void)
{
    if (!InUse(Selection.history[0]))
        return 1;
    PopSelection(&Selection);
    return 0;
}

static int CheckCurrent8(void)
{
    if (!InUse(CurrentImage))
        return 1;
    return ImageTable[CurrentImage].bits == 8 ? 0 : 2;
}

int TVX_SetColorTable(const RGBQUAD *entries, int count)
{
    int code = CheckCurrent8();
    if (code != 0)
        return code;
    if (count > 256)
        count = 256;
    if (count > 0 && entries != NULL)
        SetDIBColorTable(ImageTable[CurrentImage].memoryDC, 0, (UINT)count, entries);
    InvalidateRect(ImageTable[CurrentImage].window, NULL, FALSE);
    return 0;
}

int TVX_GetColorTable(RGBQUAD *entries)
{
    int code = CheckCurrent8();
    if (code != 0 || entries == NULL)
        return code;
    GetDIBColorTable(ImageTable[CurrentImage].memoryDC, 0, 256, entries);
    return 0;
}

int TVX_GetStretchMode(int index)
{
    if (!InUse(index))
        return 0;
    return GetStretchBltMode(ImageTable[index].windowDC);
}

int TVX_SetStretchMode(int mode, int index)
{
    if (!InUse(index))
        return 1;
    ImageRecord &r = ImageTable[index];
    if (mode == COLORONCOLOR || mode == HALFTONE) {
        SetStretchBltMode(r.windowDC, mode);
        SetBrushOrgEx(r.windowDC, 0, 0, NULL);
        SetStretchBltMode(r.memoryDC, mode);
        SetBrushOrgEx(r.memoryDC, 0, 0, NULL);
    }
    InvalidateRect(r.window, NULL, FALSE);
    SetTitle(index);
    return 0;
}

int TVX_SetZoom(int index, int zoom)
{
    if (!InUse(index))
        return 1;
    ImageRecord &r = ImageTable[index];
    // Out of use while the window is resized, so that the messages it sends find no record.
    r.inUse = 0;
    ZoomFit fit;
    if (!FitZoom(r.width, r.height, zoom, ReadScreenLimits(), &fit)) {
        r.inUse = 1;
        return 2;
    }
    r.zoom = fit.zoom;
    RECT outer;
    GetWindowRect(r.window, &outer);
    int width = outer.right - outer.left + fit.viewWidth - r.viewWidth;
    int height = outer.bottom - outer.top + fit.viewHeight - r.viewHeight;
    SetWindowPos(r.window, NULL, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_SHOWWINDOW);
    r.viewWidth = fit.viewWidth;
    r.viewHeight = fit.viewHeight;
    InvalidateRect(r.window, NULL, FALSE);
    r.inUse = 1;
    SetTitle(index);
    UpdateSnapRects();
    return 0;
}

int TVX_ResizeImage(int index, int width, int height)
{
    if (!InUse(index))
        return 1;
    ImageRecord &r = ImageTable[index];
    int newWidth = width < 1 ? 1 : width;
    int newHeight = height < 1 ? 1 : height;
    // Refuse before anything is destroyed: a size that cannot fit, or memory that cannot be had,
    // must leave the user's picture as it was.
    size_t pixelBytes = 0;
    if (!PixelBytes(newWidth, newHeight, r.bits, &pixelBytes))
        return 3;
    ZoomFit fit;
    if (!FitZoom(newWidth, newHeight, r.zoom, ReadScreenLimits(), &fit))
        return 2;
    DibHeader probe;
    FillDibHeader(&probe, newWidth, newHeight, r.bits);
    void *bits = NULL;
    HBITMAP test = CreateDIBSection(r.windowDC, (const BITMAPINFO *)&probe, DIB_RGB_COLORS, &bits,
                                    NULL, 0);
    if (test == NULL)
        return 3;
    DeleteObject(test);

    char name[256];
    CopyAnsiCut(name, sizeof name, r.name ? r.name : "", IsSystemLeadByte);
    int depth = r.bits;
    RECT outer;
    GetWindowRect(r.window, &outer);
    int zoom = r.zoom;
    int mode = GetStretchBltMode(r.windowDC);
    RGBQUAD colors[256];
    if (depth == 8)
        GetDIBColorTable(r.memoryDC, 0, 256, colors);
    TVX_DestroyImage(index);
    int code = TVX_CreateImageEx(index, name, outer.left, outer.top, newWidth, newHeight, zoom,
                                 depth);
    if (code != 0)
        return code;
    if (depth == 8)
        TVX_SetColorTable(colors, 256);   // the re-created image is current
    TVX_SetStretchMode(mode, index);
    return 0;
}

void TVX_GetImageRect(void *dst, int x, int y, int width, int height)
{
    if (dst == NULL || !InUse(CurrentImage))
        return;
    const ImageRecord &r = ImageTable[CurrentImage];
    if (r.bits == 32)
        CopyRectOut32(ImagePixels32[CurrentImage], r.width, r.height, (uint32_t *)dst, x, y, width,
                      height);
    else
        CopyRectOut8(ImagePixels8[CurrentImage], r.width, r.height, (uint8_t *)dst, x, y, width,
                     height);
}

void TVX_PutFrame(const void *src, int x)
{
    if (src == NULL || !InUse(CurrentImage))
        return;
    const ImageRecord &r = ImageTable[CurrentImage];
    if (r.bits == 32)
        PutFrame32(ImagePixels32[CurrentImage], r.width, r.height, (const uint32_t *)src, x);
    else
        PutFrame8(ImagePixels8[CurrentImage], r.width, r.height, (const uint8_t *)src, x);
}

int FindImageByWindow(HWND window)
{
    for (int i = 0; i < 256; i++)
        if (ImageTable[i].inUse && ImageTable[i].window == window)
            return i;
    return -1;
}

int SelectImageByWindow(HWND window)
{
    int index = FindImageByWindow(window);
    TVX_SelectImage(index);
    return index;
}

void BlitBitmapToCurrentImage(HBITMAP bitmap)
{
    if (InUse(CurrentImage)) {
        const ImageRecord &r = ImageTable[CurrentImage];
        MemoryDC dc(r.memoryDC);
        SelectedObject select(dc.get(), bitmap);
        BITMAP info = {};
        GetObjectW(bitmap, sizeof info, &info);
        BitBlt(r.memoryDC, 0, 0, info.bmWidth, info.bmHeight, dc.get(), 0, 0, SRCCOPY);
    }
    DeleteObject(bitmap);
}
