// stereocap.cpp - the stereo capture application's three hooks.
#include "torvex.h"

#include <windows.h>

void TVX_AppInit(void) {}

// Until the capture loop is written, a run only waits for Stop, pumping its windows.
void TVX_AppMain(void)
{
    while (StopRequest.load() == 0) {
        TVX_PumpMessages();
        Sleep(1);
    }
}

void TVX_AppExit(void) {}
