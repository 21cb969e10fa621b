// image_commands.h - the one command table of the image windows: every command's number, its
// menu text and place, its check rule and its handler. The menus are built from it and the
// window procedure dispatches through it.
#ifndef TVX_IMAGE_COMMANDS_H
#define TVX_IMAGE_COMMANDS_H

#include <windows.h>

enum ImageMenuPlace {
    kMenuNone,       // reached by key only
    kMenuBasic,      // the right-click menu
    kMenuProcess,    // "Process..." under the processing menu
    kMenuPattern,    // "Test Pattern..." under the processing menu
};

enum ImageCheckRule { kCheckNever };

enum ImageCommandFlags {
    kSelectFirst = 1,    // the window's image becomes current (the previous one is remembered)
    kRedrawAfter = 2,    // the window of the image is invalidated afterwards
};

struct ImageCommandRow {
    int id;
    const char *text;
    unsigned char menu;       // ImageMenuPlace
    unsigned char position;   // place in that menu
    unsigned char check;      // ImageCheckRule
    unsigned char flags;      // ImageCommandFlags
    void (*run)(HWND window, int image);
};

const ImageCommandRow *FindImageCommand(int id);   // NULL for a number without a command
// Runs command id for the image of the window; numbers without a command, and windows whose
// image is gone, do nothing.
void RunImageCommand(HWND window, int id);

#endif
