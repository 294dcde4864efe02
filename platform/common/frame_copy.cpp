#include "platform/common/frame_copy.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

bool CopyFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                              std::vector<uint32_t>& out)
{
    if (!pixels || width <= 0 || height <= 0 || width > maximumSize || height > maximumSize)
        return false;
    size_t count = size_t(width) * size_t(height);
    out.resize(count);
    for (size_t i = 0; i < count; i++) {
        uint32_t c = pixels[i];
        out[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    return true;
}

FrameUpdate UpdateShownFrame(ShownFrame& shown, const uint32_t* pixels, int width, int height, int maximumSize)
{
    if (!pixels || width <= 0 || height <= 0 || width > maximumSize || height > maximumSize) return FrameRejected;
    size_t rowLength = size_t(width);
    if (width != shown.width || height != shown.height) {
        shown.given.assign(pixels, pixels + rowLength * size_t(height));
        CopyFrameSwappingRedBlue(pixels, width, height, maximumSize, shown.pixels);
        shown.width = width;
        shown.height = height;
        shown.changedTop = 0;
        shown.changedBottom = height;
        return FrameChanged;
    }
    auto rowDiffers = [&](int y) {
        return memcmp(shown.given.data() + rowLength * size_t(y), pixels + rowLength * size_t(y),
                      rowLength * sizeof(uint32_t)) != 0;
    };
    int top = 0, bottom = height;
    while (top < height && !rowDiffers(top)) top++;
    if (top == height) return FrameUnchanged;
    while (bottom > top + 1 && !rowDiffers(bottom - 1)) bottom--;
    size_t first = rowLength * size_t(top), end = rowLength * size_t(bottom);
    std::copy(pixels + first, pixels + end, shown.given.begin() + std::ptrdiff_t(first));
    for (size_t i = first; i < end; i++) {
        uint32_t c = pixels[i];
        shown.pixels[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    shown.changedTop = top;
    shown.changedBottom = bottom;
    return FrameChanged;
}
