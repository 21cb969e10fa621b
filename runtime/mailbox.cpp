// mailbox.cpp - the one-slot request mailbox by which the main thread has the worker create and
// change the worker's windows.
#include "runtime/modules.h"
#include "runtime/runtime.h"

RequestMailboxRecord RequestMailbox = {{0}, {1}, NULL};

// Pumps the main thread's messages once and sleeps until more arrive or a millisecond passes,
// so that a wait keeps the main window alive without spinning a core.
static void WaitStep(void)
{
    PumpMainMessages();
    MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
}

// The main thread sends one request at a time. Its waits pump, so a handler run inside one (a
// second drop while the first loads, a command during a wait) could try to send too: that nested
// send is refused, since the worker may be reading the pending request's fields. Main-window
// messages that would send are deferred instead (DeferWhileSending) and posted again once the
// send has ended, so the user's command is not lost.
struct DeferredMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
enum { kDeferredMessages = 16 };
static struct {   // main thread only
    bool sending;
    DeferredMessage deferred[kDeferredMessages];
    int deferredCount;
} Send;

bool DeferWhileSending(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Send.sending || Send.deferredCount == kDeferredMessages)
        return false;
    Send.deferred[Send.deferredCount++] = {window, message, wParam, lParam};
    return true;
}

static void PostDeferred(void)
{
    for (int i = 0; i < Send.deferredCount; i++) {
        const DeferredMessage &m = Send.deferred[i];
        PostMessageW(m.window, m.message, m.wParam, m.lParam);
    }
    Send.deferredCount = 0;
}

// Waits for the free slot, then writes the request, done, and the code last, and waits for the
// worker to serve it. After Exit no wait begins and a running wait ends: the worker serves nothing
// more. When Exit ran inside the wait, the worker has already ended, so nothing reads the request
// after the sender returns.
bool SendRequest(int code, void *request)
{
    if (Send.sending)
        return false;
    Send.sending = true;
    bool served = false;
    while (RequestMailbox.code.load(std::memory_order_acquire) != 0 && QuitState.load() == 0)
        WaitStep();
    if (QuitState.load() == 0) {
        RequestMailbox.request = request;
        RequestMailbox.done.store(0, std::memory_order_relaxed);
        RequestMailbox.code.store(code, std::memory_order_release);
        while (RequestMailbox.done.load(std::memory_order_acquire) == 0 && QuitState.load() == 0)
            WaitStep();
        served = RequestMailbox.done.load(std::memory_order_acquire) != 0;
    }
    Send.sending = false;
    PostDeferred();
    return served;
}

// The worker performs the request through the module that registered its code; a code no module
// serves is only acknowledged.
void ServeRequest(void)
{
    RequestMailboxRecord &m = RequestMailbox;
    int code = m.code.load(std::memory_order_acquire);
    for (int i = 0; i < LibraryModuleCount(); i++) {
        const LibraryModule *module = LibraryModuleAt(i);
        for (int r = 0; r < module->requestCount; r++)
            if (module->requests[r].code == code)
                module->requests[r].serve(m.request);
    }
    m.done.store(1, std::memory_order_release);
    m.code.store(0, std::memory_order_release);
}
