// mailbox.cpp - the one-slot request mailbox by which the main thread has the worker create and
// change the worker's windows.
#include "runtime.h"
#include "text_window.h"
#include "image_store.h"
#include "boxes.h"
#include "unbuilt.h"

RequestMailboxRecord RequestMailbox = {{0}, {1}, 0, NULL, 0, 0, 0, 0, 0, 0, NULL, NULL, 0};

// Pumps the main thread's messages once and sleeps until more arrive or a millisecond passes,
// so that a wait keeps the main window alive without spinning a core.
static void WaitStep(void)
{
    PumpMainMessages();
    MsgWaitForMultipleObjects(0, NULL, FALSE, 1, QS_ALLINPUT);
}

// Writes the code last and waits for the worker to serve it. After Exit no wait begins and a
// running wait ends: the worker serves nothing more. When Exit ran inside the wait, the worker
// has already ended, so nothing reads the request's fields after the sender returns.
// Returns false when the request was not served.
static bool PostAndWait(int code)
{
    while (RequestMailbox.code.load(std::memory_order_acquire) != 0) {
        if (QuitState.load() != 0)
            return false;
        WaitStep();
    }
    if (QuitState.load() != 0)
        return false;
    RequestMailbox.done.store(0, std::memory_order_relaxed);
    RequestMailbox.code.store(code, std::memory_order_release);
    while (RequestMailbox.done.load(std::memory_order_acquire) == 0) {
        if (QuitState.load() != 0)
            return RequestMailbox.done.load(std::memory_order_acquire) != 0;
        WaitStep();
    }
    return true;
}

int RequestCreateImage(int index, const char *name, int width, int height, int bits)
{
    RequestMailbox.index = index;
    RequestMailbox.name = name;
    RequestMailbox.x = -1;
    RequestMailbox.y = -1;
    RequestMailbox.width = width;
    RequestMailbox.height = height;
    RequestMailbox.zoom = 100;
    RequestMailbox.bits = bits;
    if (!PostAndWait(kRequestCreateImage))
        return 4;
    return RequestMailbox.result;
}

void RequestRedrawImage(int index)
{
    RequestMailbox.index = index;
    PostAndWait(kRequestRedrawImage);
}

int RequestLoadImageFile(int index, const char *path)
{
    RequestMailbox.index = index;
    RequestMailbox.path = path;
    RequestMailbox.x = 0;
    RequestMailbox.y = 0;
    if (!PostAndWait(kRequestLoadImageFile))
        return 4;
    return RequestMailbox.result;
}

void RequestPasteBitmap(HBITMAP bitmap)
{
    RequestMailbox.bitmap = bitmap;
    // The worker deletes the bitmap after copying it; when it never gets the request, do it here.
    if (!PostAndWait(kRequestPasteBitmap))
        DeleteObject(bitmap);
}

void RequestOpenTextWindow(int n)
{
    if ((unsigned)n < 256 && IsTextWindowOpen(n)) {
        RaiseWindow(TextWindowHandle(n));
        return;
    }
    RequestMailbox.x = -1;
    RequestMailbox.y = -1;
    RequestMailbox.width = -1;
    RequestMailbox.height = -1;
    RequestMailbox.index = n;
    PostAndWait(kRequestOpenTextWindow);
}

void RequestOpenInputBox(int count)
{
    RequestMailbox.index = count;
    RequestMailbox.x = 0;
    RequestMailbox.y = 0;
    PostAndWait(kRequestOpenInputBox);
}

void RequestOpenButtonBox(int nx, int ny)
{
    RequestMailbox.width = nx;
    RequestMailbox.height = ny;
    RequestMailbox.x = 0;
    RequestMailbox.y = 0;
    PostAndWait(kRequestOpenButtonBox);
}

void ServeRequest(void)
{
    RequestMailboxRecord &m = RequestMailbox;
    switch (m.code.load(std::memory_order_acquire)) {
    case kRequestCreateImage:
        m.result = (unsigned)m.index >= 256
                       ? 4
                       : TVX_CreateImageEx(m.index, m.name, m.x, m.y, m.width, m.height, m.zoom,
                                           m.bits);
        break;
    case kRequestRedrawImage:
        TVX_RefreshImage(m.index);
        break;
    case kRequestLoadImageFile:
        TVX_SelectImage(m.index);
        m.result = TVX_LoadImageFile(m.path, m.x, m.y);
        TVX_SelectPreviousImage();
        break;
    case kRequestPasteBitmap:
        BlitBitmapToCurrentImage(m.bitmap);
        break;
    case kRequestOpenTextWindow:
        if ((unsigned)m.index < 256)
            TVX_OpenTextWindow(m.index, m.x, m.y, m.width, m.height);
        break;
    case kRequestOpenInputBox:
        DestroyInputBox();
        TVX_OpenInputBox(m.x, m.y, m.index);
        break;
    case kRequestOpenButtonBox:
        DestroyButtonBox();
        TVX_OpenButtonBox(m.x, m.y, m.width, m.height);
        break;
    default:
        break;
    }
    m.done.store(1, std::memory_order_release);
    m.code.store(0, std::memory_order_release);
}
