// modal.cpp - the one modal rule of every library window, and the keys every window passes on
// to the main window.
//
// While a line input or a click wait runs, the windows are still served (the waits pump), so
// their procedures are re-entered under a command that is not finished. Context menus and command
// keys are refused meanwhile, and a second line input never starts inside the first: it would take
// the keys the user types for the first.
#include "runtime/runtime.h"

std::atomic<int> InputWindow{0};
std::atomic<int> ClickWaitActive{0};

bool IsModalWaitActive(void)
{
    return InputWindow.load() != 0 || ClickWaitActive.load() != 0;
}

bool ClaimLineInput(int index)
{
    int none = 0;
    return InputWindow.compare_exchange_strong(none, index + 1);
}

bool ForwardMainKey(WPARAM key)
{
    if (GetKeyState(VK_CONTROL) < 0)
        return false;
    switch (key) {
    case 'S':
    case 'C':
    case 'X':
    case VK_ESCAPE: PostMessageW(MainWindow, WM_KEYDOWN, key, 0); return true;
    default: return false;
    }
}

int IsSystemLeadByte(unsigned char byte)
{
    return IsDBCSLeadByte(byte) ? 1 : 0;
}
