// image_operations.h - the image operations applied to the images and their windows: the pen,
// pixel views of the images, and the whole-image transforms the image windows' commands run (the
// arithmetic itself is the platform-free imageops/). The drawing calls are in torvex.h.
#ifndef TVX_IMAGE_OPERATIONS_H
#define TVX_IMAGE_OPERATIONS_H

#include "imageops/pixel_view.h"
#include "torvex.h"

// The library's one pen: where the last plot, line or circle ended. The plots continue from it.
extern PenPoint PenPosition;

PixelView ImageView(int index);   // empty (outside everywhere) when the slot is free
PixelView CurrentView(void);

// Whole-image transforms of one image; each leaves redrawing to its caller. The rotations and the
// size changes make the image current and re-create it at its new size; they return 0, 1 for a
// bad or free slot, 2 or 3 when the new size is refused (screen, memory) or 4 when the copy of
// the old pixels cannot be had. Refused, the image, its window and its pixels stay as they were.
void InvertImage(int index);
void FlipHorizontal(int index);
void FlipVertical(int index);
int RotateRight(int index);
int RotateLeft(int index);
int ScaleImage(int index, int perMille);   // each side (side x factor + 500) / 1000
void ClearImage(int index);

// Test patterns into the current image: nothing when its slot is free.
void PatternRgb(void);
void PatternHsv(void);
void PatternYCrCb(void);
void PatternYuv(void);
void PatternYiq(void);
void PatternGrey(void);   // an 8-bit image first gets the grey colour table back

// Points from the user, by clicks in the image's window (the image becomes current). 0 taken,
// 1 given up (a right or middle click at the first point, Stop or Exit, or the image gone or made
// anew meanwhile), 2 bad or free image. Outputs are image pixels, 0 unless taken.
int PickPoint(int image, int *x, int *y);
int PickRow(int image, int *x, int *y);      // a band across the row under the mouse
int PickColumn(int image, int *x, int *y);   // a band down the column under the mouse
int PickPlacement(int image, int w, int h, int *x, int *y);   // a w x h frame centred on the mouse
int PickRect(int image, int *x1, int *y1, int *x2, int *y2);   // x1 <= x2, y1 <= y2
int PickLine(int image, int *x1, int *y1, int *x2, int *y2);   // in click order
int PickCircle(int image, int *cx, int *cy, int *radius);

// The image window commands of the processing menu; each takes the window and its image.
void DrawLineCommand(HWND window, int image);        // "Draw Line..." / "Normal"
void DrawRowCommand(HWND window, int image);         // "Horz."
void DrawColumnCommand(HWND window, int image);      // "Vert."
void DrawBoxCommand(HWND window, int image);         // "Draw Box..." / "Normal"
void FillBoxCommand(HWND window, int image);         // "Fill"
void XorFillBoxCommand(HWND window, int image);      // "Fill XOR"
void DrawCircleCommand(HWND window, int image);      // "Draw Circle..." / "Normal"
void FillCircleCommand(HWND window, int image);      // "Fill"
void XorFillCircleCommand(HWND window, int image);   // "Fill XOR"
void DrawTextCommand(HWND window, int image);        // "Draw Text"
void PaintCommand(HWND window, int image);           // "Paint"
void ChangeColorCommand(HWND window, int image);     // "Color..." / "Change"
void PickColorCommand(HWND window, int image);       // "Color..." / "Pick"
void ResetCustomColors(void);                        // the colour dialog's 16, black, at start
// The "Text>" prompt of the text commands: a line read in the text window; false when the image
// went away or stopped being current while the line was typed.
bool ReadTextForImage(HWND window, int image, char line[256]);

// Measurements; the plots and clips go into new image windows.
void PixelCommand(HWND window, int image);           // "Pixel"
void RgbProfileCommand(HWND window, int image);      // "Line(RGB)"
void HsvProfileCommand(HWND window, int image);      // "Line(HSV)"
void YCrCbProfileCommand(HWND window, int image);    // "Line(YCrCb)"
void LumiProfileCommand(HWND window, int image);     // "Line(Lumi)"
void CrCbLineCommand(HWND window, int image);        // "Line(CrCb)"
void CrCbAreaCommand(HWND window, int image);        // "Area(CrCb)"
void ClippingCommand(HWND window, int image);        // "Clipping"
// A new 32-bit plot image at (0, 0) in the lowest slot that takes it (it is then current), or -1.
int CreatePlotImage(const char *title, int width, int height);
void PlotSeries(const void *data, int x0, int n, int selector, unsigned int colour);
void PlotCrCbLine(const unsigned int *words, int n);
void PlotCrCbArea(int h, const unsigned int *words, int w);

#endif
