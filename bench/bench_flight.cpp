// Flight speed: world generation at three playfield sizes, simulation steps with the computer pilot, and whole
// headless flights from the new-game routine to the verdict.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "sim/options.h"
#include "app/shell.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "render/sprites.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "sim/random.h"
#include "sim/tick.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

void SetUpGame(int width, int height)
{
    HeadlessReset();
    HeadlessSetClientSize(width, height);
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    SetDefaultOptions();
    gameOptions.player = 0;
    gameOptions.gameWidth = width;
    gameOptions.gameHeight = height;
}

// The world's own tables (platforms, terrain walk, stars, pilot plan) without the scene.
void GenerateTables(uint32_t seed)
{
    SeedRandom(seed);
    ResetRound();
    std::memset(TerrainProfile, 0, sizeof TerrainProfile);
    terrainStepBias = 1;
    PlacePlatforms();
    GenerateTerrain();
    PlaceStars();
    PlanPilotApproach();
}

void BM_WorldTables(benchmark::State& state)
{
    SetUpGame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    uint32_t seed = 1;
    for (auto _ : state) {
        GenerateTables(seed++);
        benchmark::DoNotOptimize(TerrainProfile[0]);
    }
}
BENCHMARK(BM_WorldTables)->Args({640, 480})->Args({1024, 768})->Args({3000, 2000})->Unit(benchmark::kMicrosecond);

// The whole regeneration as the game runs it, with the background scene and the repaint.
void BM_RegenerateWorld(benchmark::State& state)
{
    SetUpGame(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    LoadGraphics();
    uint32_t seed = 1;
    for (auto _ : state) {
        SeedRandom(seed++);
        RegenerateWorld();
    }
    ReleaseBackgroundScene();
    ReleaseGraphics();
}
BENCHMARK(BM_RegenerateWorld)->Args({640, 480})->Args({1024, 768})->Args({3000, 2000})->Unit(benchmark::kMillisecond);

// Simulation steps flown by the computer pilot; a finished flight is replaced by a new world (not timed).
void BM_PilotSteps(benchmark::State& state)
{
    SetUpGame(1024, 768);
    uint32_t seed = 1;
    GenerateTables(seed++);
    for (auto _ : state) {
        ControlInput input = {0, 0, 0};
        ComputerPilot(&input.thrust, &input.left, &input.right);
        StepFlight(input);
        if (gameState.landed || LandingOutcome() != 0) {
            state.PauseTiming();
            GenerateTables(seed++);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PilotSteps);

// One flight of the computer pilot at 640 x 480: the new-game routine with its world (timed only when
// `wholeFlight`), the pilot's steps, the tip-over and the verdict.
int64_t FlyOnce(benchmark::State& state, uint32_t seed, bool wholeFlight, std::vector<char>* texts)
{
    if (!wholeFlight)
        state.PauseTiming();
    gameState = {};
    SeedRandom(seed);
    StartNewGame();
    gameState.halted = false;
    if (!wholeFlight)
        state.ResumeTiming();
    int64_t steps = 0;
    for (; steps < 100000 && !gameState.landed && LandingOutcome() == 0; ++steps) {
        ControlInput input = {0, 0, 0};
        ComputerPilot(&input.thrust, &input.left, &input.right);
        StepFlight(input);
        if (steps % 5 == 4)
            RecordFlightFrame();
    }
    while ((gameState.outcomeEdgeTip || gameState.outcomeSpeedTip || gameState.outcomeRollTip) && !gameState.crashed)
        StepTipOver();
    if (wholeFlight) {
        for (int i = 0; i < 3; ++i)
            std::fill(texts[i].begin(), texts[i].end(), 0);
        benchmark::DoNotOptimize(BuildLandingReport(texts[0].data(), texts[1].data(), texts[2].data(), LandingOutcome()));
    }
    return steps;
}

void FlyFlights(benchmark::State& state, bool pictures, bool wholeFlight)
{
    SetUpGame(640, 480);
    LoadGraphics();
    worldPictures = pictures;
    std::vector<char> texts[3] = {std::vector<char>(ReportBufferSize), std::vector<char>(ReportBufferSize),
                                  std::vector<char>(ReportBufferSize)};
    uint32_t seed = 1;
    int64_t steps = 0;
    for (auto _ : state)
        steps += FlyOnce(state, seed++, wholeFlight, texts);
    state.counters["steps/flight"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
    worldPictures = true;
    ReleaseBackgroundScene();
    ReleaseGraphics();
}

// A whole flight as the game flies it, its world painted.
void BM_HeadlessFlight(benchmark::State& state)
{
    FlyFlights(state, true, true);
}
BENCHMARK(BM_HeadlessFlight)->Unit(benchmark::kMicrosecond);

// A whole flight as the simulator flies it when no picture is wanted; compare with BM_FlightStepsOnly.
void BM_HeadlessFlightNoPictures(benchmark::State& state)
{
    FlyFlights(state, false, true);
}
BENCHMARK(BM_HeadlessFlightNoPictures)->Unit(benchmark::kMicrosecond);

// The same flights' simulation steps alone (the new game before them is not timed): the baseline.
void BM_FlightStepsOnly(benchmark::State& state)
{
    FlyFlights(state, false, false);
}
BENCHMARK(BM_FlightStepsOnly)->Unit(benchmark::kMicrosecond);

} // namespace
