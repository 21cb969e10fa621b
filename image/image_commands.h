// image_commands.h - the one command table of the image windows: every command's number, its
// menu text and place, its check or availability rule and its handler. The two context menus are
// built from it and the window procedure dispatches through it; keys post the same numbers.
#ifndef TVX_IMAGE_COMMANDS_H
#define TVX_IMAGE_COMMANDS_H

#include <windows.h>

#include "image/menu_rules.h"

enum ImageCommandFlags {
    kSelectFirst = 1,   // the window's image becomes current (the previous one is remembered)
    kRedrawAfter = 2,   // the window of the image is invalidated afterwards
};

// A row with a command number runs its handler; a row without one is a submenu (submenu names
// its place) or, with no text either, a separator.
struct ImageCommandRow {
    int id;
    const char *text;
    unsigned char menu;       // ImageMenuPlace
    unsigned char position;   // place in that menu, among the items the image offers
    unsigned char rule;       // ImageItemRule
    unsigned char submenu;    // ImageMenuPlace opened by this item, or kMenuNone
    unsigned char flags;      // ImageCommandFlags
    void (*run)(HWND window, int image);   // NULL: nothing to do yet
    unsigned char key;        // the letter that with Ctrl posts the command, or 0
};

const ImageCommandRow *FindImageCommand(int id);   // NULL for a number without a command
int ImageCommandForKey(unsigned key);              // the command Ctrl+key posts, or 0
// Runs command id for the image of the window; numbers without a command, and windows whose
// image is gone, do nothing.
void RunImageCommand(HWND window, int id);

// The right-click menu and the processing menu of the window's image; the caller destroys them
// after tracking. NULL when the window has no image.
HMENU BuildImageMenu(HWND window);
HMENU BuildProcessMenu(HWND window);

#endif
