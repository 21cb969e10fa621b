// mjpg_decoder.h - one Motion-JPEG frame into the top-down frame (no Windows header),
// through libjpeg-turbo. Webcams leave out the standard Huffman tables; the library supplies them.
#ifndef TZM_MJPG_DECODER_H
#define TZM_MJPG_DECODER_H

#include <cstdint>

#include "app/sample_formats.h"

// Decodes a JPEG at least as large as the frame and writes its centre into frame as 0x00RRGGBB
// words, top row first. A frame that the library stops on or warns about (cut short, corrupt
// data, a picture smaller than the frame) gives kConvertCorrupt and leaves frame as it was; the
// decoding goes through rows, a scratch buffer of the picture's width, so no half frame is ever
// written. Returns a ConvertResult (sample_formats.h).
int DecodeMjpgFrame(const uint8_t *data, long length, uint8_t *frame,
                    FrameSize size = FrameSize{640, 480});

#endif
