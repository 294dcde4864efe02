// Surfaces, fills, copies and stretches of the 2-D canvas. Polygons and regions live in region.cpp, text in text.cpp.
#include "gfx/canvas.h"
#include "gfx/canvas_internal.h"

#include <algorithm>
#include <cstring>

void CreateSurface(Surface& s, int width, int height)
{
    if (width <= 0 || height <= 0) {
        ReleaseSurface(s);
        return;
    }
    s.width = width;
    s.height = height;
    s.pixels.assign(size_t(width) * size_t(height), 0);
    s.clip = nullptr;
}

void ReleaseSurface(Surface& s)
{
    s.width = 0;
    s.height = 0;
    std::vector<Color>().swap(s.pixels);
    s.clip = nullptr;
}

bool SurfaceExists(const Surface& s)
{
    return s.width > 0 && s.height > 0 && s.pixels.size() == size_t(s.width) * size_t(s.height);
}

void FillRect(Surface& s, int left, int top, int right, int bottom, Color color)
{
    if (!SurfaceExists(s))
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, s.width);
    bottom = std::min(bottom, s.height);
    if (left >= right || top >= bottom)
        return;
    for (int y = top; y < bottom; ++y) {
        Color* row = &s.pixels[size_t(y) * s.width];
        ForEachVisibleSpan(s, y, left, right, [&](int a, int b) { FillPixels(row + a, b - a, color); });
    }
}

void CopySurface(Surface& dst, int dx, int dy, const Surface& src, int sx, int sy, int w, int h)
{
    if (!SurfaceExists(dst) || !SurfaceExists(src) || w <= 0 || h <= 0)
        return;
    // Trim the rectangle to the source, then to the destination (in 64 bits: the corners may be anywhere).
    int64_t x0 = sx, y0 = sy, x1 = dx, y1 = dy, cw = w, ch = h;
    if (x0 < 0) { cw += x0; x1 -= x0; x0 = 0; }
    if (y0 < 0) { ch += y0; y1 -= y0; y0 = 0; }
    if (x1 < 0) { cw += x1; x0 -= x1; x1 = 0; }
    if (y1 < 0) { ch += y1; y0 -= y1; y1 = 0; }
    cw = std::min({cw, src.width - x0, dst.width - x1});
    ch = std::min({ch, src.height - y0, dst.height - y1});
    if (cw <= 0 || ch <= 0)
        return;
    sx = int(x0), sy = int(y0), dx = int(x1), dy = int(y1), w = int(cw), h = int(ch);

    // A copy within one surface may overlap itself: take the source rows from a snapshot.
    std::vector<Color> snapshot;
    const Color* base = src.pixels.data();
    int stride = src.width;
    if (&dst == &src) {
        snapshot.resize(size_t(w) * h);
        for (int r = 0; r < h; ++r)
            std::memcpy(&snapshot[size_t(r) * w], &src.pixels[size_t(sy + r) * src.width + sx], size_t(w) * sizeof(Color));
        base = snapshot.data();
        stride = w;
        sx = 0;
        sy = 0;
    }
    if (!dst.clip && w == stride && w == dst.width) {
        // Whole rows on both sides: one block.
        std::memcpy(&dst.pixels[size_t(dy) * dst.width], base + size_t(sy) * stride, size_t(w) * h * sizeof(Color));
        return;
    }
    for (int r = 0; r < h; ++r) {
        const Color* from = base + size_t(sy + r) * stride + sx;
        Color* to = &dst.pixels[size_t(dy + r) * dst.width + dx];
        if (!dst.clip) {
            std::memcpy(to, from, size_t(w) * sizeof(Color));
            continue;
        }
        ForEachVisibleSpan(dst, dy + r, dx, dx + w, [&](int a, int b) {
            std::memcpy(to + (a - dx), from + (a - dx), size_t(b - a) * sizeof(Color));
        });
    }
}

namespace {

// One axis of a nearest-pixel stretch: destination cell i of `dstLength` samples the source cell under its
// centre, so a growing picture keeps its end pixels at the ends and a shrinking one samples the middle of
// each group of source pixels. Fills `map` with the source index of every destination index in
// [first, last) that lands on the destination (0..dstLimit-1) and on the source (0..srcLimit-1); the range
// is contiguous because the mapping never decreases.
struct AxisMap {
    int first = 0, last = 0; // destination range (absolute coordinates)
};

inline int64_t SampleSource(int srcStart, int srcLength, int dstStart, int dstLength, int x)
{
    int64_t i = int64_t(x) - dstStart;
    return srcStart + ((2 * i + 1) * srcLength) / (2 * int64_t(dstLength));
}

AxisMap MapAxis(int dstStart, int dstLength, int dstLimit, int srcStart, int srcLength, int srcLimit,
                std::vector<int>& map)
{
    AxisMap m;
    int lo = std::max(dstStart, 0);
    int hi = int(std::min<int64_t>(int64_t(dstStart) + dstLength, dstLimit));
    map.clear();
    if (lo >= hi)
        return m;
    // Skip destination cells whose source lies before the source's start or past its end.
    while (lo < hi && SampleSource(srcStart, srcLength, dstStart, dstLength, lo) < 0)
        ++lo;
    while (hi > lo && SampleSource(srcStart, srcLength, dstStart, dstLength, hi - 1) >= srcLimit)
        --hi;
    map.resize(size_t(std::max(hi - lo, 0)));
    for (int x = lo; x < hi; ++x)
        map[size_t(x - lo)] = int(SampleSource(srcStart, srcLength, dstStart, dstLength, x));
    m.first = lo;
    m.last = hi;
    return m;
}

Surface UnclippedCopy(const Surface& s)
{
    Surface copy;
    copy.width = s.width;
    copy.height = s.height;
    copy.pixels = s.pixels;
    return copy;
}

std::vector<int> columnMap, rowMap; // kept between frames so the stretch allocates nothing

// A growing row as runs: source pixel first + j fills runLength[j] consecutive destination pixels.
struct RowRuns {
    int first = 0;       // source column of the first run
    int longest = 0;     // the longest run; 0 when the row shrinks somewhere (a source column is skipped)
    int step = 0;        // for a shrinking row whose source columns are evenly spaced, their spacing
    int safeRuns = 0;    // runs that may write `longest` pixels without passing the row's end
    std::vector<uint8_t> runLength;
};
RowRuns rowRuns;

void MakeRowRuns(const std::vector<int>& map, RowRuns& runs)
{
    runs.runLength.clear();
    runs.longest = 0;
    runs.safeRuns = 0;
    runs.step = 0;
    if (map.empty())
        return;
    runs.first = map[0];
    if (map.size() > 1 && map[1] - map[0] > 1) {
        runs.step = map[1] - map[0];
        for (size_t i = 2; i < map.size() && runs.step; ++i)
            if (map[i] - map[i - 1] != runs.step)
                runs.step = 0;
    }
    int length = 1;
    for (size_t i = 1; i <= map.size(); ++i) {
        if (i < map.size() && map[i] == map[i - 1] && length < 255) {
            ++length;
            continue;
        }
        if (i < map.size() && map[i] != map[i - 1] + 1) {
            runs.longest = 0; // a skipped source column: not a growing row
            runs.runLength.clear();
            return;
        }
        runs.runLength.push_back(uint8_t(length));
        runs.longest = std::max(runs.longest, length);
        length = 1;
    }
    int end = 0, width = int(map.size());
    for (uint8_t l : runs.runLength) {
        if (end + runs.longest > width)
            break;
        end += l;
        ++runs.safeRuns;
    }
}

// Writes every run as `kLongest` copies and moves on by the run's true length: the surplus copies are
// overwritten by the next run, which keeps the loop free of branches. The last runs are written exactly.
template <int kLongest>
void CopyRuns(Color* to, const Color* from, const RowRuns& runs)
{
    const uint8_t* length = runs.runLength.data();
    const int count = int(runs.runLength.size());
    from += runs.first;
    int j = 0;
    for (; j < runs.safeRuns; ++j) {
        Color c = from[j];
        for (int k = 0; k < kLongest; ++k)
            to[k] = c;
        to += length[j];
    }
    for (; j < count; ++j) {
        Color c = from[j];
        for (int k = 0; k < length[j]; ++k)
            to[k] = c;
        to += length[j];
    }
}

} // namespace

void StretchCopy(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh)
{
    if (!SurfaceExists(dst) || !SurfaceExists(src) || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    if (&dst == &src) {
        // Stretching a surface onto itself would read what it writes: stretch from a copy.
        StretchCopy(dst, dx, dy, dw, dh, UnclippedCopy(src), sx, sy, sw, sh);
        return;
    }
    if (dw == sw && dh == sh) {
        // Each destination pixel samples the source pixel at the same offset: a plain copy, without maps.
        CopySurface(dst, dx, dy, src, sx, sy, sw, sh);
        return;
    }
    AxisMap cols = MapAxis(dx, dw, dst.width, sx, sw, src.width, columnMap);
    AxisMap rows = MapAxis(dy, dh, dst.height, sy, sh, src.height, rowMap);
    if (cols.first >= cols.last || rows.first >= rows.last)
        return;
    const int width = cols.last - cols.first;
    const int* map = columnMap.data();
    if (!dst.clip)
        MakeRowRuns(columnMap, rowRuns);
    int previousSource = -1;
    for (int y = rows.first; y < rows.last; ++y) {
        int sourceRow = rowMap[size_t(y - rows.first)];
        const Color* from = &src.pixels[size_t(sourceRow) * src.width];
        Color* to = &dst.pixels[size_t(y) * dst.width + cols.first];
        if (!dst.clip) {
            if (sourceRow == previousSource) {
                // The same source row as the destination row above: copy that finished row.
                std::memcpy(to, to - dst.width, size_t(width) * sizeof(Color));
            } else if (rowRuns.longest == 1) {
                std::memcpy(to, from + rowRuns.first, size_t(width) * sizeof(Color));
            } else if (rowRuns.longest == 2) {
                CopyRuns<2>(to, from, rowRuns);
            } else if (rowRuns.longest == 3) {
                CopyRuns<3>(to, from, rowRuns);
            } else if (rowRuns.longest == 4) {
                CopyRuns<4>(to, from, rowRuns);
            } else if (rowRuns.step > 1) {
                from += rowRuns.first;
                const int step = rowRuns.step;
                for (int i = 0; i < width; ++i)
                    to[i] = from[step * i];
            } else {
                for (int i = 0; i < width; ++i)
                    to[i] = from[map[i]];
            }
            previousSource = sourceRow;
            continue;
        }
        ForEachVisibleSpan(dst, y, cols.first, cols.last, [&](int a, int b) {
            for (int x = a; x < b; ++x)
                to[x - cols.first] = from[map[x - cols.first]];
        });
    }
}

void CopyTransparent(Surface& dst, int dx, int dy, int dw, int dh, const Surface& src, int sx, int sy, int sw, int sh)
{
    if (!SurfaceExists(dst) || !SurfaceExists(src) || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    if (&dst == &src) {
        CopyTransparent(dst, dx, dy, dw, dh, UnclippedCopy(src), sx, sy, sw, sh);
        return;
    }
    std::vector<int> cmap, rmap;
    AxisMap cols = MapAxis(dx, dw, dst.width, sx, sw, src.width, cmap);
    AxisMap rows = MapAxis(dy, dh, dst.height, sy, sh, src.height, rmap);
    for (int y = rows.first; y < rows.last; ++y) {
        const Color* from = &src.pixels[size_t(rmap[size_t(y - rows.first)]) * src.width];
        Color* to = &dst.pixels[size_t(y) * dst.width];
        ForEachVisibleSpan(dst, y, cols.first, cols.last, [&](int a, int b) {
            for (int x = a; x < b; ++x) {
                Color c = from[cmap[size_t(x - cols.first)]];
                if (c != 0)
                    to[x] = c;
            }
        });
    }
}

Color GetPixel(const Surface& s, int x, int y)
{
    if (!SurfaceExists(s) || x < 0 || y < 0 || x >= s.width || y >= s.height)
        return ColorInvalid;
    return s.pixels[size_t(y) * s.width + x];
}

void SetPixel(Surface& s, int x, int y, Color color)
{
    if (!SurfaceExists(s) || x < 0 || y < 0 || x >= s.width || y >= s.height)
        return;
    if (s.clip && !RegionContains(*s.clip, x, y))
        return;
    s.pixels[size_t(y) * s.width + x] = color;
}
