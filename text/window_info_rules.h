// window_info_rules.h - the window information of the open library windows (no Windows header):
// the coloured summary printed to a text window, and the listing of library calls that makes the
// same layout again. The listing is source code: it is always written whole.
#ifndef TVX_WINDOW_INFO_RULES_H
#define TVX_WINDOW_INFO_RULES_H

#include <cstdint>
#include <string>
#include <vector>

// The kinds of library window the listing writes, in the order it writes them; the modules that
// describe their windows give each its kind.
enum LayoutKind { kLayoutImage, kLayoutText, kLayoutInputBox, kLayoutButtonBox };

// One open library window as the listing writes it, described by the module that owns it.
struct LayoutWindow {
    int kind;                  // a LayoutKind
    int slot;                  // image or text-window slot
    void *window;              // the window's handle
    int x, y;                  // the outer top-left corner on the screen
    int width, height;         // image pixels; client size of text windows and the button box
    int bits, zoom;            // images
    std::string name;          // images, in the system code page
    int items, labelWidth, editWidth;   // the input box
    int columns, rows;         // the button box
    std::vector<std::string> titles;    // input-box item titles, button captions
};

// Each window module registers how it describes its open windows (in slot order); the listing
// asks them all (window_info.cpp).
void RegisterWindowDescriber(void (*describe)(std::vector<LayoutWindow> *out));
std::vector<LayoutWindow> DescribeLibraryWindows(void);   // in the order of their kinds

// A piece of the summary: in the colours in use (coloured false), or in its own (pushed for it).
struct InfoPiece {
    bool coloured;
    uint32_t text, back;   // 0xRRGGBB
    std::string s;
};

// The summary and the listing of windows (images, text windows, input box, button box, in order).
void WriteWindowInfo(const std::vector<LayoutWindow> &windows, std::vector<InfoPiece> *summary,
                     std::string *listing);

#endif
