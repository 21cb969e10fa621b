// test_app.cpp - hooks, driver thread and main-thread runner of the in-process tests.
#include "test_app.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "image/image_store.h"
#include "runtime/modules.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

HookRecord InitHook, MainHook, ExitHook;
std::function<void()> OnAppInit, OnAppMain, OnAppExit;

static void Enter(HookRecord &hook, const std::function<void()> &body)
{
    hook.calls++;
    hook.lastThread = GetCurrentThreadId();
    if (body)
        body();
    hook.lastEnd = NowMilliseconds();
}

void TVX_AppInit(void) { Enter(InitHook, OnAppInit); }
static std::mutex WorkerCallsLock;
static std::deque<std::function<void()>> WorkerCalls;

// Without a body of its own a run serves CallOnWorker until Stop.
static void ServeWorkerCalls()
{
    while (StopRequest.load() == 0) {
        TVX_PumpMessages();
        std::function<void()> work;
        {
            std::lock_guard<std::mutex> hold(WorkerCallsLock);
            if (!WorkerCalls.empty()) {
                work = std::move(WorkerCalls.front());
                WorkerCalls.pop_front();
            }
        }
        if (work)
            work();
        else
            Sleep(1);
    }
}

void TVX_AppMain(void) { Enter(MainHook, OnAppMain ? OnAppMain : ServeWorkerCalls); }
void TVX_AppExit(void) { Enter(ExitHook, OnAppExit); }

static HWND RunnerWindow = NULL;
static const UINT kRunMessage = WM_APP + 1;

static LRESULT CALLBACK RunnerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kRunMessage) {
        auto *work = (std::function<void()> *)lParam;
        (*work)();
        delete work;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

int RunWithDriver(const std::function<void()> &driver)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RunnerProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"tvx_test_runner";
    RegisterClassW(&wc);
    // A message-only window of the main thread: the library's own loop dispatches its messages.
    RunnerWindow = CreateWindowW(L"tvx_test_runner", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL,
                                 wc.hInstance, NULL);
    // A driver that stopped early (a failed assertion) still ends the program.
    std::thread thread([&driver] {
        driver();
        if (QuitState.load() == 0)
            PostMainKey('X');
    });
    RegisterLibraryModules();
    int code = TVX_RunProgram(GetModuleHandleW(NULL));
    thread.join();
    return code;
}

int RunStarted(const std::function<void()> &driver)
{
    return RunWithDriver([&] {
        StartRun();
        driver();
    });
}

int RunOnWorker(const std::function<void()> &body)
{
    return RunStarted([&] { CallOnWorker(body); });
}

void AnswerPrompt(const std::wstring &line)
{
    ASSERT_TRUE(WaitUntil([] { return InputWindow.load() == 1; }, 5000));
    int y = TextWindow[0].cursor_y;
    for (wchar_t c : line) {
        PostMessageW(TextWindow[0].window, WM_CHAR, c, 0);
        Sleep(15);
    }
    PostMessageW(TextWindow[0].window, WM_CHAR, L'\r', 0);
    ASSERT_TRUE(WaitUntil([&] { return TextWindow[0].cursor_y != y; }, 5000));
}

std::wstring TextOf(HWND window)
{
    wchar_t text[1024] = L"";
    InternalGetWindowText(window, text, 1024);
    return text;
}

SIZE ClientOf(HWND window)
{
    RECT r;
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

std::string ReadWholeFile(const std::string &path)
{
    std::string text;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char chunk[4096];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
            text.append(chunk, n);
        fclose(f);
    }
    return text;
}

std::string LogPath(int index)
{
    return std::string(LogDirectory) + "TORVEX" + std::to_string(index) + ".LOG";
}

std::vector<uint8_t> ClipboardBytes(UINT format)
{
    std::vector<uint8_t> out;
    if (!OpenClipboard(NULL))
        return out;
    if (HGLOBAL block = GetClipboardData(format)) {
        if (const uint8_t *bytes = (const uint8_t *)GlobalLock(block))
            out.assign(bytes, bytes + GlobalSize(block));
        GlobalUnlock(block);
    }
    CloseClipboard();
    return out;
}

std::string ClipboardText()
{
    std::vector<uint8_t> bytes = ClipboardBytes(CF_TEXT);
    return std::string(bytes.begin(), std::find(bytes.begin(), bytes.end(), 0));
}

void PutClipboardBytes(UINT format, const void *bytes, size_t size)
{
    if (!OpenClipboard(NULL))
        return;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    SetClipboardData(format, block);
    CloseClipboard();
}

int Now()
{
    return NowMilliseconds();
}

bool WaitUntil(const std::function<bool()> &condition, int timeoutMs)
{
    DWORD start = GetTickCount();
    while (!condition()) {
        if ((int)(GetTickCount() - start) > timeoutMs)
            return false;
        Sleep(1);
    }
    return true;
}

void WaitForIdleWorker()
{
    ASSERT_TRUE(WaitUntil([] { return InitHook.lastEnd.load() != 0; }, 10000));
    // The status line is set after the window's creation returned: start-up is complete.
    ASSERT_TRUE(WaitUntil(
        [] {
            wchar_t text[64] = L"";
            InternalGetWindowText(StatusLine, text, 64);
            return wcsstr(text, L"bit color") != NULL;
        },
        10000));
    Sleep(20);
}

void PostMainKey(UINT key)
{
    PostMessageW(MainWindow, WM_KEYDOWN, key, 0);
}

void PostMainCommand(int id)
{
    PostMessageW(MainWindow, WM_COMMAND, (WPARAM)id, 0);
}

void RunOnMainThread(std::function<void()> work)
{
    PostMessageW(RunnerWindow, kRunMessage, 0, (LPARAM) new std::function<void()>(std::move(work)));
}

void CallOnMainThread(std::function<void()> work)
{
    auto finished = std::make_shared<std::atomic<int>>(0);
    RunOnMainThread([finished, work] {
        work();
        *finished = 1;
    });
    ASSERT_TRUE(WaitUntil([finished] { return finished->load() != 0; }, 10000));
}

void StopUntilIdle()
{
    PostMainKey('C');
    ASSERT_TRUE(WaitUntil([] { return AppRunning.load() == 0; }, 5000));
}

void StartRun()
{
    WaitForIdleWorker();
    PostMainKey('S');
    ASSERT_TRUE(WaitUntil([] { return AppRunning.load() == 1; }, 5000));
}

void CallOnWorker(std::function<void()> work, int timeoutMs)
{
    auto finished = std::make_shared<std::atomic<int>>(0);
    {
        std::lock_guard<std::mutex> hold(WorkerCallsLock);
        WorkerCalls.push_back([finished, work] {
            work();
            *finished = 1;
        });
    }
    ASSERT_TRUE(WaitUntil([finished] { return finished->load() != 0; }, timeoutMs));
}

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

int CountGdiObjects()
{
    int count = 0;
    for (uintptr_t value = 1; value < 0x10000; value++)
        if (GetObjectType((HGDIOBJ)value) != 0)
            count++;
    return count;
}

int InkCount(int index, int x0, int x1)
{
    int n = 0;
    const ImageRecord &r = ImageTable[index];
    for (int y = 0; y < r.height; y++)
        for (int x = x0; x < x1 && x < r.width; x++)
            n += (ImagePixels32[index][y * r.width + x] & 0xFFFFFF) != 0;
    return n;
}
