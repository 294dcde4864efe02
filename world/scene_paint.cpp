// Painting the recorded scene shapes into pixels. The picture is cut into bands of rows; each band paints every
// shape that reaches it, in recorded order, limited to its own rows, so the bands can run on separate cores
// and still give exactly the pixels of painting the shapes one after another. Only this step runs on more than
// one thread; it reads the recorded shapes and writes nothing but its own rows of the scene.
#include "world/scene_paint.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>
#include <thread>

namespace {

constexpr int BandRows = 128;
constexpr int GroundBlock = 32;

void FillRow(Color* p, int n, Color color)
{
    for (int i = 0; i < n; ++i)
        p[i] = color;
}

// Steps along one side of a rock outline without its end point (the start of the next side), handing every pixel
// of the one-pixel pen to `plot`.
template <class Plot> void WalkSide(CanvasPoint from, CanvasPoint to, Plot plot)
{
    int x = from.x, y = from.y;
    const int dx = std::abs(to.x - x), dy = std::abs(to.y - y);
    const int sx = x < to.x ? 1 : -1, sy = y < to.y ? 1 : -1;
    const int steps = std::max(dx, dy);
    int err = (dx > dy ? dx : -dy) / 2;
    for (int k = 0; k < steps; ++k) {
        plot(x, y);
        int e = err;
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
constexpr int MaxPainters = 8;
constexpr int64_t SharedPaintPixels = 1 << 20;

struct BlotchAngles {
    double sines[8], cosines[8];
    BlotchAngles()
    {
        for (int i = 0; i < 8; ++i) {
            double a = 45.0 * i * std::numbers::pi / 180.0;
            sines[i] = std::sin(a);
            cosines[i] = std::cos(a);
        }
    }
};
const BlotchAngles angles;

struct BandPainter {
    Surface* scene;
    const SceneShapes* shapes;
    const int* groundTop; // first ground row of each column (height when the column has no ground)
    const int* blockHighest; // per block of GroundBlock columns, the least and greatest of groundTop
    const int* blockLowest;
    int top, bottom;      // the band's rows [top, bottom)

    bool Visible(bool clipped, int x, int y) const { return !clipped || y >= groundTop[x]; }
    // The sky's colour moves from its top towards its bottom colour in hundredths; below the surface line the
    // ground's base colour covers it.
    void PaintSkyAndGround() const
    {
        const SceneShapes& s = *shapes;
        const int w = s.width, h = s.height;
        const int top3[3] = {ColorRed(s.skyTop), ColorGreen(s.skyTop), ColorBlue(s.skyTop)};
        const int bottom3[3] = {ColorRed(s.skyBottom), ColorGreen(s.skyBottom), ColorBlue(s.skyBottom)};
        const Color ground = s.groundColors[0];
        for (int y = top; y < bottom; ++y) {
            int f = static_cast<int>(100LL * y / h);
            int c[3];
            for (int i = 0; i < 3; ++i)
                c[i] = top3[i] + f * (bottom3[i] - top3[i]) / 100;
            const Color sky = MakeColor(c[0], c[1], c[2]);
            Color* row = &scene->pixels[size_t(y) * w];
            // Blocks of columns wholly above or below the surface line are plain fills.
            for (int block = 0, x0 = 0; x0 < w; ++block, x0 += GroundBlock) {
                const int x1 = std::min(x0 + GroundBlock, w);
                if (y < blockHighest[block]) {
                    FillRow(row + x0, x1 - x0, sky);
                } else if (y >= blockLowest[block]) {
                    FillRow(row + x0, x1 - x0, ground);
                } else {
                    for (int x = x0; x < x1; ++x)
                        row[x] = y >= groundTop[x] ? ground : sky;
                }
            }
        }
    }

    // The winding-rule interior (pixel centres inside, right and bottom edges left out) and the one-pixel
    // outline, both in the blotch's colour, limited to the band, the scene and, across the surface, the ground.
    void PaintBlotch(const RockBlotch& b) const
    {
        CanvasPoint p[8];
        int yMin = 1 << 30, yMax = -(1 << 30);
        for (int i = 0; i < 8; ++i) {
            int r = b.radius[i];
            p[i] = {static_cast<int>(b.x + angles.sines[i] * r), static_cast<int>(b.y + angles.cosines[i] * r)};
            yMin = std::min(yMin, p[i].y);
            yMax = std::max(yMax, p[i].y);
        }
        const Color color = shapes->groundColors[b.colorIndex];
        const int w = scene->width;
        const bool clipped = b.crossesSurface;

        // The sloped and vertical sides: their rows [lo, hi), and the crossing's numerator at row lo and its growth
        // per row (the crossing is the first column whose centre lies at or right of the side, num / den rounded up).
        struct Side {
            int lo, hi, num, step, den, dir;
            double inverse; // 1 / den
        } sides[8];
        int sideCount = 0;
        for (int i = 0; i < 8; ++i) {
            const CanvasPoint& u = p[i];
            const CanvasPoint& v = p[(i + 1) % 8];
            if (u.y == v.y)
                continue;
            int dy = v.y - u.y, dx = v.x - u.x;
            int lo = std::min(u.y, v.y);
            Side side{lo, std::max(u.y, v.y), 2 * u.x * dy + (2 * lo + 1 - 2 * u.y) * dx - dy, 2 * dx, 2 * dy, 1, 0};
            if (side.den < 0) {
                side.num = -side.num;
                side.step = -side.step;
                side.den = -side.den;
                side.dir = -1;
            }
            side.inverse = 1.0 / side.den;
            sides[sideCount++] = side;
        }
        // Each side drops its crossing into the rows it spans; every row keeps its crossings sorted.
        const int firstRow = std::max(yMin, top), endRow = std::min(yMax, bottom);
        int crossX[2 * MaxBlotchReach + 1][8], crossDir[2 * MaxBlotchReach + 1][8];
        int crossCount[2 * MaxBlotchReach + 1] = {};
        for (int i = 0; i < sideCount; ++i) {
            const Side& e = sides[i];
            for (int y = std::max(e.lo, firstRow); y < std::min(e.hi, endRow); ++y) {
                int num = e.num + (y - e.lo) * e.step;
                // The quotient by multiplication is off by at most one; the remainder puts it right.
                int x = static_cast<int>(num * e.inverse);
                int rest = num - x * e.den;
                if (rest < 0) {
                    --x;
                    rest += e.den;
                } else if (rest >= e.den) {
                    ++x;
                    rest -= e.den;
                }
                x += rest != 0;
                int* xs = crossX[y - firstRow];
                int* dirs = crossDir[y - firstRow];
                int j = crossCount[y - firstRow]++;
                for (; j > 0 && xs[j - 1] > x; --j) {
                    xs[j] = xs[j - 1];
                    dirs[j] = dirs[j - 1];
                }
                xs[j] = x;
                dirs[j] = e.dir;
            }
        }
        for (int y = firstRow; y < endRow; ++y) {
            const int* xs = crossX[y - firstRow];
            const int* dirs = crossDir[y - firstRow];
            const int n = crossCount[y - firstRow];
            Color* row = &scene->pixels[size_t(y) * w];
            int winding = 0, start = 0;
            for (int k = 0; k < n; ++k) {
                int before = winding;
                winding += dirs[k];
                if (before == 0 && winding != 0) {
                    start = xs[k];
                } else if (before != 0 && winding == 0) {
                    const int a = std::max(start, 0), b = std::min(xs[k], w);
                    if (!clipped) {
                        for (int x = a; x < b; ++x)
                            row[x] = color;
                    } else {
                        for (int x = a; x < b; ++x)
                            if (y >= groundTop[x])
                                row[x] = color;
                    }
                }
            }
        }

        // The outline, side by side, each side without its end point (the start of the next side).
        int xMin = p[0].x, xMax = p[0].x;
        for (const CanvasPoint& q : p) {
            xMin = std::min(xMin, q.x);
            xMax = std::max(xMax, q.x);
        }
        if (!clipped && yMin >= top && yMax < bottom && xMin >= 0 && xMax < w) {
            // Wholly inside the band and the scene: no pixel of the outline needs a test.
            for (int i = 0; i < 8; ++i)
                PenLine(p[i], p[(i + 1) % 8], color);
            return;
        }
        for (int i = 0; i < 8; ++i) {
            const CanvasPoint from = p[i], to = p[(i + 1) % 8];
            if ((from.y < top && to.y < top) || (from.y >= bottom && to.y >= bottom))
                continue;
            WalkSide(from, to, [&](int x, int y) {
                if (y >= top && y < bottom && x >= 0 && x < w && Visible(clipped, x, y))
                    scene->pixels[size_t(y) * w + x] = color;
            });
        }
    }

    // One side of the outline without its end point, every pixel known to lie in the band and the scene.
    void PenLine(CanvasPoint from, CanvasPoint to, Color color) const
    {
        const int w = scene->width;
        Color* pixels = scene->pixels.data();
        WalkSide(from, to, [&](int x, int y) { pixels[size_t(y) * w + x] = color; });
    }

    void Paint() const
    {
        PaintSkyAndGround();
        const std::vector<RockBlotch>& all = shapes->blotches;
        int begin = 0;
        for (int end : shapes->passEnd) {
            // Within a pass the blotches come row by row: those near the band form one run.
            auto first = std::lower_bound(all.begin() + begin, all.begin() + end, top - MaxBlotchReach,
                                          [](const RockBlotch& b, int y) { return b.y < y; });
            for (auto it = first; it != all.begin() + end && it->y <= bottom + MaxBlotchReach; ++it)
                PaintBlotch(*it);
            begin = end;
        }
    }
};

} // namespace

int scenePainters = 0;

void PaintSceneShapes(Surface& scene, const SceneShapes& shapes)
{
    const int w = shapes.width, h = shapes.height;
    if (!SurfaceExists(scene) || scene.width != w || scene.height != h)
        return;
    std::vector<int> groundTop(static_cast<size_t>(w));
    for (int x = 0; x < w; ++x) {
        int t = shapes.terrain[x];
        groundTop[size_t(x)] = t <= 0 ? h : std::max(h - t, 0);
    }
    const int blocks = (w + GroundBlock - 1) / GroundBlock;
    std::vector<int> blockHighest(static_cast<size_t>(blocks), h), blockLowest(static_cast<size_t>(blocks), 0);
    for (int x = 0; x < w; ++x) {
        int& highest = blockHighest[size_t(x / GroundBlock)];
        int& lowest = blockLowest[size_t(x / GroundBlock)];
        highest = std::min(highest, groundTop[size_t(x)]);
        lowest = std::max(lowest, groundTop[size_t(x)]);
    }

    const int bands = (h + BandRows - 1) / BandRows;
    std::atomic<int> nextBand{0};
    auto paintBands = [&] {
        for (int band; (band = nextBand.fetch_add(1)) < bands;) {
            BandPainter painter{&scene,       &shapes,         groundTop.data(), blockHighest.data(),
                                blockLowest.data(), band * BandRows, std::min(h, (band + 1) * BandRows)};
            painter.Paint();
        }
    };
    const int cores = scenePainters > 0 ? scenePainters : static_cast<int>(std::thread::hardware_concurrency());
    // A small scene is painted sooner than a helper thread gets going on a busy machine.
    const int helpers = int64_t(w) * h < SharedPaintPixels ? 0 : std::clamp(std::min(cores, bands), 1, MaxPainters) - 1;
    std::vector<std::thread> threads;
    threads.reserve(size_t(helpers));
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back(paintBands);
    paintBands();
    for (std::thread& t : threads)
        t.join();
}
