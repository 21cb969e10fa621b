// box_rules.cpp - layout rules of the button box and the input box.
#include "boxes/box_rules.h"

BoxPoint ButtonPosition(int column, int row, int buttonWidth, int buttonHeight)
{
    return {column * (buttonWidth + 4) + 4, row * (buttonHeight + 4) + 4};
}

BoxSize ButtonBoxClient(int columns, int rows, int buttonWidth, int buttonHeight)
{
    return {columns * (buttonWidth + 4) + 4, rows * (buttonHeight + 4) + 4};
}

BoxSize ButtonSizeFor(int width, int height, int columns, int rows)
{
    int w = width - (columns * 4 + 4);
    int h = height - (rows * 4 + 4);
    return {(w < 1 ? 1 : w) / columns, (h < 1 ? 1 : h) / rows};
}

static int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

int ButtonAt(int x, int y, int columns, int rows, int buttonWidth, int buttonHeight)
{
    int column = Clamp(x / (buttonWidth + 4), 0, columns - 1);
    int row = Clamp(y / (buttonHeight + 4), 0, rows - 1);
    return row * columns + column;
}

int ClampInputItems(int items) { return Clamp(items, 1, kInputBoxMaxItems); }

BoxPoint InputLabelPosition(int item) { return {4, 4 + 28 * item + 3}; }

BoxPoint InputEditPosition(int item, int labelWidth) { return {labelWidth + 8, 4 + 28 * item}; }

BoxSize InputBoxClient(int items, int labelWidth, int editWidth)
{
    return {labelWidth + editWidth + 12, items * 28 + 2};
}

void InputColumnsFor(int clientWidth, int sizingEdge, int *labelWidth, int *editWidth)
{
    // WMSZ_LEFT, WMSZ_TOPLEFT and WMSZ_BOTTOMLEFT move the left edge.
    if (sizingEdge == 1 || sizingEdge == 4 || sizingEdge == 7) {
        int w = clientWidth - *editWidth - 12;
        *labelWidth = w < 1 ? 1 : w;
    } else {
        int w = clientWidth - *labelWidth - 12;
        *editWidth = w < 1 ? 1 : w;
    }
}

int InputItemAt(int y, int items)
{
    if (y < 0)
        return -1;
    int item = y / 28;
    return item < items ? item : -1;
}
