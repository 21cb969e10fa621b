// box_rules.h - platform-free layout rules of the button box and the input box (no Windows
// header): grid positions, client sizes, the resize rules and which item a point falls on.
#ifndef TVX_BOX_RULES_H
#define TVX_BOX_RULES_H

struct BoxPoint {
    int x, y;
};
struct BoxSize {
    int width, height;
};

// Button box: buttons of w x h in a grid with 4-pixel gaps and margins.
BoxPoint ButtonPosition(int column, int row, int buttonWidth, int buttonHeight);
BoxSize ButtonBoxClient(int columns, int rows, int buttonWidth, int buttonHeight);
// The button size that fills a client area of width x height (0 when it is very narrow).
BoxSize ButtonSizeFor(int width, int height, int columns, int rows);
// The button under or nearest a client point.
int ButtonAt(int x, int y, int columns, int rows, int buttonWidth, int buttonHeight);

// Input box: rows of 28 pixels, a label column and an edit column.
enum { kInputBoxMaxItems = 30 };
int ClampInputItems(int items);   // 1 to 30
BoxPoint InputLabelPosition(int item);
BoxPoint InputEditPosition(int item, int labelWidth);
BoxSize InputBoxClient(int items, int labelWidth, int editWidth);
// The new column widths for a client width; the left edges resize the label column.
void InputColumnsFor(int clientWidth, int sizingEdge, int *labelWidth, int *editWidth);
// The item under a client y, or -1 below the last row.
int InputItemAt(int y, int items);

#endif
