// image_clipboard.h - images through the clipboard.
#ifndef TVX_IMAGE_CLIPBOARD_H
#define TVX_IMAGE_CLIPBOARD_H

#include <windows.h>

// The image as a bottom-up DIB: 24 bits for a 32-bit image, 8 bits with its 256 colours for an
// 8-bit one. Nothing when the clipboard is busy; a box when there is not the memory.
bool CopyImageToClipboard(int index);   // whether the picture is on the clipboard now
void CutImage(int index);   // the copy, then, when it is there, the image cleared to black
// The clipboard's picture (a DIB, a PNG or a bitmap) as a new bitmap the caller deletes, or NULL. An indexed picture's colour
// table goes to colors (256 entries) and its entry count to count.
HBITMAP ReadClipboardBitmap(RGBQUAD *colors, int *count);
// The picture into the image with its top-left at (x, y), clipped; x or y -1: centred on a point
// the user clicks. An indexed picture's colours replace the first entries of an 8-bit image's.
void PasteClipboardImage(int x, int index, int y);

#endif
