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

FrameUpdate UpdateShownFrame(ShownFrame& shown, const uint32_t* pixels, int width, int height, int maximumSize,
                             const FrameArea* mayDiffer, int mayDifferCount)
{
    if (!pixels || width <= 0 || height <= 0 || width > maximumSize || height > maximumSize) {
        shown.followsLast = false; // the next frame may differ from the shown one anywhere
        return FrameRejected;
    }
    shown.changedAreas.clear();
    size_t rowLength = size_t(width);
    bool hinted = mayDifferCount >= 0 && shown.followsLast;
    shown.followsLast = true;
    if (width != shown.width || height != shown.height) {
        shown.given.assign(pixels, pixels + rowLength * size_t(height));
        CopyFrameSwappingRedBlue(pixels, width, height, maximumSize, shown.pixels);
        shown.width = width;
        shown.height = height;
        shown.changedAreas.push_back({0, 0, width, height});
        return FrameChanged;
    }
    // Each row is compared only across the columns that may have changed in it.
    if (hinted) {
        shown.spanLeft.assign(size_t(height), width);
        shown.spanRight.assign(size_t(height), 0);
        for (int i = 0; i < mayDifferCount; i++) {
            const FrameArea& a = mayDiffer[i];
            int left = std::max(a.left, 0), right = std::min(a.right, width);
            for (int y = std::max(a.top, 0); left < right && y < std::min(a.bottom, height); y++) {
                shown.spanLeft[y] = std::min(shown.spanLeft[y], left);
                shown.spanRight[y] = std::max(shown.spanRight[y], right);
            }
        }
    }
    for (int y = 0; y < height; y++) {
        int left = hinted ? shown.spanLeft[y] : 0, right = hinted ? shown.spanRight[y] : width;
        if (left >= right) continue;
        const uint32_t* from = pixels + rowLength * size_t(y);
        uint32_t* given = shown.given.data() + rowLength * size_t(y);
        if (memcmp(given + left, from + left, size_t(right - left) * sizeof(uint32_t)) == 0) continue;
        // Only the changed stretch of the row is copied and swapped: a star's few pixels, not the whole row.
        while (given[left] == from[left]) left++;
        while (given[right - 1] == from[right - 1]) right--;
        std::copy(from + left, from + right, given + left);
        uint32_t* to = shown.pixels.data() + rowLength * size_t(y);
        for (int x = left; x < right; x++) {
            uint32_t c = from[x];
            to[x] = ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
        }
        FrameArea* run = shown.changedAreas.empty() ? nullptr : &shown.changedAreas.back();
        if (run && run->bottom == y) {
            run->left = std::min(run->left, left);
            run->right = std::max(run->right, right);
            run->bottom = y + 1;
        } else {
            shown.changedAreas.push_back({left, y, right, y + 1});
        }
    }
    return shown.changedAreas.empty() ? FrameUnchanged : FrameChanged;
}
