// window_info_rules.cpp - the window summary and the layout listing.
#include "text/window_info_rules.h"

#include <cstdarg>
#include <cstdio>

// printf into a string of any length.
static std::string Format(const char *format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int n = vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string out(n > 0 ? (size_t)n : 0, '\0');
    if (n > 0)
        vsnprintf(&out[0], (size_t)n + 1, format, again);
    va_end(again);
    return out;
}

// Line feeds become the two characters backslash and n; nothing else is escaped.
static std::string EscapeLineFeeds(const std::string &caption)
{
    std::string out;
    for (char c : caption) {
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

void WriteWindowInfo(const std::vector<LayoutWindow> &windows, std::vector<InfoPiece> *summary,
                     std::string *listing)
{
    const uint32_t kYellow = 0xFFFF00, kGreen = 0x00FF00, kLightBlue = 0x0080FF, kBlack = 0;
    auto plain = [&](const std::string &s) { summary->push_back({false, 0, 0, s}); };
    auto coloured = [&](uint32_t colour, const std::string &s) {
        summary->push_back({true, colour, kBlack, s});
    };
    summary->clear();
    coloured(kYellow, "******* Window information *******\n");
    *listing = "\t// TORVEX --- Automatic Source Generator\n";

    bool images = false;
    for (const LayoutWindow &w : windows) {
        if (w.kind != kLayoutImage)
            continue;
        if (!images) {
            coloured(kGreen, "[Image Window]\n");
            *listing += "\t// [Image Window]\n";
            images = true;
        }
        plain(Format(" %d ", w.slot));
        coloured(kLightBlue, w.bits == 8 ? "8" : "F");
        plain(Format(" '%s' X:%d Y:%d W:%d H:%d ZM:%d%%\n", w.name.c_str(), w.x, w.y, w.width,
                     w.height, w.zoom));
        *listing += Format(w.bits == 8 ? "\tTVX_CreateImage8(%d,\"%s\",%d,%d,%d,%d,%d);\n"
                                       : "\tTVX_CreateImage(%d,\"%s\",%d,%d,%d,%d,%d);\n",
                           w.slot, w.name.c_str(), w.x, w.y, w.width, w.height, w.zoom);
    }

    coloured(kGreen, "[Text Window]\n");
    *listing += "\t// [Text Window]\n";
    for (const LayoutWindow &w : windows)
        if (w.kind == kLayoutText) {
            plain(Format(" %d X:%d Y:%d W:%d H:%d\n", w.slot, w.x, w.y, w.width, w.height));
            *listing += Format("\tTVX_OpenTextWindow(%d,%d,%d,%d,%d);\n", w.slot, w.x, w.y,
                               w.width, w.height);
        }

    for (const LayoutWindow &w : windows) {
        if (w.kind == kLayoutInputBox) {
            coloured(kGreen, "[Input Box]\n");
            *listing += "\t// [Input Box]\n";
            plain(Format(" X:%d Y:%d ITEM:%d ", w.x, w.y, w.items));
            *listing += Format("\tTVX_OpenInputBox(%d,%d,%d);\n", w.x, w.y, w.items);
            plain(Format("ISIZE:%d ESIZE:%d\n", w.labelWidth, w.editWidth));
            *listing += Format("\tTVX_ResizeInputBox(%d,%d);\n", w.labelWidth, w.editWidth);
            for (size_t i = 0; i < w.titles.size(); i++)
                *listing += Format("\tTVX_SetInputBoxTitle(%d,\"%s\");\n", (int)i,
                                   w.titles[i].c_str());
        } else if (w.kind == kLayoutButtonBox) {
            coloured(kGreen, "[Button Box]\n");
            *listing += "\t// [Button Box]\n";
            plain(Format(" X:%d Y:%d NX:%d NY:%d ", w.x, w.y, w.columns, w.rows));
            *listing += Format("\tTVX_OpenButtonBox(%d,%d,%d,%d);\n", w.x, w.y, w.columns, w.rows);
            plain(Format("SIZE:%dx%d\n", w.width, w.height));
            *listing += Format("\tTVX_ResizeButtonBox(%d,%d);\n", w.width, w.height);
            for (size_t b = 0; b < w.titles.size(); b++)
                *listing += Format("\tTVX_SetButtonBoxTitle(%d,\"", (int)b) +
                            EscapeLineFeeds(w.titles[b]) + "\");\n";
        }
    }

    coloured(kYellow, "**********************************\n");
    *listing += "\tTVX_SetForeground(TVXMAINWINDOW);\n";
}
