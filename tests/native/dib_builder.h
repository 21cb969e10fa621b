// dib_builder.h - DIBs made to measure for the reader's tests and its fuzzer.
#ifndef TVX_DIB_BUILDER_H
#define TVX_DIB_BUILDER_H

#include <cstdint>
#include <cstring>
#include <vector>

struct DibFields {
    uint32_t header;
    int32_t width, height;   // a negative height: top-down
    uint16_t bits;
    uint32_t compression = 0;
    uint32_t used = 0;
    uint32_t masks[3] = {0, 0, 0};
};

// The DIB these fields describe, with these top-down 0x00RRGGBB pixels. Indexed DIBs get a colour table
// of the pixels' colours in order of first use (padded to the table size); `extra` bytes are
// added at the end, or taken away when negative.
inline std::vector<uint8_t> BuildDib(const DibFields &s, const std::vector<uint32_t> &pixels,
                                     int extra = 0)
{
    std::vector<uint8_t> b(s.header, 0);
    auto put16 = [&](size_t at, uint32_t v) { b[at] = (uint8_t)v; b[at + 1] = (uint8_t)(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, v); put16(at + 2, v >> 16); };
    auto append32 = [&](uint32_t v) { for (int i = 0; i < 4; i++) b.push_back((uint8_t)(v >> (8 * i))); };
    put32(0, s.header);
    int rows = s.height < 0 ? -s.height : s.height;
    if (s.header == 12) {
        put16(4, (uint32_t)s.width);
        put16(6, (uint32_t)s.height);
        put16(8, 1);
        put16(10, s.bits);
    } else {
        put32(4, (uint32_t)s.width);
        put32(8, (uint32_t)s.height);
        put16(12, 1);
        put16(14, s.bits);
        put32(16, s.compression);
        put32(32, s.used);
        if (s.compression == 3) {
            if (s.header == 40)
                b.resize(52);
            put32(40, s.masks[0]);
            put32(44, s.masks[1]);
            put32(48, s.masks[2]);
        }
    }
    std::vector<uint32_t> table;
    if (s.bits <= 8) {
        uint32_t entries = s.used != 0 ? s.used : 1u << s.bits;
        for (uint32_t p : pixels) {
            bool known = false;
            for (uint32_t t : table)
                known |= t == p;
            if (!known)
                table.push_back(p);
        }
        table.resize(entries < 1024 ? entries : 1024, 0);
        for (uint32_t t : table)
            append32(t);
    }
    size_t stride = (((size_t)(s.width > 0 ? s.width : 0) * s.bits + 31) / 32) * 4;
    size_t rowsAt = b.size();
    b.resize(rowsAt + stride * rows, 0);
    for (int y = 0; y < rows && s.width > 0; y++) {
        uint8_t *row = b.data() + rowsAt + stride * (size_t)(s.height < 0 ? y : rows - 1 - y);
        for (int x = 0; x < s.width; x++) {
            size_t i = (size_t)y * s.width + x;
            uint32_t p = i < pixels.size() ? pixels[i] : 0;
            uint32_t r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, bl = p & 0xFF;
            switch (s.bits) {
            case 24: row[x * 3] = (uint8_t)bl; row[x * 3 + 1] = (uint8_t)g; row[x * 3 + 2] = (uint8_t)r; break;
            case 32: {
                uint32_t v = s.compression == 3 && s.masks[0] == 0xFF ? (bl << 16 | g << 8 | r) : p;
                memcpy(row + x * 4, &v, 4);
                break;
            }
            case 16: {
                uint32_t v = s.compression == 3 && s.masks[1] == 0x07E0
                                 ? ((r >> 3) << 11 | (g >> 2) << 5 | bl >> 3)
                                 : ((r >> 3) << 10 | (g >> 3) << 5 | bl >> 3);
                row[x * 2] = (uint8_t)v;
                row[x * 2 + 1] = (uint8_t)(v >> 8);
                break;
            }
            default: {
                uint32_t index = 0;
                while (index < table.size() && table[index] != p)
                    index++;
                int perByte = 8 / s.bits;
                row[x / perByte] |= (uint8_t)(index << (8 - s.bits * (x % perByte + 1)));
                break;
            }
            }
        }
    }
    if (extra < 0)
        b.resize(b.size() > (size_t)-extra ? b.size() + extra : 0);
    else
        b.resize(b.size() + (size_t)extra, 0);
    return b;
}

#endif
