// window_info_rules.h - the window information of the open library windows (no Windows header):
// the coloured summary printed to a text window, and the listing of library calls that makes the
// same layout again. The listing is source code: it is always written whole.
#ifndef TVX_WINDOW_INFO_RULES_H
#define TVX_WINDOW_INFO_RULES_H

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/window_layout.h"

// The kinds of library window the listing writes, in the order it writes them; the modules that
// describe their windows give each its kind.
enum LayoutKind { kLayoutImage, kLayoutText, kLayoutInputBox, kLayoutButtonBox };

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
