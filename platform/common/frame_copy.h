// The desktop backends keep a copy of the presented frame in their window system's pixel order.
#pragma once
#include <cstdint>
#include <vector>

// Copies a width x height frame of 0x00BBGGRR colours into `out` as 0x00RRGGBB (cairo RGB24 and 32-bit DIBs
// both keep blue in the low byte). Returns false, leaving `out` alone, for a missing or absurd frame.
bool CopyFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                              std::vector<uint32_t>& out);

enum FrameUpdate { FrameRejected, FrameUnchanged, FrameChanged };

// The frame a backend shows: in its window system's order, and as the game handed it over (kept to tell a repeated
// frame cheaply). changedTop..changedBottom are the rows the last update changed.
struct ShownFrame {
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    std::vector<uint32_t> given;  // 0x00BBGGRR
    int width = 0, height = 0;
    int changedTop = 0, changedBottom = 0;
};

// Takes a new frame into `shown` and tells whether any pixel changed and in which rows, so that a backend puts on the
// screen only what differs from what it shows (a paused game repaints mostly the same picture; a twinkling star
// changes a few rows). A missing or absurd frame is rejected and leaves `shown` alone.
FrameUpdate UpdateShownFrame(ShownFrame& shown, const uint32_t* pixels, int width, int height, int maximumSize);
