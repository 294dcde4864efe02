// The playfield-size frame that the painter composed last, before it was scaled into the window
// (for the simulator's pictures and for checking the painter).
#pragma once
#include "gfx/canvas.h"

struct FrameView {
    int left, top, right, bottom; // the part of the frame shown in the window, right and bottom excluded
};

const Surface& ComposedFrame();
FrameView ComposedView();
