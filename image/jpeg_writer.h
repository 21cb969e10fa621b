// jpeg_writer.h - a baseline JPEG encoder (no Windows header): 8-bit YCbCr, no subsampling,
// the standard Huffman tables and the standard quantisation tables scaled by a quality of
// 1 to 100 (100: every step 1). The platform's encoders do not all honour a quality.
#ifndef TVX_JPEG_WRITER_H
#define TVX_JPEG_WRITER_H

#include <cstdint>
#include <vector>

// Encodes w x h pixels given as 0x00RRGGBB words, rows without gaps. Returns false for an empty
// image.
bool EncodeJpeg(const uint32_t *pixels, int w, int h, int quality, std::vector<uint8_t> *out);

// The quantisation table of a quality, in natural (row by row) order; chroma selects the
// second standard table.
void JpegQuantTable(int quality, bool chroma, uint8_t table[64]);

#endif
