// pair_naming.cpp - names of the pair files.
#include "stereoshot/pair_naming.h"

#include <cstdio>
#include <cstring>

std::string PairStem(const LocalTime &t, int sequence)
{
    char stem[64];
    snprintf(stem, sizeof stem, "Pair_%04d%02d%02d_%02d%02d%02d_%03d", t.year, t.month, t.day,
             t.hour, t.minute, t.second, sequence);
    return stem;
}

// Folders come in the system code page (932): the second byte of a two-byte character may be a
// backslash or a bar, and must not be read as one.
static bool IsLeadByte(unsigned char c)
{
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Whether the last character of text is the single byte c.
static bool EndsWithByte(const std::string &text, char c)
{
    size_t i = 0, last = std::string::npos;
    while (i < text.size()) {
        last = i;
        i += IsLeadByte((unsigned char)text[i]) && i + 1 < text.size() ? 2 : 1;
    }
    return last != std::string::npos && last == text.size() - 1 && text[last] == c;
}

std::string CleanFolder(const std::string &typed)
{
    size_t first = typed.find_first_not_of(" \t\"");
    if (first == std::string::npos)
        return "";
    size_t last = typed.find_last_not_of(" \t\"");
    std::string folder = typed.substr(first, last - first + 1);
    // "C:\" keeps its separator: without it the name would be relative to C:'s current folder.
    while (folder.size() > 1 && (EndsWithByte(folder, '\\') || EndsWithByte(folder, '/')) &&
           !(folder.size() == 3 && folder[1] == ':'))
        folder.pop_back();
    return folder;
}

std::string PairPath(const std::string &folder, const std::string &name)
{
    for (size_t i = 0; i < folder.size(); i++) {
        unsigned char c = (unsigned char)folder[i];
        if (IsLeadByte(c)) {
            i++;   // its second byte may be anything
            continue;
        }
        if (c < 32 || strchr("<>\"|?*", c) != nullptr)
            return "";
    }
    std::string path;
    if (folder.empty() || folder == ".")
        path = name;
    else if (EndsWithByte(folder, '\\') || EndsWithByte(folder, '/'))
        path = folder + name;
    else
        path = folder + "\\" + name;
    return path.size() < 260 ? path : "";
}
