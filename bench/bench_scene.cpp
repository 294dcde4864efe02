// The background scene against a plain fill of a surface of the same size, measured in the same run: painted
// as the game does (on every core) and by one thread alone. Compare BM_DrawBackgroundScene/W/H and
// BM_DrawBackgroundSceneOneCore/W/H with BM_SceneSizedFill/W/H.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

#include "sim/options.h"
#include "gfx/canvas.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/scene_paint.h"
#include "world/world.h"

namespace {

// The world's tables of one seed at the given size (the scene is drawn from them in the timed loop).
void MakeWorld(int width, int height)
{
    SetDefaultOptions();
    gameOptions.gameWidth = width;
    gameOptions.gameHeight = height;
    SeedRandom(7);
    ResetRound();
    std::memset(TerrainProfile, 0, sizeof TerrainProfile);
    terrainStepBias = 1;
    PlacePlatforms();
    GenerateTerrain();
    PlaceStars();
}

void DrawScene(benchmark::State& state, int painters)
{
    MakeWorld(int(state.range(0)), int(state.range(1)));
    scenePainters = painters;
    const RandomSnapshot world = SaveRandom();
    for (auto _ : state) {
        RestoreRandom(world);
        ReleaseBackgroundScene();
        DrawBackgroundScene();
        benchmark::ClobberMemory();
    }
    scenePainters = 0;
    ReleaseBackgroundScene();
}

void BM_DrawBackgroundScene(benchmark::State& state)
{
    DrawScene(state, 0);
}
BENCHMARK(BM_DrawBackgroundScene)->Args({1024, 768})->Args({5000, 5000})->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DrawBackgroundSceneOneCore(benchmark::State& state)
{
    DrawScene(state, 1);
}
BENCHMARK(BM_DrawBackgroundSceneOneCore)->Args({1024, 768})->Args({5000, 5000})->Unit(benchmark::kMillisecond);

// The baseline: one colour over the whole of a surface of the scene's size.
void BM_SceneSizedFill(benchmark::State& state)
{
    Surface s;
    CreateSurface(s, int(state.range(0)), int(state.range(1)));
    Color c = 0;
    for (auto _ : state) {
        FillRect(s, 0, 0, s.width, s.height, ++c);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SceneSizedFill)->Args({1024, 768})->Args({5000, 5000})->Unit(benchmark::kMillisecond);

} // namespace
