// text_rules.h - platform-free rules of the text windows (no Windows header): character cells,
// the print layout with wrapping, the colour stack, the key ring and the line editor with its
// wrap marks. The window code feeds them its cursor and draws what they ask for.
#ifndef TVX_TEXT_RULES_H
#define TVX_TEXT_RULES_H

#include <cstdint>
#include <mutex>

// A UTF-16 unit below 0x80 takes one cell, any other two.
inline int CellsOf(uint16_t unit) { return unit < 0x80 ? 1 : 2; }

// The pixel cursor of a text window and the sizes it moves in.
struct TextCursorState {
    int x, y;
    int width, height;        // client size
    int charWidth, lineHeight;
};

// Where the window code draws and scrolls. scroll() applies the scrolling rule to cursor->y
// (and moves the pixels) and returns 1 when it scrolled.
struct TextSurface {
    void *context;
    void (*drawRun)(void *context, const uint16_t *units, int count, int x, int y);
    void (*drawCell)(void *context, uint16_t unit, int x, int y, int cells);
    int (*scroll)(void *context, TextCursorState *cursor);
};

// The scrolling rule: when the line at cursor->y no longer fits, the band below the first line
// moves up one line and the cursor with it. Returns 1 and the band height in *bandHeight.
int ScrollStep(TextCursorState *cursor, int *bandHeight);

// The back buffer is taller than the window, which shows its rows from `top` on: a scroll moves
// `top` down a line instead of moving the pixels, and only when the buffer runs out are the shown
// rows moved back to its start. The window then shows exactly what moving the pixels would show.
struct BufferScroll {
    int compactFrom;        // >= 0: first move buffer rows [compactFrom, +height) to row 0
    int top;                // the buffer row at the window's top afterwards
    int keepFrom, keepTo;   // window rows that keep what they showed: copied down one line
    int clearFrom, clearTo; // window rows painted black (the new line and below)
};
// For a scroll that left the cursor at newY (ScrollStep's result), from `top`.
BufferScroll PlanBufferScroll(int top, int bufferRows, int height, int lineHeight, int newY);
// The rows of a back buffer for a window `height` rows high.
inline int BufferRowsFor(int height, int lineHeight) { return 3 * height + lineHeight; }

// Lays out and draws printed text: runs between line feeds and wraps, one drawRun each.
// Returns the number of scrolls.
int LayoutPrint(const uint16_t *units, int count, TextCursorState *cursor,
                const TextSurface &surface);

// The 8-deep colour stack of a text window.
struct ColorStack {
    uint32_t text[8];
    uint32_t back[8];
};
void FillColorStack(ColorStack *stack, uint32_t text, uint32_t back);
void PushColors(ColorStack *stack, uint32_t *text, uint32_t *back, uint32_t newText,
                uint32_t newBack);
void PopColors(ColorStack *stack, uint32_t *text, uint32_t *back);

// The ring of typed units between a text window and the line input that waits for them. The
// writer and the reader may be different threads; the lock makes each put and take whole.
struct KeyRingState {
    uint16_t units[256];
    int write = 0;
    int read = -1;   // -1: empty; equal to write: full
    std::mutex lock;
};
bool KeyRingPut(KeyRingState *ring, uint16_t unit);   // false when full (the unit is dropped)
uint16_t KeyRingTake(KeyRingState *ring);             // 0 when empty
void KeyRingClear(KeyRingState *ring);

// The line being typed: its units and the wrap marks that let backspace return to the exact
// place on the line above.
enum { kInputMaxUnits = 255 };
struct InputLine {
    uint16_t units[kInputMaxUnits + 1];
    int length;
    int marks[kInputMaxUnits + 1];
    int markCount;
};
void InputLineClear(InputLine *line);
// Inserts one unit at the cursor (echoing it); false when the line is full.
bool InputLineInsert(InputLine *line, uint16_t unit, TextCursorState *cursor,
                     const TextSurface &surface);
// Removes the last unit and moves the cursor back over it; false when the line is empty.
bool InputLineBackspace(InputLine *line, TextCursorState *cursor, const TextSurface &surface);

#endif
