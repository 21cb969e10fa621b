// pair_encoding.h - the files of one stereo pair as bytes (no Windows header): JPS for .jps
// viewers (cross-eyed, right view first, the stereo descriptor saying so), MPO as stereo cameras
// write it (CIPA DC-007: two JPEGs, left first and representative, disparity type), a parallel
// side-by-side JPEG (left first, as 3D TVs and headsets take it) and a red-cyan anaglyph JPEG.
// Every JPEG has 4:4:4 sampling and carries the pair's comment.
#ifndef STEREOSHOT_PAIR_ENCODING_H
#define STEREOSHOT_PAIR_ENCODING_H

#include <cstdint>
#include <string>
#include <vector>

enum PairFormat { kSaveJps, kSaveMpo, kSaveParallel, kSaveAnaglyph, kSaveAll, kPairFormats };

const char *PairFormatName(int format);   // "JPS", "MPO", ..., "all four"

struct PairFile {
    std::string suffix;           // added to the pair's name: ".jps", "_anaglyph.jpg", ...
    std::vector<uint8_t> bytes;
};

// Encodes a JPEG of width x height 0x00RRGGBB pixels (packed rows, top-down) at quality with
// 4:4:4 sampling; each marker (code, body) is written after the header, the comment last. False
// when the encoder failed (out is then empty).
struct JpegMarker {
    int code;   // 0xE2 for APP2, 0xE3 for APP3, 0xFE for a comment
    std::vector<uint8_t> body;
};
bool EncodeJpeg(const uint32_t *pixels, int width, int height, int quality,
                const std::vector<JpegMarker> &markers, std::vector<uint8_t> *out);

// The MP Extensions APP2 body ("MPF\0" and its little-endian IFDs): with index, the MP Index IFD
// of two images followed by image 1's attribute IFD (sizes and offset left 0 for FillMpIndex);
// without, the attribute IFD of image `individual`.
std::vector<uint8_t> MpfSegment(bool index, uint32_t individual);
// Fills the index of the first image's bytes (its APP2 written by MpfSegment) with both sizes
// and the second image's offset from the MP header; false when the first holds no such segment.
bool FillMpIndex(std::vector<uint8_t> *first, uint32_t secondSize);

// The files of format (kSaveAll: all four) of one pair of width x height frames. pace, where
// given, is called every few rows, about once a millisecond: the caller may wait in it while
// other work must go first.
bool EncodePair(int format, const uint32_t *left, const uint32_t *right, int width, int height,
                int quality, const std::string &comment, std::vector<PairFile> *files,
                void (*pace)(void) = nullptr);

#endif
