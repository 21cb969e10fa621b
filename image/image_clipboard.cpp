// image_clipboard.cpp - pictures through the clipboard: an image's copy as a bottom-up DIB (24 bits
// for 32-bit images, 8 bits with the colour table for 8-bit ones), cut, and the clipboard's picture
// pasted into an image or read for a new one. What another program put there is read through the
// checked DIB reader.
#include <windows.h>

#include <gdiplus.h>
#include <objidl.h>

#include <cstring>

#include "image/dib_reader.h"
#include "image/image_clipboard.h"
#include "image/image_store.h"
#include "image/image_operations.h"
#include "runtime/runtime.h"
#include "runtime/clipboard_block.h"
#include "runtime/scoped.h"

static bool InUse(int index) { return (unsigned)index < 256 && ImageTable[index].inUse; }

bool CopyImageToClipboard(int index)
{
    if (!InUse(index))
        return false;
    const ImageRecord &r = ImageTable[index];
    size_t rowBytes = ((size_t)(r.bits == 32 ? 3 * r.width : r.width) + 3) & ~(size_t)3;
    size_t tableBytes = r.bits == 8 ? 1024 : 0;
    size_t total = sizeof(BITMAPINFOHEADER) + tableBytes + rowBytes * (size_t)r.height;
    HGLOBAL block = FilledGlobalBlock(total, [&](void *bytes) {
        BITMAPINFOHEADER *header = (BITMAPINFOHEADER *)bytes;
        memset(header, 0, sizeof *header);
        header->biSize = sizeof(BITMAPINFOHEADER);
        header->biWidth = r.width;
        header->biHeight = r.height;   // bottom-up
        header->biPlanes = 1;
        header->biBitCount = (WORD)(r.bits == 32 ? 24 : 8);
        uint8_t *rows = (uint8_t *)bytes + sizeof(BITMAPINFOHEADER) + tableBytes;
        // GDI converts the pixels; the bitmap it reads must not be selected meanwhile.
        SelectedObject out(r.memoryDC, r.previousBitmap);
        GetDIBits(r.memoryDC, r.dib, 0, (UINT)r.height, rows, (BITMAPINFO *)header,
                  DIB_RGB_COLORS);
    });
    if (block == NULL) {
        TVX_Pause("No enough memory for copy");
        return false;
    }
    return PutClipboardBlock(CF_DIB, block) == kClipboardPut;
}

void CutImage(int index)
{
    // A picture that did not reach the clipboard would be lost: it stays.
    if (!InUse(index) || !CopyImageToClipboard(index))
        return;
    ClearImage(index);
    InvalidateRect(ImageTable[index].window, NULL, FALSE);
}

// A DIB section of the picture: 8 bits with its colour table for indexed pictures (the indices
// kept), else 32 bits.
static HBITMAP SectionOf(const DibPicture &dib)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info = {};
    bool indexed = dib.bits <= 8;
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = dib.width;
    info.header.biHeight = -dib.height;
    info.header.biPlanes = 1;
    info.header.biBitCount = (WORD)(indexed ? 8 : 32);
    if (indexed)
        memcpy(info.colors, dib.colors, (size_t)dib.colorCount * 4);
    void *bits = NULL;
    HBITMAP section = CreateDIBSection(NULL, (BITMAPINFO *)&info, DIB_RGB_COLORS, &bits, NULL, 0);
    if (section == NULL || bits == NULL)
        return section;
    if (!indexed) {
        DibToPixels32(dib, (uint32_t *)bits);
        return section;
    }
    // Indices row by row, top-down, widened to a byte each.
    size_t stride = ((size_t)dib.width + 3) & ~(size_t)3;
    for (int y = 0; y < dib.height; y++) {
        int stored = dib.topDown ? y : dib.height - 1 - y;
        const uint8_t *row = dib.rows + (size_t)stored * dib.stride;
        uint8_t *to = (uint8_t *)bits + (size_t)y * stride;
        int perByte = 8 / dib.bits;
        for (int x = 0; x < dib.width; x++)
            to[x] = (uint8_t)((row[x / perByte] >> (8 - dib.bits * (x % perByte + 1))) &
                              ((1 << dib.bits) - 1));
    }
    return section;
}

// A PNG on the clipboard (the form X programs offer pictures in, which Wine passes on under the
// registered name "PNG"), decoded by GDI+ from a copy of the block.
static HBITMAP ReadClipboardPng(UINT format)
{
    HGLOBAL copy = NULL;
    {
        OpenedClipboard clipboard;
        if (!clipboard.ok())
            return NULL;
        HGLOBAL block = GetClipboardData(format);
        SIZE_T size = block != NULL ? GlobalSize(block) : 0;
        GlobalBytes<uint8_t> from(block);
        if (from.get() == NULL || size == 0)
            return NULL;
        copy = GlobalAlloc(GMEM_MOVEABLE, size);
        GlobalBytes<uint8_t> to(copy);
        if (to.get() == NULL) {
            if (copy != NULL)
                GlobalFree(copy);
            return NULL;
        }
        memcpy(to.get(), from.get(), size);
    }
    ComRef<IStream> stream;
    if (CreateStreamOnHGlobal(copy, TRUE, stream.put()) != S_OK) {
        GlobalFree(copy);
        return NULL;
    }
    Gdiplus::GpBitmap *picture = NULL;
    if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &picture) != Gdiplus::Ok)
        return NULL;
    UINT width = 0, height = 0;
    Gdiplus::DllExports::GdipGetImageWidth(picture, &width);
    Gdiplus::DllExports::GdipGetImageHeight(picture, &height);
    size_t bytes;
    HBITMAP out = NULL;
    if (width <= INT32_MAX && height <= INT32_MAX && PixelBytes((int)width, (int)height, 32, &bytes))
        Gdiplus::DllExports::GdipCreateHBITMAPFromBitmap(picture, &out, 0xFF000000);
    Gdiplus::DllExports::GdipDisposeImage(picture);
    return out;
}

HBITMAP ReadClipboardBitmap(RGBQUAD *colors, int *count)
{
    if (count != NULL)
        *count = 0;
    if (IsClipboardFormatAvailable(CF_DIB)) {
        OpenedClipboard clipboard;
        if (!clipboard.ok())
            return NULL;
        HGLOBAL block = GetClipboardData(CF_DIB);
        if (block == NULL)
            return NULL;
        GlobalBytes<uint8_t> bytes(block);
        DibPicture dib;
        if (bytes.get() == NULL || !ParseDib(bytes.get(), GlobalSize(block), &dib))
            return NULL;
        if (dib.bits <= 8 && colors != NULL && count != NULL) {
            memcpy(colors, dib.colors, (size_t)dib.colorCount * 4);
            *count = dib.colorCount;
        }
        return SectionOf(dib);
    }
    UINT png = RegisterClipboardFormatW(L"PNG");
    if (png != 0 && IsClipboardFormatAvailable(png))
        return ReadClipboardPng(png);
    if (IsClipboardFormatAvailable(CF_BITMAP)) {
        OpenedClipboard clipboard;
        if (!clipboard.ok())
            return NULL;
        HBITMAP shared = (HBITMAP)GetClipboardData(CF_BITMAP);
        if (shared == NULL)
            return NULL;
        // A copy of ours: the clipboard keeps its own.
        return (HBITMAP)CopyImage(shared, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    }
    return NULL;
}

void PasteClipboardImage(int x, int index, int y)
{
    if (!InUse(index))
        return;
    RGBQUAD colors[256];
    int count = 0;
    OwnedObject bitmap(ReadClipboardBitmap(colors, &count));
    if (bitmap.get() == NULL)
        return;
    BITMAP size = {};
    GetObjectW(bitmap.get(), sizeof size, &size);
    if (x == -1 || y == -1) {
        int px, py;
        if (PickPlacement(index, size.bmWidth, size.bmHeight, &px, &py) != 0)
            return;
        x = px - size.bmWidth / 2;
        y = py - size.bmHeight / 2;
    }
    // The click wait pumped: the image may have gone meanwhile.
    if (!InUse(index))
        return;
    const ImageRecord &r = ImageTable[index];
    if (count > 0 && r.bits == 8)
        SetDIBColorTable(r.memoryDC, 0, (UINT)count, colors);
    MemoryDC source(r.memoryDC);
    if (source.get() == NULL)
        return;
    SelectedObject select(source.get(), bitmap.get());
    BitBlt(r.memoryDC, x, y, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
    GdiFlush();
    InvalidateRect(r.window, NULL, FALSE);
}
