// image_commands.cpp - the image windows' command table and its dispatch.
#include "image/image_commands.h"
#include "image/image_store.h"
#include "imageops/imageops.h"

static void Load(HWND window, int) { LoadImageFileCommand(window); }
static void SaveAs(HWND window, int) { SaveAsCommand(window); }
static void Destroy(HWND, int image) { TVX_DestroyImage(image); }
static void Invert(HWND, int image) { InvertImage(image); }
static void HorizontalFlip(HWND, int image) { FlipHorizontal(image); }
static void VerticalFlip(HWND, int image) { FlipVertical(image); }
// Refused turns and sizes leave the image as it was and say nothing: there is nothing the user
// must act on, and the picture in the window shows what happened.
static void TurnRight(HWND, int image) { RotateRight(image); }
static void TurnLeft(HWND, int image) { RotateLeft(image); }
static void Size500(HWND, int image) { ScaleImage(image, 500); }
static void Size707(HWND, int image) { ScaleImage(image, 707); }
static void Size1414(HWND, int image) { ScaleImage(image, 1414); }
static void Size2000(HWND, int image) { ScaleImage(image, 2000); }
static void Rgb(HWND, int) { PatternRgb(); }
static void Hsv(HWND, int) { PatternHsv(); }
static void YCrCb(HWND, int) { PatternYCrCb(); }
static void Yuv(HWND, int) { PatternYuv(); }
static void Yiq(HWND, int) { PatternYiq(); }
static void Grey(HWND, int) { PatternGrey(); }

static const ImageCommandRow kImageCommands[] = {
    {1004, "&Load image file", kMenuBasic, 4, kCheckNever, 0, Load},
    {1010, "&Save as", kMenuBasic, 5, kCheckNever, 0, SaveAs},
    {1005, "&Destroy\tCtrl+Q", kMenuBasic, 13, kCheckNever, 0, Destroy},

    {1058, "Invert", kMenuProcess, 0, kCheckNever, kRedrawAfter, Invert},
    {1061, "R. Rotate", kMenuProcess, 2, kCheckNever, kSelectFirst | kRedrawAfter, TurnRight},
    {1062, "L. Rotate", kMenuProcess, 3, kCheckNever, kSelectFirst | kRedrawAfter, TurnLeft},
    {1059, "Horz. Flip", kMenuProcess, 5, kCheckNever, kRedrawAfter, HorizontalFlip},
    {1060, "Vert. Flip", kMenuProcess, 6, kCheckNever, kRedrawAfter, VerticalFlip},
    {1063, "Size 50.0%", kMenuProcess, 8, kCheckNever, kSelectFirst | kRedrawAfter, Size500},
    {1064, "Size 70.7%", kMenuProcess, 9, kCheckNever, kSelectFirst | kRedrawAfter, Size707},
    {1065, "Size 141.4%", kMenuProcess, 10, kCheckNever, kSelectFirst | kRedrawAfter, Size1414},
    {1066, "Size 200.0%", kMenuProcess, 11, kCheckNever, kSelectFirst | kRedrawAfter, Size2000},

    {1053, "RGB", kMenuPattern, 0, kCheckNever, kSelectFirst | kRedrawAfter, Rgb},
    {1054, "HSV", kMenuPattern, 1, kCheckNever, kSelectFirst | kRedrawAfter, Hsv},
    {1055, "YCrCb", kMenuPattern, 2, kCheckNever, kSelectFirst | kRedrawAfter, YCrCb},
    {1067, "Yuv", kMenuPattern, 3, kCheckNever, kSelectFirst | kRedrawAfter, Yuv},
    {1068, "YIQ", kMenuPattern, 4, kCheckNever, kSelectFirst | kRedrawAfter, Yiq},
    {1071, "Grey", kMenuPattern, 5, kCheckNever, kSelectFirst | kRedrawAfter, Grey},
};

const ImageCommandRow *FindImageCommand(int id)
{
    for (const ImageCommandRow &row : kImageCommands)
        if (row.id == id)
            return &row;
    return NULL;
}

void RunImageCommand(HWND window, int id)
{
    const ImageCommandRow *row = FindImageCommand(id);
    if (row == NULL)
        return;
    int image = (row->flags & kSelectFirst) ? SelectImageByWindow(window) : FindImageByWindow(window);
    if (image < 0)
        return;
    row->run(window, image);
    // The rotations and size changes made the window anew; the image keeps its slot.
    if ((row->flags & kRedrawAfter) && ImageTable[image].inUse)
        InvalidateRect(ImageTable[image].window, NULL, FALSE);
}
