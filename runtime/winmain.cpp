// winmain.cpp - the process entry of a TORVEX application.
#include "runtime/modules.h"
#include "runtime/runtime.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RegisterLibraryModules();
    return TVX_RunProgram(instance);
}
