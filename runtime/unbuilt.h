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

// Image text positions and colours, the colour dialog and the clipboard picture.
struct TextCursorRecord {
    int x, y, left;
};
extern TextCursorRecord TextCursor;
extern unsigned int tvx_tttc;
void ResetCustomColors(void);
HBITMAP ReadClipboardBitmap(void);

// Edge snapping of library windows dragged with Ctrl.
void UpdateSnapRects(void);
void SnapMovingRect(RECT *proposed, HWND window);

#endif
