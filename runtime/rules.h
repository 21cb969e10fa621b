// rules.h - platform-free rules of the runtime frame (no Windows header), unit-tested natively.
#ifndef TVX_RUNTIME_RULES_H
#define TVX_RUNTIME_RULES_H

#include <cstddef>
#include <cstdint>

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
    kMainKeyPostPaste,        // Ctrl+V: post command 1026
    kMainKeyPostWindowInfo,   // Ctrl+W: post command 1045
    kMainKeyStart,            // S
    kMainKeyStop,             // C
    kMainKeyExit,             // X or Escape
};
int MainKeyAction(unsigned virtualKey, bool ctrlHeld);

// Command numbers of the main window.
enum {
    kCmdStart = 1001,
    kCmdExit = 1002,
    kCmdStop = 1003,
    kCmdPaste = 1026,
    kCmdImageWindow = 1027,
    kCmdTextWindow = 1028,
    kCmdInputBox = 1044,
    kCmdWindowInfo = 1045,
    kCmdButtonBox = 1051,
};

// The main window's popup menu, positions 0 to 11; id 0 is a separator.
struct MainPopupItem {
    int id;
    const char *text;
    int greyable;   // 1: grey and disabled while the application runs or a line input is active
};
enum { kMainPopupItemCount = 12 };
extern const MainPopupItem kMainPopup[kMainPopupItemCount];
// The menu state of an item: 0 enabled, 3 grey and disabled.
int MainPopupItemState(const MainPopupItem &item, int appRunning, int inputWindow);

// The leading decimal integer of a typed line (C's atoi rule), 0 when there is none.
// Values beyond the int range are clamped instead of overflowing.
int LeadingInteger(const char *line);

// Walks image slots from *cursor for one dropped file: create(slot) is tried and the cursor
// advanced until a creation gives 0 (that slot is returned), gives anything but 1 ("slot in use")
// or the cursor reaches 256 (-1 is returned).
int CreateInNextFreeSlot(int *cursor, int (*create)(int slot, void *context), void *context);

// Copies an ANSI string into dst of dstBytes bytes, cut so that no double-byte character is split
// and always terminated (when dstBytes > 0). Returns the number of bytes copied.
size_t CopyAnsiCut(char *dst, size_t dstBytes, const char *src, int (*isLeadByte)(unsigned char));
// Lead bytes of code page 932 (Shift-JIS).
int IsLeadByte932(unsigned char byte);

#endif
