// Fuzzes the clipboard DIB reader under the sanitizers: DIBs built to pass most header checks,
// then bent (a field changed to a neighbouring or wild value, the block cut or lengthened), read
// and, when accepted, converted whole. Any read outside a block is a sanitizer fault.
// Usage: dib_fuzz [count]  (a million by default)
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "dib_builder.h"
#include "image/dib_reader.h"

int main(int argc, char **argv)
{
    long count = argc > 1 ? atol(argv[1]) : 1000000;
    std::mt19937 random(20261207);
    auto pick = [&](std::initializer_list<uint32_t> values) {
        return *(values.begin() + random() % values.size());
    };
    long accepted = 0;
    uint64_t checksum = 0;
    std::vector<uint32_t> pixels;
    for (long n = 0; n < count; n++) {
        DibFields s;
        s.header = pick({12, 40, 40, 40, 52, 56, 108, 124});
        s.width = (int32_t)(1 + random() % 9);
        s.height = (int32_t)(1 + random() % 9) * (random() % 3 == 0 ? -1 : 1);
        s.bits = (uint16_t)pick({1, 4, 8, 16, 24, 32});
        s.compression = s.header != 12 && s.bits >= 16 && random() % 2 ? 3 : 0;
        s.used = s.bits <= 8 && random() % 2 ? (uint32_t)(random() % (1u << s.bits)) : 0;
        for (uint32_t &m : s.masks)
            m = pick({0xFF, 0xFF00, 0xFF0000, 0x1F, 0x7E0, 0xF800, 0, 0x0F0F, 0xFFFFFFFF});
        std::vector<uint8_t> block = BuildDib(s, {0x123456, 0xABCDEF, 0x0F0F0F});
        // Bend it: one field, or the block's end.
        switch (random() % 8) {
        case 0: break;
        case 1: block.resize(random() % (block.size() + 1)); break;
        case 2: block.resize(block.size() + random() % 64, 0xAA); break;
        case 3:
            if (block.size() >= 16)
                block[4 + random() % 12] = (uint8_t)random();   // width, height, planes, bits
            break;
        case 4:
            if (block.size() >= 36)
                block[32 + random() % 4] = (uint8_t)random();   // colours used
            break;
        case 5:
            if (block.size() >= 20)
                block[16] = (uint8_t)pick({0, 1, 2, 3, 4, 5, 6, 255});   // compression
            break;
        case 6:
            if (!block.empty())
                block[random() % block.size()] ^= (uint8_t)(1u << random() % 8);
            break;
        default:
            if (block.size() >= 4)
                block[random() % 4] = (uint8_t)random();   // the header's size
            break;
        }
        // The exact block, no slack behind it, so that any read beyond it is seen.
        uint8_t *exact = (uint8_t *)malloc(block.size() ? block.size() : 1);
        if (!block.empty())
            memcpy(exact, block.data(), block.size());
        DibPicture dib;
        if (ParseDib(exact, block.size(), &dib)) {
            accepted++;
            pixels.assign((size_t)dib.width * dib.height, 0);
            DibToPixels32(dib, pixels.data());
            for (uint32_t p : pixels)
                checksum += p;
        }
        free(exact);
    }
    printf("DIB reader fuzzed: %ld inputs, %ld accepted and converted, no fault (checksum %llu)\n",
           count, accepted, (unsigned long long)checksum);
    return 0;
}
