// Pictures of the game window for the simulator: one frame as PaintFrame would show it, written as a PNG.
#pragma once
#include "gfx/canvas.h"

// Composes the main window's client area (clientWidth x clientHeight) as the painter shows it now and
// writes it to `path` as an 8-bit RGB PNG. The random generator is left exactly as it was, so taking a
// snapshot never changes the flight. False (with a message on stderr) when the file cannot be written.
bool WriteSnapshotPng(const char* path, int clientWidth, int clientHeight);
// Writes `picture` as an 8-bit RGB PNG; false (with a message on stderr) when the file cannot be written.
bool WriteSurfacePng(const char* path, const Surface& picture);
