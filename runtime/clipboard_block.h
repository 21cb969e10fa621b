// clipboard_block.h - one way to hand a block to the clipboard: made and filled first, then put
// there in a short open of the clipboard (every other program waits while it is open).
#ifndef TVX_CLIPBOARD_BLOCK_H
#define TVX_CLIPBOARD_BLOCK_H

#include <windows.h>

#include <cstddef>
#include <functional>

// A movable, shareable global block of bytes, locked while fill writes it; NULL when the memory
// could not be had.
HGLOBAL FilledGlobalBlock(size_t bytes, const std::function<void(void *)> &fill);

enum ClipboardPut {
    kClipboardPut = 0,        // the clipboard holds the block (and owns it)
    kClipboardBusy = 1,       // another window holds the clipboard open
    kClipboardRefused = 2,    // it would not take the block
};
// Empties the clipboard and puts the block there in the format. Whatever the result, the block
// is no longer the caller's: it is freed unless the clipboard took it.
int PutClipboardBlock(UINT format, HGLOBAL block);

#endif
