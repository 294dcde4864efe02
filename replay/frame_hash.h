// The frame hashes of a replay: each composed frame's hash is chained into the one before, so one number tells
// whether a replay's pictures match the recorded ones and the checkpoints tell from which frame they differ.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gfx/canvas.h"

// Format 1: the next hash in the chain, of the whole frame at once.
uint64_t ChainFrameHash(uint64_t chain, const uint32_t* pixels, size_t count, int width, int height);

// Format 2: each row is hashed on its own and the row hashes are chained. A row the painter has not changed keeps
// its hash, so the recorder hashes again only the changed rows (a paused game changes a few stars' rows).
struct FrameRowHashes {
    std::vector<uint64_t> rows;
    int width = 0, height = 0;
    uint64_t seen = 0; // the composition the row hashes were taken of; 0: none
};
uint64_t HashFrameRow(const uint32_t* pixels, int width);
// The next hash in the chain, of `frame`. With `stamps` (for each row, the composition that last changed it) and
// `composition` (the number of the frame's own), only the rows changed since the cache's were hashed are hashed
// again; with null stamps, every row.
uint64_t ChainFrameRows(uint64_t chain, FrameRowHashes& cache, const Surface& frame, const uint64_t* stamps,
                        uint64_t composition);
