// rules.h - platform-free rules of the runtime frame (no Windows header), unit-tested natively.
#ifndef TVX_RUNTIME_RULES_H
#define TVX_RUNTIME_RULES_H

#include <cstddef>
#include <cstdint>
#include <vector>

// Status line: a text centred on a 36-character line inside a 64-byte buffer.
enum { kStatusBufferBytes = 64 };
void CentreStatusText(const char *text, char out[kStatusBufferBytes]);

// The millisecond clock: counter ticks times milliseconds per tick, rounded down, kept to 32 bits.
// The value wraps after about 24.8 days; differences taken with ElapsedMilliseconds stay right.
int32_t CounterToMilliseconds(int64_t counter, double msPerTick);
int32_t ElapsedMilliseconds(int32_t now, int32_t since);

// Keys of the main window.
enum {
    kVirtualKeyEscape = 0x1B,
};
enum MainKeyActionCode {
    kMainKeyNothing = 0,
    kMainKeyCommand,   // Ctrl and a letter: the command whose key it is, if any
    kMainKeyStart,     // S
    kMainKeyStop,      // C
    kMainKeyExit,      // X or Escape
};
int MainKeyAction(unsigned virtualKey, bool ctrlHeld);

// The frame's own commands of the main window; the modules bring the others.
enum {
    kCmdStart = 1001,
    kCmdExit = 1002,
    kCmdStop = 1003,
};

// A command of the main window's popup menu: its place there (places no command takes are
// separators), whether it is grey while the application runs or a line input is active, and the
// letter that with Ctrl posts it (0: none).
struct MainCommandItem {
    int id;
    const char *text;
    int place;
    int greyable;
    unsigned key;
};
extern const MainCommandItem kFrameCommands[3];   // Start, Stop, Exit
// The popup's entries in order of place from the commands given, a separator (id 0) for each
// place between them that none takes.
std::vector<MainCommandItem> MainPopupLayout(const std::vector<MainCommandItem> &commands);
// The menu state of an item: 0 enabled, 3 grey and disabled.
int MainPopupItemState(const MainCommandItem &item, int appRunning, int inputWindow);

// The leading decimal integer of a typed line (C's atoi rule), 0 when there is none.
// Values beyond the int range are clamped instead of overflowing.
int LeadingInteger(const char *line);

// Copies an ANSI string into dst of dstBytes bytes, cut so that no double-byte character is split
// and always terminated (when dstBytes > 0). Returns the number of bytes copied.
size_t CopyAnsiCut(char *dst, size_t dstBytes, const char *src, int (*isLeadByte)(unsigned char));
// Lead bytes of code page 932 (Shift-JIS).
int IsLeadByte932(unsigned char byte);

#endif
