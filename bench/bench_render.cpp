// Painting speed: whole frames into the window picture and loading the pictures (the scene: bench_scene.cpp).
#include <benchmark/benchmark.h>

#include "sim/options.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

// A fresh world of the given playfield size with the craft in mid-air, its engine and a jet burning.
void SetUpFlight(int width, int height, int clientWidth, int clientHeight)
{
    HeadlessReset();
    PlatformCreateMainWindow("Dravolinex");
    HeadlessSetClientSize(clientWidth, clientHeight);
    InitMeteorLock();
    SetDefaultOptions();
    gameOptions.gameWidth = width;
    gameOptions.gameHeight = height;
    gameOptions.zoom = 0;
    gameOptions.planet = 2;
    gameOptions.visibility = 0;
    SeedRandom(7);
    LoadGraphics();
    ReleaseBackgroundScene();
    ResetRound();
    RegenerateWorld();
    gameState.halted = false;
    gameState.craft.x = width / 3.0;
    gameState.craft.y = height * 0.7;
    gameState.craft.mainEngineOn = gameState.craft.jetLeftOn = true;
}

// Pictures and scene go before the program ends, while their owners still hold them.
void TearDownFlight()
{
    ReleaseGraphics();
    ReleaseBackgroundScene();
}

// Arguments: playfield width, height, window client width, height (best fit).
void FrameArgs(benchmark::internal::Benchmark* b)
{
    b->Args({640, 480, 1280, 720});
    b->Args({1024, 768, 1920, 1080});
}

void BM_ComposeClientPicture(benchmark::State& state)
{
    int cw = int(state.range(2)), ch = int(state.range(3));
    SetUpFlight(int(state.range(0)), int(state.range(1)), cw, ch);
    Surface client;
    for (auto _ : state) {
        ComposeClientPicture(client, cw, ch, false);
        benchmark::DoNotOptimize(client.pixels.data());
        benchmark::ClobberMemory();
    }
    TearDownFlight();
}
BENCHMARK(BM_ComposeClientPicture)->Apply(FrameArgs)->Unit(benchmark::kMicrosecond);

// The same with the flight recorder and the hand-over to the (headless) window, which keeps a copy.
void BM_PaintFrame(benchmark::State& state)
{
    SetUpFlight(int(state.range(0)), int(state.range(1)), int(state.range(2)), int(state.range(3)));
    for (auto _ : state) {
        PaintFrame();
        benchmark::ClobberMemory();
    }
    TearDownFlight();
}
BENCHMARK(BM_PaintFrame)->Apply(FrameArgs)->Unit(benchmark::kMicrosecond);

// Limited visibility adds a clip region built every frame.
void BM_ComposeLimitedVisibility(benchmark::State& state)
{
    SetUpFlight(1024, 768, 1920, 1080);
    gameState.visibilityMargin = 40;
    Surface client;
    for (auto _ : state) {
        ComposeClientPicture(client, 1920, 1080, false);
        benchmark::ClobberMemory();
    }
    TearDownFlight();
}
BENCHMARK(BM_ComposeLimitedVisibility)->Unit(benchmark::kMicrosecond);

void BM_LoadGraphics(benchmark::State& state)
{
    HeadlessReset();
    PlatformCreateMainWindow("Dravolinex");
    for (auto _ : state) {
        LoadGraphics();
        benchmark::ClobberMemory();
    }
    ReleaseGraphics();
}
BENCHMARK(BM_LoadGraphics)->Unit(benchmark::kMillisecond);

} // namespace
