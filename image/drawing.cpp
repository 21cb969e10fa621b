// drawing.cpp - the drawing primitives and the bitmap-font text on the current image, with the
// library's pen, drawing colours and text cursor.
#include <cstdarg>
#include <cstdio>

#include "imageops/bitmap_font.h"
#include "image/image_operations.h"
#include "imageops/raster.h"

void DrawLine(unsigned int colour, int x1, int y1, int x2, int y2)
{
    DrawLine(CurrentView(), PenPosition, colour, x1, y1, x2, y2);
}

void XorLine(int x1, int y1, int x2, int y2)
{
    XorLine(CurrentView(), PenPosition, x1, y1, x2, y2);
}

void DrawBox(int x1, int y1, int x2, int y2)
{
    DrawBox(CurrentView(), PenPosition, DrawColor, x1, y1, x2, y2);
}

void XorBox(int x1, int y1, int x2, int y2) { XorBox(CurrentView(), PenPosition, x1, y1, x2, y2); }

void FillBox(int x1, int y1, int x2, int y2)
{
    FillBox(CurrentView(), PenPosition, DrawColor, x1, y1, x2, y2);
}

void XorFillBox(int x1, int y1, int x2, int y2)
{
    XorFillBox(CurrentView(), PenPosition, x1, y1, x2, y2);
}

void DrawCircle(int cx, int cy, int radius, unsigned int colour)
{
    DrawCircle(CurrentView(), PenPosition, cx, cy, radius, colour);
}

void XorCircle(int cx, int cy, int radius) { XorCircle(CurrentView(), PenPosition, cx, cy, radius); }

void FillCircle(int cx, int cy, int radius)
{
    FillCircle(CurrentView(), PenPosition, cx, cy, radius, DrawColor);
}

void XorFillCircle(int cx, int cy, int radius)
{
    XorFillCircle(CurrentView(), PenPosition, cx, cy, radius);
}

void FloodFill(int x, int y) { FloodFill(CurrentView(), PenPosition, DrawColor, x, y); }

// The font's layout keeps its own cursor record; the library's TextCursor is copied through.
template <typename Draw>
static void WithCursor(Draw draw)
{
    GlyphCursor cursor = {TextCursor.x, TextCursor.y, TextCursor.left};
    draw(cursor);
    TextCursor.x = cursor.x;
    TextCursor.y = cursor.y;
    TextCursor.left = cursor.left;
}

void DrawChar(int c)
{
    WithCursor([&](GlyphCursor &cursor) {
        DrawGlyph(CurrentView(), PenPosition, cursor, tvx_tc, (unsigned char)c);
    });
}

void DrawString(const char *text)
{
    WithCursor([&](GlyphCursor &cursor) {
        DrawGlyphs(CurrentView(), PenPosition, cursor, tvx_tc, text);
    });
}

void DrawFormatted(const char *format, ...)
{
    if (format == nullptr)
        return;
    // Longer text is cut at 4095 characters.
    char text[4096];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    DrawString(text);
}
