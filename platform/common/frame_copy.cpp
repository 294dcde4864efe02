#include "platform/common/frame_copy.h"

#include <cstddef>

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

FrameUpdate UpdateFrameSwappingRedBlue(const uint32_t* pixels, int width, int height, int maximumSize,
                                       std::vector<uint32_t>& out, int outWidth, int outHeight)
{
    if (width != outWidth || height != outHeight || out.size() != size_t(width) * size_t(height) || width <= 0 ||
        height <= 0)
        return CopyFrameSwappingRedBlue(pixels, width, height, maximumSize, out) ? FrameChanged : FrameRejected;
    if (!pixels) return FrameRejected;
    size_t count = out.size(), i = 0;
    for (; i < count; i++) {
        uint32_t c = pixels[i];
        if (out[i] != (((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF))) break;
    }
    if (i == count) return FrameUnchanged;
    for (; i < count; i++) {
        uint32_t c = pixels[i];
        out[i] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
    }
    return FrameChanged;
}
