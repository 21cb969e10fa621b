// truetype_text.cpp - the image-text font and TrueType text drawn into images.
//
// The font is made and used on the worker thread only (the drawing commands run there); the main
// thread deletes it after the worker has ended. Every change makes the new font before the old one
// goes, so there is always a font to draw with.
#include <windows.h>
#include <commdlg.h>

#include "image/image_rules.h"
#include "image/image_store.h"
#include "image/truetype_text.h"
#include "imageops/imageops.h"
#include "runtime/runtime.h"
#include "runtime/scoped.h"

int cellWidth = 8, cellHeight = 16;
static LOGFONTW Description;
static HFONT Font = NULL;

void ResetImageFont(void)
{
    Description = LOGFONTW();
    Description.lfHeight = 16;
    Description.lfWidth = 8;
    Description.lfCharSet = DEFAULT_CHARSET;
    Description.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynW(Description.lfFaceName, L"ＭＳ ゴシック", LF_FACESIZE);
    cellWidth = 8;
    cellHeight = 16;
}

void ReleaseImageFont(void)
{
    if (Font != NULL)
        DeleteObject(Font);
    Font = NULL;
}

static HFONT CurrentFont(void)
{
    if (Font == NULL)
        Font = CreateFontIndirectW(&Description);
    return Font;
}

// The font made anew from a changed description; a description no font can be made from is
// given up and the font before kept.
static int ChangeFont(const LOGFONTW &changed)
{
    HFONT made = CreateFontIndirectW(&changed);
    if (made == NULL)
        return 1;
    ReleaseImageFont();
    Font = made;
    Description = changed;
    return 0;
}

LOGFONTW ImageFontDescription(void) { return Description; }

int SetTrueTypeCellSize(int width, int height)
{
    LOGFONTW changed = Description;
    changed.lfWidth = width / 2;
    changed.lfHeight = height;
    if (ChangeFont(changed) != 0)
        return 1;
    cellWidth = width / 2;
    cellHeight = height;
    return 0;
}

void DrawTrueTypeText(const char *text)
{
    if (text == NULL)
        return;
    for (int code; (code = NextTextCode(&text)) >= 0;)
        DrawTrueTypeChar(code);
}

static void Style(int code)
{
    LOGFONTW changed = Description;
    switch (code) {
    case 1: changed.lfItalic = TRUE; break;
    case 2: changed.lfItalic = FALSE; break;
    case 3: changed.lfWeight = FW_BOLD; break;
    case 4: changed.lfWeight = FW_NORMAL; break;
    case 5: changed.lfUnderline = TRUE; break;
    case 6: changed.lfUnderline = FALSE; break;
    default: return;
    }
    ChangeFont(changed);
}

void DrawTrueTypeChar(int code)
{
    if (code < 32) {
        if (code == 10) {
            TextCursor.y += cellHeight;
            TextCursor.x = TextCursor.left;
        } else {
            Style(code);
        }
        return;
    }
    if ((unsigned)CurrentImage >= 256 || !ImageTable[CurrentImage].inUse)
        return;
    char bytes[2];
    int count = 0;
    if (code > 0xFF)
        bytes[count++] = (char)(code >> 8);
    bytes[count++] = (char)code;
    wchar_t unit;
    if (MultiByteToWideChar(CP_ACP, 0, bytes, count, &unit, 1) != 1)
        return;
    HDC dc = ImageTable[CurrentImage].memoryDC;
    SetTextColor(dc, RGB(tvx_tttc >> 16 & 0xFF, tvx_tttc >> 8 & 0xFF, tvx_tttc & 0xFF));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, CurrentFont());
    TextOutW(dc, TextCursor.x, TextCursor.y - cellHeight + 1, &unit, 1);
    ABC abc;
    INT width;
    if (GetCharABCWidthsW(dc, unit, unit, &abc))
        TextCursor.x += abc.abcA + (int)abc.abcB + abc.abcC;
    else if (GetCharWidth32W(dc, unit, unit, &width))
        TextCursor.x += width;
    GdiFlush();
}

// The first line starts at the rectangle's top-left corner, its characters as high as the
// rectangle and half as wide.
void TrueTypeDrawCommand(HWND window, int image)
{
    int left, top, right, bottom;
    if (PickRect(image, &left, &top, &right, &bottom) != 0)
        return;
    char line[256];
    if (!ReadTextForImage(window, image, line))
        return;
    TextCursor.y = bottom;
    TextCursor.x = TextCursor.left = left;
    SetTrueTypeCellSize(right - left + 1, bottom - top + 1);
    DrawTrueTypeText(line);
}

// Face and style from the system's font dialog; the cell size stays until the next "Draw".
void FontChangeCommand(HWND window, int)
{
    LOGFONTW chosen = Description;
    CHOOSEFONTW choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = window;
    choice.lpLogFont = &chosen;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_SCRIPTSONLY;
    choice.nFontType = SCREEN_FONTTYPE;
    if (ChooseFontW(&choice))
        ChangeFont(chosen);
}
