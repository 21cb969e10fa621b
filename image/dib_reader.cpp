// dib_reader.cpp - checked reading of device-independent bitmaps.
#include "image/dib_reader.h"

#include "image/image_rules.h"

namespace {

uint32_t U16(const uint8_t *p) { return (uint32_t)p[0] | (uint32_t)p[1] << 8; }
uint32_t U32(const uint8_t *p) { return U16(p) | U16(p + 2) << 16; }
int32_t S32(const uint8_t *p) { return (int32_t)U32(p); }

enum { kRgb = 0, kBitFields = 3, kAlphaBitFields = 6 };

// The lowest set bit and the width of a contiguous mask; false for an empty or broken one.
bool MaskShape(uint32_t mask, int *shift, int *width)
{
    if (mask == 0)
        return false;
    int s = 0;
    while (!(mask >> s & 1))
        s++;
    int w = 0;
    while (s + w < 32 && (mask >> (s + w) & 1))
        w++;
    if (s + w < 32 && (mask >> (s + w)) != 0)
        return false;   // holes in the mask
    *shift = s;
    *width = w;
    return true;
}

// One channel's place in a bit-field pixel; a broken mask reads as 0.
struct Field {
    uint32_t mask;
    int shift, width;
};

Field FieldOf(uint32_t mask)
{
    Field f = {mask, 0, 0};
    if (!MaskShape(mask, &f.shift, &f.width))
        f.mask = 0;
    return f;
}

// The channel scaled to 0 to 255.
uint32_t Channel(uint32_t pixel, const Field &f)
{
    if (f.mask == 0)
        return 0;
    uint32_t v = (pixel & f.mask) >> f.shift;
    if (f.width >= 8)
        return v >> (f.width - 8);
    uint32_t top = (1u << f.width) - 1;
    return (v * 255 + top / 2) / top;
}

}   // namespace

bool ParseDib(const uint8_t *block, size_t size, DibPicture *out)
{
    *out = DibPicture();
    if (block == nullptr || size < 12)
        return false;
    uint32_t header = U32(block);
    if (header > size)
        return false;
    int64_t width, height;
    int bits;
    uint32_t compression = kRgb, used = 0;
    size_t entrySize = 4;
    if (header == 12) {   // the core header: 16-bit sizes, 3-byte colour entries
        width = U16(block + 4);
        height = (int16_t)U16(block + 6);
        bits = (int)U16(block + 10);
        entrySize = 3;
    } else if (header == 40 || header == 52 || header == 56 || header == 108 || header == 124) {
        width = S32(block + 4);
        height = S32(block + 8);
        if (U16(block + 12) != 1)
            return false;   // planes
        bits = (int)U16(block + 14);
        compression = U32(block + 16);
        used = U32(block + 32);
    } else {
        return false;
    }
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return false;
    bool fields = compression == kBitFields || compression == kAlphaBitFields;
    if (compression != kRgb && !(fields && (bits == 16 || bits == 32)))
        return false;
    out->topDown = height < 0;
    if (height < 0)
        height = -height;
    if (width < 1 || height < 1 || width > INT32_MAX || height > INT32_MAX)
        return false;
    size_t pixelBytes;
    if (!PixelBytes((int)width, (int)height, 32, &pixelBytes))
        return false;   // more than one image may hold
    out->width = (int)width;
    out->height = (int)height;
    out->bits = bits;

    // After the header: the masks of a 40-byte bit-field header, then the colour table.
    size_t at = header;
    if (bits == 16) {
        out->masks[0] = 0x7C00;
        out->masks[1] = 0x03E0;
        out->masks[2] = 0x001F;
    } else {
        out->masks[0] = 0xFF0000;
        out->masks[1] = 0x00FF00;
        out->masks[2] = 0x0000FF;
    }
    if (fields) {
        size_t maskBytes = compression == kAlphaBitFields ? 16 : 12;
        const uint8_t *masks = block + 40;
        if (header == 40) {
            if (size - at < maskBytes)
                return false;
            at += maskBytes;
        }
        out->masks[0] = U32(masks);
        out->masks[1] = U32(masks + 4);
        out->masks[2] = U32(masks + 8);
    }
    if (bits <= 8) {
        uint32_t count = used != 0 ? used : 1u << bits;
        if (count > 256 || count > (1u << bits))
            return false;
        if ((size - at) / entrySize < count)
            return false;
        out->colorCount = (int)count;
        out->colors = block + at;
        at += count * entrySize;
    } else if (used > 256 || (size - at) / 4 < used) {
        return false;   // a table beside true colour only as a palette hint, and within the block
    } else {
        at += used * 4;
    }
    if (entrySize == 3 && bits <= 8) {
        // Core entries are 3 bytes; the reader below takes 4. Old programs are rare: refuse.
        return false;
    }

    out->stride = (((size_t)out->width * (size_t)bits + 31) / 32) * 4;
    if ((size - at) / out->stride < (size_t)out->height)
        return false;   // rows cut short
    out->rows = block + at;
    return true;
}

void DibToPixels32(const DibPicture &dib, uint32_t *out)
{
    const Field red = FieldOf(dib.masks[0]), green = FieldOf(dib.masks[1]),
                blue = FieldOf(dib.masks[2]);
    for (int y = 0; y < dib.height; y++) {
        int stored = dib.topDown ? y : dib.height - 1 - y;
        const uint8_t *row = dib.rows + (size_t)stored * dib.stride;
        uint32_t *to = out + (size_t)y * (size_t)dib.width;
        for (int x = 0; x < dib.width; x++) {
            uint32_t pixel;
            switch (dib.bits) {
            case 32: {
                uint32_t p = U32(row + (size_t)x * 4);
                pixel = Channel(p, red) << 16 | Channel(p, green) << 8 | Channel(p, blue);
                break;
            }
            case 24: {
                const uint8_t *p = row + (size_t)x * 3;
                pixel = (uint32_t)p[2] << 16 | (uint32_t)p[1] << 8 | p[0];
                break;
            }
            case 16: {
                uint32_t p = U16(row + (size_t)x * 2);
                pixel = Channel(p, red) << 16 | Channel(p, green) << 8 | Channel(p, blue);
                break;
            }
            default: {
                int perByte = 8 / dib.bits;
                uint8_t byte = row[(size_t)x / (size_t)perByte];
                int shift = 8 - dib.bits * (x % perByte + 1);
                int index = (byte >> shift) & ((1 << dib.bits) - 1);
                if (index < dib.colorCount) {
                    const uint8_t *c = dib.colors + (size_t)index * 4;
                    pixel = (uint32_t)c[2] << 16 | (uint32_t)c[1] << 8 | c[0];
                } else {
                    pixel = 0;
                }
                break;
            }
            }
            to[x] = pixel;
        }
    }
}
