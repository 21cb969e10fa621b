// image_commands.cpp - the image windows' command table, the menus built from it, and the
// dispatch.
#include "image/image_clipboard.h"
#include "image/image_commands.h"
#include "image/image_store.h"
#include "image/truetype_text.h"
#include "image/image_operations.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

static void Load(HWND window, int) { LoadImageFileCommand(window); }
static void SaveAs(HWND window, int) { SaveAsCommand(window); }
static void Destroy(HWND, int image) { TVX_DestroyImage(image); }
static void Zoom50(HWND, int image) { TVX_SetZoom(image, 50); }
static void Zoom100(HWND, int image) { TVX_SetZoom(image, 100); }
static void Zoom200(HWND, int image) { TVX_SetZoom(image, 200); }

// The zoom and size prompts read their answers in text window 0, brought to the front. A value
// that does not fit is refitted or refused by the image store; nothing is reported.
static bool Prompt(const char *format, int image, int *value)
{
    TVX_OpenTextWindow(0, -1, -1, -1, -1);
    TVX_Print(format, image);
    return ReadPromptNumber(value);
}

static void ZoomPrompt(HWND, int image)
{
    int zoom;
    if (Prompt("[%d] Zoom(%%)=", image, &zoom))
        TVX_SetZoom(image, zoom);
}

static void ResizePrompt(HWND, int image)
{
    int width, height;
    if (Prompt("[%d] New x-size(pixel)=", image, &width) &&
        Prompt("[%d] New y-size(pixel)=", image, &height))
        TVX_ResizeImage(image, width, height);
}

static void Cut(HWND, int image) { CutImage(image); }
static void Copy(HWND, int image) { CopyImageToClipboard(image); }
static void PasteAtClick(HWND, int image) { PasteClipboardImage(-1, image, -1); }
static void PasteAtOrigin(HWND, int image) { PasteClipboardImage(0, image, 0); }
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

enum { S = kSelectFirst, R = kRedrawAfter, SR = kSelectFirst | kRedrawAfter };

static const ImageCommandRow kImageCommands[] = {
    {1011, "Cut\tCtrl+X", kMenuBasic, 0, kItemAlways, kMenuNone, 0, Cut, 'X'},
    {1012, "Copy\tCtrl+C", kMenuBasic, 1, kItemAlways, kMenuNone, 0, Copy, 'C'},
    {1013, "Paste\tCtrl+V", kMenuBasic, 2, kItemAlways, kMenuNone, 0, PasteAtClick, 0},
    {0, NULL, kMenuBasic, 3, kItemAlways, kMenuNone, 0, NULL, 0},
    {1004, "&Load image file", kMenuBasic, 4, kItemAlways, kMenuNone, 0, Load, 0},
    {1010, "&Save as", kMenuBasic, 5, kItemAlways, kMenuNone, 0, SaveAs, 0},
    {0, NULL, kMenuBasic, 6, kItemAlways, kMenuNone, 0, NULL, 0},
    {1007, "Zoom: 50%", kMenuBasic, 7, kItemCheckedAtZoom50, kMenuNone, 0, Zoom50, 0},
    {1008, "Zoom:100%\tCtrl+0", kMenuBasic, 8, kItemCheckedAtZoom100, kMenuNone, 0, Zoom100, 0},
    {1009, "Zoom:200%", kMenuBasic, 9, kItemCheckedAtZoom200, kMenuNone, 0, Zoom200, 0},
    {1046, "&Zoom...", kMenuBasic, 10, kItemAlways, kMenuNone, 0, ZoomPrompt, 0},
    {0, NULL, kMenuBasic, 11, kItemAlways, kMenuNone, 0, NULL, 0},
    {1047, "&Resize...", kMenuBasic, 12, kItemAlways, kMenuNone, 0, ResizePrompt, 0},
    {1005, "&Destroy\tCtrl+Q", kMenuBasic, 13, kItemAlways, kMenuNone, 0, Destroy, 'Q'},
    {1014, NULL, kMenuNone, 0, kItemAlways, kMenuNone, 0, PasteAtOrigin, 'V'},

    {0, "Process...", kMenuProcessTop, 0, kItemAlways, kMenuProcess, 0, NULL, 0},
    {0, NULL, kMenuProcessTop, 1, kItemAlways, kMenuNone, 0, NULL, 0},
    {0, "Information...", kMenuProcessTop, 2, kItemAlways, kMenuInformation, 0, NULL, 0},
    {0, NULL, kMenuProcessTop, 3, kItemAlways, kMenuNone, 0, NULL, 0},
    {0, "Test Pattern...", kMenuProcessTop, 4, kItemAlways, kMenuPattern, 0, NULL, 0},
    {0, NULL, kMenuProcessTop, 5, kItemAlways, kMenuNone, 0, NULL, 0},
    {1019, "Clipping\tCtrl+R", kMenuProcessTop, 6, kItemAlways, kMenuNone, 0, ClippingCommand, 'R'},
    {0, NULL, kMenuProcessTop, 7, kItemAlways, kMenuNone, 0, NULL, 0},
    {0, "Color...", kMenuProcessTop, 8, kItemAlways, kMenuColor, 0, NULL, 0},
    {0, "Draw Line...", kMenuProcessTop, 9, kItemAlways, kMenuLine, 0, NULL, 0},
    {0, "Draw Box...", kMenuProcessTop, 10, kItemAlways, kMenuBox, 0, NULL, 0},
    {0, "Draw Circle...", kMenuProcessTop, 11, kItemAlways, kMenuCircle, 0, NULL, 0},
    {0, "TrueType...", kMenuProcessTop, 12, kItemAlways, kMenuTrueType, 0, NULL, 0},
    {1042, "Draw Text", kMenuProcessTop, 13, kItemAlways, kMenuNone, SR, DrawTextCommand, 0},
    {1043, "Paint", kMenuProcessTop, 14, kItemAlways, kMenuNone, SR, PaintCommand, 0},

    {1058, "Invert", kMenuProcess, 0, kItemAlways, kMenuNone, R, Invert, 0},
    {0, NULL, kMenuProcess, 1, kItemAlways, kMenuNone, 0, NULL, 0},
    {1061, "R. Rotate", kMenuProcess, 2, kItemAlways, kMenuNone, SR, TurnRight, 0},
    {1062, "L. Rotate", kMenuProcess, 3, kItemAlways, kMenuNone, SR, TurnLeft, 0},
    {0, NULL, kMenuProcess, 4, kItemAlways, kMenuNone, 0, NULL, 0},
    {1059, "Horz. Flip", kMenuProcess, 5, kItemAlways, kMenuNone, R, HorizontalFlip, 0},
    {1060, "Vert. Flip", kMenuProcess, 6, kItemAlways, kMenuNone, R, VerticalFlip, 0},
    {0, NULL, kMenuProcess, 7, kItemAlways, kMenuNone, 0, NULL, 0},
    {1063, "Size 50.0%", kMenuProcess, 8, kItemAlways, kMenuNone, SR, Size500, 0},
    {1064, "Size 70.7%", kMenuProcess, 9, kItemAlways, kMenuNone, SR, Size707, 0},
    {1065, "Size 141.4%", kMenuProcess, 10, kItemAlways, kMenuNone, SR, Size1414, 0},
    {1066, "Size 200.0%", kMenuProcess, 11, kItemAlways, kMenuNone, SR, Size2000, 0},

    {1015, "Pixel", kMenuInformation, 0, kItemAlways, kMenuNone, 0, PixelCommand, 0},
    {1016, "Line(RGB)", kMenuInformation, 1, kItemFor32Bit, kMenuNone, 0, RgbProfileCommand, 0},
    {1017, "Line(HSV)", kMenuInformation, 2, kItemFor32Bit, kMenuNone, 0, HsvProfileCommand, 0},
    {1018, "Line(YCrCb)", kMenuInformation, 3, kItemFor32Bit, kMenuNone, 0, YCrCbProfileCommand, 0},
    {1021, "Line(CrCb)", kMenuInformation, 4, kItemFor32Bit, kMenuNone, 0, CrCbLineCommand, 0},
    {0, NULL, kMenuInformation, 5, kItemFor32Bit, kMenuNone, 0, NULL, 0},
    {1022, "Area(CrCb)", kMenuInformation, 6, kItemFor32Bit, kMenuNone, 0, CrCbAreaCommand, 0},
    {1070, "Line(Lumi)", kMenuInformation, 1, kItemFor8Bit, kMenuNone, 0, LumiProfileCommand, 0},

    {1053, "RGB", kMenuPattern, 0, kItemAlways, kMenuNone, SR, Rgb, 0},
    {1054, "HSV", kMenuPattern, 1, kItemAlways, kMenuNone, SR, Hsv, 0},
    {1055, "YCrCb", kMenuPattern, 2, kItemAlways, kMenuNone, SR, YCrCb, 0},
    {1067, "Yuv", kMenuPattern, 3, kItemAlways, kMenuNone, SR, Yuv, 0},
    {1068, "YIQ", kMenuPattern, 4, kItemAlways, kMenuNone, SR, Yiq, 0},
    {1071, "Grey", kMenuPattern, 5, kItemAlways, kMenuNone, SR, Grey, 0},

    {1031, "Change", kMenuColor, 0, kItemAlways, kMenuNone, 0, ChangeColorCommand, 0},
    {1052, "Pick", kMenuColor, 1, kItemAlways, kMenuNone, 0, PickColorCommand, 0},
    {1032, "Normal", kMenuLine, 0, kItemAlways, kMenuNone, SR, DrawLineCommand, 0},
    {1034, "Horz.", kMenuLine, 1, kItemAlways, kMenuNone, SR, DrawRowCommand, 0},
    {1035, "Vert.", kMenuLine, 2, kItemAlways, kMenuNone, SR, DrawColumnCommand, 0},
    {1036, "Normal", kMenuBox, 0, kItemAlways, kMenuNone, SR, DrawBoxCommand, 0},
    {1037, "Fill", kMenuBox, 1, kItemAlways, kMenuNone, SR, FillBoxCommand, 0},
    {1038, "Fill XOR", kMenuBox, 2, kItemAlways, kMenuNone, SR, XorFillBoxCommand, 0},
    {1039, "Normal", kMenuCircle, 0, kItemAlways, kMenuNone, SR, DrawCircleCommand, 0},
    {1040, "Fill", kMenuCircle, 1, kItemAlways, kMenuNone, SR, FillCircleCommand, 0},
    {1041, "Fill XOR", kMenuCircle, 2, kItemAlways, kMenuNone, SR, XorFillCircleCommand, 0},
    {1048, "Draw", kMenuTrueType, 0, kItemAlways, kMenuNone, SR, TrueTypeDrawCommand, 0},
    {1049, "Font Change", kMenuTrueType, 1, kItemAlways, kMenuNone, 0, FontChangeCommand, 0},
};

int ImageCommandForKey(unsigned key)
{
    for (const ImageCommandRow &row : kImageCommands)
        if (row.key != 0 && row.key == key && row.id != 0)
            return row.id;
    return 0;
}

const ImageCommandRow *FindImageCommand(int id)
{
    if (id == 0)
        return NULL;
    for (const ImageCommandRow &row : kImageCommands)
        if (row.id == id)
            return &row;
    return NULL;
}

void RunImageCommand(HWND window, int id)
{
    const ImageCommandRow *row = FindImageCommand(id);
    if (row == NULL || row->run == NULL)
        return;
    int image = (row->flags & kSelectFirst) ? SelectImageByWindow(window) : FindImageByWindow(window);
    if (image < 0)
        return;
    row->run(window, image);
    // The turns and size changes made the window anew; the image keeps its slot. Other commands
    // may have made another image current meanwhile (a plot), or let this one go.
    if ((row->flags & kRedrawAfter) && ImageTable[image].inUse)
        InvalidateRect(ImageTable[image].window, NULL, FALSE);
}

// The items of one menu that the image offers, in their order; submenus are built in turn.
static HMENU BuildMenu(int place, const ImageRecord &image)
{
    HMENU menu = CreatePopupMenu();
    UINT position = 0;
    for (const ImageCommandRow &row : kImageCommands) {
        if (row.menu != place || !ImageItemOffered(row.rule, image.bits))
            continue;
        if (row.submenu != kMenuNone)
            InsertSubMenu(menu, position, BuildMenu(row.submenu, image), row.text);
        else if (row.text == NULL)
            InsertMenuSeparator(menu, position);
        else
            InsertMenuText(menu, position,
                           ImageItemChecked(row.rule, image.zoom) ? MF_CHECKED : MF_UNCHECKED,
                           (UINT)row.id, row.text);
        position++;
    }
    return menu;
}

HMENU BuildImageMenu(HWND window)
{
    int image = FindImageByWindow(window);
    return image < 0 ? NULL : BuildMenu(kMenuBasic, ImageTable[image]);
}

HMENU BuildProcessMenu(HWND window)
{
    int image = FindImageByWindow(window);
    return image < 0 ? NULL : BuildMenu(kMenuProcessTop, ImageTable[image]);
}
