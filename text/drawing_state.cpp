// drawing_state.cpp - the drawing colours and the text position that the image operations, the
// image text and the console's color command share. They live with the text windows, the lowest
// module that uses them (the console reads them); the text module resets them at start-up.
#include "torvex.h"

unsigned int DrawColor = 0xFFFFFF;
unsigned int tvx_tc = 0;
unsigned int tvx_tttc = 0xFFFFFF;
TextCursorRecord TextCursor = {0, 0, 0};
