// text_rules.cpp - platform-free rules of the text windows.
#include "text/text_rules.h"

int ScrollStep(TextCursorState *cursor, int *bandHeight)
{
    if (cursor->y + cursor->lineHeight < cursor->height)
        return 0;
    *bandHeight = cursor->y - cursor->lineHeight;
    cursor->y -= cursor->lineHeight;
    return 1;
}

BufferScroll PlanBufferScroll(int top, int bufferRows, int height, int lineHeight, int newY)
{
    BufferScroll plan = {-1, top + lineHeight, 0, 0, 0, 0};
    if (plan.top + height > bufferRows) {
        plan.compactFrom = top;
        plan.top = lineHeight;
    }
    auto clip = [height](int row) { return row < 0 ? 0 : row > height ? height : row; };
    // Moving the pixels would move only the band above the new line and clear from it to twice
    // its depth; in a window under three lines high some rows below keep what they had.
    plan.clearFrom = clip(newY);
    plan.clearTo = clip(2 * newY + lineHeight);
    plan.keepFrom = plan.clearTo;
    plan.keepTo = height;
    return plan;
}

int LayoutPrint(const uint16_t *units, int count, TextCursorState *cursor,
                const TextSurface &surface)
{
    int scrolls = 0;
    int x = cursor->x;
    int runStart = 0;
    int runLength = 0;
    for (int i = 0; i < count; i++) {
        uint16_t c = units[i];
        if (c == '\n') {
            if (runLength > 0)
                surface.drawRun(surface.context, units + runStart, runLength, cursor->x,
                                cursor->y);
            runStart = i + 1;
            runLength = 0;
            cursor->y += cursor->lineHeight;
            cursor->x = 0;
            x = 0;
            scrolls += surface.scroll(surface.context, cursor);
            continue;
        }
        int advance = CellsOf(c) * cursor->charWidth;
        if (x + advance > cursor->width) {
            if (runLength > 0)
                surface.drawRun(surface.context, units + runStart, runLength, cursor->x,
                                cursor->y);
            cursor->y += cursor->lineHeight;
            cursor->x = 0;
            x = 0;
            scrolls += surface.scroll(surface.context, cursor);
            runStart = i;
            runLength = 0;
        }
        runLength++;
        x += advance;
    }
    if (runLength > 0) {
        surface.drawRun(surface.context, units + runStart, runLength, cursor->x, cursor->y);
        cursor->x = x;
    }
    return scrolls;
}

void FillColorStack(ColorStack *stack, uint32_t text, uint32_t back)
{
    for (int i = 0; i < 8; i++) {
        stack->text[i] = text;
        stack->back[i] = back;
    }
}

void PushColors(ColorStack *stack, uint32_t *text, uint32_t *back, uint32_t newText,
                uint32_t newBack)
{
    for (int i = 7; i > 0; i--) {
        stack->text[i] = stack->text[i - 1];
        stack->back[i] = stack->back[i - 1];
    }
    stack->text[0] = *text;
    stack->back[0] = *back;
    *text = newText;
    *back = newBack;
}

void PopColors(ColorStack *stack, uint32_t *text, uint32_t *back)
{
    *text = stack->text[0];
    *back = stack->back[0];
    for (int i = 0; i < 7; i++) {
        stack->text[i] = stack->text[i + 1];
        stack->back[i] = stack->back[i + 1];
    }
}

bool KeyRingPut(KeyRingState *ring, uint16_t unit)
{
    std::lock_guard<std::mutex> hold(ring->lock);
    if (ring->read == ring->write)
        return false;
    ring->units[ring->write] = unit;
    if (ring->read == -1)
        ring->read = ring->write;
    ring->write = (ring->write + 1) & 255;
    return true;
}

uint16_t KeyRingTake(KeyRingState *ring)
{
    std::lock_guard<std::mutex> hold(ring->lock);
    if (ring->read == -1)
        return 0;
    uint16_t unit = ring->units[ring->read];
    ring->read = (ring->read + 1) & 255;
    if (ring->read == ring->write)
        ring->read = -1;
    return unit;
}

void KeyRingClear(KeyRingState *ring)
{
    std::lock_guard<std::mutex> hold(ring->lock);
    ring->write = 0;
    ring->read = -1;
}

void InputLineClear(InputLine *line)
{
    line->length = 0;
    line->markCount = 0;
    line->units[0] = 0;
}

static void NextLine(TextCursorState *cursor, const TextSurface &surface)
{
    cursor->x = 0;
    cursor->y += cursor->lineHeight;
    surface.scroll(surface.context, cursor);
}

bool InputLineInsert(InputLine *line, uint16_t unit, TextCursorState *cursor,
                     const TextSurface &surface)
{
    if (line->length >= kInputMaxUnits)
        return false;
    int cells = CellsOf(unit);
    int cw = cursor->charWidth;
    // A two-cell character that would not end within the width moves whole to the next line;
    // the mark remembers where it would have ended.
    if (cells == 2 && cursor->x > cursor->width - 2 * cw) {
        surface.drawCell(surface.context, ' ', cursor->x, cursor->y, 1);
        line->marks[line->markCount++] = cursor->x + 2 * cw;
        NextLine(cursor, surface);
    }
    surface.drawCell(surface.context, unit, cursor->x, cursor->y, cells);
    if (cursor->x + cells * cw > cursor->width - cw) {
        line->marks[line->markCount++] = cursor->x;
        NextLine(cursor, surface);
    } else {
        cursor->x += cells * cw;
    }
    line->units[line->length++] = unit;
    line->units[line->length] = 0;
    return true;
}

bool InputLineBackspace(InputLine *line, TextCursorState *cursor, const TextSurface &surface)
{
    if (line->length == 0)
        return false;
    int cw = cursor->charWidth;
    surface.drawCell(surface.context, ' ', cursor->x, cursor->y, 1);
    line->length--;
    int cells = CellsOf(line->units[line->length]);
    line->units[line->length] = 0;
    if (line->markCount > 0 && cursor->x == 0) {
        cursor->x = line->marks[--line->markCount];
        cursor->y -= cursor->lineHeight;
    } else {
        cursor->x -= cells * cw;
    }
    if (cells == 2) {
        surface.drawCell(surface.context, 0x3000, cursor->x, cursor->y, 2);
        if (line->markCount > 0 && cursor->x == 0 &&
            line->marks[line->markCount - 1] >= cursor->width) {
            cursor->x = line->marks[--line->markCount] - 2 * cw;
            cursor->y -= cursor->lineHeight;
        }
    }
    return true;
}
