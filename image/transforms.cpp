// transforms.cpp - whole-image transforms and test patterns: inversion, flips and scaling as block
// operations of GDI on the image's memory DC, rotations by index arithmetic, patterns by formula.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "image/image_store.h"
#include "image/image_operations.h"
#include "imageops/whole_image.h"
#include "runtime/scoped.h"

static bool InUse(int index) { return (unsigned)index < 256 && ImageTable[index].inUse; }

void InvertImage(int index)
{
    if (!InUse(index))
        return;
    const ImageRecord &r = ImageTable[index];
    RECT all = {0, 0, r.width, r.height};
    InvertRect(r.memoryDC, &all);
    GdiFlush();
}

// One stretched copy of the picture onto itself with a negative extent.
static void Mirror(int index, bool horizontal)
{
    if (!InUse(index))
        return;
    const ImageRecord &r = ImageTable[index];
    if (horizontal)
        StretchBlt(r.memoryDC, r.width - 1, 0, -r.width, r.height, r.memoryDC, 0, 0, r.width,
                   r.height, SRCCOPY);
    else
        StretchBlt(r.memoryDC, 0, r.height - 1, r.width, -r.height, r.memoryDC, 0, 0, r.width,
                   r.height, SRCCOPY);
    GdiFlush();
}

void FlipHorizontal(int index) { Mirror(index, true); }
void FlipVertical(int index) { Mirror(index, false); }

static int Rotate(int index, bool right)
{
    if (!InUse(index))
        return 1;
    TVX_SelectImage(index);
    const int w = ImageTable[index].width, h = ImageTable[index].height;
    const int bytesPerPixel = ImageTable[index].bits / 8;
    // The old pixels are copied out before anything else: without that copy the image must not
    // be touched. The re-creation refuses a size it cannot make before it destroys anything.
    void *old = malloc((size_t)w * (size_t)h * (size_t)bytesPerPixel);
    if (old == nullptr)
        return 4;
    TVX_GetImageRect(old, 0, 0, w, h);
    int code = TVX_ResizeImage(index, h, w);
    if (code == 0) {
        RotateInto(old, w, h, ImageView(index), right);
        GdiFlush();
    }
    free(old);
    return code;
}

int RotateRight(int index) { return Rotate(index, true); }
int RotateLeft(int index) { return Rotate(index, false); }

int ScaleImage(int index, int perMille)
{
    if (!InUse(index))
        return 1;
    TVX_SelectImage(index);
    const int w = ImageTable[index].width, h = ImageTable[index].height;
    long long nw = ((long long)w * perMille + 500) / 1000;
    long long nh = ((long long)h * perMille + 500) / 1000;
    if (nw > INT_MAX || nh > INT_MAX)
        return 3;
    // The picture is kept aside first; without it the image must not be touched.
    MemoryDC saved(ImageTable[index].memoryDC);
    OwnedObject copy(CreateCompatibleBitmap(ImageTable[index].memoryDC, w, h));
    if (saved.get() == NULL || copy.get() == NULL)
        return 4;
    SelectedObject select(saved.get(), copy.get());
    BitBlt(saved.get(), 0, 0, w, h, ImageTable[index].memoryDC, 0, 0, SRCCOPY);
    int code = TVX_ResizeImage(index, (int)nw, (int)nh);
    if (code == 0) {
        // The re-created image kept the stretch mode of its memory DC.
        const ImageRecord &r = ImageTable[index];
        StretchBlt(r.memoryDC, 0, 0, (int)nw, (int)nh, saved.get(), 0, 0, w, h, SRCCOPY);
        GdiFlush();
    }
    return code;
}

void ClearImage(int index)
{
    if (!InUse(index))
        return;
    PixelView view = ImageView(index);
    memset(view.pixels, 0, (size_t)view.stride * (size_t)view.height);
}

static void Pattern(int kind)
{
    DrawPattern(CurrentView(), PenPosition, kind);
}

void PatternRgb(void) { Pattern(kPatternRgb); }
void PatternHsv(void) { Pattern(kPatternHsv); }
void PatternYCrCb(void) { Pattern(kPatternYCrCb); }
void PatternYuv(void) { Pattern(kPatternYuv); }
void PatternYiq(void) { Pattern(kPatternYiq); }

void PatternGrey(void)
{
    if (!InUse(CurrentImage))
        return;
    if (ImageTable[CurrentImage].bits == 8) {
        RGBQUAD ramp[256];
        for (int i = 0; i < 256; i++)
            ramp[i] = {(BYTE)i, (BYTE)i, (BYTE)i, 0};
        TVX_SetColorTable(ramp, 256);
    }
    Pattern(kPatternGrey);
}
