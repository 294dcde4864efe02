// The instrument panel in the top-left corner of the shown part of the playfield.
#pragma once
#include "gfx/canvas.h"

constexpr int NoPlatform = -1;

// Draws the panel with its top-left at (px, py) into `frame`: turn indicator (legged craft), velocity arrows,
// platform locator (when `nearestPlatform` is not NoPlatform), fuel bar and wind gauge.
void DrawInstrumentPanel(Surface& frame, int px, int py, int nearestPlatform, int offsetFromPlatform,
                         int heightAbovePlatform);
