// text_module.cpp - what the text windows bring to the runtime frame: their window class, their
// start-up reset and clean-up, the logs' closing at Exit, the main window's Text Window and
// Window Info commands, and the request that opens a text window on the worker.
#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "text/text_window.h"
#include "text/window_info_rules.h"

void ShowTextWindowFromMain(int n)
{
    if ((unsigned)n < kTextWindowSlots && IsTextWindowOpen(n)) {
        RaiseWindow(TextWindowHandle(n));
        return;
    }
    RequestOpenTextWindow(n);
}

bool ReadPromptNumber(int *value)
{
    char line[256];
    TVX_InputText(line);
    if (QuitState.load() != 0)
        return false;
    *value = LeadingInteger(line);
    return true;
}

static void OnTextWindowCommand(void)
{
    int slot = FirstFreeTextWindow();
    if (slot >= 0)
        RequestOpenTextWindow(slot);
}

static void OnWindowInfoCommand(void)
{
    if (!IsTextWindowOpen(CurrentTextWindow))
        ShowTextWindowFromMain(0);
    HWND text = TextWindowHandle(CurrentTextWindow);
    if (text != NULL)
        PostMessageW(text, WM_COMMAND, kCmdTextWindowInfo, 0);
}

void RequestOpenTextWindow(int n)
{
    SendRequest(kRequestOpenTextWindow, &n);
}

// At the default place and size.
static void ServeOpenTextWindow(void *request)
{
    int n = *(int *)request;
    if ((unsigned)n < kTextWindowSlots)
        TVX_OpenTextWindow(n, -1, -1, -1, -1);
}

static void DescribeTextWindows(std::vector<LayoutWindow> *out);

static void ResetText(void)
{
    RegisterWindowDescriber(DescribeTextWindows);   // the text windows' lines of the listing
    InitTextWindowTable();
    ClearLastInputLine();
    tvx_tttc = 0xFFFFFF;
    TextCursor = {0, 0, 0};
}

static void ListTextWindows(std::vector<HWND> *out)
{
    for (int i = 0; i < kTextWindowSlots; i++)
        if (HWND window = TextWindowHandle(i))
            out->push_back(window);
}

static void DescribeTextWindows(std::vector<LayoutWindow> *out)
{
    for (int i = 0; i < kTextWindowSlots; i++) {
        HWND window = TextWindowHandle(i);
        if (window == NULL)
            continue;
        LayoutWindow w = LayoutWindow();
        w.kind = kLayoutText;
        w.slot = i;
        w.window = window;
        RECT r = {0, 0, 0, 0};
        GetWindowRect(window, &r);
        w.x = r.left;
        w.y = r.top;
        w.width = TextWindow[i].width;
        w.height = TextWindow[i].height;
        out->push_back(w);
    }
}

static const WindowClassRow kTextClasses[] = {
    {L"tvx_twi", TextWindowProc, CS_OWNDC, (HBRUSH)GetStockObject(BLACK_BRUSH)},
};
static const MainCommandRow kTextCommands[] = {
    {{kCmdTextWindow, "Text Window", 7, 1, 0}, OnTextWindowCommand},
    {{kCmdWindowInfo, "&Window Info.\tCtrl+W", 11, 1, 'W'}, OnWindowInfoCommand},
};
static const RequestRow kTextRequests[] = {
    {kRequestOpenTextWindow, ServeOpenTextWindow},
};

extern const LibraryModule TextModule;
const LibraryModule TextModule = {
    "text windows", kTextClasses, 1, kTextCommands, 2, kTextRequests, 1,
    ResetText, ReleaseConsoleFont, TVX_CloseLogs, nullptr, nullptr, ListTextWindows,
};
