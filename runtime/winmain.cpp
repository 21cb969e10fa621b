// winmain.cpp - the process entry of a TORVEX application.
#include "runtime.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    return TVX_RunProgram(instance);
}
