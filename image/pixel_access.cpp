// pixel_access.cpp - the pixel routines on the current image, and pixel views of the images.
#include "image/image_operations.h"
#include "image/image_store.h"

PenPoint PenPosition = {0, 0};

PixelView ImageView(int index)
{
    PixelView view = {nullptr, 0, 0, 0, 32};
    if ((unsigned)index >= 256 || !ImageTable[index].inUse)
        return view;
    const ImageRecord &r = ImageTable[index];
    view.pixels = (uint8_t *)ImagePixels8[index];
    view.width = r.width;
    view.height = r.height;
    view.bits = r.bits;
    view.stride = r.bits == 32 ? r.width * 4 : Stride8(r.width);
    return view;
}

// Every routine checks the slot through its view: on a free slot the view is empty and nothing
// is read or written.
PixelView CurrentView(void) { return ImageView(CurrentImage); }

void PlotPixel(int x, int y, unsigned int colour)
{
    PenPosition = {x, y};
    ViewPut(CurrentView(), x, y, colour);
}

void PutPixel(int x, int y, unsigned int colour) { ViewPut(CurrentView(), x, y, colour); }

unsigned int ReadPixel(int x, int y) { return ViewRead(CurrentView(), x, y); }

int ProbePixel(int x, int y) { return (int)ViewGet(CurrentView(), x, y, -1); }

void XorPlotPixel(int x, int y)
{
    PenPosition = {x, y};
    ViewInvert(CurrentView(), x, y);
}

void XorPixel(int x, int y) { ViewInvert(CurrentView(), x, y); }

void ReadImageRow(void *dst, int y, int n)
{
    PixelView view = CurrentView();
    if (view.pixels != nullptr)
        ViewReadRow(view, dst, y, n);
}
