// truetype_text.h - text in a system TrueType font drawn into the current image: one image-text
// font for the program, sized by a clicked rectangle, styled by codes inside the text.
#ifndef TVX_TRUETYPE_TEXT_H
#define TVX_TRUETYPE_TEXT_H

#include <windows.h>

// The font's cell as last set: cellHeight is also the line step.
extern int cellWidth, cellHeight;

int SetTrueTypeCellSize(int width, int height);   // 0, or 1 when the font could not be made
                                                  // (the one before stays)
// Draws system code page text at TextCursor in tvx_tttc, one character at a time; codes 1 to 6
// switch italic, bold and underline on and off, 10 starts a new line. No wrapping: what passes
// the image's edge is cut.
void DrawTrueTypeText(const char *text);
void DrawTrueTypeChar(int code);   // one byte, or lead byte x 256 + trail byte

// The font's description now (face, size, weight, style).
LOGFONTW ImageFontDescription(void);

// The image window commands "TrueType..." / "Draw" and "Font Change".
void TrueTypeDrawCommand(HWND window, int image);
void FontChangeCommand(HWND window, int image);

// The font is made by the worker when first used and let go here, after the worker has ended.
void ResetImageFont(void);
void ReleaseImageFont(void);

#endif
