// bitmap_font.h - the built-in 8 x 14 bitmap font and its text layout over a pixel view (no
// Windows header).
#ifndef TVX_BITMAP_FONT_H
#define TVX_BITMAP_FONT_H

#include "imageops/pixel_view.h"

// Glyphs for the codes 32 to 127: byte i is row i of the cell (row 0 at the top), bit 7 the
// leftmost column.
enum { kGlyphFirst = 32, kGlyphCount = 96, kGlyphRows = 14, kGlyphWidth = 8, kLineAdvance = 16 };
extern const uint8_t (&FontGlyphs)[kGlyphCount][kGlyphRows];

// Where the next character goes: x is the left edge of its cell, y the baseline (the cell covers
// rows y - 14 to y - 1), left the column a new line returns to.
struct GlyphCursor {
    int x, y, left;
};

// One character in the colour, transparent background, each set pixel plotted (the pen follows).
// Line feed starts a new line; other codes outside 32 to 127 are skipped without moving the
// cursor, so double-byte text draws nothing. After a character the cursor wraps when its x is
// beyond width - 8.
void DrawGlyph(const PixelView &v, PenPoint &pen, GlyphCursor &cursor, uint32_t colour,
               unsigned char c);
void DrawGlyphs(const PixelView &v, PenPoint &pen, GlyphCursor &cursor, uint32_t colour,
                const char *text);

#endif
