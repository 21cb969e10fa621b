// pair_encoding.cpp - the files of one stereo pair, through libjpeg-turbo.
#include "stereoshot/pair_encoding.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "stereoshot/stereo_views.h"

const char *PairFormatName(int format)
{
    static const char *const kNames[kPairFormats] = {"JPS", "MPO", "parallel", "anaglyph",
                                                     "all four"};
    return (unsigned)format < kPairFormats ? kNames[format] : kNames[0];
}

// libjpeg's own error handler ends the process; this one returns to the encoder instead.
struct ErrorTrap {
    jpeg_error_mgr base;
    jmp_buf jump;
};
static void OnJpegError(j_common_ptr info) { longjmp(((ErrorTrap *)info->err)->jump, 1); }
static void OnJpegMessage(j_common_ptr) {}

// Rows encoded between two calls of the pace function: about a millisecond's work.
enum { kPaceRows = 16 };

// The libjpeg part, with nothing that has a destructor between setjmp and a longjmp. With
// second, each row is first's row followed by second's (a side-by-side picture twice as wide),
// put together in row, which the caller owns.
static bool Compress(const uint32_t *first, const uint32_t *second, uint32_t *row, int width,
                     int height, int quality, const JpegMarker *markers, size_t markerCount,
                     void (*pace)(void), unsigned char **data, unsigned long *size)
{
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    cinfo.err = jpeg_std_error(&trap.base);
    trap.base.error_exit = OnJpegError;
    trap.base.output_message = OnJpegMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, data, size);
    cinfo.image_width = (JDIMENSION)(second != nullptr ? width * 2 : width);
    cinfo.image_height = (JDIMENSION)height;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;   // 0x00RRGGBB words in memory order
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < 3; c++)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;
    jpeg_start_compress(&cinfo, TRUE);
    for (size_t m = 0; m < markerCount; m++)
        jpeg_write_marker(&cinfo, markers[m].code, markers[m].body.data(),
                          (unsigned)markers[m].body.size());
    while (cinfo.next_scanline < cinfo.image_height) {
        size_t at = (size_t)cinfo.next_scanline * width;
        JSAMPROW line = (JSAMPROW)(first + at);
        if (second != nullptr) {
            memcpy(row, first + at, (size_t)width * 4);
            memcpy(row + width, second + at, (size_t)width * 4);
            line = (JSAMPROW)row;
        }
        jpeg_write_scanlines(&cinfo, &line, 1);
        if (pace != nullptr && cinfo.next_scanline % kPaceRows == 0)
            pace();
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

// One JPEG of first, or of first and second side by side.
static bool Encode(const uint32_t *first, const uint32_t *second, int width, int height,
                   int quality, const std::vector<JpegMarker> &markers, std::vector<uint8_t> *out,
                   void (*pace)(void) = nullptr)
{
    out->clear();
    if (width <= 0 || height <= 0)
        return false;
    std::vector<uint32_t> row(second != nullptr ? (size_t)width * 2 : 0);
    unsigned char *data = nullptr;
    unsigned long size = 0;
    bool done = Compress(first, second, row.data(), width, height, quality, markers.data(),
                         markers.size(), pace, &data, &size);
    if (done)
        out->assign(data, data + size);
    free(data);
    return done;
}

bool EncodeJpeg(const uint32_t *pixels, int width, int height, int quality,
                const std::vector<JpegMarker> &markers, std::vector<uint8_t> *out)
{
    return Encode(pixels, nullptr, width, height, quality, markers, out);
}

static void Put16(std::vector<uint8_t> &v, size_t at, uint32_t x)
{
    v[at] = (uint8_t)x;
    v[at + 1] = (uint8_t)(x >> 8);
}

static void Put32(std::vector<uint8_t> &v, size_t at, uint32_t x)
{
    Put16(v, at, x & 0xFFFF);
    Put16(v, at + 2, x >> 16);
}

// Offsets in the MP header (which starts 4 bytes into the APP2 body, after "MPF\0").
enum {
    kMpHeader = 4,
    kIndexEntries = 50,        // the two MP entries, 16 bytes each
    kIndexAttributes = 82,     // image 1's attribute IFD after the index
    kEntryAttribute = 0,       // within an MP entry
    kEntrySize = 4,
    kEntryOffset = 8,
    kRepresentative = 1u << 29,
    kDisparity = 0x020002,     // multi-frame image, disparity
};

// One IFD entry of type LONG (4) or UNDEFINED (7) with its value inline.
static void Entry(std::vector<uint8_t> &v, size_t at, uint32_t tag, uint32_t type, uint32_t count,
                  uint32_t value)
{
    Put16(v, kMpHeader + at, tag);
    Put16(v, kMpHeader + at + 2, type);
    Put32(v, kMpHeader + at + 4, count);
    Put32(v, kMpHeader + at + 8, value);
}

static const uint32_t kVersion0100 = '0' | '1' << 8 | '0' << 16 | '0' << 24;

// The attribute IFD of image `individual` at offset at: version, its number among the views
// (1 the leftmost) and the base viewpoint (the left view, 1).
static size_t Attributes(std::vector<uint8_t> &v, size_t at, uint32_t individual)
{
    Put16(v, kMpHeader + at, 3);
    Entry(v, at + 2, 0xB000, 7, 4, kVersion0100);
    Entry(v, at + 14, 0xB101, 4, 1, individual);
    Entry(v, at + 26, 0xB204, 4, 1, 1);
    Put32(v, kMpHeader + at + 38, 0);   // no IFD follows
    return at + 42;
}

std::vector<uint8_t> MpfSegment(bool index, uint32_t individual)
{
    std::vector<uint8_t> v(kMpHeader + (index ? kIndexAttributes + 42 : 8 + 42), 0);
    memcpy(v.data(), "MPF\0II*\0", 8);   // identifier, then a little-endian TIFF-style header
    Put32(v, kMpHeader + 4, 8);           // the first IFD follows the header
    if (!index) {
        Attributes(v, 8, individual);
        return v;
    }
    Put16(v, kMpHeader + 8, 3);
    Entry(v, 10, 0xB000, 7, 4, kVersion0100);
    Entry(v, 22, 0xB001, 4, 1, 2);   // two images
    Entry(v, 34, 0xB002, 7, 32, kIndexEntries);
    Put32(v, kMpHeader + 46, kIndexAttributes);
    Put32(v, kMpHeader + kIndexEntries + kEntryAttribute, kRepresentative | kDisparity);
    Put32(v, kMpHeader + kIndexEntries + 16 + kEntryAttribute, kDisparity);
    Attributes(v, kIndexAttributes, 1);
    return v;
}

bool FillMpIndex(std::vector<uint8_t> *first, uint32_t secondSize)
{
    std::vector<uint8_t> &v = *first;
    // The APP2 whose body starts "MPF\0"; header follows it.
    size_t header = 0;
    for (size_t i = 2; i + 8 < v.size() && v[i] == 0xFF; ) {
        size_t length = (size_t)v[i + 2] << 8 | v[i + 3];
        if (v[i + 1] == 0xE2 && memcmp(&v[i + 4], "MPF\0", 4) == 0) {
            header = i + 4 + kMpHeader;
            break;
        }
        if (v[i + 1] == 0xDA)
            break;   // the scan: no more markers
        i += 2 + length;
    }
    if (header == 0 || header + kIndexAttributes > v.size())
        return false;
    // Offsets count from the MP header; the first image's own offset stays 0.
    size_t entries = header + kIndexEntries;
    Put32(v, entries + kEntrySize, (uint32_t)v.size());
    Put32(v, entries + 16 + kEntrySize, secondSize);
    Put32(v, entries + 16 + kEntryOffset, (uint32_t)(v.size() - header));
    return true;
}

static std::vector<uint8_t> Bytes(const std::string &text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

bool EncodePair(int format, const uint32_t *left, const uint32_t *right, int width, int height,
                int quality, const std::string &comment, std::vector<PairFile> *files,
                void (*pace)(void))
{
    files->clear();
    const JpegMarker note = {0xFE, Bytes(comment)};
    bool all = format == kSaveAll;
    if (all || format == kSaveJps) {
        // Stereo descriptor: separation 0, flags clear (so the right view is the first field),
        // side by side, stereoscopic.
        std::vector<uint8_t> jps = Bytes(std::string("_JPSJPS_\x00\x04\x00\x00\x02\x01", 14));
        files->push_back({".jps", {}});
        if (!Encode(right, left, width, height, quality, {{0xE3, jps}, note},
                    &files->back().bytes, pace))
            return false;
    }
    if (all || format == kSaveMpo) {
        std::vector<uint8_t> first, second;
        if (!Encode(left, nullptr, width, height, quality, {{0xE2, MpfSegment(true, 1)}, note},
                    &first, pace) ||
            !Encode(right, nullptr, width, height, quality, {{0xE2, MpfSegment(false, 2)}, note},
                    &second, pace) ||
            !FillMpIndex(&first, (uint32_t)second.size()))
            return false;
        first.insert(first.end(), second.begin(), second.end());
        files->push_back({".mpo", std::move(first)});
    }
    if (all || format == kSaveParallel) {
        files->push_back({"_parallel.jpg", {}});
        if (!Encode(left, right, width, height, quality, {note}, &files->back().bytes, pace))
            return false;
    }
    if (all || format == kSaveAnaglyph) {
        std::vector<uint32_t> picture((size_t)width * height);
        MakeStereoView(kViewDubois, left, right, picture.data(), width, height);
        files->push_back({"_anaglyph.jpg", {}});
        if (!Encode(picture.data(), nullptr, width, height, quality, {note}, &files->back().bytes,
                    pace))
            return false;
    }
    return true;
}
