// truetype_text.cpp - the image-text font and TrueType text drawn into images.
//
// The font is made and used on the worker thread only (the drawing commands run there); the main
// thread deletes it after the worker has ended. Every change makes the new font before the old one
// goes, so there is always a font to draw with.
#include <windows.h>

#include <string>
#include <commdlg.h>

#include "image/image_rules.h"
#include "image/image_store.h"
#include "image/truetype_text.h"
#include "image/image_operations.h"
#include "runtime/runtime.h"
#include "runtime/scoped.h"

int cellWidth = 8, cellHeight = 16;
static struct {
    LOGFONTW description;
    HFONT font;   // made from the description when first drawn with
} ImageFont;

void ResetImageFont(void)
{
    ImageFont.description = LOGFONTW();
    ImageFont.description.lfHeight = 16;
    ImageFont.description.lfWidth = 8;
    ImageFont.description.lfCharSet = DEFAULT_CHARSET;
    ImageFont.description.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    lstrcpynW(ImageFont.description.lfFaceName, L"ＭＳ ゴシック", LF_FACESIZE);
    cellWidth = 8;
    cellHeight = 16;
}

void ReleaseImageFont(void)
{
    if (ImageFont.font != NULL)
        DeleteObject(ImageFont.font);
    ImageFont.font = NULL;
}

static HFONT CurrentFont(void)
{
    if (ImageFont.font == NULL)
        ImageFont.font = CreateFontIndirectW(&ImageFont.description);
    return ImageFont.font;
}

// The font made anew from a changed description; a description no font can be made from is
// given up and the font before kept.
static int ChangeFont(const LOGFONTW &changed)
{
    HFONT made = CreateFontIndirectW(&changed);
    if (made == NULL)
        return 1;
    ReleaseImageFont();
    ImageFont.font = made;
    ImageFont.description = changed;
    return 0;
}

LOGFONTW ImageFontDescription(void) { return ImageFont.description; }

int SetTrueTypeCellSize(int width, int height)
{
    LOGFONTW changed = ImageFont.description;
    changed.lfWidth = width / 2;
    changed.lfHeight = height;
    if (ChangeFont(changed) != 0)
        return 1;
    cellWidth = width / 2;
    cellHeight = height;
    return 0;
}

static void DrawUnits(const wchar_t *units, int count);

// The text is read as the system code page gives it (double-byte in 932, single bytes in 1252,
// up to four bytes in UTF-8): every character it names is drawn.
void DrawTrueTypeText(const char *text)
{
    if (text == NULL)
        return;
    // A lead byte without its trail ends the text.
    const char *end = text;
    while (*end != 0 && !(IsDBCSLeadByte((BYTE)*end) && end[1] == 0))
        end += IsDBCSLeadByte((BYTE)*end) ? 2 : 1;
    int bytes = (int)(end - text);
    int length = bytes == 0 ? 0 : MultiByteToWideChar(CP_ACP, 0, text, bytes, NULL, 0);
    if (length <= 0)
        return;
    std::wstring wide((size_t)length + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, bytes, &wide[0], length);
    for (int i = 0; i < length; i++) {
        wchar_t unit = wide[(size_t)i];
        if (unit < 32) {
            DrawTrueTypeChar(unit);
            continue;
        }
        bool pair = IS_HIGH_SURROGATE(unit) && i + 1 < length && IS_LOW_SURROGATE(wide[(size_t)i + 1]);
        DrawUnits(&wide[(size_t)i], pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
}

static void Style(int code)
{
    LOGFONTW changed = ImageFont.description;
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
    char bytes[2];
    int count = 0;
    if (code > 0xFF)
        bytes[count++] = (char)(code >> 8);
    bytes[count++] = (char)code;
    wchar_t units[2];
    int made = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, count, units, 2);
    if (made == 1)
        DrawUnits(units, 1);
}

// One character (a surrogate pair counts as one) at the cursor, which then moves past it.
static void DrawUnits(const wchar_t *units, int count)
{
    if ((unsigned)CurrentImage >= 256 || !ImageTable[CurrentImage].inUse)
        return;
    HDC dc = ImageTable[CurrentImage].memoryDC;
    SetTextColor(dc, RGB(tvx_tttc >> 16 & 0xFF, tvx_tttc >> 8 & 0xFF, tvx_tttc & 0xFF));
    SetBkMode(dc, TRANSPARENT);
    SelectedObject font(dc, CurrentFont());
    TextOutW(dc, TextCursor.x, TextCursor.y - cellHeight + 1, units, count);
    ABC abc;
    INT width;
    SIZE extent;
    if (count == 1 && GetCharABCWidthsW(dc, units[0], units[0], &abc))
        TextCursor.x += abc.abcA + (int)abc.abcB + abc.abcC;
    else if (count == 1 && GetCharWidth32W(dc, units[0], units[0], &width))
        TextCursor.x += width;
    else if (GetTextExtentPoint32W(dc, units, count, &extent))
        TextCursor.x += extent.cx;
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
    LOGFONTW chosen = ImageFont.description;
    CHOOSEFONTW choice = {};
    choice.lStructSize = sizeof choice;
    choice.hwndOwner = window;
    choice.lpLogFont = &chosen;
    choice.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS | CF_SCRIPTSONLY;
    choice.nFontType = SCREEN_FONTTYPE;
    if (ChooseFontW(&choice))
        ChangeFont(chosen);
}
