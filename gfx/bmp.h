// Decoding of the game's BMP pictures into canvas surfaces.
#pragma once
#include "gfx/canvas.h"

#include <cstddef>
#include <cstdint>

// Decodes an uncompressed BMP file image (1-, 4- and 8-bit palette, 24- and 32-bit colour; bottom-up or
// top-down rows) into `out`, colours as 0x00BBGGRR. Returns false, leaving `out` empty, when the data is
// malformed, truncated or of an unsupported kind; never reads outside [data, data + size).
bool DecodeBmp(const uint8_t* data, size_t size, Surface& out);
