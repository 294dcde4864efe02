// Regions (rectangle, ellipse, winding-rule polygon, union) and filled, outlined polygons.
#include "gfx/canvas.h"
#include "gfx/canvas_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

// Rows further out than this are dropped: no surface of the game is that large, and it keeps a stray
// vertex from asking for millions of empty rows.
constexpr int kRowLimit = 1 << 16;
constexpr int kCoordinateLimit = 1 << 24;

int64_t FloorDiv(int64_t n, int64_t d) // d > 0
{
    int64_t q = n / d;
    return (n % d != 0 && n < 0) ? q - 1 : q;
}

int ClampToInt(int64_t v)
{
    return int(std::clamp<int64_t>(v, -(int64_t(1) << 30), int64_t(1) << 30));
}

struct Crossing {
    int x;   // first pixel column whose centre lies at or right of the edge
    int dir; // +1 for an edge going down, -1 going up
};

// Appends span [a, b) to the row being built, merging it with the previous span when they touch.
void AppendSpan(Region& r, int rowFirstSpan, int a, int b)
{
    if (a >= b)
        return;
    int n = int(r.spans.size()) / 2;
    if (n > rowFirstSpan && r.spans[2 * n - 1] >= a) {
        r.spans[2 * n - 1] = std::max(r.spans[2 * n - 1], b);
        return;
    }
    r.spans.push_back(a);
    r.spans.push_back(b);
}

void ClearRegion(Region& r, int top, int rows)
{
    r.top = top;
    r.rowStart.assign(size_t(rows) + 1, 0);
    r.spans.clear();
}

// Limits the box's rows to the usable range; false (with `r` made empty) when nothing is left.
bool LimitBox(Region& r, int left, int& top, int right, int& bottom)
{
    top = std::max(top, -kRowLimit);
    bottom = std::min(bottom, kRowLimit);
    if (left < right && top < bottom)
        return true;
    ClearRegion(r, 0, 0);
    return false;
}

std::vector<int> crossingCount;    // scratch, kept between calls
std::vector<CanvasPoint> clampedPoints; // scratch, kept between calls
std::vector<int> crossingFill;     // scratch, kept between calls
std::vector<Crossing> crossings;   // scratch, kept between calls

} // namespace

// Scan lines run through pixel centres: a pixel is inside when its centre is, and a centre exactly on a
// left edge counts as inside while one on a right edge does not, so the right and bottom boundaries are
// left out and two polygons sharing an edge never both claim its pixels.
void PolygonSpans(Region& r, const CanvasPoint* original, int count)
{
    ClearRegion(r, 0, 0);
    if (!original || count < 3)
        return;
    // Vertices are held within +-2^24 so the exact edge arithmetic below cannot overflow.
    clampedPoints.resize(size_t(count));
    for (int i = 0; i < count; ++i)
        clampedPoints[size_t(i)] = {std::clamp(original[i].x, -kCoordinateLimit, kCoordinateLimit),
                                    std::clamp(original[i].y, -kCoordinateLimit, kCoordinateLimit)};
    const CanvasPoint* points = clampedPoints.data();
    int yMin = points[0].y, yMax = points[0].y;
    for (int i = 1; i < count; ++i) {
        yMin = std::min(yMin, points[i].y);
        yMax = std::max(yMax, points[i].y);
    }
    yMin = std::max(yMin, -kRowLimit);
    yMax = std::min(yMax, kRowLimit);
    if (yMin >= yMax)
        return;
    const int rows = yMax - yMin;

    crossingCount.assign(size_t(rows) + 1, 0);
    for (int i = 0; i < count; ++i) {
        const CanvasPoint& p = points[i];
        const CanvasPoint& q = points[(i + 1) % count];
        if (p.y == q.y)
            continue;
        int a = std::max(std::min(p.y, q.y), yMin), b = std::min(std::max(p.y, q.y), yMax);
        for (int y = a; y < b; ++y)
            ++crossingCount[size_t(y - yMin) + 1];
    }
    for (int i = 0; i < rows; ++i)
        crossingCount[size_t(i) + 1] += crossingCount[size_t(i)];
    crossings.resize(size_t(crossingCount[size_t(rows)]));
    crossingFill.assign(crossingCount.begin(), crossingCount.end() - 1);
    int* fill = crossingFill.data();
    for (int i = 0; i < count; ++i) {
        const CanvasPoint& p = points[i];
        const CanvasPoint& q = points[(i + 1) % count];
        if (p.y == q.y)
            continue;
        int dir = q.y > p.y ? 1 : -1;
        int64_t dy = int64_t(q.y) - p.y, dx = int64_t(q.x) - p.x;
        int a = std::max(std::min(p.y, q.y), yMin), b = std::min(std::max(p.y, q.y), yMax);
        for (int y = a; y < b; ++y) {
            // Edge column at the row's centre line, minus half a pixel, rounded up: x = ceil(N / D).
            int64_t n = 2 * int64_t(p.x) * dy + (2 * int64_t(y) + 1 - 2 * int64_t(p.y)) * dx - dy;
            int64_t d = 2 * dy;
            if (d < 0) {
                n = -n;
                d = -d;
            }
            int64_t x = -FloorDiv(-n, d);
            crossings[size_t(fill[y - yMin]++)] = Crossing{ClampToInt(x), dir};
        }
    }

    ClearRegion(r, yMin, rows);
    for (int row = 0; row < rows; ++row) {
        int rowFirstSpan = int(r.spans.size()) / 2;
        r.rowStart[size_t(row)] = rowFirstSpan;
        Crossing* first = crossings.data() + crossingCount[size_t(row)];
        Crossing* last = crossings.data() + crossingCount[size_t(row) + 1];
        std::sort(first, last, [](const Crossing& u, const Crossing& v) { return u.x < v.x; });
        int winding = 0, start = 0;
        for (Crossing* c = first; c != last; ++c) {
            int before = winding;
            winding += c->dir;
            if (before == 0 && winding != 0)
                start = c->x;
            else if (before != 0 && winding == 0)
                AppendSpan(r, rowFirstSpan, start, c->x);
        }
    }
    r.rowStart[size_t(rows)] = int(r.spans.size()) / 2;
}

void RegionFromRect(Region& r, int left, int top, int right, int bottom)
{
    if (!LimitBox(r, left, top, right, bottom))
        return;
    int rows = bottom - top;
    ClearRegion(r, top, rows);
    r.spans.reserve(size_t(rows) * 2);
    for (int i = 0; i < rows; ++i) {
        r.rowStart[size_t(i)] = i;
        r.spans.push_back(left);
        r.spans.push_back(right);
    }
    r.rowStart[size_t(rows)] = rows;
}

// A pixel belongs to the ellipse when its centre lies inside the ellipse inscribed in the box.
void RegionFromEllipse(Region& r, int left, int top, int right, int bottom)
{
    if (!LimitBox(r, left, top, right, bottom))
        return;
    double cx = (double(left) + right) / 2, cy = (double(top) + bottom) / 2;
    double rx = (double(right) - left) / 2, ry = (double(bottom) - top) / 2;
    int rows = bottom - top;
    ClearRegion(r, top, rows);
    for (int i = 0; i < rows; ++i) {
        r.rowStart[size_t(i)] = int(r.spans.size()) / 2;
        double v = (top + i + 0.5 - cy) / ry;
        double t = 1 - v * v;
        if (t < 0)
            continue;
        double half = rx * std::sqrt(t);
        // Columns whose centre x + 0.5 lies within [cx - half, cx + half].
        int a = int(std::ceil(cx - half - 0.5));
        int b = int(std::floor(cx + half - 0.5)) + 1;
        a = std::max(a, left);
        b = std::min(b, right);
        if (a < b) {
            r.spans.push_back(a);
            r.spans.push_back(b);
        }
    }
    r.rowStart[size_t(rows)] = int(r.spans.size()) / 2;
}

void RegionFromPolygon(Region& r, const CanvasPoint* points, int count)
{
    PolygonSpans(r, points, count);
}

void RegionUnion(Region& out, const Region& a, const Region& b)
{
    int rowsA = RegionRows(a), rowsB = RegionRows(b);
    if (rowsA == 0 && rowsB == 0) {
        ClearRegion(out, 0, 0);
        return;
    }
    int top = rowsA == 0 ? b.top : rowsB == 0 ? a.top : std::min(a.top, b.top);
    int bottom = rowsA == 0 ? b.top + rowsB : rowsB == 0 ? a.top + rowsA : std::max(a.top + rowsA, b.top + rowsB);
    Region result; // built aside, so `out` may be `a` or `b`
    ClearRegion(result, top, bottom - top);
    for (int y = top; y < bottom; ++y) {
        int rowFirstSpan = int(result.spans.size()) / 2;
        result.rowStart[size_t(y - top)] = rowFirstSpan;
        int i = 0, iEnd = 0, j = 0, jEnd = 0;
        if (y - a.top >= 0 && y - a.top < rowsA) {
            i = a.rowStart[size_t(y - a.top)];
            iEnd = a.rowStart[size_t(y - a.top) + 1];
        }
        if (y - b.top >= 0 && y - b.top < rowsB) {
            j = b.rowStart[size_t(y - b.top)];
            jEnd = b.rowStart[size_t(y - b.top) + 1];
        }
        // Merge the two sorted span lists, joining spans that overlap or touch.
        while (i < iEnd || j < jEnd) {
            bool takeA = j >= jEnd || (i < iEnd && a.spans[size_t(2 * i)] <= b.spans[size_t(2 * j)]);
            int s0, s1;
            if (takeA) {
                s0 = a.spans[size_t(2 * i)];
                s1 = a.spans[size_t(2 * i + 1)];
                ++i;
            } else {
                s0 = b.spans[size_t(2 * j)];
                s1 = b.spans[size_t(2 * j + 1)];
                ++j;
            }
            AppendSpan(result, rowFirstSpan, s0, s1);
        }
    }
    result.rowStart[size_t(bottom - top)] = int(result.spans.size()) / 2;
    out = std::move(result);
}

bool RegionContains(const Region& r, int x, int y)
{
    int row = y - r.top;
    if (row < 0 || row >= RegionRows(r))
        return false;
    int lo = r.rowStart[size_t(row)], hi = r.rowStart[size_t(row) + 1];
    // Last span starting at or before x.
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (r.spans[size_t(2 * mid)] <= x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo > r.rowStart[size_t(row)] && x < r.spans[size_t(2 * lo - 1)];
}

namespace {

// A one-pixel line from (x0, y0) towards (x1, y1), leaving out the end point (it is the start of the
// next side of a polygon). Pixels off the surface or outside its clip are skipped.
void DrawPenLine(Surface& s, int x0, int y0, int x1, int y1, Color pen)
{
    // A side entirely off the surface draws nothing.
    if ((x0 < 0 && x1 < 0) || (y0 < 0 && y1 < 0) || (x0 >= s.width && x1 >= s.width) ||
        (y0 >= s.height && y1 >= s.height))
        return;
    int64_t dx = std::llabs(int64_t(x1) - x0), dy = std::llabs(int64_t(y1) - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int64_t steps = std::max(dx, dy);
    int64_t err = (dx > dy ? dx : -dy) / 2;
    int x = x0, y = y0;
    for (int64_t i = 0; i < steps; ++i) {
        SetPixel(s, x, y, pen);
        int64_t e = err;
        if (e > -dx) {
            err -= dy;
            x += sx;
        }
        if (e < dy) {
            err += dx;
            y += sy;
        }
    }
}

Region polygonScratch; // kept between calls: the rock texture fills thousands of small polygons

} // namespace

void FillPolygon(Surface& s, const CanvasPoint* points, int count, Color fill, Color pen)
{
    if (!SurfaceExists(s) || !points || count < 2)
        return;
    PolygonSpans(polygonScratch, points, count);
    const Region& r = polygonScratch;
    int rows = RegionRows(r);
    int first = std::max(0, -r.top), last = std::min(rows, s.height - r.top);
    for (int row = first; row < last; ++row) {
        int y = r.top + row;
        Color* line = &s.pixels[size_t(y) * s.width];
        for (int i = r.rowStart[size_t(row)]; i < r.rowStart[size_t(row) + 1]; ++i) {
            int a = std::max(r.spans[size_t(2 * i)], 0), b = std::min(r.spans[size_t(2 * i + 1)], s.width);
            if (a < b)
                ForEachVisibleSpan(s, y, a, b, [&](int u, int v) { FillPixels(line + u, v - u, fill); });
        }
    }
    for (int i = 0; i < count; ++i) {
        const CanvasPoint& p = points[i];
        const CanvasPoint& q = points[(i + 1) % count];
        DrawPenLine(s, p.x, p.y, q.x, q.y, pen);
    }
}
