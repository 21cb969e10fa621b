// unbuilt.cpp - placeholders for the modules the runtime frame calls before they are written.
// Each does nothing, or refuses with its module's resource-failure code, so that the frame links
// and runs; none pretends to do its module's work.
#include "runtime/unbuilt.h"

void PrintWindowInfo(void) {}

