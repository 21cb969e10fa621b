// mjpg_decoder.cpp - Motion-JPEG frames through libjpeg-turbo, with its errors and warnings
// turned into a dropped frame.
#include "app/mjpg_decoder.h"

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>

#include "app/capture_rules.h"
#include "app/sample_formats.h"

namespace {

struct Errors {
    jpeg_error_mgr manager;
    jmp_buf escape;
    int warnings;
};

void OnError(j_common_ptr info)
{
    longjmp(((Errors *)info->err)->escape, 1);
}

// Corrupt data is only a warning to libjpeg (it fills the rest with grey): here it drops the frame.
void OnMessage(j_common_ptr info, int level)
{
    if (level < 0)
        ((Errors *)info->err)->warnings++;
}

}   // namespace

int DecodeMjpgFrame(const uint8_t *data, long length, uint8_t *frame, FrameSize size)
{
    if (data == nullptr || length < 4)
        return kConvertCorrupt;
    // The whole picture is decoded into this first and copied to the frame only when clean.
    static thread_local std::vector<uint8_t> picture;
    jpeg_decompress_struct info;
    Errors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = OnError;
    errors.manager.emit_message = OnMessage;
    errors.warnings = 0;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        return kConvertCorrupt;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, (unsigned long)length);
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    int width = (int)info.output_width, height = (int)info.output_height;
    if (width < size.width || height < size.height) {
        jpeg_destroy_decompress(&info);
        return kConvertCorrupt;
    }
    int x0 = (width - size.width) / 2, y0 = (height - size.height) / 2;
    size_t rowBytes = (size_t)width * 4;
    // The rows of the centre and one more where the rows above and below it land.
    if (picture.size() < rowBytes * (size_t)(size.height + 1))
        picture.resize(rowBytes * (size_t)(size.height + 1));
    std::vector<uint8_t> &rows = picture;
    while (info.output_scanline < info.output_height) {
        int y = (int)info.output_scanline - y0;
        JSAMPROW row = rows.data() + (size_t)(y >= 0 && y < size.height ? y : size.height) * rowBytes;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    if (errors.warnings != 0)
        return kConvertCorrupt;
    size_t frameRowBytes = (size_t)size.width * 4;
    for (int y = 0; y < size.height; y++) {
        uint8_t *out = frame + (size_t)y * frameRowBytes;
        memcpy(out, rows.data() + (size_t)y * rowBytes + (size_t)x0 * 4, frameRowBytes);
        for (size_t x = 3; x < frameRowBytes; x += 4)
            out[x] = 0;
    }
    return kConvertOk;
}
