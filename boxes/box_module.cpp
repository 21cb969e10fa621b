// box_module.cpp - what the input box and the button box bring to the runtime frame: their
// window classes and sizes at start-up, the main window's prompts that make them, the requests
// that make them on the worker, and the input box's dialog keys.
#include "boxes/boxes.h"
#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"
#include "text/text_window.h"
#include "text/window_info_rules.h"

static void OnInputBoxPrompt(void)
{
    int count;
    ShowTextWindowFromMain(0);
    TVX_Print("Creating InpuxBox...\n");
    TVX_Print("How many items? >");
    if (!ReadPromptNumber(&count))
        return;
    RequestOpenInputBox(count);
}

static void OnButtonBoxPrompt(void)
{
    int nx, ny;
    ShowTextWindowFromMain(0);
    TVX_Print("Creating ButtonBox...\n");
    TVX_Print("Number[X]=>");
    if (!ReadPromptNumber(&nx))
        return;
    TVX_Print("Number[Y]=>");
    if (!ReadPromptNumber(&ny))
        return;
    RequestOpenButtonBox(nx, ny);
}

// The box's size: items of the input box, columns and rows of the button box.
struct BoxRequest {
    int a, b;
};

void RequestOpenInputBox(int count)
{
    BoxRequest r = {count, 0};
    SendRequest(kRequestOpenInputBox, &r);
}

void RequestOpenButtonBox(int nx, int ny)
{
    BoxRequest r = {nx, ny};
    SendRequest(kRequestOpenButtonBox, &r);
}

// Both boxes are made anew at the screen's origin.
static void ServeOpenInputBox(void *request)
{
    DestroyInputBox();
    TVX_OpenInputBox(0, 0, ((BoxRequest *)request)->a);
}

static void ServeOpenButtonBox(void *request)
{
    const BoxRequest &r = *(BoxRequest *)request;
    DestroyButtonBox();
    TVX_OpenButtonBox(0, 0, r.a, r.b);
}

// The whole caption: 255 characters of double-byte text are up to 510 bytes.
static std::string TextOf(HWND control)
{
    int length = GetWindowTextLengthW(control);
    std::wstring wide((size_t)length + 1, L'\0');
    length = GetWindowTextW(control, &wide[0], length + 1);
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), length, NULL, 0, NULL, NULL);
    std::string text((size_t)(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), length, &text[0], bytes, NULL, NULL);
    return text;
}

static LayoutWindow BoxWindow(int kind, HWND box)
{
    LayoutWindow w = LayoutWindow();
    w.kind = kind;
    w.window = box;
    RECT r = {0, 0, 0, 0};
    GetWindowRect(box, &r);
    w.x = r.left;
    w.y = r.top;
    return w;
}

static void ListBoxes(std::vector<HWND> *out)
{
    for (HWND box : {InputBoxState.boxWindow, ButtonBoxState.boxWindow})
        if (box != NULL)
            out->push_back(box);
}

static void DescribeBoxes(std::vector<LayoutWindow> *out)
{
    const InputBoxRecord &input = InputBoxState;
    if (input.boxWindow != NULL) {
        LayoutWindow w = BoxWindow(kLayoutInputBox, input.boxWindow);
        w.items = input.itemCount;
        w.labelWidth = input.labelWidth;
        w.editWidth = input.editWidth;
        for (int i = 0; i < input.itemCount; i++)
            w.titles.push_back(TextOf(input.label[i]));
        out->push_back(w);
    }
    const ButtonBoxRecord &buttons = ButtonBoxState;
    if (buttons.boxWindow != NULL) {
        LayoutWindow w = BoxWindow(kLayoutButtonBox, buttons.boxWindow);
        RECT client = {0, 0, 0, 0};
        GetClientRect(buttons.boxWindow, &client);
        w.width = client.right;
        w.height = client.bottom;
        w.columns = buttons.columns;
        w.rows = buttons.rows;
        for (int b = 0; b < buttons.buttonCount; b++)
            w.titles.push_back(TextOf(buttons.button[b]));
        out->push_back(w);
    }
}

static void ResetBoxModule(void)
{
    ResetBoxes();
    RegisterWindowDescriber(DescribeBoxes);   // the boxes' lines of the layout listing
}

static const WindowClassRow kBoxClasses[] = {
    {L"tvx_ib", InputBoxProc, CS_OWNDC | CS_DBLCLKS, NULL},
    {L"tvx_bb", ButtonBoxProc, CS_OWNDC | CS_DBLCLKS, NULL},
};
static const MainCommandRow kBoxCommands[] = {
    {{kCmdInputBox, "Input Box", 8, 1, 0}, OnInputBoxPrompt},
    {{kCmdButtonBox, "Button Box", 9, 1, 0}, OnButtonBoxPrompt},
};
static const RequestRow kBoxRequests[] = {
    {kRequestOpenInputBox, ServeOpenInputBox},
    {kRequestOpenButtonBox, ServeOpenButtonBox},
};

extern const LibraryModule BoxModule;
const LibraryModule BoxModule = {
    "boxes", kBoxClasses, 2, kBoxCommands, 2, kBoxRequests, 2,
    ResetBoxModule, nullptr, nullptr, nullptr, InputBoxWindow, ListBoxes,
};
