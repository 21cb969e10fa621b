// draw_commands.cpp - the drawing commands of the processing menu: a pick, then one primitive in
// DrawColor on the image picked; and the two colour commands.
#include <windows.h>
#include <commdlg.h>

#include "image/image_store.h"
#include "image/image_operations.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

// The colour dialog's custom colours, kept for the run.
static COLORREF CustomColors[16];

void ResetCustomColors(void)
{
    for (COLORREF &c : CustomColors)
        c = 0;
}

// The window's image is current (the command table selected it) and stays so through the pick.
void DrawLineCommand(HWND, int image)
{
    int x1, y1, x2, y2;
    if (PickLine(image, &x1, &y1, &x2, &y2) == 0)
        DrawLine(DrawColor, x1, y1, x2, y2);
}

void DrawRowCommand(HWND, int image)
{
    int x, y;
    if (PickRow(image, &x, &y) == 0)
        DrawLine(DrawColor, 0, y, ImageTable[image].width - 1, y);
}

void DrawColumnCommand(HWND, int image)
{
    int x, y;
    if (PickColumn(image, &x, &y) == 0)
        DrawLine(DrawColor, x, 0, x, ImageTable[image].height - 1);
}

void DrawBoxCommand(HWND, int image)
{
    int x1, y1, x2, y2;
    if (PickRect(image, &x1, &y1, &x2, &y2) == 0)
        DrawBox(x1, y1, x2, y2);
}

void FillBoxCommand(HWND, int image)
{
    int x1, y1, x2, y2;
    if (PickRect(image, &x1, &y1, &x2, &y2) == 0)
        FillBox(x1, y1, x2, y2);
}

void XorFillBoxCommand(HWND, int image)
{
    int x1, y1, x2, y2;
    if (PickRect(image, &x1, &y1, &x2, &y2) == 0)
        XorFillBox(x1, y1, x2, y2);
}

void DrawCircleCommand(HWND, int image)
{
    int cx, cy, r;
    if (PickCircle(image, &cx, &cy, &r) == 0)
        DrawCircle(cx, cy, r, DrawColor);
}

void FillCircleCommand(HWND, int image)
{
    int cx, cy, r;
    if (PickCircle(image, &cx, &cy, &r) == 0)
        FillCircle(cx, cy, r);
}

void XorFillCircleCommand(HWND, int image)
{
    int cx, cy, r;
    if (PickCircle(image, &cx, &cy, &r) == 0)
        XorFillCircle(cx, cy, r);
}

bool ReadTextForImage(HWND window, int image, char line[256])
{
    EnsureTextWindow();
    TVX_Print("Text>");
    TVX_InputText(line);
    // The line input pumps: the image may have gone, or another been made current, meanwhile.
    return ImageTable[image].inUse && ImageTable[image].window == window && CurrentImage == image;
}

// The clicked point is the left end of the text's baseline; long text wraps back to its column.
void DrawTextCommand(HWND window, int image)
{
    int x, y;
    if (PickPoint(image, &x, &y) != 0)
        return;
    char line[256];
    if (!ReadTextForImage(window, image, line))
        return;
    TextCursor.x = TextCursor.left = x;
    TextCursor.y = y;
    tvx_tc = DrawColor;
    DrawFormatted("%s", line);
}

void PaintCommand(HWND, int image)
{
    int x, y;
    if (PickPoint(image, &x, &y) == 0)
        FloodFill(x, y);
}

static COLORREF ToColorRef(unsigned int c) { return RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF); }
static unsigned int FromColorRef(COLORREF c)
{
    return (unsigned)GetRValue(c) << 16 | (unsigned)GetGValue(c) << 8 | GetBValue(c);
}

// Confirmed or cancelled, the dialog's colour (on cancel still the preset) becomes every drawing
// colour.
void ChangeColorCommand(HWND window, int)
{
    CHOOSECOLORW choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = window;
    choice.rgbResult = ToColorRef(DrawColor);
    choice.lpCustColors = CustomColors;
    choice.Flags = CC_FULLOPEN | CC_RGBINIT;
    ChooseColorW(&choice);
    DrawColor = tvx_tttc = tvx_tc = FromColorRef(choice.rgbResult);
}

// DrawColor from a clicked pixel: in an 8-bit image its index, while the TrueType colour takes
// the colour that index stands for.
void PickColorCommand(HWND, int image)
{
    int x, y;
    if (PickPoint(image, &x, &y) != 0)
        return;
    TVX_SelectImage(image);
    DrawColor = ReadPixel(x, y);
    TVX_SelectPreviousImage();
    if (ImageTable[image].bits == 32) {
        tvx_tttc = DrawColor;
    } else {
        RGBQUAD entry = {};
        GetDIBColorTable(ImageTable[image].memoryDC, DrawColor & 0xFF, 1, &entry);
        tvx_tttc = (unsigned)entry.rgbRed << 16 | (unsigned)entry.rgbGreen << 8 | entry.rgbBlue;
    }
}
