// jpeg_file.cpp - format 1 of the image files: JPEG through libjpeg-turbo at JpegQuality with
// 4:4:4 sampling, read straight from the image's rows, with a stereoscopic descriptor (APP3
// "_JPSJPS_") saying that the pair is side by side, left view first.
#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#include "image/image_store.h"
#include "runtime/runtime.h"

// APP3 body: the JPS identifier, the descriptor block's length (4, big-endian), and the descriptor
// 00 04 02 01: separation 0, flags "left field first", layout side by side, type stereoscopic.
// GDI+ (Wine's WIC too) ignores its quality parameter, which is why JPEG is not written by it.
static const JOCTET kJpsSegment[] = {'_', 'J', 'P', 'S', 'J', 'P', 'S', '_', 0x00, 0x04,
                                     0x00, 0x04, 0x02, 0x01};

// libjpeg's own error handler ends the process; this one returns to the caller instead.
struct ErrorTrap {
    jpeg_error_mgr base;
    jmp_buf jump;
};

static void OnJpegError(j_common_ptr info) { longjmp(((ErrorTrap *)info->err)->jump, 1); }
static void OnJpegMessage(j_common_ptr) {}   // warnings are not shown to the user

// Row y of the top-left w x h of image index as B, G, R, X bytes: the image's own row when it
// holds all of it, else filled into spare (outside the image is black).
static const JOCTET *RowOf(int index, int y, int w, const RGBQUAD *table, JOCTET *spare)
{
    const ImageRecord &r = ImageTable[index];
    if (r.bits == 32 && y < r.height && w <= r.width)
        return (const JOCTET *)(ImagePixels32[index] + (size_t)y * r.width);
    memset(spare, 0, (size_t)w * 4);
    if (y >= r.height)
        return spare;
    int n = w < r.width ? w : r.width;
    if (r.bits == 32) {
        memcpy(spare, ImagePixels32[index] + (size_t)y * r.width, (size_t)n * 4);
        return spare;
    }
    const unsigned char *indices = ImagePixels8[index] + (size_t)y * Stride8(r.width);
    for (int x = 0; x < n; x++) {
        const RGBQUAD &c = table[indices[x]];
        spare[4 * x] = c.rgbBlue;
        spare[4 * x + 1] = c.rgbGreen;
        spare[4 * x + 2] = c.rgbRed;
    }
    return spare;
}

// Encodes into a buffer libjpeg allocates (free it); false when the library failed. Nothing with
// a destructor lives here: an error jumps back to setjmp.
static bool Encode(int index, int w, int h, int quality, unsigned char **out, unsigned long *size)
{
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    RGBQUAD table[256] = {};
    if (ImageTable[index].bits == 8)
        GetDIBColorTable(ImageTable[index].memoryDC, 0, 256, table);
    JOCTET *volatile spare = (JOCTET *)malloc((size_t)w * 4);
    if (spare == NULL)
        return false;
    cinfo.err = jpeg_std_error(&trap.base);
    trap.base.error_exit = OnJpegError;
    trap.base.output_message = OnJpegMessage;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        free(spare);
        free(*out);
        *out = NULL;
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, size);
    cinfo.image_width = (JDIMENSION)w;
    cinfo.image_height = (JDIMENSION)h;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int c = 0; c < cinfo.num_components; c++)
        cinfo.comp_info[c].h_samp_factor = cinfo.comp_info[c].v_samp_factor = 1;   // 4:4:4
    cinfo.write_JFIF_header = FALSE;   // the stereo descriptor comes right after SOI
    jpeg_start_compress(&cinfo, TRUE);
    jpeg_write_marker(&cinfo, JPEG_APP0 + 3, kJpsSegment, sizeof kJpsSegment);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = (JSAMPROW)RowOf(index, (int)cinfo.next_scanline, w, table, spare);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    free(spare);
    return true;
}

int SaveJpegFile(const wchar_t *name, int w, int h, int quality)
{
    unsigned char *bytes = NULL;
    unsigned long size = 0;
    if (!Encode(CurrentImage, w, h, quality, &bytes, &size))
        return 1;
    // Written whole or not at all: a file that could not be completed is removed again.
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              NULL);
    if (file == INVALID_HANDLE_VALUE) {
        free(bytes);
        return 1;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes, (DWORD)size, &written, NULL) && written == size;
    ok = CloseHandle(file) && ok;
    free(bytes);
    if (!ok) {
        DeleteFileW(name);
        return 1;
    }
    return 0;
}
