// layout_dump.h - the open library windows as text, one line each (kind, slot, outer rectangle,
// sizes, zoom, title, names and captions), for comparing two layouts.
#ifndef TVX_LAYOUT_DUMP_H
#define TVX_LAYOUT_DUMP_H

#include <string>

std::string DumpLayout();

#endif
