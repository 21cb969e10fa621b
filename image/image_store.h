// image_store.h - the image store inside the library: the 256-slot table, the current image,
// click waits, and what the image windows and files share.
#ifndef TVX_IMAGE_STORE_H
#define TVX_IMAGE_STORE_H

#include <windows.h>

#include "image/image_rules.h"
#include "torvex.h"

extern SelectionState Selection;   // Selection.current is CurrentImage

enum { kImageWindowStyle = 0x10C80000 };   // visible, caption, system menu

void InitImageTable(void);
int FirstFreeImageSlot(void);   // -1 when all 256 are in use
int FindImageByWindow(HWND window);
int SelectImageByWindow(HWND window);
void UpdateImageTitle(int index);
void BlitBitmapToCurrentImage(HBITMAP bitmap);
ScreenLimits ReadScreenLimits(void);
LRESULT CALLBACK ImageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A wait for clicks in one image window (the interactive operations).
// Whether one runs is ClickWaitActive, the flag of the library's one modal rule.
struct ClickWaitState {
    int image;
    int clicked, clickX, clickY;
    int moved, moveX, moveY;
    int cancelled;
};
extern ClickWaitState ClickWait;
int BeginClickWait(int image, const char *prompt);   // 0, or 2 for a bad or free image
void EndClickWait(void);

// Image files.
extern int JpegQuality;
int LoadImageFileW(const wchar_t *file, int x, int y);   // TVX_LoadImageFile by a wide name
// The top-left w x h of the current image as a JPEG file at the quality: 0, or 1 failed (nothing
// is left behind).
int SaveJpegFile(const wchar_t *name, int w, int h, int quality);
void ResetImageFileDialogs(void);
int FindEncoderClsid(const wchar_t *mime, CLSID *clsid);
int ChooseImageFileToOpen(char *buffer);
int ChooseImageFileToSave(char *buffer);
void LoadImageFileCommand(HWND window);   // "&Load image file"
void SaveAsCommand(HWND window);          // "&Save as"

#endif
