// The desktop backends keep a copy of the presented frame in their window system's pixel order.
#pragma once
#include <cstdint>
#include <vector>

// Copies a width x height frame of 0x00BBGGRR colours into `out` as 0x00RRGGBB (cairo RGB24 and 32-bit DIBs
// both keep blue in the low byte). Returns false, leaving `out` alone, for a missing or absurd frame.
bool CopyFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                              std::vector<uint32_t>& out);

enum FrameUpdate { FrameRejected, FrameUnchanged, FrameChanged };

// The same for an `out` that holds the frame last shown (outWidth x outHeight): brings it up to date and tells
// whether any pixel changed, so that a backend puts on the screen only frames that differ from what it shows.
FrameUpdate UpdateFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                                       std::vector<uint32_t>& out, int outWidth, int outHeight);
