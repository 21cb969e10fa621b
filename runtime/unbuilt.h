// unbuilt.h - what the runtime frame calls in the text, image and box modules that are not
// written yet. Each declaration moves to its module's header when that module lands, and its
// placeholder in unbuilt.cpp goes away.
#ifndef TVX_RUNTIME_UNBUILT_H
#define TVX_RUNTIME_UNBUILT_H

#include <windows.h>

#include <atomic>

// The layout listing of the open windows ("Window Info.").
void PrintWindowInfo(void);

#endif
