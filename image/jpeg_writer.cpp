// jpeg_writer.cpp - a baseline JPEG encoder.
#include "image/jpeg_writer.h"

#include <cmath>

static const uint8_t kZigzag[64] = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

static const uint8_t kLumaQuant[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
static const uint8_t kChromaQuant[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
    99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

// The standard Huffman tables: code counts by length 1 to 16, then the symbols.
static const uint8_t kDcLumaBits[16] = {0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
static const uint8_t kDcChromaBits[16] = {0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0};
static const uint8_t kDcValues[12] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
static const uint8_t kAcLumaBits[16] = {0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7d};
static const uint8_t kAcLumaValues[162] = {
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xa1, 0x08, 0x23, 0x42, 0xb1, 0xc1, 0x15, 0x52,
    0xd1, 0xf0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0a, 0x16, 0x17, 0x18, 0x19, 0x1a, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2a, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4, 0xb5, 0xb6,
    0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca, 0xd2, 0xd3,
    0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe1, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8,
    0xe9, 0xea, 0xf1, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};
static const uint8_t kAcChromaBits[16] = {0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77};
static const uint8_t kAcChromaValues[162] = {
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xa1, 0xb1, 0xc1, 0x09, 0x23, 0x33,
    0x52, 0xf0, 0x15, 0x62, 0x72, 0xd1, 0x0a, 0x16, 0x24, 0x34, 0xe1, 0x25, 0xf1, 0x17, 0x18,
    0x19, 0x1a, 0x26, 0x27, 0x28, 0x29, 0x2a, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3a, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4a, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5a, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6a, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7a,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9a, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xb2, 0xb3, 0xb4,
    0xb5, 0xb6, 0xb7, 0xb8, 0xb9, 0xba, 0xc2, 0xc3, 0xc4, 0xc5, 0xc6, 0xc7, 0xc8, 0xc9, 0xca,
    0xd2, 0xd3, 0xd4, 0xd5, 0xd6, 0xd7, 0xd8, 0xd9, 0xda, 0xe2, 0xe3, 0xe4, 0xe5, 0xe6, 0xe7,
    0xe8, 0xe9, 0xea, 0xf2, 0xf3, 0xf4, 0xf5, 0xf6, 0xf7, 0xf8, 0xf9, 0xfa};

void JpegQuantTable(int quality, bool chroma, uint8_t table[64])
{
    if (quality < 1)
        quality = 1;
    if (quality > 100)
        quality = 100;
    int scale = quality < 50 ? 5000 / quality : 200 - 2 * quality;
    const uint8_t *base = chroma ? kChromaQuant : kLumaQuant;
    for (int i = 0; i < 64; i++) {
        int q = (base[i] * scale + 50) / 100;
        table[i] = (uint8_t)(q < 1 ? 1 : q > 255 ? 255 : q);
    }
}

struct HuffmanCode {
    uint16_t code[256];
    uint8_t length[256];
};

static void BuildHuffman(const uint8_t bits[16], const uint8_t *values, HuffmanCode *huffman)
{
    int code = 0, k = 0;
    for (int length = 1; length <= 16; length++) {
        for (int i = 0; i < bits[length - 1]; i++, k++) {
            huffman->code[values[k]] = (uint16_t)code++;
            huffman->length[values[k]] = (uint8_t)length;
        }
        code <<= 1;
    }
}

struct BitWriter {
    std::vector<uint8_t> *out;
    uint32_t buffer = 0;
    int count = 0;

    void Put(uint32_t bits, int length)
    {
        for (int i = length - 1; i >= 0; i--) {
            buffer = (buffer << 1) | ((bits >> i) & 1);
            if (++count == 8) {
                out->push_back((uint8_t)buffer);
                if ((uint8_t)buffer == 0xFF)
                    out->push_back(0);   // byte stuffing
                buffer = 0;
                count = 0;
            }
        }
    }
    void Flush()
    {
        while (count != 0)
            Put(1, 1);
    }
};

static void Marker(std::vector<uint8_t> *out, uint8_t marker, const std::vector<uint8_t> &body)
{
    out->push_back(0xFF);
    out->push_back(marker);
    size_t length = body.size() + 2;
    out->push_back((uint8_t)(length >> 8));
    out->push_back((uint8_t)length);
    out->insert(out->end(), body.begin(), body.end());
}

static void HuffmanTable(std::vector<uint8_t> *body, int classAndId, const uint8_t bits[16],
                         const uint8_t *values)
{
    body->push_back((uint8_t)classAndId);
    int count = 0;
    for (int i = 0; i < 16; i++) {
        body->push_back(bits[i]);
        count += bits[i];
    }
    body->insert(body->end(), values, values + count);
}

static int Category(int value)
{
    int magnitude = value < 0 ? -value : value, bits = 0;
    while (magnitude) {
        bits++;
        magnitude >>= 1;
    }
    return bits;
}

static void PutValue(BitWriter *writer, int value, int bits)
{
    if (bits == 0)
        return;
    if (value < 0)
        value += (1 << bits) - 1;
    writer->Put((uint32_t)value, bits);
}

// Forward DCT of one block (level-shifted samples), quantised, in zigzag order, then coded.
static void EncodeBlock(const float block[64], const uint8_t quant[64], const HuffmanCode &dc,
                        const HuffmanCode &ac, int *previousDc, BitWriter *writer)
{
    static float cosines[8][8];
    static bool ready = false;
    if (!ready) {
        for (int x = 0; x < 8; x++)
            for (int u = 0; u < 8; u++)
                cosines[x][u] = (float)std::cos((2 * x + 1) * u * 3.14159265358979323846 / 16);
        ready = true;
    }
    float rows[64];
    for (int y = 0; y < 8; y++)
        for (int u = 0; u < 8; u++) {
            float sum = 0;
            for (int x = 0; x < 8; x++)
                sum += block[y * 8 + x] * cosines[x][u];
            rows[y * 8 + u] = sum * (u == 0 ? (float)std::sqrt(0.125) : 0.5f);
        }
    int coefficients[64];
    for (int u = 0; u < 8; u++)
        for (int v = 0; v < 8; v++) {
            float sum = 0;
            for (int y = 0; y < 8; y++)
                sum += rows[y * 8 + u] * cosines[y][v];
            float value = sum * (v == 0 ? (float)std::sqrt(0.125) : 0.5f);
            coefficients[v * 8 + u] = (int)std::lround(value / quant[v * 8 + u]);
        }
    int zigzag[64];
    for (int i = 0; i < 64; i++)
        zigzag[i] = coefficients[kZigzag[i]];

    int difference = zigzag[0] - *previousDc;
    *previousDc = zigzag[0];
    int bits = Category(difference);
    writer->Put(dc.code[bits], dc.length[bits]);
    PutValue(writer, difference, bits);
    int run = 0;
    for (int i = 1; i < 64; i++) {
        if (zigzag[i] == 0) {
            run++;
            continue;
        }
        while (run > 15) {
            writer->Put(ac.code[0xF0], ac.length[0xF0]);
            run -= 16;
        }
        bits = Category(zigzag[i]);
        int symbol = (run << 4) | bits;
        writer->Put(ac.code[symbol], ac.length[symbol]);
        PutValue(writer, zigzag[i], bits);
        run = 0;
    }
    if (run > 0)
        writer->Put(ac.code[0x00], ac.length[0x00]);
}

bool EncodeJpeg(const uint32_t *pixels, int w, int h, int quality, std::vector<uint8_t> *out)
{
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535)
        return false;
    out->clear();
    out->push_back(0xFF);
    out->push_back(0xD8);
    Marker(out, 0xE0, {'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0});

    uint8_t luma[64], chroma[64];
    JpegQuantTable(quality, false, luma);
    JpegQuantTable(quality, true, chroma);
    std::vector<uint8_t> body;
    body.push_back(0);
    for (int i = 0; i < 64; i++)
        body.push_back(luma[kZigzag[i]]);
    body.push_back(1);
    for (int i = 0; i < 64; i++)
        body.push_back(chroma[kZigzag[i]]);
    Marker(out, 0xDB, body);

    Marker(out, 0xC0, {8, (uint8_t)(h >> 8), (uint8_t)h, (uint8_t)(w >> 8), (uint8_t)w, 3, 1,
                       0x11, 0, 2, 0x11, 1, 3, 0x11, 1});
    body.clear();
    HuffmanTable(&body, 0x00, kDcLumaBits, kDcValues);
    HuffmanTable(&body, 0x10, kAcLumaBits, kAcLumaValues);
    HuffmanTable(&body, 0x01, kDcChromaBits, kDcValues);
    HuffmanTable(&body, 0x11, kAcChromaBits, kAcChromaValues);
    Marker(out, 0xC4, body);
    Marker(out, 0xDA, {3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0});

    HuffmanCode dcLuma = {}, acLuma = {}, dcChroma = {}, acChroma = {};
    BuildHuffman(kDcLumaBits, kDcValues, &dcLuma);
    BuildHuffman(kAcLumaBits, kAcLumaValues, &acLuma);
    BuildHuffman(kDcChromaBits, kDcValues, &dcChroma);
    BuildHuffman(kAcChromaBits, kAcChromaValues, &acChroma);
    BitWriter writer;
    writer.out = out;
    int previous[3] = {0, 0, 0};
    for (int by = 0; by < h; by += 8)
        for (int bx = 0; bx < w; bx += 8) {
            float planes[3][64];
            for (int y = 0; y < 8; y++)
                for (int x = 0; x < 8; x++) {
                    // Blocks past the edge repeat the last row and column.
                    int px = bx + x < w ? bx + x : w - 1;
                    int py = by + y < h ? by + y : h - 1;
                    uint32_t rgb = pixels[(size_t)py * w + px];
                    float r = (float)((rgb >> 16) & 0xFF), g = (float)((rgb >> 8) & 0xFF),
                          b = (float)(rgb & 0xFF);
                    planes[0][y * 8 + x] = 0.299f * r + 0.587f * g + 0.114f * b - 128;
                    planes[1][y * 8 + x] = -0.168736f * r - 0.331264f * g + 0.5f * b;
                    planes[2][y * 8 + x] = 0.5f * r - 0.418688f * g - 0.081312f * b;
                }
            EncodeBlock(planes[0], luma, dcLuma, acLuma, &previous[0], &writer);
            EncodeBlock(planes[1], chroma, dcChroma, acChroma, &previous[1], &writer);
            EncodeBlock(planes[2], chroma, dcChroma, acChroma, &previous[2], &writer);
        }
    writer.Flush();
    out->push_back(0xFF);
    out->push_back(0xD9);
    return true;
}
