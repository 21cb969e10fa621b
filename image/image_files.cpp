// image_files.cpp - image files through GDI+: loading into the current image (palettes into
// 8-bit images), saving in five formats, and the open and save dialogs with what they remember.
#include <windows.h>

#include <commdlg.h>
#include <gdiplus.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/image_store.h"
#include "runtime/runtime.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

int JpegQuality = 100;
// The file type last chosen in each dialog, offered again the next time.
static struct {
    int open = 2, save = 2;
} FilterIndex;

struct SaveFormat {
    const wchar_t *mime;
    const char16_t *extension;
};
static const SaveFormat kSaveFormats[5] = {
    {L"image/bmp", u".bmp"}, {L"image/jpeg", u".jps"}, {L"image/gif", u".gif"},
    {L"image/png", u".png"}, {L"image/tiff", u".tif"},
};

static bool CurrentInUse(void)
{
    return (unsigned)CurrentImage < 256 && ImageTable[CurrentImage].inUse;
}

void ResetImageFileDialogs(void)
{
    FilterIndex.open = 2;
    FilterIndex.save = 2;
    JpegQuality = 100;
}

// Copies the palette indices of an 8-bit file image into the current 8-bit image at (x, y),
// clipped to the image.
static void CopyIndexedPixels(GpBitmap *bitmap, UINT width, UINT height, int x, int y)
{
    const ImageRecord &record = ImageTable[CurrentImage];
    GpRect all = {0, 0, (INT)width, (INT)height};
    BitmapData data = {};
    if (GdipBitmapLockBits(bitmap, &all, ImageLockModeRead, PixelFormat8bppIndexed, &data) != Ok)
        return;
    int stride = Stride8(record.width);
    for (UINT r = 0; r < height; r++) {
        unsigned ty = (unsigned)(y + (int)r);
        if (ty >= (unsigned)record.height)
            continue;
        const BYTE *row = (const BYTE *)data.Scan0 + (INT_PTR)r * data.Stride;
        for (UINT c = 0; c < width; c++) {
            unsigned tx = (unsigned)(x + (int)c);
            if (tx < (unsigned)record.width)
                ImagePixels8[CurrentImage][(size_t)ty * stride + tx] = row[c];
        }
    }
    GdipBitmapUnlockBits(bitmap, &data);
}

int TVX_LoadImageFile(const char *file, int x, int y)
{
    if (!CurrentInUse())
        return 2;
    wchar_t wide[MAX_PATH];
    if (!AnsiToWideWhole(file, wide, MAX_PATH))
        return 1;
    return LoadImageFileW(wide, x, y);
}

int LoadImageFileW(const wchar_t *file, int x, int y)
{
    if (!CurrentInUse())
        return 2;
    if (file == NULL || file[0] == L'\0')
        return 1;
    GpImage *image = NULL;
    if (GdipLoadImageFromFile(file, &image) != Ok || image == NULL)
        return 1;
    UINT width = 0, height = 0;
    GdipGetImageWidth(image, &width);
    GdipGetImageHeight(image, &height);
    if (width == 0 || height == 0) {
        GdipDisposeImage(image);
        return 1;
    }
    const ImageRecord &record = ImageTable[CurrentImage];
    if (record.bits == 8) {
        INT size = 0;
        if (GdipGetImagePaletteSize(image, &size) == Ok && size > 8) {
            ColorPalette *palette = (ColorPalette *)malloc((size_t)size);
            if (palette != NULL && GdipGetImagePalette(image, palette, size) == Ok) {
                int count = (size - 8) / 4;
                if (count > 256)
                    count = 256;   // a table holds no more
                RGBQUAD entries[256];
                for (int i = 0; i < count; i++) {
                    ARGB argb = palette->Entries[i];
                    entries[i].rgbBlue = (BYTE)(argb & 0xFF);
                    entries[i].rgbGreen = (BYTE)((argb >> 8) & 0xFF);
                    entries[i].rgbRed = (BYTE)((argb >> 16) & 0xFF);
                    entries[i].rgbReserved = 0;
                }
                TVX_SetColorTable(entries, count);
            }
            free(palette);
        }
    }
    PixelFormat format = 0;
    GdipGetImagePixelFormat(image, &format);
    if (record.bits == 8 && format == PixelFormat8bppIndexed) {
        // Indices into the palette just taken over: copied as they are, so that an 8-bit file
        // comes back exactly as it was saved.
        CopyIndexedPixels((GpBitmap *)image, width, height, x, y);
        GdipDisposeImage(image);
        return 0;
    }
    GpGraphics *graphics = NULL;
    if (GdipCreateFromHDC(record.memoryDC, &graphics) == Ok && graphics != NULL) {
        GdipDrawImageRectI(graphics, image, x, y, (INT)width, (INT)height);
        GdipDeleteGraphics(graphics);
    }
    GdipDisposeImage(image);
    return 0;
}

int FindEncoderClsid(const wchar_t *mime, CLSID *clsid)
{
    UINT count = 0, size = 0;
    if (GdipGetImageEncodersSize(&count, &size) != Ok || size == 0)
        return -1;
    ImageCodecInfo *codecs = (ImageCodecInfo *)malloc(size);
    if (codecs == NULL)
        return -1;
    int found = -1;
    if (GdipGetImageEncoders(count, size, codecs) == Ok) {
        for (UINT i = 0; i < count && found < 0; i++) {
            if (wcscmp(codecs[i].MimeType, mime) == 0) {
                *clsid = codecs[i].Clsid;
                found = (int)i;
            }
        }
    }
    free(codecs);
    return found;
}

// A GDI+ bitmap of the top-left w x h of a 32-bit image, as 24 bits per pixel.
static GpBitmap *Bitmap32(int w, int h)
{
    size_t bytes = 0;
    if (!PixelBytes(w, h, 32, &bytes))
        return NULL;
    uint32_t *words = (uint32_t *)malloc(bytes);
    if (words == NULL)
        return NULL;
    TVX_GetImageRect(words, 0, 0, w, h);
    GpBitmap *wrapped = NULL, *clone = NULL;
    if (GdipCreateBitmapFromScan0(w, h, w * 4, PixelFormat32bppRGB, (BYTE *)words, &wrapped) ==
        Ok) {
        GdipCloneBitmapAreaI(0, 0, w, h, PixelFormat24bppRGB, wrapped, &clone);
        GdipDisposeImage(wrapped);
    }
    free(words);
    return clone;
}

// A GDI+ bitmap of the top-left w x h of an 8-bit image with its colour table. The DIB it is
// made from is returned too: GDI+ reads its pixels until the bitmap is disposed.
static GpBitmap *Bitmap8(int w, int h, HBITMAP *dib)
{
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } info = {};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = w;
    info.header.biHeight = -h;
    info.header.biPlanes = 1;
    info.header.biBitCount = 8;
    info.header.biCompression = BI_RGB;
    info.header.biXPelsPerMeter = 2834;
    info.header.biYPelsPerMeter = 2834;
    TVX_GetColorTable(info.colors);
    void *pixels = NULL;
    size_t bytes = 0;
    if (!PixelBytes(w, h, 8, &bytes))
        return NULL;
    *dib = CreateDIBSection(NULL, (const BITMAPINFO *)&info, DIB_RGB_COLORS, &pixels, NULL, 0);
    uint8_t *rows = (uint8_t *)malloc(bytes);
    GpBitmap *bitmap = NULL;
    if (*dib != NULL && pixels != NULL && rows != NULL) {
        TVX_GetImageRect(rows, 0, 0, w, h);
        int stride = Stride8(w);
        for (int r = 0; r < h; r++)
            memcpy((uint8_t *)pixels + (size_t)r * stride, rows + (size_t)r * w, (size_t)w);
        GdipCreateBitmapFromGdiDib((const BITMAPINFO *)&info, pixels, &bitmap);
    }
    free(rows);
    return bitmap;
}

int TVX_SaveImageFile(int height, int width, int format, const char *file)
{
    if (!CurrentInUse())
        return 3;
    // Negative sizes are refused like zero ones: they would make no picture.
    if (width <= 0 || height <= 0)
        return 2;
    if (format < 0 || format > 4)
        return 1;
    // A name that is missing, empty or does not fit whole with its extension is refused: the
    // file written would be ".jps" or another file than the one asked for.
    wchar_t name[MAX_PATH];
    if (!AnsiToWideWhole(file, name, MAX_PATH) || name[0] == L'\0' ||
        !EnsureFileExtension((char16_t *)name, MAX_PATH, kSaveFormats[format].extension))
        return 1;
    // Over the size cap nothing is read or encoded at all.
    size_t bytes = 0;
    if (!PixelBytes(width, height, 32, &bytes))
        return 1;
    if (format == 1)
        return SaveJpegFile(name, width, height, JpegQuality);
    HBITMAP dib = NULL;
    GpBitmap *bitmap = ImageTable[CurrentImage].bits == 32 ? Bitmap32(width, height)
                                                           : Bitmap8(width, height, &dib);
    int result = 1;
    if (bitmap != NULL) {
        CLSID clsid = {};
        FindEncoderClsid(kSaveFormats[format].mime, &clsid);
        GpStatus status = GdipSaveImageToFile(bitmap, name, &clsid, NULL);
        result = status == Ok ? 0 : 1;
        GdipDisposeImage(bitmap);
    }
    if (dib != NULL)
        DeleteObject(dib);
    return result;
}

// Filter text of the dialogs: pairs of description and pattern, each ended by a zero.
static const wchar_t kOpenFilter[] =
    L"All Files (*.*)\0*.*\0"
    L"BMP (*.BMP;*.RLE;*.DIB)\0*.BMP;*.RLE;*.DIB\0"
    L"JPEG (*.JPG;*.JPEG;*.JPE)\0*.JPG;*.JPEG;*.JPE\0"
    L"CompuServe GIF (*.GIF)\0*.GIF\0"
    L"PNG (*.PNG)\0*.PNG\0"
    L"TIFF (*.TIF;*.TIFF)\0*.TIF;*.TIFF\0"
    L"WMF (*.WMF)\0*.WMF\0"
    L"EMF (*.EMF)\0*.EMF\0"
    L"ICO (*.ICO)\0*.ICO\0";
static const wchar_t kSaveFilter[] =
    L"All Files (*.*)\0*.*\0"
    L"BMP (*.BMP;*.RLE;*.DIB)\0*.BMP;*.RLE;*.DIB\0"
    L"JPEG (*.JPG;*.JPEG;*.JPE)\0*.JPG;*.JPEG;*.JPE\0"
    L"CompuServe GIF (*.GIF)\0*.GIF\0"
    L"PNG (*.PNG)\0*.PNG\0"
    L"TIFF (*.TIF;*.TIFF)\0*.TIF;*.TIFF\0";

// The pattern of filter entry index (1-based) of a filter text.
static const wchar_t *FilterPattern(const wchar_t *filter, int index)
{
    const wchar_t *p = filter;
    for (int i = 1; *p != L'\0'; i++) {
        p += wcslen(p) + 1;   // the description
        if (i == index)
            return p;
        p += wcslen(p) + 1;   // the pattern
    }
    return L"*.*";
}

// Runs one file dialog; on success the name goes to buffer and the folder and filter index are
// remembered. Which = 0 open, 1 save.
static int RunFileDialog(int which, char *buffer)
{
    int &filterIndex = which == 0 ? FilterIndex.open : FilterIndex.save;
    const wchar_t *filter = which == 0 ? kOpenFilter : kSaveFilter;
    wchar_t name[MAX_PATH];
    lstrcpynW(name, which == 0 ? FilterPattern(filter, filterIndex) : L"noname", MAX_PATH);
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = (DWORD)filterIndex;
    dialog.lpstrFile = name;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrInitialDir = StartupDirectoryW[which];
    dialog.lpstrTitle = which == 0 ? L"Load image file" : L"Save as";
    dialog.Flags = which == 0 ? (OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST)
                              : (OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST);
    BOOL chosen = which == 0 ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog);
    if (!chosen)
        return 1;
    WideToAnsi(name, buffer, MAX_PATH);
    filterIndex = (int)dialog.nFilterIndex;
    if (dialog.nFileOffset > 0 && dialog.nFileOffset < MAX_PATH) {
        lstrcpynW(StartupDirectoryW[which], name, dialog.nFileOffset + 1);
        WideToAnsi(StartupDirectoryW[which], StartupDirectoryA[which], MAX_PATH);
    }
    return 0;
}

int ChooseImageFileToOpen(char *buffer) { return RunFileDialog(0, buffer); }

int ChooseImageFileToSave(char *buffer) { return RunFileDialog(1, buffer); }

void LoadImageFileCommand(HWND window)
{
    int index = SelectImageByWindow(window);
    char name[MAX_PATH];
    if (ChooseImageFileToOpen(name) != 0)
        return;
    TVX_LoadImageFile(name, 0, 0);
    if (index >= 0)
        InvalidateRect(window, NULL, FALSE);
}

void SaveAsCommand(HWND window)
{
    if (SelectImageByWindow(window) < 0)
        return;
    char name[MAX_PATH];
    if (ChooseImageFileToSave(name) != 0)
        return;
    // The filter chosen picks the format; JPEG is saved at quality 100 whatever is set.
    static const int kFormatOfFilter[7] = {0, 0, 0, 1, 2, 3, 4};
    int format = (FilterIndex.save >= 1 && FilterIndex.save <= 6) ? kFormatOfFilter[FilterIndex.save]
                                                                 : 0;
    int quality = JpegQuality;
    if (format == 1)
        JpegQuality = 100;
    const ImageRecord &r = ImageTable[CurrentImage];
    TVX_SaveImageFile(r.height, r.width, format, name);
    JpegQuality = quality;
}
