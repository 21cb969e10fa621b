// Benchmark: the drawing primitives, the flood fill and the test patterns on a 640 x 480 image,
// each beside a plain loop writing the same pixels straight into the pixel memory, and the time
// of a quarter turn. Prints figures; it has no pass or fail.
#include <cstdio>
#include <cstring>

#include "image/image_store.h"
#include "image/image_operations.h"
#include "runtime/modules.h"
#include "runtime/runtime.h"

enum { W = 640, H = 480 };

static double Seconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// Runs work `rounds` times; the megapixels per second for `pixels` pixels a round.
template <typename Work>
static double Rate(int rounds, double pixels, Work work)
{
    double start = Seconds();
    for (int i = 0; i < rounds; i++)
        work(i);
    return pixels * rounds / (Seconds() - start) / 1e6;
}

static void Report(const char *what, double routine, double plain)
{
    printf("%-28s %8.1f Mpixel/s, plain loop %8.1f Mpixel/s, ratio %.2f\n", what, routine, plain,
           plain / routine);
}

// A sloped line's pixels written by hand: the same walk with no bounds test and no pen.
static void PlainSlope(unsigned *p, unsigned colour, int y2)
{
    int dx = W - 1, dy = y2, e = (dx + 1) / 2, y = 0;
    p[0] = colour;
    for (int x = 1; x < W; x++) {
        e -= dy;
        if (e <= 0) {
            e += dx;
            y++;
        }
        p[x + y * W] = colour;
    }
}

static void Bench(void)
{
    TVX_CreateImage(0, "bench", 0, 0, W, H, 50);
    unsigned *p = ImagePixels32[0];
    const double all = (double)W * H;
    auto plainFill = [&](int i) {
        for (int k = 0; k < W * H; k++)
            p[k] = (unsigned)i;
    };
    double plain = Rate(200, all, plainFill);

    Report("FillBox 640 x 480", Rate(200, all, [](int i) {
        DrawColor = (unsigned)i;
        FillBox(0, 0, W - 1, H - 1);
    }), plain);
    Report("DrawLine, rows", Rate(200, all, [](int i) {
        for (int y = 0; y < H; y++)
            DrawLine((unsigned)i, 0, y, W - 1, y);
    }), plain);
    Report("DrawLine, 640 sloped", Rate(5000, W, [](int i) {
        DrawLine((unsigned)i, 0, 0, W - 1, i % H);
    }), Rate(5000, W, [&](int i) { PlainSlope(p, (unsigned)i, i % H); }));
    DrawColor = 0;
    FillBox(0, 0, W - 1, H - 1);
    Report("FloodFill 640 x 480", Rate(100, all, [](int i) {
        DrawColor = (unsigned)i + 1;   // a different colour each round, so that it fills
        FloodFill(W / 2, H / 2);
    }), plain);

    struct Pattern {
        const char *name;
        void (*draw)(void);
    };
    const Pattern patterns[] = {{"PatternRgb", PatternRgb},     {"PatternHsv", PatternHsv},
                                {"PatternYCrCb", PatternYCrCb}, {"PatternYuv", PatternYuv},
                                {"PatternYiq", PatternYiq},     {"PatternGrey", PatternGrey}};
    // Beside each pattern: copying its finished pixels in, the same values to the same places.
    static unsigned done[W * H];
    for (const Pattern &pattern : patterns) {
        double rate = Rate(20, all, [&](int) { pattern.draw(); });
        memcpy(done, p, sizeof done);
        Report(pattern.name, rate, Rate(200, all, [&](int) {
            for (int k = 0; k < W * H; k++)
                p[k] = done[k];
        }));
    }

    const int turns = 20;
    double start = Seconds();
    for (int i = 0; i < turns; i++)
        RotateRight(0);
    printf("RotateRight of 640 x 480 (the window made anew): %.1f ms\n",
           (Seconds() - start) * 1000 / turns);
    fflush(stdout);
}

void TVX_AppInit(void)
{
    Bench();
    PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TVX_AppMain(void) {}
void TVX_AppExit(void) {}

int main()
{
    RegisterLibraryModules();
    return TVX_RunProgram(GetModuleHandleW(NULL));
}
