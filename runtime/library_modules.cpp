// library_modules.cpp - the composition of the library: the one place that names every window
// module. It is built into the library's umbrella target, above the folders' own libraries, so
// that the runtime frame itself depends on none of them.
#include "runtime/modules.h"

extern const LibraryModule TextModule, ImageModule, BoxModule;

void RegisterLibraryModules(void)
{
    RegisterLibraryModule(&TextModule);
    RegisterLibraryModule(&ImageModule);
    RegisterLibraryModule(&BoxModule);
}
