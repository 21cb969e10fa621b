// Benchmark of the library in one program: lines per second through TVX_Print (without and with
// the log), TVX_RefreshImage at zoom 100 and 70, a 1280 x 480 JPEG saved and loaded, and the
// drawing primitives, flood fill and test patterns each beside a plain loop writing the same
// pixels, and a quarter turn. Prints figures; it has no pass or fail.
#include <cstdio>
#include <cstring>

#include "image/image_operations.h"
#include "image/image_store.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

enum { W = 640, H = 480 };

static double Seconds(void)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)now.QuadPart / (double)frequency.QuadPart;
}

// Runs work `rounds` times; how many `units` a second, for `units` a round.
template <typename Work>
static double Rate(int rounds, double units, Work work)
{
    double start = Seconds();
    for (int i = 0; i < rounds; i++)
        work(i);
    GdiFlush();
    return units * rounds / (Seconds() - start);
}

static void TextAndImages(void)
{
    TVX_OpenTextWindow(0, 0, 0, 400, 300);
    auto print = [](int i) { TVX_Print("line %5d: the quick brown fox jumps over the lazy dog\n", i); };
    const int lines = 3000;
    Rate(200, 1, print);   // warm up
    double plain = Rate(lines, 1, print);
    TVX_StartLog(0);
    double logged = Rate(lines, 1, print);
    TVX_StopLog(0);
    printf("TVX_Print into a 400 x 300 window: %.0f lines/s without a log, %.0f lines/s with "
           "its log (%d lines each)\n", plain, logged, lines);
    char log[MAX_PATH + 16];
    snprintf(log, sizeof log, "%sTORVEX0.LOG", LogDirectory);
    remove(log);

    double at[2];
    for (int k = 0; k < 2; k++) {
        int index = 1 + k;
        TVX_CreateImage(index, "refresh", 0, 0, W, H, k == 0 ? 100 : 70);
        at[k] = Rate(300, 1, [=](int i) {
            ImagePixels32[index][i % (W * H)] = (unsigned)i;
            TVX_RefreshImage(index);
        });
    }
    printf("TVX_RefreshImage of 640 x 480: %.0f copies/s at zoom 100, %.0f at zoom 70\n", at[0], at[1]);

    TVX_CreateImage(3, "pair", 0, 0, 2 * W, H, 25);
    for (int i = 0; i < 2 * W * H; i++)
        ImagePixels32[3][i] = (unsigned)(i * 2654435761u) & 0xFFFFFF;
    double save = 1000 / Rate(5, 1, [](int) { TVX_SaveImageFile(H, 2 * W, 1, "bench_pair"); });
    double load = 1000 / Rate(5, 1, [](int) { TVX_LoadImageFile("bench_pair.jps", 0, 0); });
    printf("1280 x 480 JPEG, quality 100: saved in %.1f ms, loaded back in %.1f ms\n", save, load);
    remove("bench_pair.jps");
}

static void Report(const char *what, double routine, double plain)
{
    printf("%-28s %8.1f Mpixel/s, plain loop %8.1f Mpixel/s, ratio %.2f\n", what, routine / 1e6,
           plain / 1e6, plain / routine);
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

static void Drawing(void)
{
    TVX_CreateImage(0, "bench", 0, 0, W, H, 50);
    unsigned *p = ImagePixels32[0];
    const double all = (double)W * H;
    double plain = Rate(200, all, [&](int i) {
        for (int k = 0; k < W * H; k++)
            p[k] = (unsigned)i;
    });
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
    double turn = 1000 / Rate(20, 1, [](int) { RotateRight(0); });
    printf("RotateRight of 640 x 480 (the window made anew): %.1f ms\n", turn);
}

void TVX_AppInit(void)
{
    TextAndImages();
    Drawing();
    fflush(stdout);
    PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TVX_AppMain(void) {}
void TVX_AppExit(void) {}
