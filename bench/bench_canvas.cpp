// Canvas speed: the per-frame stretch into the window picture (against pixman's nearest-neighbour scaling
// of the same pictures, measured in the same run), a full-frame fill and a full-frame copy.
#include "gfx/canvas.h"
#include "render/rotate.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

namespace {

Surface Picture(int width, int height)
{
    Surface s;
    CreateSurface(s, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s.pixels[size_t(y) * width + x] = Color((x * 7 + y * 13) & 0xFFFFFF);
    return s;
}

// Arguments: source width, source height, destination width, destination height.
void StretchArgs(benchmark::internal::Benchmark* b)
{
    b->Args({640, 480, 960, 720});    // best fit of the default playfield in a 1280 x 720 window
    b->Args({1024, 768, 1440, 1080}); // best fit of a large playfield in a 1920 x 1080 screen
    b->Args({640, 480, 1280, 960});   // 2x
    b->Args({640, 480, 320, 240});    // 1/2x
    b->Args({640, 480, 640, 480});    // 1x
    b->Args({1024, 768, 800, 600});   // best fit of a large playfield in a smaller window
    b->Args({640, 480, 1280, 720});   // the whole window, uneven
}

void BM_StretchCopy(benchmark::State& state)
{
    int sw = int(state.range(0)), sh = int(state.range(1)), dw = int(state.range(2)), dh = int(state.range(3));
    Surface src = Picture(sw, sh);
    Surface dst;
    CreateSurface(dst, dw, dh);
    for (auto _ : state) {
        StretchCopy(dst, 0, 0, dw, dh, src, 0, 0, sw, sh);
        benchmark::DoNotOptimize(dst.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(dw) * dh);
}
BENCHMARK(BM_StretchCopy)->Apply(StretchArgs);

void BM_PixmanNearestStretch(benchmark::State& state)
{
    int sw = int(state.range(0)), sh = int(state.range(1)), dw = int(state.range(2)), dh = int(state.range(3));
    Surface src = Picture(sw, sh);
    Surface dst;
    CreateSurface(dst, dw, dh);
    pixman_image_t* from = pixman_image_create_bits(PIXMAN_x8r8g8b8, sw, sh, src.pixels.data(), sw * 4);
    pixman_image_t* to = pixman_image_create_bits(PIXMAN_x8r8g8b8, dw, dh, dst.pixels.data(), dw * 4);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(sw) / dw), pixman_double_to_fixed(double(sh) / dh));
    pixman_image_set_transform(from, &scale);
    pixman_image_set_filter(from, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, from, nullptr, to, 0, 0, 0, 0, 0, 0, dw, dh);
        benchmark::DoNotOptimize(dst.pixels.data());
        benchmark::ClobberMemory();
    }
    pixman_image_unref(from);
    pixman_image_unref(to);
    state.SetItemsProcessed(state.iterations() * int64_t(dw) * dh);
}
BENCHMARK(BM_PixmanNearestStretch)->Apply(StretchArgs);

void BM_FillRectFullFrame(benchmark::State& state)
{
    Surface s;
    CreateSurface(s, 1024, 768);
    Color c = 0;
    for (auto _ : state) {
        FillRect(s, 0, 0, 1024, 768, ++c);
        benchmark::DoNotOptimize(s.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_FillRectFullFrame);

void BM_CopySurfaceFullFrame(benchmark::State& state)
{
    Surface src = Picture(1024, 768);
    Surface dst;
    CreateSurface(dst, 1024, 768);
    for (auto _ : state) {
        CopySurface(dst, 0, 0, src, 0, 0, 1024, 768);
        benchmark::DoNotOptimize(dst.pixels.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_CopySurfaceFullFrame);

} // namespace

namespace {

// The background's rock texture: thousands of small octagons clipped to a jagged ground outline.
void BM_RockBlotchesOnGround(benchmark::State& state)
{
    const int width = 1024, height = 768;
    std::vector<CanvasPoint> outline{{0, height}};
    for (int x = 0; x < width; ++x) {
        int ground = 300 + ((x * 37) % 23) - ((x * 11) % 17);
        outline.push_back({x, height - ground});
        outline.push_back({x + 1, height - ground});
    }
    outline.push_back({width, height});
    Region ground;
    RegionFromPolygon(ground, outline.data(), int(outline.size()));
    Surface s;
    CreateSurface(s, width, height);
    s.clip = &ground;
    int n = 0;
    for (auto _ : state) {
        n = 0;
        for (int y = 0; y < height; y += 8)
            for (int x = 0; x < width; x += 8) {
                CanvasPoint blotch[8];
                for (int i = 0; i < 8; ++i) {
                    int r = (x * 3 + y * 5 + i * 7) % 4;
                    blotch[i] = {x + (i % 4 - 1) * r, y + (i / 2 % 3 - 1) * r};
                }
                FillPolygon(s, blotch, 8, Color(n), Color(n));
                ++n;
            }
        benchmark::DoNotOptimize(s.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_RockBlotchesOnGround);

} // namespace

namespace {

// Start-up preparation of the turned pictures: six 43 x 43 pictures at 60 angles.
void BM_TurnCraftAndFlamePictures(benchmark::State& state)
{
    Surface source = Picture(43, 43);
    Surface turned;
    CreateSurface(turned, 43, 43);
    for (auto _ : state) {
        for (int picture = 0; picture < 6; ++picture)
            for (int angle = -90; angle < 90; angle += 3)
                RotateSprite(&turned, 21, 21, &source, 43, 43, angle);
        benchmark::DoNotOptimize(turned.pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * 360);
}
BENCHMARK(BM_TurnCraftAndFlamePictures);

} // namespace
