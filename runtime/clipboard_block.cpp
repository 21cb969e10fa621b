// clipboard_block.cpp - blocks handed to the clipboard.
#include "runtime/clipboard_block.h"

#include "runtime/scoped.h"

HGLOBAL FilledGlobalBlock(size_t bytes, const std::function<void(void *)> &fill)
{
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    if (block == NULL)
        return NULL;
    {
        GlobalBytes<void> locked(block);
        if (locked.get() != NULL) {
            fill(locked.get());
            return block;
        }
    }
    GlobalFree(block);
    return NULL;
}

int PutClipboardBlock(UINT format, HGLOBAL block)
{
    OpenedClipboard clipboard;
    if (!clipboard.ok()) {
        GlobalFree(block);
        return kClipboardBusy;
    }
    EmptyClipboard();
    if (SetClipboardData(format, block) == NULL) {
        GlobalFree(block);
        return kClipboardRefused;
    }
    return kClipboardPut;
}
