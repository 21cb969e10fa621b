// worker.cpp - the worker thread that runs the application hooks, the shared flags, message
// pumping, and the Exit sequence.
#include "runtime/modules.h"
#include "runtime/rules.h"
#include "runtime/runtime.h"

std::atomic<int> StartRequest{0};
std::atomic<int> StopRequest{0};
std::atomic<int> AppRunning{0};
std::atomic<int> QuitState{0};

enum { kExitWaitMilliseconds = 2000 };

// Whether a module's dialog window took the message as dialog navigation.
static bool IsDialogKey(MSG *message)
{
    for (int m = 0; m < LibraryModuleCount(); m++) {
        const LibraryModule *module = LibraryModuleAt(m);
        HWND dialog = module->dialogWindow != nullptr ? module->dialogWindow() : NULL;
        if (dialog != NULL && IsDialogMessageW(dialog, message))
            return true;
    }
    return false;
}

// Dispatches what is pending. A quit message is put back and ends the pump, so that a nested
// pump (a mailbox wait, a line input) cannot swallow the quit that ends the main loop.
static int PumpQueue(bool routeDialogs)
{
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage((int)message.wParam);
            break;
        }
        if (routeDialogs && IsDialogKey(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int TVX_PumpMessages(void)
{
    return PumpQueue(true);
}

int PumpMainMessages(void)
{
    return PumpQueue(false);
}

DWORD WINAPI WorkerThreadMain(void *)
{
    TVX_AppInit();
    UpdateSnapRects();
    while (QuitState.load() == 0) {
        Sleep(1);
        TVX_PumpMessages();
        if (RequestMailbox.code.load(std::memory_order_acquire) != 0)
            ServeRequest();
        if (StartRequest.load() == 1 && AppRunning.load() == 0 && QuitState.load() == 0) {
            AcceptMainWindowDrops(false);
            AppRunning.store(1);
            StartRequest.store(0);
            StopRequest.store(0);
            // Exit may have come between the checks above and the clearing: Exit sets QuitState
            // before StopRequest, so reading QuitState after the clearing cannot miss it.
            if (QuitState.load() != 0)
                StopRequest.store(1);
            TVX_AppMain();
            if (QuitState.load() != 0)
                break;
            AppRunning.store(0);
            StopRequest.store(0);
            AcceptMainWindowDrops(true);
        }
    }
    TVX_AppExit();
    QuitState.store(2);
    TVX_PumpMessages();
    return 0;
}

void RequestStart(void)
{
    if (AppRunning.load() == 0)
        StartRequest.store(1);
}

void RequestStop(void)
{
    StopRequest.store(1);
}

void RunExitSequence(void)
{
    // Exit is taken once; a second X or Escape queued behind the first finds it done.
    if (QuitState.load() != 0)
        return;
    // QuitState before StopRequest: a run beginning now clears StopRequest, then reads QuitState.
    InputWindow.store(0);
    QuitState.store(1);
    StopRequest.store(1);
    for (int m = 0; m < LibraryModuleCount(); m++)
        if (LibraryModuleAt(m)->closeAtExit != nullptr)
            LibraryModuleAt(m)->closeAtExit();

    // The main thread pumps nothing here, but it answers messages the worker sends it (a call
    // that reaches a main-thread window from the worker waits for that answer), so that such a
    // call cannot hold the worker past the limit.
    int start = NowMilliseconds();
    for (;;) {
        DWORD status = 0;
        if (!GetExitCodeThread(WorkerThreadHandle, &status) || status != STILL_ACTIVE)
            break;
        int elapsed = ElapsedMilliseconds(NowMilliseconds(), start);
        if (elapsed > kExitWaitMilliseconds)
            break;
        MsgWaitForMultipleObjects(1, &WorkerThreadHandle, FALSE,
                                  (DWORD)(kExitWaitMilliseconds - elapsed + 1), QS_SENDMESSAGE);
        MSG ignored;
        PeekMessageW(&ignored, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    DWORD status = 0;
    if (GetExitCodeThread(WorkerThreadHandle, &status) && status == STILL_ACTIVE)
        TerminateThread(WorkerThreadHandle, 1);
    if (QuitState.load() == 1) {
        // The worker never reached its own exit: release what the application holds here.
        TVX_AppExit();
        QuitState.store(2);
    }
    CloseHandle(WorkerThreadHandle);
    WorkerThreadHandle = NULL;
    DestroyWindow(MainWindow);
}
