// button_box.cpp - the button box: a grid of buttons whose clicks and digit keys are counted
// for the application to poll, renamed from the box itself.
#include <cstdio>

#include "boxes/boxes.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

ButtonBoxRecord ButtonBoxState;

static bool Exists(void) { return ButtonBoxState.boxWindow != NULL; }

static void PlaceButtons(void)
{
    ButtonBoxRecord &b = ButtonBoxState;
    for (int k = 0; k < b.buttonCount; k++) {
        if (b.button[k] == NULL)
            continue;   // not made yet: the first size message comes during creation
        BoxPoint at = ButtonPosition(k % b.columns, k / b.columns, b.buttonWidth, b.buttonHeight);
        SetWindowPos(b.button[k], NULL, at.x, at.y, b.buttonWidth, b.buttonHeight, SWP_NOZORDER);
    }
}

void TVX_OpenButtonBox(int x, int y, int nx, int ny)
{
    ButtonBoxRecord &b = ButtonBoxState;
    if (Exists() || nx < 1 || ny < 1 || (long long)nx * ny > 256)
        return;
    b.buttonCount = nx * ny;
    b.columns = nx;
    b.rows = ny;
    for (HWND &button : b.button)
        button = NULL;
    BoxSize client = ButtonBoxClient(nx, ny, b.buttonWidth, b.buttonHeight);
    RECT outer = {0, 0, client.width, client.height};
    AdjustWindowRect(&outer, kBoxStyle, FALSE);
    // Made hidden and shown once whole, so that showing it is the one moment it may take the
    // foreground (see ShowBoxWindow).
    b.boxWindow = CreateWindowExW(0, L"tvx_bb", L"ButtonBox", kBoxStyle & ~WS_VISIBLE, x, y,
                                  outer.right - outer.left, outer.bottom - outer.top, MainWindow,
                                  NULL, InstanceHandle, NULL);
    if (b.boxWindow == NULL)
        return;
    for (int row = 0; row < ny; row++)
        for (int column = 0; column < nx; column++) {
            int k = row * nx + column;
            wchar_t label[16];
            swprintf(label, 16, L"%d", k);
            BoxPoint at = ButtonPosition(column, row, b.buttonWidth, b.buttonHeight);
            b.button[k] = CreateWindowExW(0, L"BUTTON", label, WS_CHILD | WS_VISIBLE | BS_MULTILINE,
                                          at.x, at.y, b.buttonWidth, b.buttonHeight, b.boxWindow,
                                          NULL, InstanceHandle, NULL);
            b.pressCount[k] = 0;
        }
    ShowBoxWindow(b.boxWindow);
}

void TVX_SetButtonBoxTitle(int index, const char *text)
{
    if (!Exists() || index < 0 || index >= ButtonBoxState.buttonCount)
        return;
    SetWindowTextAnsi(ButtonBoxState.button[index], text);   // cut to 255 characters
}

int TVX_GetButtonPress(int index)
{
    if (!Exists() || index < 0 || index >= ButtonBoxState.buttonCount)
        return 0;
    int count = ButtonBoxState.pressCount[index];
    ButtonBoxState.pressCount[index] = 0;
    return count;
}

void TVX_ResizeButtonBox(int width, int height)
{
    if (!Exists())
        return;
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, kBoxStyle, FALSE);
    SetWindowPos(ButtonBoxState.boxWindow, NULL, 0, 0, outer.right - outer.left,
                 outer.bottom - outer.top, SWP_NOMOVE | SWP_NOZORDER);
}

void DestroyButtonBox(void)
{
    if (!Exists())
        return;
    HWND box = ButtonBoxState.boxWindow;
    ButtonBoxState.boxWindow = NULL;
    if (!DestroyWindow(box))
        MessageBoxW(MainWindow, L"DestroyWindow[BB] error", L"TORVEX error!", MB_OK | MB_ICONERROR);
}

void ShowBoxWindow(HWND box)
{
    if (GetForegroundWindow() == MainWindow) {
        ShowWindow(box, SW_SHOWNA);
        SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        UpdateWindow(box);
        return;
    }
    ShowWindow(box, SW_SHOW);
    UpdateWindow(box);
    SetForegroundWindow(box);
}

void ShowOneItemMenu(HWND window, UINT id, const char *text)
{
    HMENU menu = CreatePopupMenu();
    InsertMenuText(menu, 0, 0, id, text);
    TrackMenuAtCursor(menu, window);
}

bool AskForLabel(int k, HWND control, char line[256])
{
    char label[256];
    GetWindowTextAnsi(control, label, sizeof label);   // cut to fit
    EnsureTextWindow();
    TVX_Print("%d '%s' ->", k, label);
    TVX_InputText(line);
    return line[0] != '\0';
}

static void RenameButton(int k)
{
    ButtonBoxRecord &b = ButtonBoxState;
    if (k < 0 || k >= b.buttonCount)
        return;
    char line[256];
    // The box may be gone when the line comes: renaming waits in a line input.
    if (AskForLabel(k, b.button[k], line) && Exists() && k < b.buttonCount)
        SetWindowTextAnsi(b.button[k], line);
}

static void OnCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    ButtonBoxRecord &b = ButtonBoxState;
    if (lParam == 0) {   // menu commands
        if (LOWORD(wParam) == kCmdRenameButton)
            RenameButton(b.renameIndex);
        else if (LOWORD(wParam) == kCmdDestroyButtonBox)
            DestroyButtonBox();
        return;
    }
    if (HIWORD(wParam) != BN_CLICKED)
        return;
    for (int k = 0; k < b.buttonCount; k++) {
        if (b.button[k] == (HWND)lParam) {
            b.pressCount[k]++;
            SetFocus(window);   // keys typed after a click reach the box
            return;
        }
    }
}

static void OnKeyDown(HWND window, WPARAM key)
{
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    if (ctrl) {
        if (key == 'Q' && !IsModalWaitActive())
            PostMessageW(window, WM_CLOSE, 0, 0);
        return;
    }
    ForwardMainKey(key);
}

static int IndexAt(LPARAM lParam)
{
    const ButtonBoxRecord &b = ButtonBoxState;
    return ButtonAt((short)LOWORD(lParam), (short)HIWORD(lParam), b.columns, b.rows,
                    b.buttonWidth, b.buttonHeight);
}

LRESULT CALLBACK ButtonBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (window != ButtonBoxState.boxWindow && message != WM_SIZE)
        return DefWindowProcW(window, message, wParam, lParam);
    ButtonBoxRecord &b = ButtonBoxState;
    switch (message) {
    case WM_SIZE: {
        if (b.columns < 1 || b.rows < 1)
            return 0;
        BoxSize size = ButtonSizeFor(LOWORD(lParam), HIWORD(lParam), b.columns, b.rows);
        b.buttonWidth = size.width;
        b.buttonHeight = size.height;
        PlaceButtons();
        return 0;
    }
    case WM_COMMAND: OnCommand(window, wParam, lParam); return 0;
    case WM_CHAR:
        if (wParam >= '0' && wParam <= '9' && (int)(wParam - '0') < b.buttonCount)
            b.pressCount[wParam - '0']++;
        return 0;
    case WM_KEYDOWN: OnKeyDown(window, wParam); return 0;
    // Renaming reads a line: refused, like the menus, while a line input or click wait runs.
    case WM_LBUTTONDBLCLK:
        if (!IsModalWaitActive())
            RenameButton(IndexAt(lParam));
        return 0;
    case WM_RBUTTONDOWN:
        if (!IsModalWaitActive()) {
            b.renameIndex = IndexAt(lParam);
            ShowOneItemMenu(window, kCmdRenameButton, "Rename");
        }
        return 0;
    case WM_NCRBUTTONDOWN:
        if (!IsModalWaitActive())
            ShowOneItemMenu(window, kCmdDestroyButtonBox, "&Destroy\tCtrl+Q");
        return 0;
    case WM_CLOSE: DestroyButtonBox(); return 0;
    case WM_DESTROY:
    case WM_MOVING:
    case WM_MOVE: return SnapWindowMessage(window, message, lParam);
    default: return DefWindowProcW(window, message, wParam, lParam);
    }
}
