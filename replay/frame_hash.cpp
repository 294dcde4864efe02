#include "replay/frame_hash.h"

#include <algorithm>

namespace {

constexpr uint64_t Prime = 0x100000001B3ull;

// Four independent lanes of two pixels each, folded together at the end: fast enough to hash every frame while
// recording. The lanes are separate scalars so that the four multiplications run side by side; kept in an array,
// GCC's -O2 turns them into a vector loop that multiplies by shifts and adds, four times slower.
uint64_t FourLanes(uint64_t lane0, uint64_t lane1, uint64_t lane2, uint64_t lane3, const uint32_t* pixels,
                   size_t count)
{
    auto mix = [](uint64_t& lane, const uint32_t* pair) {
        lane ^= static_cast<uint64_t>(pair[0]) | static_cast<uint64_t>(pair[1]) << 32;
        lane *= Prime;
        lane ^= lane >> 29;
    };
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        mix(lane0, pixels + i);
        mix(lane1, pixels + i + 2);
        mix(lane2, pixels + i + 4);
        mix(lane3, pixels + i + 6);
    }
    for (; i < count; ++i)
        lane0 = (lane0 ^ pixels[i]) * Prime;
    uint64_t h = lane0;
    for (uint64_t lane : {lane1, lane2, lane3})
        h = (h ^ (lane + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2))) * Prime;
    return h;
}

} // namespace

uint64_t ChainFrameHash(uint64_t chain, const uint32_t* pixels, size_t count, int width, int height)
{
    const uint64_t h = FourLanes(chain, chain ^ 0x9E3779B97F4A7C15ull, chain ^ 0xC2B2AE3D27D4EB4Full,
                                 static_cast<uint64_t>(width) << 32 | static_cast<uint32_t>(height), pixels, count);
    return h ^ (h >> 32);
}

uint64_t HashFrameRow(const uint32_t* pixels, int width)
{
    return FourLanes(0x243F6A8885A308D3ull, 0x13198A2E03707344ull, 0xA4093822299F31D0ull,
                     static_cast<uint64_t>(width), pixels, static_cast<size_t>(std::max(width, 0)));
}

uint64_t ChainFrameRows(uint64_t chain, FrameRowHashes& cache, const Surface& frame, const uint64_t* stamps,
                        uint64_t composition)
{
    const int width = std::max(frame.width, 0);
    const int height = frame.pixels.size() >= static_cast<size_t>(width) * std::max(frame.height, 0) ? std::max(frame.height, 0) : 0;
    const bool known = stamps && cache.seen != 0 && cache.width == width && cache.height == height;
    cache.rows.resize(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        if (!known || stamps[y] > cache.seen)
            cache.rows[y] = HashFrameRow(frame.pixels.data() + static_cast<size_t>(y) * width, width);
    cache.width = width;
    cache.height = height;
    cache.seen = stamps ? composition : 0;
    uint64_t h = (chain ^ (static_cast<uint64_t>(width) << 32 | static_cast<uint32_t>(height))) * Prime;
    for (uint64_t row : cache.rows) {
        h = (h ^ row) * Prime;
        h ^= h >> 29;
    }
    return h ^ (h >> 32);
}
