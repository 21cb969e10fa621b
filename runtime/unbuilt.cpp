// unbuilt.cpp - placeholders for the modules the runtime frame calls before they are written.
// Each does nothing, or refuses with its module's resource-failure code, so that the frame links
// and runs; none pretends to do its module's work.
#include "unbuilt.h"

int CurrentTextWindow = 0;
std::atomic<int> InputWindow{0};
TextCursorRecord TextCursor = {0, 0, 0};
unsigned int tvx_tttc = 0xFFFFFF;

void InitTextWindowTable(void) {}
void ClearLastInputLine(void) {}
int IsTextWindowOpen(int) { return 0; }
HWND TextWindowHandle(int) { return NULL; }
int FirstFreeTextWindow(void) { return 0; }
int TVX_OpenTextWindow(int, int, int, int, int) { return 1; }
void TVX_Print(const char *, ...) {}
void TVX_InputText(char *buffer) { buffer[0] = '\0'; }
void TVX_CloseLogs(void) {}

void InitImageTable(void) {}
void ResetCustomColors(void) {}
int IsClickWaitActive(void) { return 0; }
int FirstFreeImageSlot(void) { return 0; }
int TVX_CreateImageEx(int, const char *, int, int, int, int, int, int) { return 4; }
int TVX_RefreshImage(int) { return 1; }
int TVX_SelectImage(int) { return 1; }
int TVX_SelectPreviousImage(void) { return 0; }
int TVX_LoadImageFile(const char *, int, int) { return 4; }
void BlitBitmapToCurrentImage(HBITMAP bitmap) { DeleteObject(bitmap); }
HBITMAP ReadClipboardBitmap(void) { return NULL; }

int TVX_OpenInputBox(int, int, int) { return 4; }
void DestroyInputBox(void) {}
HWND InputBoxWindow(void) { return NULL; }
int TVX_OpenButtonBox(int, int, int, int) { return 4; }
void DestroyButtonBox(void) {}

void UpdateSnapRects(void) {}
void SnapMovingRect(RECT *, HWND) {}

LRESULT CALLBACK TextWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}
LRESULT CALLBACK ImageWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}
LRESULT CALLBACK InputBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}
LRESULT CALLBACK ButtonBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}
