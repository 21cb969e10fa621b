// layering.cpp - linked against one folder's library and what it may use, nothing else: a call
// from the runtime into the text, image or box code (or from the text code into the image code)
// leaves a symbol no library of the link defines, and the build fails.
#include "runtime/modules.h"
#include "runtime/runtime.h"

void TVX_AppInit(void) {}
void TVX_AppMain(void) {}
void TVX_AppExit(void) {}

#ifdef TVX_LAYER_TEXT
extern const LibraryModule TextModule;
#endif

int main()
{
#ifdef TVX_LAYER_TEXT
    RegisterLibraryModule(&TextModule);
#endif
    return TVX_RunProgram(GetModuleHandleW(NULL));
}
