// library_modules.cpp - the composition of the library: the one place that names every window
// module. It sits above the folders and is built into the library's umbrella target, so that the
// runtime frame depends on none of them.
#include "runtime/modules.h"

extern const LibraryModule TextModule, ImageModule, BoxModule;

// The order is the snap table's: where a moved window comes near two edges, the image windows'
// come first, then the text windows', then the boxes'.
void RegisterLibraryModules(void)
{
    RegisterLibraryModule(&ImageModule);
    RegisterLibraryModule(&TextModule);
    RegisterLibraryModule(&BoxModule);
}
