// rules.cpp - platform-free rules of the runtime frame.
#include "runtime/rules.h"

#include <climits>
#include <cmath>
#include <cstring>

void CentreStatusText(const char *text, char out[kStatusBufferBytes])
{
    memset(out, ' ', kStatusBufferBytes);
    out[kStatusBufferBytes - 1] = '\0';
    size_t length = strlen(text);
    int position = 18 - (int)(length / 2);
    if (position < 0)
        position = 0;
    // Longer texts than the buffer holds are cut rather than written past its end.
    size_t room = (size_t)(kStatusBufferBytes - 1 - position);
    if (length > room)
        length = room;
    memcpy(out + position, text, length);
    out[position + length] = '\0';
}

int32_t CounterToMilliseconds(int64_t counter, double msPerTick)
{
    double ms = std::floor((double)counter * msPerTick);
    // Keep the low 32 bits: the clock wraps instead of leaving the int range undefined.
    int64_t whole = (int64_t)std::fmod(ms, 4294967296.0);
    return (int32_t)(uint32_t)(uint64_t)whole;
}

int32_t ElapsedMilliseconds(int32_t now, int32_t since)
{
    return (int32_t)((uint32_t)now - (uint32_t)since);
}

int MainKeyAction(unsigned virtualKey, bool ctrlHeld)
{
    if (ctrlHeld && virtualKey >= 'A' && virtualKey <= 'Z')
        return kMainKeyCommand;
    switch (virtualKey) {
    case 'S': return ctrlHeld ? kMainKeyNothing : kMainKeyStart;
    case 'C': return ctrlHeld ? kMainKeyNothing : kMainKeyStop;
    case 'X':
    case kVirtualKeyEscape: return ctrlHeld ? kMainKeyNothing : kMainKeyExit;
    default: return kMainKeyNothing;
    }
}

const MainCommandItem kFrameCommands[3] = {
    {kCmdStart, "Start", 2, 1, 0},
    {kCmdStop, "Stop", 3, 0, 0},
    {kCmdExit, "E&xit", 4, 0, 0},
};

std::vector<MainCommandItem> MainPopupLayout(const std::vector<MainCommandItem> &commands)
{
    std::vector<MainCommandItem> byPlace;
    for (const MainCommandItem &c : commands) {
        if (c.place < 0)
            continue;
        if ((size_t)c.place >= byPlace.size())
            byPlace.resize((size_t)c.place + 1, MainCommandItem{0, nullptr, 0, 0, 0});
        byPlace[(size_t)c.place] = c;
    }
    return byPlace;
}

int MainPopupItemState(const MainCommandItem &item, int appRunning, int inputWindow)
{
    return (item.greyable && (appRunning != 0 || inputWindow != 0)) ? 3 : 0;
}

int LeadingInteger(const char *line)
{
    const char *p = line;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r'))
        p++;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = (*p++ == '-');
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value <= (long long)INT_MAX + 1)
            value = value * 10 + (*p - '0');
        p++;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return (int)value;
}

size_t CopyAnsiCut(char *dst, size_t dstBytes, const char *src, int (*isLeadByte)(unsigned char))
{
    if (dstBytes == 0)
        return 0;
    size_t i = 0;
    while (src[i] != '\0') {
        size_t size = (isLeadByte((unsigned char)src[i]) && src[i + 1] != '\0') ? 2 : 1;
        if (i + size > dstBytes - 1)
            break;
        memcpy(dst + i, src + i, size);
        i += size;
    }
    dst[i] = '\0';
    return i;
}

int IsLeadByte932(unsigned char byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}
