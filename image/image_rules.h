// image_rules.h - platform-free rules of the image store (no Windows header): zoom fitting and
// steps, mouse-to-pixel mapping, the selection history, 8-bit row stride, rectangle and frame
// copies over pixel memory, window titles and file extensions.
#ifndef TVX_IMAGE_RULES_H
#define TVX_IMAGE_RULES_H

#include <cstddef>
#include <cstdint>

// What the screen allows a window's client area: at most screen width x (screen height less
// the caption), at least the system's minimum window less its frame and caption.
struct ScreenLimits {
    int screenWidth, screenHeight;
    int minWidth, minHeight;
};
struct ZoomFit {
    int zoom;
    int viewWidth, viewHeight;
};
// The zoom nearest to z at which a w x h image fits the screen (w, h at least 1). Returns false
// when even the smallest allowed window would not fit. Computed without overflow for any input.
bool FitZoom(int w, int h, int z, const ScreenLimits &limits, ZoomFit *fit);

int ZoomInStep(int zoom);    // (10 z + 4) / 9
int ZoomOutStep(int zoom);   // (9 z + 5) / 10
// Image coordinate of a client coordinate (the unsigned 16 bits of a mouse message).
int ClientToPixel(unsigned coordinate16, int zoom);

// The current image and the 8 images selected before it, most recent first.
struct SelectionState {
    int current;
    int history[8];
};
void ResetSelection(SelectionState *selection);
void PushSelection(SelectionState *selection, int index);   // index becomes current
// The most recent entry becomes current and the history moves up (the oldest is duplicated).
void PopSelection(SelectionState *selection);

inline int Stride8(int width) { return (width + 3) & ~3; }

// Copies the w x h area at (x, y) of an image out, rows without gaps; outside is 0.
void CopyRectOut32(const uint32_t *pixels, int width, int height, uint32_t *dst, int x, int y,
                   int w, int h);
void CopyRectOut8(const uint8_t *pixels, int width, int height, uint8_t *dst, int x, int y, int w,
                  int h);
// Puts a 640 x 480 block at column x0 of an image, clipped.
enum { kFrameWidth = 640, kFrameHeight = 480 };
void PutFrame32(uint32_t *pixels, int width, int height, const uint32_t *src, int x0);
void PutFrame8(uint8_t *pixels, int width, int height, const uint8_t *src, int x0);

// "%s(%d%%)" or "%s(%d%%)[8bit]", then "*" when halftone; cut to 255 bytes at a character
// boundary.
void FormatImageTitle(char *out, size_t bytes, const char *name, int zoom, int bits,
                      bool halftone, int (*isLeadByte)(unsigned char));

// Appends ext (lower case, with its dot) unless the last four characters, lower-cased, hold it.
// name has room for capacity units with the terminator. Returns false, leaving name as it was,
// when the extension does not fit whole: a cut extension would write another file.
bool EnsureFileExtension(char16_t *name, size_t capacity, const char16_t *ext);

// The most pixel memory one image, or one buffer of a save, may take: 256 MiB (8192 x 8192 at
// 32 bits). Larger pictures would take minutes to save and gigabytes to repaint.
constexpr uint64_t kMaxPixelBytes = 256ull << 20;
// Bytes of a w x h picture of 32 or 8 bits (8-bit rows padded to 4 bytes), computed in 64 bits:
// false when w or h is not positive or the size is over kMaxPixelBytes.
bool PixelBytes(int w, int h, int bits, size_t *bytes);


// Walks image slots from *cursor for one dropped file: create(slot) is tried and the cursor
// advanced until a creation gives 0 (that slot is returned), gives anything but 1 ("slot in use")
// or the cursor reaches 256 (-1 is returned).
int CreateInNextFreeSlot(int *cursor, int (*create)(int slot, void *context), void *context);

#endif
