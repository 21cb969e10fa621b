// window_layout.h - plain descriptions of the open library windows (no Windows header), which
// each window module gives the frame: their rectangles feed the snap table, and the layout
// listing is written from them.
#ifndef TVX_WINDOW_LAYOUT_H
#define TVX_WINDOW_LAYOUT_H

#include <string>
#include <vector>

struct LayoutWindow {
    int kind;                  // the describing module's; the frame lists windows in its order
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

#endif
