// input_box.cpp - the input box: a column of labelled edit fields whose values the library keeps
// as text, with dialog-style keys, width-only resizing and renaming of the labels.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "boxes/boxes.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

InputBoxRecord InputBoxState;

void ResetBoxes(void)
{
    ButtonBoxState = ButtonBoxRecord();
    ButtonBoxState.buttonWidth = 98;
    ButtonBoxState.buttonHeight = 26;
    InputBoxState = InputBoxRecord();
    InputBoxState.labelWidth = 80;
    InputBoxState.editWidth = 70;
}

static bool Exists(void) { return InputBoxState.boxWindow != NULL; }

HWND InputBoxWindow(void) { return InputBoxState.boxWindow; }

static void Layout(void)
{
    InputBoxRecord &b = InputBoxState;
    for (int i = 0; i < b.itemCount; i++) {
        if (b.label[i] != NULL)
            SetWindowPos(b.label[i], NULL, 0, 0, b.labelWidth, 24, SWP_NOMOVE | SWP_NOZORDER);
        if (b.edit[i] != NULL) {
            BoxPoint at = InputEditPosition(i, b.labelWidth);
            SetWindowPos(b.edit[i], NULL, at.x, at.y, b.editWidth, 24, SWP_NOZORDER);
        }
    }
}

void TVX_OpenInputBox(int x, int y, int items)
{
    InputBoxRecord &b = InputBoxState;
    if (Exists())
        return;
    b.itemCount = ClampInputItems(items);
    for (int i = 0; i < kInputBoxMaxItems; i++) {
        b.label[i] = b.edit[i] = NULL;
        b.value[i] = NULL;
    }
    b.focusedEdit = NULL;
    BoxSize client = InputBoxClient(b.itemCount, b.labelWidth, b.editWidth);
    RECT outer = {0, 0, client.width, client.height};
    AdjustWindowRect(&outer, kBoxStyle, FALSE);
    b.boxWindow = CreateWindowExW(0, L"tvx_ib", L"InputBox", kBoxStyle & ~WS_VISIBLE, x, y,
                                  outer.right - outer.left, outer.bottom - outer.top, MainWindow,
                                  NULL, InstanceHandle, NULL);
    if (b.boxWindow == NULL)
        return;
    for (int i = 0; i < b.itemCount; i++) {
        wchar_t text[32];
        swprintf(text, 32, L"Item %d", i);
        BoxPoint at = InputLabelPosition(i);
        b.label[i] = CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP,
                                     at.x, at.y, b.labelWidth, 24, b.boxWindow, NULL,
                                     InstanceHandle, NULL);
        b.value[i] = (char *)calloc(256, 1);
        if (b.value[i] != NULL)
            strcpy(b.value[i], "0");
        at = InputEditPosition(i, b.labelWidth);
        b.edit[i] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0",
                                    WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL,
                                    at.x, at.y, b.editWidth, 24, b.boxWindow, NULL,
                                    InstanceHandle, NULL);
    }
    ShowBoxWindow(b.boxWindow);
    SetFocus(b.edit[0]);
    b.focusedEdit = b.edit[0];
}

static int ItemOfEdit(HWND edit)
{
    for (int i = 0; i < InputBoxState.itemCount; i++)
        if (InputBoxState.edit[i] == edit && edit != NULL)
            return i;
    return -1;
}

static void StoreValue(HWND edit)
{
    int i = ItemOfEdit(edit);
    if (i < 0 || InputBoxState.value[i] == NULL)
        return;
    GetWindowTextAnsi(edit, InputBoxState.value[i], 256);
}

int TVX_GetInputBoxValue(int item, char *buffer, int bytes)
{
    if (buffer == NULL || bytes <= 0)
        return 2;
    buffer[0] = '\0';
    if (!Exists() || item < 0 || item >= InputBoxState.itemCount ||
        InputBoxState.value[item] == NULL)
        return 1;
    lstrcpynA(buffer, InputBoxState.value[item], bytes);
    return 0;
}

int TVX_SetInputBoxValue(int item, const char *text)
{
    if (!Exists() || item < 0 || item >= InputBoxState.itemCount ||
        InputBoxState.value[item] == NULL)
        return 1;
    lstrcpynA(InputBoxState.value[item], text != NULL ? text : "", 256);
    SetWindowTextAnsi(InputBoxState.edit[item], InputBoxState.value[item]);
    return 0;
}

void TVX_SetInputBoxTitle(int item, const char *text)
{
    if (!Exists() || item < 0 || item >= InputBoxState.itemCount)
        return;
    SetWindowTextAnsi(InputBoxState.label[item], text);
}

void TVX_ResizeInputBox(int labelWidth, int editWidth)
{
    if (!Exists())
        return;
    InputBoxRecord &b = InputBoxState;
    b.labelWidth = labelWidth < 1 ? 1 : labelWidth;
    b.editWidth = editWidth < 1 ? 1 : editWidth;
    BoxSize client = InputBoxClient(b.itemCount, b.labelWidth, b.editWidth);
    RECT outer = {0, 0, client.width, client.height};
    AdjustWindowRect(&outer, kBoxStyle, FALSE);
    // The right edge's rule then keeps both widths as they were set.
    b.sizingEdge = 0;
    SetWindowPos(b.boxWindow, NULL, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER);
    Layout();
}

void DestroyInputBox(void)
{
    InputBoxRecord &b = InputBoxState;
    if (!Exists())
        return;
    HWND box = b.boxWindow;
    b.boxWindow = NULL;
    if (!DestroyWindow(box))
        MessageBoxW(MainWindow, L"DestroyWindow[IB] Error", L"TORVEX Error!", MB_OK | MB_ICONERROR);
    for (char *&value : b.value) {
        free(value);
        value = NULL;
    }
    b.focusedEdit = NULL;
}

static void RenameItem(int k)
{
    InputBoxRecord &b = InputBoxState;
    if (k < 0 || k >= b.itemCount)
        return;
    char line[256];
    if (AskForLabel(k, b.label[k], line) && Exists() && k < b.itemCount) {
        SetWindowTextAnsi(b.label[k], "                    ");
        SetWindowTextAnsi(b.label[k], line);
    }
}

static void OnCommand(WPARAM wParam, LPARAM lParam)
{
    InputBoxRecord &b = InputBoxState;
    int id = LOWORD(wParam);
    if (lParam != 0) {   // from an edit field
        if (HIWORD(wParam) == EN_KILLFOCUS)
            StoreValue((HWND)lParam);
        else if (HIWORD(wParam) == EN_SETFOCUS && ItemOfEdit((HWND)lParam) >= 0)
            b.focusedEdit = (HWND)lParam;
        return;
    }
    switch (id) {
    case IDOK: StoreValue(b.focusedEdit); break;   // Enter
    case kCmdRenameItem: RenameItem(b.renameIndex); break;
    case kCmdDestroyInputBox: DestroyInputBox(); break;
    default: break;   // IDCANCEL (Esc) and the rest change nothing
    }
}

static void OnActivate(void)
{
    InputBoxRecord &b = InputBoxState;
    if (b.focusedEdit == NULL)
        b.focusedEdit = b.edit[0];
    SetFocus(b.focusedEdit);
    if (b.edit[0] != NULL)
        PostMessageW(b.edit[0], EM_SETSEL, 0, GetWindowTextLengthW(b.edit[0]));
}

LRESULT CALLBACK InputBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != InputBoxState.boxWindow)
        return DefWindowProcW(window, message, wParam, lParam);
    InputBoxRecord &b = InputBoxState;
    switch (message) {
    case WM_COMMAND: OnCommand(wParam, lParam); return 0;
    case WM_ACTIVATE: OnActivate(); return 0;
    case WM_SIZING: {
        // Only the width changes: the top and bottom stay where they are.
        RECT *proposed = (RECT *)lParam;
        RECT now;
        GetWindowRect(window, &now);
        proposed->top = now.top;
        proposed->bottom = now.bottom;
        b.sizingEdge = (int)wParam;
        return TRUE;
    }
    case WM_SIZE:
        InputColumnsFor(LOWORD(lParam), b.sizingEdge, &b.labelWidth, &b.editWidth);
        Layout();
        return 0;
    // Renaming reads a line: refused, like the menus, while a line input or click wait runs.
    case WM_LBUTTONDBLCLK: {
        int item = InputItemAt((short)HIWORD(lParam), b.itemCount);
        if (item >= 0 && !IsModalWaitActive())
            RenameItem(item);
        return 0;
    }
    case WM_RBUTTONDOWN: {
        int item = InputItemAt((short)HIWORD(lParam), b.itemCount);
        if (item >= 0 && !IsModalWaitActive()) {
            b.renameIndex = item;
            ShowOneItemMenu(window, kCmdRenameItem, "Rename");
        }
        return 0;
    }
    case WM_NCRBUTTONDOWN:
        if (!IsModalWaitActive())
            ShowOneItemMenu(window, kCmdDestroyInputBox, "Destroy");
        return 0;
    case WM_CLOSE: DestroyInputBox(); return 0;
    case WM_DESTROY:
    case WM_MOVING:
    case WM_MOVE: return SnapWindowMessage(window, message, lParam);
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
