// library_modules.cpp - the composition of the library: the one place that names every window
// module. It sits above the folders and is built into the library's umbrella target, so that the
// runtime frame depends on none of them.
#include "runtime/modules.h"

extern const LibraryModule TextModule, ImageModule, BoxModule;

void RegisterLibraryModules(void)
{
    RegisterLibraryModule(&TextModule);
    RegisterLibraryModule(&ImageModule);
    RegisterLibraryModule(&BoxModule);
}
