// Pictures of the game window for the simulator: one frame as PaintFrame would show it, written as a PNG.
#pragma once
#include <string>

// Composes the main window's client area (clientWidth x clientHeight) as the painter shows it now and
// writes it to `path` as an 8-bit RGB PNG. The random generator is left exactly as it was, so taking a
// snapshot never changes the flight. The picture is written beside `path` and renamed over it when whole, so a
// failure leaves what was there untouched. False with `reason` (printing nothing) when it cannot be written.
bool WriteSnapshotPng(const char* path, int clientWidth, int clientHeight, std::string& reason);
