// mailbox.cpp - the one-slot request mailbox by which the main thread has the worker create and
// change the worker's windows.
#include "runtime/modules.h"
#include "runtime/runtime.h"

RequestMailboxRecord RequestMailbox = {{0}, {1}, 0, NULL, 0, 0, 0, 0, 0, 0, NULL, NULL, 0};

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
static bool Sending = false;   // main thread only

struct DeferredMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
enum { kDeferredMessages = 16 };
static DeferredMessage Deferred[kDeferredMessages];
static int DeferredCount = 0;

bool DeferWhileSending(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!Sending || DeferredCount == kDeferredMessages)
        return false;
    Deferred[DeferredCount++] = {window, message, wParam, lParam};
    return true;
}

static void PostDeferred(void)
{
    for (int i = 0; i < DeferredCount; i++)
        PostMessageW(Deferred[i].window, Deferred[i].message, Deferred[i].wParam, Deferred[i].lParam);
    DeferredCount = 0;
}

// Waits for the free slot, then writes the request's fields (fill), done, and the code last,
// and waits for the worker to serve it. After Exit no wait begins and a running wait ends: the
// worker serves nothing more. When Exit ran inside the wait, the worker has already ended, so
// nothing reads the request's fields after the sender returns. Returns false when the request
// was not served.
template <typename Fill>
static bool Send(int code, Fill fill)
{
    if (Sending)
        return false;
    Sending = true;
    bool served = false;
    while (RequestMailbox.code.load(std::memory_order_acquire) != 0 && QuitState.load() == 0)
        WaitStep();
    if (QuitState.load() == 0) {
        fill(RequestMailbox);
        RequestMailbox.done.store(0, std::memory_order_relaxed);
        RequestMailbox.code.store(code, std::memory_order_release);
        while (RequestMailbox.done.load(std::memory_order_acquire) == 0 && QuitState.load() == 0)
            WaitStep();
        served = RequestMailbox.done.load(std::memory_order_acquire) != 0;
    }
    Sending = false;
    PostDeferred();
    return served;
}

int RequestCreateImage(int index, const char *name, int width, int height, int bits)
{
    bool served = Send(kRequestCreateImage, [&](RequestMailboxRecord &m) {
        m.index = index;
        m.name = name;
        m.x = -1;
        m.y = -1;
        m.width = width;
        m.height = height;
        m.zoom = 100;
        m.bits = bits;
    });
    return served ? RequestMailbox.result : 4;
}

void RequestRedrawImage(int index)
{
    Send(kRequestRedrawImage, [&](RequestMailboxRecord &m) { m.index = index; });
}

int RequestLoadImageFile(int index, const wchar_t *path)
{
    bool served = Send(kRequestLoadImageFile, [&](RequestMailboxRecord &m) {
        m.index = index;
        m.path = path;
        m.x = 0;
        m.y = 0;
    });
    return served ? RequestMailbox.result : 4;
}

void RequestPasteBitmap(HBITMAP bitmap)
{
    // The worker deletes the bitmap after copying it; when it never gets the request, do it here.
    if (!Send(kRequestPasteBitmap, [&](RequestMailboxRecord &m) { m.bitmap = bitmap; }))
        DeleteObject(bitmap);
}

void RequestOpenTextWindow(int n)
{
    Send(kRequestOpenTextWindow, [&](RequestMailboxRecord &m) {
        m.x = -1;
        m.y = -1;
        m.width = -1;
        m.height = -1;
        m.index = n;
    });
}

void RequestOpenInputBox(int count)
{
    Send(kRequestOpenInputBox, [&](RequestMailboxRecord &m) {
        m.index = count;
        m.x = 0;
        m.y = 0;
    });
}

void RequestOpenButtonBox(int nx, int ny)
{
    Send(kRequestOpenButtonBox, [&](RequestMailboxRecord &m) {
        m.width = nx;
        m.height = ny;
        m.x = 0;
        m.y = 0;
    });
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
                module->requests[r].serve(m);
    }
    m.done.store(1, std::memory_order_release);
    m.code.store(0, std::memory_order_release);
}
