// Recording and replaying: five minutes of a keyboard flight played through the whole game on the headless
// window, with and without the flight recorder (the recorder's cost per step and per frame), the kept file's size,
// and the speed of its headless replay. The craft's tank is kept full so that the flight lasts (it then does not
// replay to the same end, which the replay's speed does not need), and its place across the playfield too.
#include <benchmark/benchmark.h>

#include <vector>

#include "app/shell.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "render/sprites.h"
#include "replay/recorder.h"
#include "replay/replayer.h"
#include "resources/commands.h"
#include "sim/game_state.h"
#include "world/world.h"

namespace {

constexpr int FlightSteps = 30000; // five minutes of 10 ms steps

std::vector<uint8_t> kept;

// A player keeping the craft aloft: Space while it sinks, a side jet now and then.
void FlyFiveMinutes(bool record)
{
    HeadlessReset();
    gameOptions = {};
    SetDefaultOptions();
    GameOptions options = gameOptions;
    options.player = 1;
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &options, sizeof options);
    HeadlessQueueDialog(144, {AdvanceInDialog(500), PressEscape()});
    HeadlessQueueDialog(166, {AdvanceInDialog(1000), PressEnter()});
    AppStartup();
    if (!record)
        StopFlightRecorder();
    HeadlessAdvance(1600);
    for (int step = 0; step < FlightSteps; ++step) {
        Craft& c = gameState.craft;
        c.fuel = 100;
        c.x = 300; // wind and jets must not carry it into a mountain
        HeadlessSetKey(KeySpace, c.vy < -2 || c.y < 400);
        HeadlessSetKey(KeyLeft, step % 700 < 40 && c.x > 320);
        HeadlessSetKey(KeyRight, step % 700 > 350 && step % 700 < 390 && c.x < 320);
        HeadlessAdvance(10);
    }
    // Down to the verdict.
    HeadlessSetKey(KeySpace, false);
    for (int i = 0; i < 3000 && HeadlessReplayFiles().empty(); ++i) {
        gameState.craft.fuel = 0;
        HeadlessAdvance(10);
    }
    if (record && !HeadlessReplayFiles().empty())
        kept = HeadlessReplayFiles().begin()->second;
    AppShutdown();
}

void BM_FiveMinuteFlight(benchmark::State& state)
{
    const bool record = state.range(0) != 0;
    for (auto _ : state)
        FlyFiveMinutes(record);
    state.counters["steps/s"] = benchmark::Counter(FlightSteps, benchmark::Counter::kIsIterationInvariantRate);
    if (record)
        state.counters["file bytes"] = static_cast<double>(kept.size());
}
BENCHMARK(BM_FiveMinuteFlight)->Arg(0)->Arg(1)->ArgNames({"recording"})->Unit(benchmark::kMillisecond)->Iterations(2);

void BM_ReplayFiveMinutes(benchmark::State& state)
{
    if (kept.empty())
        FlyFiveMinutes(true);
    ReplayReport report;
    for (auto _ : state) {
        HeadlessReset();
        gameState = {};
        PlatformCreateMainWindow("Dravolinex");
        InitMeteorLock();
        LoadGraphics();
        worldPictures = true;
        std::string error;
        LoadReplay(kept.data(), kept.size(), error);
        BeginReplay(HeadlessSetClientSize, nullptr);
        RunReplay();
        EndReplay();
        report = ReplayResult();
    }
    state.counters["steps/s"] =
        benchmark::Counter(report.flightSteps, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["frames"] = report.frames;
}
BENCHMARK(BM_ReplayFiveMinutes)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
