// layout_dump.cpp - the open library windows as text.
#include "layout_dump.h"

#include <windows.h>

#include "text/window_info_rules.h"

std::string DumpLayout()
{
    std::string out;
    for (const LayoutWindow &w : DescribeLibraryWindows()) {
        RECT r = {0, 0, 0, 0};
        GetWindowRect((HWND)w.window, &r);
        wchar_t title[256] = L"";
        GetWindowTextW((HWND)w.window, title, 256);
        char narrow[512] = "";
        WideCharToMultiByte(CP_UTF8, 0, title, -1, narrow, sizeof narrow, NULL, NULL);
        char line[1024];
        snprintf(line, sizeof line,
                 "kind %d slot %d rect %ld,%ld,%ld,%ld size %dx%d bits %d zoom %d items %d %dx%d "
                 "grid %dx%d title '%s' name '%s'",
                 w.kind, w.slot, r.left, r.top, r.right, r.bottom, w.width, w.height, w.bits,
                 w.zoom, w.items, w.labelWidth, w.editWidth, w.columns, w.rows, narrow,
                 w.name.c_str());
        out += line;
        for (const std::string &t : w.titles)
            out += " [" + t + "]";
        out += "\n";
    }
    return out;
}
