// layout_replay.cpp - an application whose TVX_AppInit is a layout listing the library wrote
// (compiled in from the build tree): it makes the layout, writes it down as the maker did, and
// ends. Run by the layout round-trip test.
#include <cstdio>

#include "layout_dump.h"
#include "runtime/runtime.h"

void TVX_AppInit(void)
{
#include "layout-listing.inc"
    TVX_PumpMessages();
    if (FILE *f = fopen("layout-replayed.txt", "wb")) {
        fputs(DumpLayout().c_str(), f);
        fclose(f);
    }
    PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TVX_AppMain(void) {}
void TVX_AppExit(void) {}
