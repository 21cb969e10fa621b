// picks.cpp - the seven ways a command asks the user for points: one click, or two with a rubber
// band between them, drawn inverted into the image while the mouse moves. Every way out erases
// the band: a click, a cancellation (right or middle click), and a stop request (Stop or Exit),
// which is taken as a cancellation. When the image goes away or is made anew during the wait
// (its window closed, a resize), the wait ends as cancelled and never touches the new pixels.
#include "image/image_store.h"
#include "image/image_operations.h"
#include "imageops/rubber_bands.h"
#include "runtime/runtime.h"

namespace {

struct Wait {
    int image;
    HWND window;   // the window and pixels at the start: a re-created image has others
    void *pixels;
    Band band;
    bool bandShown;
};

bool Gone(const Wait &w)
{
    const ImageRecord &r = ImageTable[w.image];
    return !r.inUse || r.window != w.window || (void *)ImagePixels8[w.image] != w.pixels;
}

void Toggle(Wait &w)
{
    XorBand(ImageView(w.image), PenPosition, w.band);
    w.bandShown = !w.bandShown;
}

void Redraw(const Wait &w) { InvalidateRect(w.window, NULL, FALSE); }

// Moves the band: the old figure inverted back, the new one drawn, one invalidation.
void MoveBand(Wait &w, const Band &to)
{
    if (w.bandShown)
        Toggle(w);
    w.band = to;
    Toggle(w);
    Redraw(w);
}

void EraseBand(Wait &w)
{
    if (w.bandShown) {
        Toggle(w);
        Redraw(w);
    }
}

bool Begin(Wait *w, int image, const char *prompt, int kind)
{
    if (BeginClickWait(image, prompt) != 0)
        return false;
    ClickWait.cancelled = 0;
    w->image = image;
    w->window = ImageTable[image].window;
    w->pixels = ImagePixels8[image];
    w->band = Band();
    w->band.kind = kind;
    w->bandShown = false;
    return true;
}

// Waits for the next event: sleeps until a message comes (or a moment passes, for a stop
// request, which comes without one), then pumps. False when the wait must end as cancelled.
bool Pump(Wait &w)
{
    MsgWaitForMultipleObjects(0, NULL, FALSE, 5, QS_ALLINPUT);
    TVX_PumpMessages();
    if (Gone(w))
        return false;
    if (StopRequest.load() != 0) {
        EraseBand(w);
        return false;
    }
    return true;
}

bool Take(int &flag)
{
    if (flag == 0)
        return false;
    flag = 0;
    return true;
}

// One click, with a band at the mouse for the row, column and placement picks.
int PickOne(int image, int kind, int fw, int fh, int *x, int *y)
{
    *x = *y = 0;
    Wait w;
    if (!Begin(&w, image, "Click a point", kind))
        return 2;
    if (kind != kBandNone) {
        Band band = w.band;
        band.x1 = ClickWait.moveX;
        band.y1 = ClickWait.moveY;
        band.w = fw;
        band.h = fh;
        MoveBand(w, band);
    }
    int result = 1;
    while (Pump(w)) {
        if (Take(ClickWait.moved) && kind != kBandNone) {
            Band band = w.band;
            band.x1 = ClickWait.moveX;
            band.y1 = ClickWait.moveY;
            MoveBand(w, band);
        }
        if (Take(ClickWait.clicked)) {
            EraseBand(w);
            *x = ClickWait.clickX;
            *y = ClickWait.clickY;
            result = 0;
            break;
        }
        if (Take(ClickWait.cancelled)) {
            EraseBand(w);
            break;
        }
    }
    EndClickWait();
    return result;
}

// Two clicks with a band from the first point to the mouse. A cancellation at the second point
// goes back to the first; at the first it gives up.
int PickTwo(int image, int kind, Band *out)
{
    *out = Band();
    Wait w;
    if (!Begin(&w, image, "Click the first point", kind))
        return 2;
    int step = 0, result = 1;
    while (Pump(w)) {
        if (Take(ClickWait.clicked)) {
            Band band = w.band;
            if (step == 0) {
                band.x1 = band.x2 = ClickWait.clickX;
                band.y1 = band.y2 = ClickWait.clickY;
                MoveBand(w, band);
                SetStatusText("Click the second point");
                step = 1;
                continue;
            }
            EraseBand(w);
            band.x2 = ClickWait.clickX;
            band.y2 = ClickWait.clickY;
            w.band = band;
            result = 0;
            break;
        }
        if (Take(ClickWait.cancelled)) {
            if (step == 0)
                break;
            EraseBand(w);
            SetStatusText("Click the first point");
            step = 0;
            continue;
        }
        if (Take(ClickWait.moved) && step == 1) {
            Band band = w.band;
            band.x2 = ClickWait.moveX;
            band.y2 = ClickWait.moveY;
            MoveBand(w, band);
        }
    }
    EndClickWait();
    if (result == 0)
        *out = w.band;
    return result;
}

}   // namespace

int PickPoint(int image, int *x, int *y) { return PickOne(image, kBandNone, 0, 0, x, y); }
int PickRow(int image, int *x, int *y) { return PickOne(image, kBandRow, 0, 0, x, y); }
int PickColumn(int image, int *x, int *y) { return PickOne(image, kBandColumn, 0, 0, x, y); }

int PickPlacement(int image, int w, int h, int *x, int *y)
{
    return PickOne(image, kBandPlacement, w, h, x, y);
}

int PickRect(int image, int *x1, int *y1, int *x2, int *y2)
{
    Band b;
    int result = PickTwo(image, kBandRect, &b);
    *x1 = b.x1 < b.x2 ? b.x1 : b.x2;
    *x2 = b.x1 < b.x2 ? b.x2 : b.x1;
    *y1 = b.y1 < b.y2 ? b.y1 : b.y2;
    *y2 = b.y1 < b.y2 ? b.y2 : b.y1;
    return result;
}

int PickLine(int image, int *x1, int *y1, int *x2, int *y2)
{
    Band b;
    int result = PickTwo(image, kBandLine, &b);
    *x1 = b.x1;
    *y1 = b.y1;
    *x2 = b.x2;
    *y2 = b.y2;
    return result;
}

int PickCircle(int image, int *cx, int *cy, int *radius)
{
    Band b;
    int result = PickTwo(image, kBandCircle, &b);
    *cx = b.x1;
    *cy = b.y1;
    *radius = result == 0 ? CircleRadius(b.x2 - b.x1, b.y2 - b.y1) : 0;
    return result;
}
