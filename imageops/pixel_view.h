// pixel_view.h - a small view of one image's pixels and the per-pixel routines every image
// operation draws with (no Windows header). 32-bit pixels are words 0x00RRGGBB; 8-bit pixels are
// colour-table indices in rows of `stride` bytes.
#ifndef TVX_PIXEL_VIEW_H
#define TVX_PIXEL_VIEW_H

#include <cstddef>
#include <cstdint>

struct PixelView {
    uint8_t *pixels;   // NULL: an empty view, outside everywhere
    int width, height;
    int stride;        // bytes from one row to the next
    int bits;          // 32 or 8
};

// The one pen of the plotting routines: where the last plot, line or circle ended.
struct PenPoint {
    int x, y;
};

// Inside when x < width and y < height as unsigned numbers: every negative coordinate is outside.
inline bool ViewInside(const PixelView &v, int x, int y)
{
    return v.pixels != nullptr && (unsigned)x < (unsigned)v.width && (unsigned)y < (unsigned)v.height;
}

inline uint32_t *ViewWord(const PixelView &v, int x, int y)
{
    return (uint32_t *)(v.pixels + (size_t)y * (size_t)v.stride) + x;
}

inline uint8_t *ViewByte(const PixelView &v, int x, int y)
{
    return v.pixels + (size_t)y * (size_t)v.stride + x;
}

// Writes the whole word (32-bit) or its lowest byte (8-bit), when inside.
inline void ViewPut(const PixelView &v, int x, int y, uint32_t colour)
{
    if (!ViewInside(v, x, y))
        return;
    if (v.bits == 32)
        *ViewWord(v, x, y) = colour;
    else
        *ViewByte(v, x, y) = (uint8_t)colour;
}

// The pixel, or `outside` when (x, y) is not in the image.
inline int64_t ViewGet(const PixelView &v, int x, int y, int64_t outside)
{
    if (!ViewInside(v, x, y))
        return outside;
    return v.bits == 32 ? (int64_t)*ViewWord(v, x, y) : (int64_t)*ViewByte(v, x, y);
}

inline uint32_t ViewRead(const PixelView &v, int x, int y) { return (uint32_t)ViewGet(v, x, y, 0); }

// Inverts the three colour bytes of a word (its top byte kept), or all eight bits of an index.
inline void ViewInvert(const PixelView &v, int x, int y)
{
    if (!ViewInside(v, x, y))
        return;
    if (v.bits == 32)
        *ViewWord(v, x, y) ^= 0x00FFFFFFu;
    else
        *ViewByte(v, x, y) ^= 0xFFu;
}

// Row y into dst: n words (32-bit) or n bytes (8-bit); pixels outside the image give 0.
void ViewReadRow(const PixelView &v, void *dst, int y, int n);

#endif
