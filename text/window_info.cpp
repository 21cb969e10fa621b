// window_info.cpp - "Window Info.": the summary of the open library windows printed in a text
// window, and the listing that makes the layout again put on the clipboard as ANSI text.
// The Japanese message is code page 932 text (this file is compiled for that code page).
#include <algorithm>
#include <cstring>

#include "runtime/modules.h"
#include "runtime/runtime.h"
#include "runtime/clipboard_block.h"
#include "runtime/scoped.h"
#include "text/text_window.h"
#include "text/window_info_rules.h"

enum { kMaxDescribers = 8 };
static struct {
    void (*describe[kMaxDescribers])(std::vector<LayoutWindow> *out);
    int count;
} Describers;

void RegisterWindowDescriber(void (*describe)(std::vector<LayoutWindow> *out))
{
    for (int i = 0; i < Describers.count; i++)
        if (Describers.describe[i] == describe)
            return;
    if (Describers.count < kMaxDescribers)
        Describers.describe[Describers.count++] = describe;
}

std::vector<LayoutWindow> DescribeLibraryWindows(void)
{
    std::vector<LayoutWindow> windows;
    for (int i = 0; i < Describers.count; i++)
        Describers.describe[i](&windows);
    std::stable_sort(windows.begin(), windows.end(),
                     [](const LayoutWindow &a, const LayoutWindow &b) { return a.kind < b.kind; });
    return windows;
}

// True when the listing is on the clipboard; false when the clipboard could not be had (nothing
// to report) or, with *noMemory set, the block could not.
static bool PutListing(const std::string &listing, bool *noMemory)
{
    HGLOBAL block = FilledGlobalBlock(listing.size() + 1, [&](void *bytes) {
        memcpy(bytes, listing.c_str(), listing.size() + 1);
    });
    *noMemory = block == NULL;
    return block != NULL && PutClipboardBlock(CF_TEXT, block) == kClipboardPut;
}

void PrintWindowInfo(int index)
{
    TVX_SelectTextWindow(index);
    TVX_PushTextColor(0xFFFFFF, 0x000000);
    std::vector<InfoPiece> summary;
    std::string listing;
    WriteWindowInfo(DescribeLibraryWindows(), &summary, &listing);
    for (const InfoPiece &piece : summary) {
        if (piece.coloured)
            TVX_PushTextColor(piece.text, piece.back);
        TVX_Print("%s", piece.s.c_str());
        if (piece.coloured)
            TVX_PopTextColor();
    }
    bool noMemory;
    if (PutListing(listing, &noMemory)) {
        TVX_PushTextColor(0xFFFF00, 0x000080);
        TVX_Print("クリップボードにレイアウト作成ソースリストを保存しました．\n");
        TVX_PopTextColor();
    } else if (noMemory) {
        MessageBoxW(NULL, L"GlobalAlloc() failed. (ID_INFO)", L"Pause", MB_OK);
    }
    TVX_PopTextColor();
}
