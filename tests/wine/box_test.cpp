// The button box and the input box under Wine: real windows and controls, clicks and keys sent
// through the system's input queue, the main window's prompts.
#include <string>

#include <gtest/gtest.h>

#include "boxes/boxes.h"
#include "runtime/runtime.h"
#include "test_app.h"
#include "text/text_window.h"

// A left click at a window's client point, through the input queue as from the mouse.
static void ClickAt(HWND window, int x, int y)
{
    POINT at = {x, y};
    ClientToScreen(window, &at);
    SetCursorPos(at.x, at.y);
    Sleep(30);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(60);
}

static void PressKey(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(60);
}

TEST(ButtonBox, OpensElevenByThreeAndRefusesWhatDoesNotFit)
{
    EXPECT_EQ(0, RunOnWorker([] {
        TVX_OpenButtonBox(0, 336, 11, 3);
        ButtonBoxRecord &b = ButtonBoxState;
        ASSERT_NE((HWND)NULL, b.boxWindow);
        EXPECT_EQ(L"ButtonBox", TextOf(b.boxWindow));
        EXPECT_EQ(1126, ClientOf(b.boxWindow).cx);
        EXPECT_EQ(94, ClientOf(b.boxWindow).cy);
        for (int k = 0; k < 33; k++) {
            EXPECT_EQ(std::to_wstring(k), TextOf(b.button[k]));
            RECT r;
            GetWindowRect(b.button[k], &r);
            ASSERT_EQ(98, r.right - r.left);
            ASSERT_EQ(26, r.bottom - r.top);
        }
        HWND first = b.boxWindow;
        TVX_OpenButtonBox(0, 0, 2, 2);   // one is open: nothing changes
        EXPECT_EQ(first, b.boxWindow);
        EXPECT_EQ(33, b.buttonCount);
        TVX_SetButtonBoxTitle(11, "Capture");
        EXPECT_EQ(L"Capture", TextOf(b.button[11]));
        TVX_SetButtonBoxTitle(33, "none");   // no such button
        TVX_SetButtonBoxTitle(12, std::string(400, 'x').c_str());   // cut to 255
        EXPECT_EQ(255u, TextOf(b.button[12]).size());
        EXPECT_EQ(0, TVX_GetButtonPress(40));

        DestroyButtonBox();
        EXPECT_EQ(NULL, b.boxWindow);
        EXPECT_FALSE(IsWindow(first));
        EXPECT_EQ(0, TVX_GetButtonPress(0));
        TVX_OpenButtonBox(0, 0, 17, 16);
        EXPECT_EQ(NULL, b.boxWindow);
        TVX_OpenButtonBox(0, 0, 0, 5);
        EXPECT_EQ(NULL, b.boxWindow);
        TVX_OpenButtonBox(0, 0, 16, 16);
        EXPECT_NE((HWND)NULL, b.boxWindow);
        EXPECT_EQ(256, b.buttonCount);
        DestroyButtonBox();

        // Resized, the buttons follow (how narrow boxes divide is checked natively).
        TVX_OpenButtonBox(0, 0, 2, 1);
        TVX_ResizeButtonBox(2 * 60 + 12, 2 * 20 + 8);
        EXPECT_EQ(60, b.buttonWidth);
        EXPECT_EQ(40, b.buttonHeight);
    }));
}

TEST(ButtonBox, ClicksAndDigitKeysAreCountedUntilPolled)
{
    int counts[4] = {-1, -1, -1, -1};
    HWND focus = NULL, box = NULL;
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([&] {
            TVX_OpenButtonBox(0, 336, 11, 3);
            box = ButtonBoxState.boxWindow;
        });
        HWND button = ButtonBoxState.button[5];
        for (int i = 0; i < 3; i++)
            ClickAt(button, 20, 10);
        Sleep(200);
        CallOnWorker([&] {
            counts[0] = TVX_GetButtonPress(5);
            counts[1] = TVX_GetButtonPress(5);
            focus = GetFocus();
        });
        PressKey('7');
        Sleep(200);
        CallOnWorker([&] {
            counts[2] = TVX_GetButtonPress(7);
            counts[3] = TVX_GetButtonPress(5);
        });
    }));
    EXPECT_EQ(3, counts[0]);
    EXPECT_EQ(0, counts[1]);
    EXPECT_EQ(box, focus);   // the box takes the keys after a click
    EXPECT_EQ(1, counts[2]);
    EXPECT_EQ(0, counts[3]);
}

TEST(ButtonBox, RenamingReadsALineAndAnEmptyLineKeepsTheLabel)
{
    std::wstring afterEmpty, afterLine;
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] { TVX_OpenButtonBox(0, 336, 3, 2); });
        HWND box = ButtonBoxState.boxWindow;
        // A double click in the gap left of button 4 (row 1, column 1) renames it.
        PostMessageW(box, WM_LBUTTONDBLCLK, 0, MAKELPARAM(102 + 1, 30 + 10));
        AnswerPrompt(L"");
        afterEmpty = TextOf(ButtonBoxState.button[4]);
        PostMessageW(box, WM_LBUTTONDBLCLK, 0, MAKELPARAM(102 + 1, 30 + 10));
        AnswerPrompt(L"Fix_F");
        WaitUntil([] { return TextOf(ButtonBoxState.button[4]) != L"4"; }, 2000);
        afterLine = TextOf(ButtonBoxState.button[4]);
    }));
    EXPECT_EQ(L"4", afterEmpty);
    EXPECT_EQ(L"Fix_F", afterLine);
}

TEST(InputBox, OpensItsItemsWithValuesZero)
{
    EXPECT_EQ(0, RunOnWorker([] {
        InputBoxRecord &b = InputBoxState;
        TVX_OpenInputBox(0, 0, 0);
        EXPECT_EQ(1, b.itemCount);
        DestroyInputBox();
        TVX_OpenInputBox(0, 0, 45);
        EXPECT_EQ(30, b.itemCount);
        DestroyInputBox();
        TVX_OpenInputBox(0, 0, 3);
        EXPECT_EQ(L"InputBox", TextOf(b.boxWindow));
        EXPECT_EQ(162, ClientOf(b.boxWindow).cx);
        EXPECT_EQ(86, ClientOf(b.boxWindow).cy);
        for (int i = 0; i < 3; i++) {
            char value[256];
            EXPECT_EQ(0, TVX_GetInputBoxValue(i, value, sizeof value));
            EXPECT_STREQ("0", value);
            EXPECT_EQ(L"Item " + std::to_wstring(i), TextOf(b.label[i]));
        }
        char value[256];
        EXPECT_EQ(1, TVX_GetInputBoxValue(3, value, sizeof value));
        TVX_SetInputBoxTitle(1, "Gain");
        EXPECT_EQ(L"Gain", TextOf(b.label[1]));
        TVX_ResizeInputBox(100, 50);
        EXPECT_EQ(162, ClientOf(b.boxWindow).cx);
        RECT r;
        GetWindowRect(b.edit[2], &r);
        EXPECT_EQ(50, r.right - r.left);
    }));
}

TEST(InputBox, TabEnterAndEscapeStoreAsADialogDoes)
{
    char values[3][256] = {};
    EXPECT_EQ(0, RunStarted([&] {
        CallOnWorker([] { TVX_OpenInputBox(0, 0, 3); });
        InputBoxRecord &b = InputBoxState;
        // Into each item its keys, then Tab (stored, the focus moves on), Enter (the focused
        // field is stored) or Escape (nothing changes).
        const struct {
            const wchar_t *keys;
            WPARAM end;
        } typed[3] = {{L"12", VK_TAB}, {L"7", VK_RETURN}, {L"9", VK_ESCAPE}};
        for (int i = 0; i < 3; i++) {
            HWND edit = b.edit[i];
            CallOnWorker([&] { SetFocus(edit); });
            PostMessageW(edit, EM_SETSEL, 0, -1);
            for (const wchar_t *k = typed[i].keys; *k != 0; k++)
                PostMessageW(edit, WM_CHAR, *k, 0);
            Sleep(60);
            PostMessageW(edit, WM_KEYDOWN, typed[i].end, 0);
            Sleep(100);
            CallOnWorker([&] { TVX_GetInputBoxValue(i, values[i], 256); });
        }
    }));
    EXPECT_STREQ("12", values[0]);
    EXPECT_STREQ("7", values[1]);
    EXPECT_STREQ("0", values[2]);
}

// How the dragged edge divides the width is checked natively; here that dragging the left edge
// widens the label column through the window's own sizing and the height stays.
TEST(InputBox, TheDraggedEdgeDecidesTheColumnAndTheHeightStays)
{
    int label = 0, edit = 0, taller = -1;
    EXPECT_EQ(0, RunOnWorker([&] {
        TVX_OpenInputBox(0, 0, 3);
        HWND box = InputBoxState.boxWindow;
        RECT r;
        GetWindowRect(box, &r);
        int height = r.bottom - r.top;
        // Drag the left edge 40 pixels further out, trying to make it taller too.
        RECT proposed = {r.left - 40, r.top - 30, r.right, r.bottom + 30};
        SendMessageW(box, WM_SIZING, WMSZ_LEFT, (LPARAM)&proposed);
        SetWindowPos(box, NULL, proposed.left, proposed.top, proposed.right - proposed.left,
                     proposed.bottom - proposed.top, SWP_NOZORDER);
        label = InputBoxState.labelWidth;
        edit = InputBoxState.editWidth;
        GetWindowRect(box, &r);
        taller = r.bottom - r.top - height;
    }));
    EXPECT_EQ(120, label);
    EXPECT_EQ(70, edit);
    EXPECT_EQ(0, taller);
}

// While the console waits for its line, nothing starts a second line input: a rename asked for
// from the box's menu returns at once with the label kept, a double click and the main window's
// commands are refused, and the line the user then types goes to the console.
TEST(Modal, NoLineInputStartsInsideAnotherAndTheTypedLineReachesTheFirst)
{
    std::atomic<int> result{-1};
    OnAppMain = [&] {
        TVX_OpenButtonBox(0, 336, 3, 1);
        TVX_OpenTextWindow(0, -1, -1, -1, -1);
        result = TVX_Command();
        while (StopRequest.load() == 0) {
            TVX_PumpMessages();
            Sleep(1);
        }
    };
    std::wstring label;
    bool textWindowOne = true;
    EXPECT_EQ(0, RunWithDriver([&] {
        WaitForIdleWorker();
        PostMainKey('S');
        ASSERT_TRUE(WaitUntil([] { return InputWindow.load() == 1; }, 5000));
        HWND box = ButtonBoxState.boxWindow;
        ButtonBoxState.renameIndex = 1;
        PostMessageW(box, WM_COMMAND, kCmdRenameButton, 0);
        PostMessageW(box, WM_LBUTTONDBLCLK, 0, MAKELPARAM(102 + 1, 10));
        PostMainCommand(1028);   // Text Window
        Sleep(300);
        EXPECT_EQ(1, InputWindow.load());   // still the console's
        AnswerPrompt(L"ver");
        ASSERT_TRUE(WaitUntil([&] { return result.load() != -1; }, 5000));
        label = TextOf(ButtonBoxState.button[1]);
        textWindowOne = IsTextWindowOpen(1) != 0;
    }));
    EXPECT_EQ(0, result.load());   // "ver" reached the console
    EXPECT_EQ(L"1", label);
    EXPECT_FALSE(textWindowOne);
}
