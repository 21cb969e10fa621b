// modules.cpp - the table of registered window modules.
#include "runtime/modules.h"

enum { kMaxModules = 8 };
static const LibraryModule *Modules[kMaxModules];
static int ModuleCount = 0;

void RegisterLibraryModule(const LibraryModule *module)
{
    for (int i = 0; i < ModuleCount; i++)
        if (Modules[i] == module)
            return;
    if (ModuleCount < kMaxModules)
        Modules[ModuleCount++] = module;
}

int LibraryModuleCount(void) { return ModuleCount; }

const LibraryModule *LibraryModuleAt(int i)
{
    return (unsigned)i < (unsigned)ModuleCount ? Modules[i] : nullptr;
}
