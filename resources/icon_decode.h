// Reads the game's icon files (ICO images) into plain 32-bit pixels, on every platform.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes the image of the icon file `data` whose size is closest to `wantSize` (a larger image wins a tie).
// Fills `argb` with width * height pixels 0xAARRGGBB, top row first. Accepts the uncompressed DIB entries
// (1, 4, 8, 24 and 32 bits per pixel, with their AND mask); entries stored as PNG are skipped. Returns false,
// leaving the outputs empty, when nothing in the data can be decoded; never reads outside `data`.
bool DecodeIcon(const uint8_t* data, size_t size, int wantSize, std::vector<uint32_t>& argb, int* width, int* height);
