// measurements.cpp - the "Information..." commands and "Clipping": the colour models of one
// clicked pixel printed to the text window, channel profiles and chroma trajectories of a row or
// a rectangle plotted into new image windows, and a clicked rectangle copied into one.
#include <cstdio>
#include <cstdlib>

#include "image/image_store.h"
#include "imageops/color_models.h"
#include "image/image_operations.h"
#include "imageops/plots.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

int CreatePlotImage(const char *title, int width, int height)
{
    for (int index = 0; index < 256; index++)
        if (TVX_CreateImageEx(index, title, 0, 0, width, height, 100, 32) == 0)
            return index;
    return -1;
}

void PlotSeries(const void *data, int x0, int n, int selector, unsigned int colour)
{
    PlotSeries(CurrentView(), PenPosition, data, x0, n, selector, colour);
}

// The chart's frame and labels come first; TextCursor and tvx_tc keep the last label's.
static void DrawFrame(void)
{
    GlyphCursor cursor;
    DrawChromaFrame(CurrentView(), PenPosition, cursor, &tvx_tc);
    TextCursor = {cursor.x, cursor.y, cursor.left};
}

void PlotCrCbLine(const unsigned int *words, int n)
{
    DrawFrame();
    PlotChromaLine(CurrentView(), PenPosition, words, n);
}

void PlotCrCbArea(int h, const unsigned int *words, int w)
{
    DrawFrame();
    PlotChromaArea(CurrentView(), PenPosition, h, words, w);
}

void PixelCommand(HWND, int image)
{
    int x, y;
    if (PickPoint(image, &x, &y) != 0)
        return;
    unsigned int c = ReadPixel(x, y);
    bool deep = ImageTable[image].bits == 32;
    EnsureTextWindow();
    TVX_Print("(X,Y)=(%d,%d)\n", x, y);
    if (!deep) {
        TVX_Print("(Luminance)=(%d)\n\n", (int)c);
        return;
    }
    Hsv hsv = RgbToHsv(c);
    YCrCb ycc = RgbToYCrCb(c);
    ChromaPair uv = RgbToYuv(c), iq = RgbToYiq(c);
    TVX_Print("(R,G,B)=(%d,%d,%d)\n", (int)(c >> 16 & 0xFF), (int)(c >> 8 & 0xFF), (int)(c & 0xFF));
    TVX_Print("(H,S,V)=(%d,%d,%d)\n", hsv.hue, hsv.saturation, hsv.value);
    TVX_Print("(Y,Cr,Cb)=(%d,%d,%d)\n", ycc.y, ycc.cr, ycc.cb);
    TVX_Print("(Y,u,v)=(%d,%d,%d)\n", ycc.y, uv.first, uv.second);
    TVX_Print("(Y,I,Q)=(%d,%d,%d)\n\n", ycc.y, iq.first, iq.second);
}

// Words on the heap for one command, freed on every way out. Without memory for them the command
// ends without a plot.
struct HeapWords {
    unsigned int *words;
    size_t count;
    explicit HeapWords(size_t n) : words((unsigned int *)calloc(n, 4)), count(words ? n : 0) {}
    ~HeapWords() { free(words); }
    HeapWords(const HeapWords &) = delete;
    HeapWords &operator=(const HeapWords &) = delete;
};

// A row of the picked image, read while it is current. Always words wide, so that a row of any
// depth fits whatever the command reads it as.
static bool ReadRow(int image, int y, HeapWords *row)
{
    if (row->words == nullptr)
        return false;
    ReadImageRow(row->words, y, ImageTable[image].width);
    return true;
}

struct Series {
    int selector;
    unsigned int colour;
};
struct Label {
    const char *text;
    int column, baseline;
    unsigned int colour;
};
struct Profile {
    const char *title;
    int margin;
    int seriesCount;
    Series series[3];
    Label labels[3];
};

static const Profile kRgb = {"RGB(Y=%d)", 12, 3,
                             {{0x81, 0xFF0000}, {0x82, 0x00FF00}, {0x84, 0x0000FF}},
                             {{"R", 2, 40, 0xFF0000}, {"G", 2, 72, 0x00FF00}, {"B", 2, 104, 0x0000FF}}};
static const Profile kHsv = {"HSV(Y=%d)", 12, 3,
                             {{0x88, 0xFFFF00}, {0x90, 0xFF00FF}, {0xA0, 0x00FFFF}},
                             {{"H", 2, 40, 0xFFFF00}, {"S", 2, 72, 0xFF00FF}, {"V", 2, 104, 0x00FFFF}}};
static const Profile kYCrCb = {"YCrCb(Y=%d)", 20, 3,
                               {{0x180, 0xFFFFFF}, {0x280, 0xFF8888}, {0x480, 0x8888FF}},
                               {{"Y", 4, 40, 0xFFFFFF}, {"Cr", 2, 72, 0xFF8888}, {"Cb", 2, 104, 0x8888FF}}};
static const Profile kLumi = {"Luminance(Y=%d)", 12, 1, {{0x1080, 0xFFFFFF}},
                              {{"L", 2, 40, 0xFFFFFF}}};

static void PlotProfile(int image, const Profile &p)
{
    int x, y;
    if (PickRow(image, &x, &y) != 0)
        return;
    int width = ImageTable[image].width;
    HeapWords row((size_t)width);
    if (!ReadRow(image, y, &row))
        return;
    char title[64];
    snprintf(title, sizeof title, p.title, y);
    if (CreatePlotImage(title, width + p.margin, 128) < 0)
        return;
    for (int i = 0; i < p.seriesCount; i++)
        PlotSeries(row.words, p.margin, width, p.series[i].selector, p.series[i].colour);
    for (int i = 0; i < p.seriesCount; i++) {
        TextCursor = {p.labels[i].column, p.labels[i].baseline, p.labels[i].column};
        tvx_tc = p.labels[i].colour;
        DrawString(p.labels[i].text);
    }
    InvalidateRect(ImageTable[CurrentImage].window, NULL, FALSE);
}

void RgbProfileCommand(HWND, int image) { PlotProfile(image, kRgb); }
void HsvProfileCommand(HWND, int image) { PlotProfile(image, kHsv); }
void YCrCbProfileCommand(HWND, int image) { PlotProfile(image, kYCrCb); }
void LumiProfileCommand(HWND, int image) { PlotProfile(image, kLumi); }

void CrCbLineCommand(HWND, int image)
{
    int x, y;
    if (PickRow(image, &x, &y) != 0)
        return;
    HeapWords row((size_t)ImageTable[image].width);
    if (!ReadRow(image, y, &row))
        return;
    char title[64];
    snprintf(title, sizeof title, "CrCb(Y=%d)", y);
    if (CreatePlotImage(title, 256, 256) < 0)
        return;
    PlotCrCbLine(row.words, (int)row.count);
    InvalidateRect(ImageTable[CurrentImage].window, NULL, FALSE);
}

// A rectangle the user picks: its top-left corner, its size and its label "(x1,y1)-(x2,y2)".
struct PickedArea {
    int x, y, w, h;
    char label[64];
};

// False when the pick was given up.
static bool PickArea(int image, PickedArea *area)
{
    int x1, y1, x2, y2;
    if (PickRect(image, &x1, &y1, &x2, &y2) != 0)
        return false;
    *area = {x1, y1, x2 - x1 + 1, y2 - y1 + 1, ""};
    snprintf(area->label, sizeof area->label, "(%d,%d)-(%d,%d)", x1, y1, x2, y2);
    return true;
}

void CrCbAreaCommand(HWND, int image)
{
    PickedArea a;
    if (!PickArea(image, &a))
        return;
    char title[96];
    snprintf(title, sizeof title, "CrCb%s", a.label);
    HeapWords block((size_t)a.w * (size_t)a.h);
    if (block.words == nullptr)
        return;
    TVX_GetImageRect(block.words, a.x, a.y, a.w, a.h);
    if (CreatePlotImage(title, 256, 256) < 0)
        return;
    PlotCrCbArea(a.h, block.words, a.w);
    TVX_RefreshImage(CurrentImage);
}

void ClippingCommand(HWND, int image)
{
    PickedArea a;
    if (!PickArea(image, &a))
        return;
    int w = a.w, h = a.h, x1 = a.x, y1 = a.y;
    const char *name = a.label;
    int bits = ImageTable[image].bits;
    int clip = -1;
    for (int index = 0; index < 256 && clip < 0; index++)
        if (TVX_CreateImageEx(index, name, 0, 0, w, h, 100, bits) == 0)
            clip = index;
    if (clip < 0)
        return;
    const ImageRecord &source = ImageTable[image];
    if (bits == 8) {
        RGBQUAD colors[256];
        GetDIBColorTable(source.memoryDC, 0, 256, colors);
        SetDIBColorTable(ImageTable[clip].memoryDC, 0, 256, colors);
    }
    BitBlt(ImageTable[clip].memoryDC, 0, 0, w, h, source.memoryDC, x1, y1, SRCCOPY);
    GdiFlush();
    TVX_RefreshImage(clip);
}
