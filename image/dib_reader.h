// dib_reader.h - device-independent bitmaps as other programs put them on the clipboard (no
// Windows header). The block is untrusted: every size, count and offset is checked against it
// before anything is read, and a DIB that does not fit is refused whole.
#ifndef TVX_DIB_READER_H
#define TVX_DIB_READER_H

#include <cstddef>
#include <cstdint>

struct DibPicture {
    int width, height;        // both at least 1
    bool topDown;             // rows stored from the top (a negative height in the header)
    int bits;                 // 1, 4, 8, 16, 24 or 32
    uint32_t masks[3];        // red, green and blue bits of a 16- or 32-bit pixel
    int colorCount;           // entries of the colour table, 0 to 256
    const uint8_t *colors;    // blue, green, red, reserved per entry
    const uint8_t *rows;      // the first stored row
    size_t stride;            // bytes per stored row (padded to 4)
};

// Reads the header the block states (40, 52, 56, 108 or 124 bytes; the 12-byte core header of
// old programs too), its colour table and bit-field masks. False, with nothing to use, when the
// block holds anything but one whole uncompressed or bit-field DIB of at most 256 MiB of pixels.
bool ParseDib(const uint8_t *block, size_t size, DibPicture *out);

// The picture as top-down 0x00RRGGBB words, width x height of them. Indices beyond the colour
// table read as black.
void DibToPixels32(const DibPicture &dib, uint32_t *out);

#endif
