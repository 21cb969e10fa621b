// image_module.cpp - what the image windows bring to the runtime frame: their window class and
// start-up reset, the main window's Image Window prompt, Paste and dropped files, and the requests
// that make, fill and redraw images on the worker.
#include <cstdio>

#include <windows.h>

#include <gdiplus.h>

#include "image/image_module.h"
#include "image/image_store.h"
#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "image/image_clipboard.h"
#include "image/truetype_text.h"
#include "image/image_operations.h"
#include "text/text_window.h"
#include "text/window_info_rules.h"

static void OnPaste(void)
{
    if (AppRunning.load() != 0)
        return;
    RGBQUAD colors[256];   // the new image has 32 bits: an indexed picture's table is not needed
    int count;
    HBITMAP bitmap = ReadClipboardBitmap(colors, &count);
    if (bitmap == NULL)
        return;
    BITMAP info = {};
    GetObjectW(bitmap, sizeof info, &info);
    for (int i = 0; i < 256 && QuitState.load() == 0; i++) {
        char name[16];
        snprintf(name, sizeof name, "%03d", i);
        if (RequestCreateImage(i, name, info.bmWidth, info.bmHeight, 32) == 0) {
            RequestPasteBitmap(bitmap);
            RequestRedrawImage(i);
            TVX_SelectPreviousImage();
            return;
        }
    }
    DeleteObject(bitmap);
}

static void OnImageWindowPrompt(void)
{
    int width, height, bits;
    ShowTextWindowFromMain(0);
    TVX_Print("Creating ImageWindow...\n");
    TVX_Print(" Width=");
    if (!ReadPromptNumber(&width))
        return;
    TVX_Print("Height=");
    if (!ReadPromptNumber(&height))
        return;
    TVX_Print("Bit[32 or 8]=");
    if (!ReadPromptNumber(&bits))
        return;
    if (bits != 32 && bits != 8)
        return;
    int slot = FirstFreeImageSlot();
    if (slot < 0)
        return;
    char name[16];
    snprintf(name, sizeof name, "%03d", slot);
    RequestCreateImage(slot, name, width, height, bits);
}

// Width and height of an image file as GDI+ reads it; 0 x 0 when it cannot.
static void ReadImageFileSize(const wchar_t *path, UINT *width, UINT *height)
{
    *width = 0;
    *height = 0;
    Gdiplus::GpImage *image = NULL;
    if (Gdiplus::DllExports::GdipLoadImageFromFile(path, &image) != Gdiplus::Ok || image == NULL)
        return;
    Gdiplus::DllExports::GdipGetImageWidth(image, width);
    Gdiplus::DllExports::GdipGetImageHeight(image, height);
    Gdiplus::DllExports::GdipDisposeImage(image);
}

struct DropTarget {
    const char *fileName;
    int width, height;
};

static int CreateDropImage(int slot, void *context)
{
    const DropTarget *target = (const DropTarget *)context;
    char name[256];
    snprintf(name, sizeof name, "%03d %s", slot, target->fileName);
    return RequestCreateImage(slot, name, target->width, target->height, 32);
}

static void OnDropFiles(HDROP drop)
{
    // Drops are refused during a run; one already queued when the run began is ignored too.
    if (AppRunning.load() != 0 || QuitState.load() != 0) {
        DragFinish(drop);
        return;
    }
    UINT count = DragQueryFileW(drop, 0xFFFFFFFF, NULL, 0);
    int cursor = 0;
    for (UINT i = 0; i < count; i++) {
        // A name that does not fit is passed over whole: a cut one would name another file.
        wchar_t file[MAX_PATH];
        UINT fileLength = DragQueryFileW(drop, i, NULL, 0);
        if (fileLength == 0 || fileLength >= MAX_PATH || DragQueryFileW(drop, i, file, MAX_PATH) == 0)
            continue;
        wchar_t full[MAX_PATH];
        wchar_t *part = NULL;
        DWORD length = GetFullPathNameW(file, MAX_PATH, full, &part);
        if (length == 0 || length >= MAX_PATH || part == NULL || *part == L'\0')
            continue;
        UINT width, height;
        ReadImageFileSize(full, &width, &height);
        if (width == 0 || height == 0)
            continue;
        // The title shows the name in the system code page; the file is loaded by its wide name,
        // which may hold characters the code page has not.
        char partAnsi[MAX_PATH];
        WideToAnsi(part, partAnsi, MAX_PATH);
        DropTarget target = {partAnsi, (int)width, (int)height};
        int slot = CreateInNextFreeSlot(&cursor, CreateDropImage, &target);
        if (slot < 0)
            continue;
        RequestLoadImageFile(slot, full);
        RequestRedrawImage(slot);
        TVX_SelectPreviousImage();
    }
    DragFinish(drop);
}

// The arguments and result of one request, from the main thread's sender to the worker.
struct ImageRequest {
    int index;
    const char *name;
    int width, height, bits;
    const wchar_t *path;
    HBITMAP bitmap;
    int result;
};

int RequestCreateImage(int index, const char *name, int width, int height, int bits)
{
    ImageRequest r = {index, name, width, height, bits, NULL, NULL, 4};
    return SendRequest(kRequestCreateImage, &r) ? r.result : 4;
}

void RequestRedrawImage(int index)
{
    ImageRequest r = {index, NULL, 0, 0, 0, NULL, NULL, 0};
    SendRequest(kRequestRedrawImage, &r);
}

int RequestLoadImageFile(int index, const wchar_t *path)
{
    ImageRequest r = {index, NULL, 0, 0, 0, path, NULL, 4};
    return SendRequest(kRequestLoadImageFile, &r) ? r.result : 4;
}

void RequestPasteBitmap(HBITMAP bitmap)
{
    // When the worker never gets the request, the bitmap is deleted here.
    ImageRequest r = {0, NULL, 0, 0, 0, NULL, bitmap, 0};
    if (!SendRequest(kRequestPasteBitmap, &r))
        DeleteObject(bitmap);
}

// Made at the default place (-1, -1) and zoom 100.
static void ServeCreateImage(void *request)
{
    ImageRequest &r = *(ImageRequest *)request;
    r.result = (unsigned)r.index >= 256
                   ? 4
                   : TVX_CreateImageEx(r.index, r.name, -1, -1, r.width, r.height, 100, r.bits);
}

static void ServeRedrawImage(void *request) { TVX_RefreshImage(((ImageRequest *)request)->index); }

// Loaded at the image's origin.
static void ServeLoadImageFile(void *request)
{
    ImageRequest &r = *(ImageRequest *)request;
    TVX_SelectImage(r.index);
    r.result = LoadImageFileW(r.path, 0, 0);
    TVX_SelectPreviousImage();
}

static void ServePasteBitmap(void *request)
{
    BlitBitmapToCurrentImage(((ImageRequest *)request)->bitmap);
}

static void DescribeImages(std::vector<LayoutWindow> *out);

static void ResetImages(void)
{
    RegisterWindowDescriber(DescribeImages);   // the images' lines of the layout listing
    InitImageTable();
    ResetImageFileDialogs();
    ResetCustomColors();
    ResetImageFont();
}

static void ListImageWindows(std::vector<HWND> *out)
{
    for (int i = 0; i < 256; i++)
        if (LoadShared(ImageTable[i].inUse))
            out->push_back(ImageTable[i].window);
}

static void DescribeImages(std::vector<LayoutWindow> *out)
{
    for (int i = 0; i < 256; i++) {
        const ImageRecord &r = ImageTable[i];
        if (!LoadShared(r.inUse))
            continue;
        LayoutWindow w = LayoutWindow();
        w.kind = kLayoutImage;
        w.slot = i;
        w.window = r.window;
        RECT outer = {0, 0, 0, 0};
        GetWindowRect(r.window, &outer);
        w.x = outer.left;
        w.y = outer.top;
        w.width = r.width;
        w.height = r.height;
        w.bits = r.bits;
        w.zoom = r.zoom;
        w.name = r.name != NULL ? r.name : "";
        out->push_back(w);
    }
}

static const WindowClassRow kImageClasses[] = {
    {L"tvx_iw", ImageWindowProc, CS_OWNDC, (HBRUSH)GetStockObject(BLACK_BRUSH)},
};
static const MainCommandRow kImageCommands[] = {
    {{kCmdPaste, "Paste\tCtrl+V", 0, 1, 'V'}, OnPaste},
    {{kCmdImageWindow, "Image Window", 6, 1, 0}, OnImageWindowPrompt},
};
static const RequestRow kImageRequests[] = {
    {kRequestCreateImage, ServeCreateImage},
    {kRequestRedrawImage, ServeRedrawImage},
    {kRequestLoadImageFile, ServeLoadImageFile},
    {kRequestPasteBitmap, ServePasteBitmap},
};

extern const LibraryModule ImageModule;
const LibraryModule ImageModule = {
    "image windows", kImageClasses, 1, kImageCommands, 2, kImageRequests, 4,
    ResetImages, ReleaseImageFont, nullptr, OnDropFiles, nullptr, ListImageWindows,
};
