// modules.h - how the window modules (text windows, image windows, the boxes) take part in the
// runtime frame without the frame knowing them: each registers a record with what it brings.
// The frame calls what is registered; nothing in runtime/ names another folder.
#ifndef TVX_MODULES_H
#define TVX_MODULES_H

#include <windows.h>

#include "runtime/rules.h"
#include "runtime/runtime.h"
#include <vector>

struct WindowClassRow {
    const wchar_t *name;
    WNDPROC procedure;
    UINT style;
    HBRUSH background;   // NULL: the system button-face colour
};

struct MainCommandRow {   // a command of the main window's popup menu, run on the main thread
    MainCommandItem item;
    void (*run)(void);
};

struct RequestRow {   // a mailbox request the worker serves for this module
    int code;
    void (*serve)(void *request);   // the module's own record, as its sender gave it
};

struct LibraryModule {
    const char *name;
    const WindowClassRow *classes;
    int classCount;
    const MainCommandRow *commands;
    int commandCount;
    const RequestRow *requests;
    int requestCount;
    void (*reset)(void);            // at start-up, before any window is made
    void (*release)(void);          // after the main loop has ended
    void (*closeAtExit)(void);      // Exit, on the main thread, before it waits for the worker
    void (*dropFiles)(HDROP drop);  // files dropped on the main window (at most one module)
    HWND (*dialogWindow)(void);     // a window whose dialog keys the worker's pump routes
    // Appends the module's open windows: their edges make the snap table.
    void (*listWindows)(std::vector<HWND> *out);
};

// Registers a module for the run; call before TVX_RunProgram. At most eight.
void RegisterLibraryModule(const LibraryModule *module);

// For the frame: the registered modules.
int LibraryModuleCount(void);
const LibraryModule *LibraryModuleAt(int i);

// Every registered module's open windows.
std::vector<HWND> LibraryWindows(void);

// Registers every module of the library (the composition, in its own target).
void RegisterLibraryModules(void);

#endif
