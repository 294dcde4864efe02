// The desktop backends keep a copy of the presented frame in their window system's pixel order.
#pragma once
#include <cstdint>
#include <vector>

#include "platform/window.h"

// Copies a width x height frame of 0x00BBGGRR colours into `out` as 0x00RRGGBB (cairo RGB24 and 32-bit DIBs
// both keep blue in the low byte). Returns false, leaving `out` alone, for a missing or absurd frame.
bool CopyFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                              std::vector<uint32_t>& out);

enum FrameUpdate { FrameRejected, FrameUnchanged, FrameChanged };

// The frame a backend shows: in its window system's order, and as the game handed it over (kept to tell a repeated
// frame cheaply). changedAreas are the parts the last update changed: each run of changed rows, as wide as the
// changed pixels in it.
struct ShownFrame {
    std::vector<uint32_t> pixels; // 0x00RRGGBB
    std::vector<uint32_t> given;  // 0x00BBGGRR
    int width = 0, height = 0;
    std::vector<FrameArea> changedAreas;
    bool followsLast = false;         // `given` is the frame handed over last (none was rejected since)
    std::vector<int> spanLeft, spanRight; // per row, the columns a hint says may have changed
};

// Takes a new frame into `shown` and tells whether any pixel changed and where, so that a backend puts on the
// screen only what differs from what it shows (a paused game repaints mostly the same picture; a twinkling star
// changes a few pixels). A missing or absurd frame is rejected and leaves the shown picture alone. `mayDiffer` (when
// `mayDifferCount` is not negative) lists the only parts in which the frame can differ from the last one handed
// over: the rest is not compared.
FrameUpdate UpdateShownFrame(ShownFrame& shown, const uint32_t* pixels, int width, int height, int maximumSize,
                             const FrameArea* mayDiffer = nullptr, int mayDifferCount = -1);
