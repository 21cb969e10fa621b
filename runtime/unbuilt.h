// unbuilt.h - what the runtime frame calls in the text, image and box modules that are not
// written yet. Each declaration moves to its module's header when that module lands, and its
// placeholder in unbuilt.cpp goes away.
#ifndef TVX_RUNTIME_UNBUILT_H
#define TVX_RUNTIME_UNBUILT_H

#include <windows.h>

#include <atomic>

// The layout listing of the open windows ("Window Info.").
void PrintWindowInfo(void);

// The shared drawing colours of the image operations (0xRRGGBB).
extern unsigned int DrawColor;
extern unsigned int tvx_tc;

// Images, image files, the clipboard picture, click waits.
struct TextCursorRecord {
    int x, y, left;
};
extern TextCursorRecord TextCursor;
extern unsigned int tvx_tttc;
void InitImageTable(void);
void ResetCustomColors(void);
int IsClickWaitActive(void);
int FirstFreeImageSlot(void);       // -1 when all 256 are in use
int TVX_CreateImageEx(int index, const char *name, int x, int y, int width, int height, int zoom,
                      int bits);
int TVX_RefreshImage(int index);
int TVX_SelectImage(int index);
int TVX_SelectPreviousImage(void);
int TVX_LoadImageFile(const char *path, int x, int y);
void BlitBitmapToCurrentImage(HBITMAP bitmap);
HBITMAP ReadClipboardBitmap(void);
LRESULT CALLBACK ImageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The input box and the button box.
int TVX_OpenInputBox(int x, int y, int count);
void DestroyInputBox(void);
HWND InputBoxWindow(void);            // NULL when there is no input box
int TVX_OpenButtonBox(int x, int y, int nx, int ny);
void DestroyButtonBox(void);
LRESULT CALLBACK InputBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK ButtonBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Edge snapping of library windows dragged with Ctrl.
void UpdateSnapRects(void);
void SnapMovingRect(RECT *proposed, HWND window);

#endif
