// image_module.h - the requests by which the main thread has the worker make, fill and redraw
// images (its prompts, Paste and dropped files run on the main thread; the images are the
// worker's).
#ifndef TVX_IMAGE_MODULE_H
#define TVX_IMAGE_MODULE_H

#include <windows.h>

// The main window's commands of the image windows.
enum { kCmdPaste = 1026, kCmdImageWindow = 1027 };

enum {
    kRequestCreateImage = 9001,
    kRequestRedrawImage = 9002,
    kRequestLoadImageFile = 9003,
    kRequestPasteBitmap = 9004,
};

// Each waits until the worker has served it; the results are those of the call the worker makes,
// 4 when the request was not served.
int RequestCreateImage(int index, const char *name, int width, int height, int bits);
void RequestRedrawImage(int index);
int RequestLoadImageFile(int index, const wchar_t *path);   // wide: a dropped name may hold
                                                            // characters the code page has not
void RequestPasteBitmap(HBITMAP bitmap);   // the worker deletes the bitmap after copying it

#endif
