// torvex.h - the one header a TORVEX application includes: its three hooks and the library calls.
#ifndef TORVEX_H
#define TORVEX_H

#include <windows.h>

#include <atomic>

// ---------------------------------------------------------------------------------------------
// Application hooks (written by the application, run by the library on its worker thread)
// ---------------------------------------------------------------------------------------------
void TVX_AppInit(void);   // once, when the worker thread starts
void TVX_AppMain(void);   // once per Start; return promptly when StopRequest becomes 1
void TVX_AppExit(void);   // once at the end; on the main thread when the worker was stopped by force

// ---------------------------------------------------------------------------------------------
// Runtime
// ---------------------------------------------------------------------------------------------
// 1 after Stop or Exit: every loop of the application pumps and returns when it sees it.
extern std::atomic<int> StopRequest;

int TVX_PumpMessages(void);   // dispatches every message pending for the calling thread; returns 0
// Brings a library window to the front; the layout listing ends with it.
enum { TVXMAINWINDOW = -1 };   // the main window
void TVX_SetForeground(int window);
void TVX_SetStatusText(const char *text);   // the main window's status line, centred

// ---------------------------------------------------------------------------------------------
// Text windows (slots 0 to 255; printing and input go to the current one)
// ---------------------------------------------------------------------------------------------
int TVX_OpenTextWindow(int index, int x, int y, int width, int height);
                                         // 0 made (and current), 1 already open (raised, made
                                         // current) or index >= 256, 4 no window; x, y < 0:
                                         // default place; width, height < 0: 400 x 300
int TVX_CloseTextWindow(int index);      // 0 closed, 1 not open
int TVX_SelectTextWindow(int index);     // 0 made current, 1 not open
void TVX_Print(const char *format, ...); // printf into the current window (and its log), at most
                                         // 4095 bytes; wraps and scrolls
void TVX_PushTextColor(unsigned int text, unsigned int back);   // 0xRRGGBB; 8 deep
void TVX_PopTextColor(void);
void TVX_Pause(const char *message);     // modal box titled "Pause"
void TVX_InputText(char *buffer);        // one typed line, buffer of 256 bytes; "" when cancelled
int TVX_Command(void);                   // the "Cmd>" console: 0 a command, 1 anything else
int TVX_StartLog(int index);             // 0 logging, 1 already, 2 file not made, 3 not open
int TVX_StopLog(int index);              // 0 paused, 1 no log, 2 not open
int TVX_CopyLog(int index);              // the log file onto the clipboard: 0 done, 1 clipboard
                                         // busy, 2 no file, 3 no memory, 4 not open
void TVX_CloseLogs(void);                // closes every open window's log (done at Exit)

// ---------------------------------------------------------------------------------------------
// Images (slots 0 to 255; each has one window showing it at a zoom that fits the screen)
// ---------------------------------------------------------------------------------------------
// Pixels are top-down rows. 32-bit: words 0x00RRGGBB, width words a row. 8-bit: colour-table
// indices, rows of width rounded up to a multiple of 4 bytes.
struct ImageRecord {
    int inUse;
    int bits;               // 32 or 8
    int width, height;
    int viewWidth, viewHeight;   // the window's client area
    int zoom;               // percent
    HWND window;
    HDC memoryDC;
    HDC windowDC;
    HBITMAP dib;
    HBITMAP previousBitmap;
    char *name;
};
extern ImageRecord ImageTable[256];
extern unsigned int *ImagePixels32[256];
extern unsigned char *ImagePixels8[256];
extern int &CurrentImage;   // the image the pixel, file and frame calls act on

int TVX_CreateImage(int index, const char *name, int x, int y, int width, int height, int zoom);
int TVX_CreateImage8(int index, const char *name, int x, int y, int width, int height, int zoom);
int TVX_CreateImageEx(int index, const char *name, int x, int y, int width, int height, int zoom,
                      int bits);       // 0 made (and current), 1 slot in use or index >= 256,
                                       // 2 cannot fit the screen, 3 bits not 8/32, pixels over
                                       // 256 MiB (8192 x 8192 at 32 bits) or no DIB;
                                       // x, y = -1: default place; name NULL is ""
int TVX_DestroyImage(int index);       // 0, 1 bad index or free
int TVX_RefreshImage(int index);       // draws the pixels into the window now; 0, 1 bad or free
int TVX_SelectImage(int index);        // 0 current (the old one remembered), 1 bad or free
int TVX_SelectPreviousImage(void);     // 0 back to the one before, 1 it is gone
int TVX_SetColorTable(const RGBQUAD *entries, int count);   // current 8-bit image: 0, 1 free,
int TVX_GetColorTable(RGBQUAD *entries);                    // 2 not 8-bit (256 entries)
int TVX_GetStretchMode(int index);     // 3 colour-on-colour, 4 halftone, 0 bad or free
int TVX_SetStretchMode(int mode, int index);   // 0, 1 bad or free
int TVX_SetImageName(int index, const char *name);   // the title follows: 0, 1 bad or free, 4
int TVX_SetZoom(int index, int zoom);  // 0, 1 bad or free, 2 cannot fit (nothing changes)
int TVX_ResizeImage(int index, int width, int height);   // 0 (pixels cleared), 1 bad or free,
                                       // 2 or 3 new size refused (the image stays as it was;
                                       // 3 also over 256 MiB of pixels)
void TVX_GetImageRect(void *dst, int x, int y, int width, int height);   // out of the current
void TVX_PutFrame(const void *src, int x);   // a 640 x 480 block into the current at column x
int TVX_LoadImageFile(const char *file, int x, int y);   // into the current image at (x, y):
                                       // 0, 1 unreadable, NULL, or a name over 259 characters,
                                       // 2 current slot free
extern int JpegQuality;   // the quality of saved JPEGs: 100 unless a program changes it
int TVX_SaveImageFile(int height, int width, int format, const char *file);
                                       // top-left of the current image; format 0 BMP, 1 JPEG
                                       // (".jps"), 2 GIF, 3 PNG, 4 TIFF: 0 saved, 1 failed
                                       // (also: name NULL or "", a name that does not fit 259
                                       // characters with its extension, or width x height x 4
                                       // over 256 MiB), 2 width or height not positive,
                                       // 3 current slot free

// ---------------------------------------------------------------------------------------------
// Drawing into the current image (colour values 0x00RRGGBB; an 8-bit image keeps the lowest
// byte, a colour-table index). Everything clips: positions outside the image are skipped, and
// negative ones are outside. Nothing here redraws the window: call TVX_RefreshImage after.
// ---------------------------------------------------------------------------------------------
extern unsigned int DrawColor;   // boxes, filled circles and FloodFill; 0xFFFFFF at start
extern unsigned int tvx_tc;      // bitmap-font text; 0 at start
extern unsigned int tvx_tttc;    // TrueType text; 0xFFFFFF at start
struct TextCursorRecord {
    int x;      // left edge of the next character cell
    int y;      // baseline: a bitmap-font cell covers rows y - 14 to y - 1
    int left;   // where a new line starts
};
extern TextCursorRecord TextCursor;

void PlotPixel(int x, int y, unsigned int colour);   // also moves the pen to (x, y)
void PutPixel(int x, int y, unsigned int colour);
unsigned int ReadPixel(int x, int y);   // 0 outside
int ProbePixel(int x, int y);           // -1 outside
void XorPlotPixel(int x, int y);        // inverts (colour bytes, or all 8 bits); moves the pen
void XorPixel(int x, int y);
void ReadImageRow(void *dst, int y, int n);   // n words (32-bit) or bytes (8-bit); 0 outside

void DrawLine(unsigned int colour, int x1, int y1, int x2, int y2);
void XorLine(int x1, int y1, int x2, int y2);   // the XOR figures undo themselves when drawn again
void DrawBox(int x1, int y1, int x2, int y2);
void XorBox(int x1, int y1, int x2, int y2);
void FillBox(int x1, int y1, int x2, int y2);
void XorFillBox(int x1, int y1, int x2, int y2);
void DrawCircle(int cx, int cy, int radius, unsigned int colour);
void XorCircle(int cx, int cy, int radius);
void FillCircle(int cx, int cy, int radius);
void XorFillCircle(int cx, int cy, int radius);
void FloodFill(int x, int y);           // the 4-connected area of equal pixels, in DrawColor
void DrawChar(int c);                   // built-in 8 x 14 font at TextCursor in tvx_tc
void DrawString(const char *text);      // codes 32 to 127 and line feed; others are skipped
void DrawFormatted(const char *format, ...);   // printf, at most 4095 characters

// ---------------------------------------------------------------------------------------------
// The button box and the input box (one of each at a time)
// ---------------------------------------------------------------------------------------------
void TVX_OpenButtonBox(int x, int y, int nx, int ny);   // nx x ny buttons labelled 0, 1, ...;
                                       // nothing when one is open or nx x ny is not 1 to 256
void TVX_SetButtonBoxTitle(int index, const char *text);   // a button's label
int TVX_GetButtonPress(int index);     // clicks (and digit keys) since the last call; resets
void TVX_ResizeButtonBox(int width, int height);   // client size; the buttons follow
void TVX_OpenInputBox(int x, int y, int items);   // 1 to 30 labelled fields, values "0"
void TVX_SetInputBoxTitle(int item, const char *text);   // an item's label
int TVX_SetInputBoxValue(int item, const char *text);    // an item's value and field: 0, 1 none
void TVX_ResizeInputBox(int labelWidth, int editWidth);
int TVX_GetInputBoxValue(int item, char *buffer, int bytes);   // the value as last stored (on
                                       // leaving the field or Enter): 0, 1 no such item

#endif
