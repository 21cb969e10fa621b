// image_rules.cpp - platform-free rules of the image store.
#include "image/image_rules.h"

#include <cstdio>
#include <cstring>

#include "runtime/rules.h"

// The zoom at which one side of n pixels at zoom z fits within limit pixels, and at least one
// pixel: z itself when it fits, else the truncated zoom of the limit. Exact integer arithmetic:
// doubles would give 110 for 480 pixels at 111 (532.8 x 100 / 480 = 110.99999999999999).
static int64_t SideZoom(int64_t n, int64_t z, int64_t limit)
{
    int64_t scaled = n * z;   // 100 x the side's length at zoom z
    if (scaled >= limit * 100)
        return limit * 100 / n;
    if (scaled < 100)
        return 100 / n;
    return z;
}

static int64_t CeilDiv(int64_t a, int64_t b) { return a <= 0 ? 0 : (a + b - 1) / b; }

bool FitZoom(int w, int h, int z, const ScreenLimits &limits, ZoomFit *fit)
{
    int64_t fx = SideZoom(w, z, limits.screenWidth);
    int64_t fy = SideZoom(h, z, limits.screenHeight);
    int64_t f = fx < fy ? fx : fy;
    int64_t viewWidth = (int64_t)w * f / 100;
    int64_t viewHeight = (int64_t)h * f / 100;
    if (viewWidth < limits.minWidth || viewHeight < limits.minHeight) {
        int64_t rx = CeilDiv((int64_t)limits.minWidth * 100, w);
        int64_t ry = CeilDiv((int64_t)limits.minHeight * 100, h);
        f = rx > ry ? rx : ry;
        viewWidth = (int64_t)w * f / 100;
        viewHeight = (int64_t)h * f / 100;
        if (viewWidth > limits.screenWidth || viewHeight > limits.screenHeight)
            return false;
    }
    fit->zoom = (int)f;
    fit->viewWidth = (int)viewWidth;
    fit->viewHeight = (int)viewHeight;
    return true;
}

int ZoomInStep(int zoom) { return (int)((10 * (int64_t)zoom + 4) / 9); }

int ZoomOutStep(int zoom) { return (int)((9 * (int64_t)zoom + 5) / 10); }

int ClientToPixel(unsigned coordinate16, int zoom)
{
    if (zoom <= 0)
        return 0;
    return (int)((coordinate16 & 0xFFFF) * 100u / (unsigned)zoom);
}

void ResetSelection(SelectionState *selection)
{
    selection->current = 0;
    for (int &entry : selection->history)
        entry = 0;
}

void PushSelection(SelectionState *selection, int index)
{
    for (int i = 7; i > 0; i--)
        selection->history[i] = selection->history[i - 1];
    selection->history[0] = selection->current;
    selection->current = index;
}

void PopSelection(SelectionState *selection)
{
    selection->current = selection->history[0];
    for (int i = 0; i < 7; i++)
        selection->history[i] = selection->history[i + 1];
}

void CopyRectOut32(const uint32_t *pixels, int width, int height, uint32_t *dst, int x, int y,
                   int w, int h)
{
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++) {
            unsigned px = (unsigned)(x + c), py = (unsigned)(y + r);
            *dst++ = (px < (unsigned)width && py < (unsigned)height)
                         ? pixels[(size_t)py * width + px]
                         : 0;
        }
}

void CopyRectOut8(const uint8_t *pixels, int width, int height, uint8_t *dst, int x, int y, int w,
                  int h)
{
    int stride = Stride8(width);
    for (int r = 0; r < h; r++)
        for (int c = 0; c < w; c++) {
            unsigned px = (unsigned)(x + c), py = (unsigned)(y + r);
            *dst++ = (px < (unsigned)width && py < (unsigned)height)
                         ? pixels[(size_t)py * stride + px]
                         : 0;
        }
}

void PutFrame32(uint32_t *pixels, int width, int height, const uint32_t *src, int x0)
{
    for (int r = 0; r < kFrameHeight && r < height; r++)
        for (int c = 0; c < kFrameWidth; c++) {
            unsigned px = (unsigned)(x0 + c);
            if (px < (unsigned)width)
                pixels[(size_t)r * width + px] = src[(size_t)r * kFrameWidth + c];
        }
}

void PutFrame8(uint8_t *pixels, int width, int height, const uint8_t *src, int x0)
{
    int stride = Stride8(width);
    for (int r = 0; r < kFrameHeight && r < height; r++)
        for (int c = 0; c < kFrameWidth; c++) {
            unsigned px = (unsigned)(x0 + c);
            if (px < (unsigned)width)
                pixels[(size_t)r * stride + px] = src[(size_t)r * kFrameWidth + c];
        }
}

void FormatImageTitle(char *out, size_t bytes, const char *name, int zoom, int bits,
                      bool halftone, int (*isLeadByte)(unsigned char))
{
    char title[1024];
    snprintf(title, sizeof title, bits == 8 ? "%s(%d%%)[8bit]%s" : "%s(%d%%)%s", name, zoom,
             halftone ? "*" : "");
    CopyAnsiCut(out, bytes < 256 ? bytes : 256, title, isLeadByte);
}

static char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? (char16_t)(c + 32) : c; }

bool EnsureFileExtension(char16_t *name, size_t capacity, const char16_t *ext)
{
    size_t length = 0;
    while (name[length] != 0)
        length++;
    size_t extLength = 0;
    while (ext[extLength] != 0)
        extLength++;
    if (length >= 4) {
        char16_t last[5];
        for (int i = 0; i < 4; i++)
            last[i] = Lower(name[length - 4 + i]);
        last[4] = 0;
        for (size_t start = 0; start + extLength <= 4; start++) {
            size_t k = 0;
            while (k < extLength && last[start + k] == ext[k])
                k++;
            if (k == extLength)
                return true;
        }
    }
    if (length + extLength + 1 > capacity)
        return false;
    for (size_t k = 0; k < extLength; k++)
        name[length++] = ext[k];
    name[length] = 0;
    return true;
}

bool PixelBytes(int w, int h, int bits, size_t *bytes)
{
    if (w <= 0 || h <= 0 || (bits != 8 && bits != 32))
        return false;
    uint64_t row = bits == 32 ? (uint64_t)w * 4 : ((uint64_t)w + 3) / 4 * 4;
    uint64_t total = row * (uint64_t)h;
    if (total > kMaxPixelBytes)
        return false;
    *bytes = (size_t)total;
    return true;
}

int CreateInNextFreeSlot(int *cursor, int (*create)(int slot, void *context), void *context)
{
    while (*cursor < 256) {
        int slot = (*cursor)++;
        int result = create(slot, context);
        if (result == 0)
            return slot;
        if (result != 1)
            return -1;
    }
    return -1;
}
