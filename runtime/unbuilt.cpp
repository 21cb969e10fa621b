// unbuilt.cpp - placeholders for the modules the runtime frame calls before they are written.
// Each does nothing, or refuses with its module's resource-failure code, so that the frame links
// and runs; none pretends to do its module's work.
#include "runtime/unbuilt.h"

TextCursorRecord TextCursor = {0, 0, 0};
unsigned int tvx_tttc = 0xFFFFFF;
unsigned int DrawColor = 0xFFFFFF;
unsigned int tvx_tc = 0;

void PrintWindowInfo(void) {}

void ResetCustomColors(void) {}
HBITMAP ReadClipboardBitmap(void) { return NULL; }

void UpdateSnapRects(void) {}
void SnapMovingRect(RECT *, HWND) {}
