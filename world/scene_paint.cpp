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

constexpr int BandRows = 64;
constexpr int MaxPainters = 8;

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
            for (int x = 0; x < w; ++x)
                row[x] = y >= groundTop[x] ? ground : sky;
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

        for (int y = std::max(yMin, top); y < std::min(yMax, bottom); ++y) {
            int xs[8], dirs[8], n = 0;
            for (int i = 0; i < 8; ++i) {
                const CanvasPoint& u = p[i];
                const CanvasPoint& v = p[(i + 1) % 8];
                if (u.y == v.y || y < std::min(u.y, v.y) || y >= std::max(u.y, v.y))
                    continue;
                // The first column whose centre lies at or right of the edge on this row's centre line.
                int64_t dy = int64_t(v.y) - u.y, dx = int64_t(v.x) - u.x;
                int64_t num = 2 * int64_t(u.x) * dy + (2 * int64_t(y) + 1 - 2 * int64_t(u.y)) * dx - dy;
                int64_t den = 2 * dy;
                if (den < 0) {
                    num = -num;
                    den = -den;
                }
                int64_t q = num / den; // ceil(num / den)
                if (num % den != 0 && num > 0)
                    ++q;
                int x = static_cast<int>(q), dir = v.y > u.y ? 1 : -1;
                int j = n++;
                for (; j > 0 && xs[j - 1] > x; --j) {
                    xs[j] = xs[j - 1];
                    dirs[j] = dirs[j - 1];
                }
                xs[j] = x;
                dirs[j] = dir;
            }
            Color* row = &scene->pixels[size_t(y) * w];
            int winding = 0, start = 0;
            for (int k = 0; k < n; ++k) {
                int before = winding;
                winding += dirs[k];
                if (before == 0 && winding != 0) {
                    start = xs[k];
                } else if (before != 0 && winding == 0) {
                    for (int x = std::max(start, 0); x < std::min(xs[k], w); ++x)
                        if (Visible(clipped, x, y))
                            row[x] = color;
                }
            }
        }

        // The outline, side by side, each side without its end point (the start of the next side).
        for (int i = 0; i < 8; ++i) {
            int x = p[i].x, y = p[i].y;
            const int x1 = p[(i + 1) % 8].x, y1 = p[(i + 1) % 8].y;
            const int dx = std::abs(x1 - x), dy = std::abs(y1 - y);
            const int sx = x < x1 ? 1 : -1, sy = y < y1 ? 1 : -1;
            const int steps = std::max(dx, dy);
            int err = (dx > dy ? dx : -dy) / 2;
            for (int k = 0; k < steps; ++k) {
                if (y >= top && y < bottom && x >= 0 && x < w && Visible(clipped, x, y))
                    scene->pixels[size_t(y) * w + x] = color;
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

    const int bands = (h + BandRows - 1) / BandRows;
    std::atomic<int> nextBand{0};
    auto paintBands = [&] {
        for (int band; (band = nextBand.fetch_add(1)) < bands;) {
            BandPainter painter{&scene, &shapes, groundTop.data(), band * BandRows, std::min(h, (band + 1) * BandRows)};
            painter.Paint();
        }
    };
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    const int helpers = std::clamp(std::min(cores, bands), 1, MaxPainters) - 1;
    std::vector<std::thread> threads;
    threads.reserve(size_t(helpers));
    for (int i = 0; i < helpers; ++i)
        threads.emplace_back(paintBands);
    paintBands();
    for (std::thread& t : threads)
        t.join();
}
