// Benchmark: lines per second through TVX_Print into a 400 x 300 text window, without and with
// its log file. Prints figures; it has no pass or fail.
#include <cstdio>

#include "runtime/modules.h"
#include "runtime/runtime.h"
#include "text/text_window.h"

static double LinesPerSecond(int lines)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < lines; i++)
        TVX_Print("line %5d: the quick brown fox jumps over the lazy dog\n", i);
    QueryPerformanceCounter(&end);
    double seconds = (double)(end.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
    return lines / seconds;
}

void TVX_AppInit(void)
{
    TVX_OpenTextWindow(0, 0, 0, 400, 300);
    const int lines = 3000;
    LinesPerSecond(200);   // warm up
    double plain = LinesPerSecond(lines);
    TVX_StartLog(0);
    double logged = LinesPerSecond(lines);
    TVX_StopLog(0);
    printf("TVX_Print into a 400 x 300 window: %.0f lines/s without a log, %.0f lines/s with "
           "its log (%d lines each)\n",
           plain, logged, lines);
    fflush(stdout);
    PostMessageW(MainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
}

void TVX_AppMain(void) {}
void TVX_AppExit(void) {}

int main()
{
    RegisterLibraryModules();
    int code = TVX_RunProgram(GetModuleHandleW(NULL));
    char log[MAX_PATH + 16];
    snprintf(log, sizeof log, "%sTORVEX0.LOG", LogDirectory);
    remove(log);
    return code;
}
