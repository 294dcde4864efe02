// Helpers shared by the canvas's own source files (not for the rest of the game).
#pragma once
#include "gfx/canvas.h"

#include <algorithm>
#include <cstring>

inline int RegionRows(const Region& r)
{
    return r.rowStart.empty() ? 0 : int(r.rowStart.size()) - 1;
}

// Calls fn(a, b) for every part [a, b) of row y's columns [x0, x1) that the surface's clip lets through.
// The caller has already limited y and [x0, x1) to the surface.
template <class F>
inline void ForEachVisibleSpan(const Surface& s, int y, int x0, int x1, F&& fn)
{
    if (!s.clip) {
        fn(x0, x1);
        return;
    }
    const Region& r = *s.clip;
    int row = y - r.top;
    if (row < 0 || row >= RegionRows(r))
        return;
    // Skip, by halving, the spans that end at or before x0 (a jagged ground outline has hundreds per row).
    int i = r.rowStart[row], end = r.rowStart[row + 1];
    for (int count = end - i; count > 0;) {
        int half = count / 2;
        if (r.spans[2 * (i + half) + 1] <= x0) {
            i += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    for (; i < end; ++i) {
        int a = r.spans[2 * i], b = r.spans[2 * i + 1];
        if (a >= x1)
            break;
        a = std::max(a, x0);
        b = std::min(b, x1);
        if (a < b)
            fn(a, b);
    }
}

// Sets n pixels to `color`. Copies whole 64-byte blocks of a prepared pattern, which compilers turn into wide
// stores; a plain loop of single pixels runs at a third of the speed at the optimisation level of the build.
inline void FillPixels(Color* p, int n, Color color)
{
    constexpr int kBlock = 16;
    if (n >= kBlock) {
        Color pattern[kBlock];
        for (Color& c : pattern)
            c = color;
        for (; n >= kBlock; n -= kBlock, p += kBlock)
            std::memcpy(p, pattern, sizeof pattern);
    }
    for (int i = 0; i < n; ++i)
        p[i] = color;
}

// The pixel spans of a polygon filled by the winding rule (interior only, right and bottom edges excluded).
void PolygonSpans(Region& r, const CanvasPoint* points, int count);
