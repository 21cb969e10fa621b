// Benchmark: TVX_RefreshImage of a 640 x 480 image at zoom 100 and 70, and a 1280 x 480 JPEG of
// quality 100 saved and loaded back. Prints figures; it has no pass or fail.
#include <cstdio>

#include "image/image_store.h"
#include "runtime/modules.h"
#include "runtime/runtime.h"

static double Seconds(LARGE_INTEGER start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

static double RefreshesPerSecond(int index, int count)
{
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < count; i++) {
        ImagePixels32[index][i % (640 * 480)] = (unsigned)i;
        TVX_RefreshImage(index);
    }
    GdiFlush();
    return count / Seconds(start);
}

void TVX_AppInit(void)
{
    TVX_CreateImage(0, "bench100", 0, 0, 640, 480, 100);
    TVX_CreateImage(1, "bench70", 0, 0, 640, 480, 70);
    double at100 = RefreshesPerSecond(0, 300);
    double at70 = RefreshesPerSecond(1, 300);
    printf("TVX_RefreshImage of 640 x 480: %.0f copies/s at zoom 100, %.0f at zoom 70\n", at100,
           at70);

    TVX_CreateImage(2, "pair", 0, 0, 1280, 480, 25);
    for (int i = 0; i < 1280 * 480; i++)
        ImagePixels32[2][i] = (unsigned)(i * 2654435761u) & 0xFFFFFF;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    const int rounds = 5;
    for (int i = 0; i < rounds; i++)
        TVX_SaveImageFile(480, 1280, 1, "bench_pair");
    double save = Seconds(start) / rounds;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < rounds; i++)
        TVX_LoadImageFile("bench_pair.jps", 0, 0);
    double load = Seconds(start) / rounds;
    printf("1280 x 480 JPEG, quality 100: saved in %.1f ms, loaded back in %.1f ms\n",
           save * 1000, load * 1000);
    fflush(stdout);
    remove("bench_pair.jps");
    PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TVX_AppMain(void) {}
void TVX_AppExit(void) {}

int main()
{
    RegisterLibraryModules();
    return TVX_RunProgram(GetModuleHandleW(NULL));
}
