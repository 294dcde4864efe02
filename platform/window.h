// The main window: existence, size, placement, repaint and the finished frame.
#pragma once
#include <cstdint>

struct ScreenRect {
    int32_t left, top, right, bottom;
};

// A part of a presented picture, right and bottom exclusive.
struct FrameArea {
    int32_t left, top, right, bottom;
};

// Creates and shows the main window titled `title`; false when it cannot be created.
bool PlatformCreateMainWindow(const char* title);
// True while the main window exists (between creation and destruction).
bool PlatformMainWindowExists();
// Destroys the main window; the backend then delivers AppDestroyed() (the game posts the quit).
void PlatformDestroyMainWindow();
// Width and height of the main window's client area in logical pixels, the playfield's units (device pixels at a
// display scale of 100 %; 0 when minimised or absent). A presented frame of that size fills the client area.
void PlatformGetClientSize(int* width, int* height);
// The client area's corners in screen coordinates; while the window is minimised, where they will be when it is
// restored.
ScreenRect PlatformGetClientScreenRect();
// Outer rectangle of the main window in screen coordinates, the one it returns to when minimised or maximised. Its
// size is in logical pixels, so a stored rectangle keeps the window's size across a change of display scale.
ScreenRect PlatformGetWindowRect();
// Moves and sizes the main window to the outer rectangle `rect` (as far as the window system allows).
void PlatformSetWindowRect(const ScreenRect& rect);
// Asks for a repaint of the whole client area; the backend later delivers AppPaint() unless a frame is
// presented first.
void PlatformRequestRepaint();
// Shows a finished client-area picture: `pixels` hold width*height colours 0x00BBGGRR, row by row.
// The picture covers the whole client area, so presenting it also settles any pending repaint request:
// a request followed by a present (the 50 ms repaint) paints once, not again from the queue.
// `changed` lists the only parts in which the picture can differ from the one presented before (`changedCount` of
// them; none: the same picture again), so a backend need not compare the rest; a negative count: any part.
void PlatformPresentFrame(const uint32_t* pixels, int width, int height, const FrameArea* changed = nullptr,
                          int changedCount = -1);
