// The playfield at a fractional display scale (125 %, 150 %, 175 %): every game pixel covers the same area of
// device pixels. It is what enlarging each pixel to a sharp whole-number block and then reducing the picture by
// averaging would give, done in one pass: a device pixel inside one game pixel takes its colour unchanged, and a
// device pixel on the border between two takes both in proportion to how much of it each covers. So lines keep
// one width everywhere (nearest-pixel scaling alone would draw them one and two pixels wide by turns) and are
// softened only along their edges.
#include "platform/win32/win32_backend.h"

#include <algorithm>
#include <utility>

namespace {

// Where output pixel i takes its colour from along one axis: source pixel `index` with `weight` (of 256), the
// rest from index + 1.
struct Tap {
    int index;
    uint32_t weight;
};

std::vector<Tap> Taps(int source, int target)
{
    std::vector<Tap> taps(static_cast<size_t>(target));
    for (int i = 0; i < target; i++) {
        // In units of 1 / (source * target): output pixel i spans [i * source, (i + 1) * source), source pixel j
        // spans [j * target, (j + 1) * target).
        const long long start = (long long)i * source, end = start + source;
        const int j = int(start / target);
        const long long boundary = (long long)(j + 1) * target;
        uint32_t weight = 256;
        if (end > boundary && j + 1 < source) weight = uint32_t((boundary - start) * 256 / source);
        taps[size_t(i)] = Tap{j, weight};
    }
    return taps;
}

// `a` weighted by w (of 256), `b` by the rest, channel by channel.
inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w)
{
    if (w >= 256) return a;
    const uint32_t v = 256 - w;
    return ((((a & 0xFF00FF) * w + (b & 0xFF00FF) * v) >> 8) & 0xFF00FF) |
           ((((a & 0x00FF00) * w + (b & 0x00FF00) * v) >> 8) & 0x00FF00);
}

void ScaleRow(const uint32_t* row, const std::vector<Tap>& taps, uint32_t* out)
{
    for (size_t i = 0; i < taps.size(); i++) {
        const Tap& tap = taps[i];
        out[i] = Mix(row[tap.index], tap.weight < 256 ? row[tap.index + 1] : 0, tap.weight);
    }
}

} // namespace

bool ScaleFrameSharp(const uint32_t* pixels, int width, int height, int targetWidth, int targetHeight,
                     std::vector<uint32_t>& out)
{
    if (!pixels || width <= 0 || height <= 0 || targetWidth < width || targetHeight < height ||
        targetWidth > 4 * 16384 || targetHeight > 4 * 16384)
        return false;
    static std::vector<Tap> across, down;
    static int acrossFor[2] = {0, 0}, downFor[2] = {0, 0};
    if (acrossFor[0] != width || acrossFor[1] != targetWidth) {
        across = Taps(width, targetWidth);
        acrossFor[0] = width, acrossFor[1] = targetWidth;
    }
    if (downFor[0] != height || downFor[1] != targetHeight) {
        down = Taps(height, targetHeight);
        downFor[0] = height, downFor[1] = targetHeight;
    }
    out.resize(size_t(targetWidth) * size_t(targetHeight));
    // Two source rows widened to the target width: the one a target row starts in and the next.
    std::vector<uint32_t> upper(static_cast<size_t>(targetWidth)), lower(static_cast<size_t>(targetWidth));
    int upperRow = -1, lowerRow = -1;
    for (int y = 0; y < targetHeight; y++) {
        const Tap& tap = down[size_t(y)];
        if (upperRow != tap.index) {
            if (lowerRow == tap.index) {
                upper.swap(lower);
                std::swap(upperRow, lowerRow);
            } else {
                ScaleRow(pixels + size_t(tap.index) * size_t(width), across, upper.data());
                upperRow = tap.index;
            }
        }
        uint32_t* target = out.data() + size_t(y) * size_t(targetWidth);
        if (tap.weight >= 256) {
            std::copy(upper.begin(), upper.end(), target);
            continue;
        }
        if (lowerRow != tap.index + 1) {
            ScaleRow(pixels + size_t(tap.index + 1) * size_t(width), across, lower.data());
            lowerRow = tap.index + 1;
        }
        for (int x = 0; x < targetWidth; x++) target[x] = Mix(upper[size_t(x)], lower[size_t(x)], tap.weight);
    }
    return true;
}
