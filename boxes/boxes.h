// boxes.h - the button box and the input box inside the library.
#ifndef TVX_BOXES_H
#define TVX_BOXES_H

#include <windows.h>

#include "boxes/box_rules.h"
#include "torvex.h"

struct ButtonBoxRecord {
    HWND boxWindow;
    int columns, rows;
    int buttonCount;
    int buttonWidth, buttonHeight;
    HWND button[256];
    int pressCount[256];
    int renameIndex;
};
extern ButtonBoxRecord ButtonBoxState;

struct InputBoxRecord {
    HWND boxWindow;
    int itemCount;
    int labelWidth, editWidth;
    HWND label[kInputBoxMaxItems];
    HWND edit[kInputBoxMaxItems];
    char *value[kInputBoxMaxItems];
    HWND focusedEdit;
    int sizingEdge;
    int renameIndex;
};
extern InputBoxRecord InputBoxState;

void ResetBoxes(void);   // the start-up sizes
void DestroyButtonBox(void);
void DestroyInputBox(void);
HWND InputBoxWindow(void);   // NULL when there is no input box
// Shared by both boxes: a popup menu of one item at the cursor, and the rename prompt in the
// current text window (false for an empty line).
void ShowOneItemMenu(HWND window, UINT id, const char *text);
// Shows a box made hidden, in front. It takes the foreground only when the main window does not
// have it: keys the user types there in quick succession (X just after S opened the box) must
// still reach the main window, and under Wine a key in flight while the foreground moves is lost.
void ShowBoxWindow(HWND box);
bool AskForLabel(int k, HWND control, char line[256]);
LRESULT CALLBACK ButtonBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK InputBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

enum {
    kBoxStyle = WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME,   // 0x10CC0000
    kCmdRenameItem = 1056,
    kCmdDestroyInputBox = 1023,
    kCmdRenameButton = 1057,
    kCmdDestroyButtonBox = 1050,
};

// The main thread's requests that the worker make a box anew at the screen's origin; each waits
// until it is served.
enum { kRequestOpenInputBox = 9006, kRequestOpenButtonBox = 9007 };
// The main window's commands that make the boxes.
enum { kCmdInputBox = 1044, kCmdButtonBox = 1051 };
void RequestOpenInputBox(int count);
void RequestOpenButtonBox(int nx, int ny);

#endif
