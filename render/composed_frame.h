// The playfield-size frame that the painter composed last, before it was scaled into the window
// (for the simulator's pictures and for checking the painter).
#pragma once
#include <cstdint>

#include "gfx/canvas.h"

struct FrameView {
    int left, top, right, bottom; // the part of the frame shown in the window, right and bottom excluded
};

const Surface& ComposedFrame();
// The number of the last composition (counted from 1) and, for each row of the composed frame, the composition that
// last changed it: a row stamped no later than a reader's last look holds the pixels it held then.
uint64_t ComposedFrameNumber();
const uint64_t* ComposedFrameRowStamps();
FrameView ComposedView();
