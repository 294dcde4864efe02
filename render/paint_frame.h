// Composing one frame of the game and showing it in the main window.
#pragma once
#include "gfx/canvas.h"

// Paints the frame into a client-size picture and presents it (the paint message and the 50 ms repaint).
void PaintFrame();
// Paints the frame into `client` (clientWidth x clientHeight) exactly as PaintFrame shows it; the flight
// recorder is written only when `writeRecorder` is set (a snapshot must not change the flight).
void ComposeClientPicture(Surface& client, int clientWidth, int clientHeight, bool writeRecorder);
// Shows the last painted picture again without composing (a replay being watched must not take draws).
void PresentLastFrame();
