// test_app.h - a test application for in-process tests: hooks that each test fills in, and a
// driver thread that works the real main window from outside while the library runs.
#ifndef TVX_TEST_APP_H
#define TVX_TEST_APP_H

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

struct HookRecord {
    std::atomic<int> calls{0};
    std::atomic<DWORD> lastThread{0};
    std::atomic<int> lastEnd{0};   // NowMilliseconds when the hook last returned
};
extern HookRecord InitHook, MainHook, ExitHook;

// What the hooks do besides counting; set before RunWithDriver.
extern std::function<void()> OnAppInit, OnAppMain, OnAppExit;

// Runs the library on this thread (the main thread) and the driver on a second thread; returns
// the program's exit code once both have finished. The library runs once per process: every
// test is its own process (CTest runs each with its own filter).
int RunWithDriver(const std::function<void()> &driver);
// The same with a run started (StartRun) before the driver goes on.
int RunStarted(const std::function<void()> &driver);
// The common case: body runs on the worker inside a run, then the program exits; the exit code.
int RunOnWorker(const std::function<void()> &body);

// Driver helpers.
bool WaitUntil(const std::function<bool()> &condition, int timeoutMs);
void WaitForIdleWorker();   // main window made, TVX_AppInit returned, worker idle
void PostMainKey(UINT key);
void PostMainCommand(int id);
// Runs work on the main thread from its message loop; returns without waiting.
void RunOnMainThread(std::function<void()> work);
// The same, waiting until the work has finished.
void CallOnMainThread(std::function<void()> work);
void StopUntilIdle();
// Runs work on the worker thread inside a run of the default TVX_AppMain (which serves such
// calls until Stop) and waits until it has finished. Start the run first (StartRun).
void CallOnWorker(std::function<void()> work, int timeoutMs = 15000);
void StartRun();   // once start-up is over: Start, and wait until the run has begun
int Now();
// Answers the line input waiting in text window 0 as typed: the line's characters, then Enter;
// returns once the cursor has moved to the next line.
void AnswerPrompt(const std::wstring &line);

// Small readers shared by the tests.
std::wstring TextOf(HWND window);   // without a message to the window's thread
SIZE ClientOf(HWND window);
std::string ReadWholeFile(const std::string &path);   // "" when it cannot be read
std::string LogPath(int index);                      // TORVEXn.LOG in the log directory
std::vector<uint8_t> ClipboardBytes(UINT format);    // the block in that format, or nothing
std::string ClipboardText();                         // CF_TEXT, or ""
void PutClipboardBytes(UINT format, const void *bytes, size_t size);

// The pixels of a 32-bit image's columns x0 to x1 - 1 that are not black.
int InkCount(int index, int x0, int x1);

// The process's GDI objects: every handle value that names one (Wine's GetGuiResources answers 0).
int CountGdiObjects();

#endif
