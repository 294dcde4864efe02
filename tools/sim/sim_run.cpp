// One flight: the game's own new-game routine, then the simulation steps (alone, or with the game's other timers
// and its repaints), then the verdict.
#include <cstring>

#include <nlohmann/json.hpp>

#include "app/shell.h"
#include "io/input.h"
#include "io/sound.h"
#include "platform/headless/headless.h"
#include "render/sprites.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "sim/random.h"
#include "sim/tick.h"
#include "tools/sim/sim.h"
#include "world/playfield.h"
#include "world/world.h"

#if __has_include("tools/sim/snapshot.h")
#include "tools/sim/snapshot.h"
#define SIM_HAS_SNAPSHOT 1
#endif

using Json = nlohmann::ordered_json;

void PrepareSimulator(const SimSettings& settings)
{
    HeadlessReset();
    HeadlessSetClientSize(settings.clientWidth, settings.clientHeight);
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    LoadGraphics();
}

void FinishSimulator()
{
    CleanupApplication();
}

bool SnapshotAvailable()
{
#ifdef SIM_HAS_SNAPSHOT
    return true;
#else
    return false;
#endif
}

static bool TakeSnapshot([[maybe_unused]] const SimSettings& settings, std::string& error)
{
#ifdef SIM_HAS_SNAPSHOT
    std::string reason;
    if (WriteSnapshotPng(settings.snapshotPath.c_str(), settings.clientWidth, settings.clientHeight, reason))
        return true;
    error = "--snapshot: cannot write '" + settings.snapshotPath + "': " + reason;
#else
    error = "--snapshot: not available in this build";
#endif
    return false;
}

// A program just started: no state from an earlier run leaks into this one.
static void ResetProgramState(const SimSettings& settings)
{
    gameOptions = settings.options;
    gameState = {};
    engineSoundOn = tippingSoundOn = false;
    std::memset(pilotFloor, 0, sizeof pilotFloor);
    std::memset(pilotFunnel, 0, sizeof pilotFunnel);
    pilotPlatform = 0;
    // The headless window's logs would otherwise grow by every flight's sounds and settings command.
    HeadlessClearSoundEvents();
    HeadlessDropPostedCommands();
}

static bool FlightEnded()
{
    const GameState& g = gameState;
    return g.landed || g.crashed || LandingOutcome() != 0;
}

// The scripted demands for `step` (the last line at or before it; all 0 before the first line).
static ControlInput ScriptedInput(const std::vector<ScriptLine>& script, size_t& next, uint64_t step)
{
    static ControlInput current;
    if (next == 0)
        current = {0, 0, 0};
    while (next < script.size() && static_cast<uint64_t>(script[next].step) <= step) {
        current = {script[next].thrust, script[next].left, script[next].right};
        ++next;
    }
    return current;
}

static Json WorldJson()
{
    const int width = PlayfieldWidth();
    const int height = PlayfieldHeight();
    Json world;
    world["terrain"] = std::vector<int32_t>(TerrainProfile, TerrainProfile + width + 1);
    Json list = Json::array();
    for (int i = 0; i < ActivePlatformCount(); ++i) {
        const LandingPlatform& p = platforms[i];
        list.push_back({{"x", p.x}, {"y", p.y}, {"width", p.width}, {"points", p.points}});
    }
    world["platforms"] = list;
    Json starList = Json::array();
    for (const Star& s : stars)
        starList.push_back({{"x", s.x}, {"y", s.y}, {"color", s.color}, {"size", s.size}});
    world["stars"] = starList;
    if (gameOptions.player == 0) {
        world["pilot"] = {{"platform", pilotPlatform},
                          {"floor", std::vector<int32_t>(pilotFloor, pilotFloor + width)},
                          {"funnel", std::vector<int32_t>(pilotFunnel, pilotFunnel + height)}};
    } else {
        world["pilot"] = nullptr;
    }
    return world;
}

bool RunFlight(const SimSettings& settings, uint32_t seed, bool takeSnapshot, std::string& error)
{
    ResetProgramState(settings);
    // Only a run whose pictures are composed (a snapshot, or --paint) needs the painted scene; the others take
    // the same draws without painting it.
    worldPictures = takeSnapshot || settings.paint;
    SeedRandom(seed);
    StartNewGame();
    // The settings dialog answered with Cancel changes nothing; Continue in the pause lets the craft fall.
    gameState.halted = false;
    const uint64_t worldDraws = RandomDrawCount();

    Json out;
    out["seed"] = seed;
    out["client"] = {settings.clientWidth, settings.clientHeight};
    Json options;
    for (const OptionField& f : OptionFields)
        options[f.name] = OptionValue(gameOptions, f);
    out["options"] = options;
    const GameState& g = gameState;
    const Craft& c = g.craft;
    out["start"] = {{"x", c.x}, {"y", c.y}, {"fuel", c.fuel}, {"wind", g.wind}, {"windGust", g.windGust},
                    {"windMax", g.windMax}};
    Json world = settings.world ? WorldJson() : Json();

    bool snapshotOk = true;
    if (takeSnapshot && settings.snapshotStep == 0)
        snapshotOk = TakeSnapshot(settings, error);

    Json trace = Json::array();
    size_t scriptNext = 0;
    uint64_t steps = 0;
    if (settings.paint)
        BeginTimedFlight();
    while (steps < static_cast<uint64_t>(settings.maxSteps)) {
        ++steps;
        ControlInput input = {0, 0, 0};
        if (gameOptions.player == 0)
            ComputerPilot(&input.thrust, &input.left, &input.right);
        else
            input = ScriptedInput(settings.script, scriptNext, steps);
        if (settings.paint)
            StepUnderTimers(input);
        else
            StepFlight(input);
        if (settings.trace)
            trace.push_back({steps, c.x, c.y, c.vx, c.vy, c.angle, c.fuel, g.wind, g.windGust, input.thrust,
                             input.left, input.right});
        const bool ended = FlightEnded();
        // A 50 ms paint records the flying craft once every five 10 ms steps (under the timers it is painted).
        if (!settings.paint && !ended && steps % 5 == 0)
            RecordFlightFrame();
        if (takeSnapshot && snapshotOk && settings.snapshotStep > 0 &&
            steps == static_cast<uint64_t>(settings.snapshotStep))
            snapshotOk = TakeSnapshot(settings, error);
        if (ended)
            break;
    }
    if (settings.paint)
        EndTimedFlight();
    if (takeSnapshot && snapshotOk &&
        (settings.snapshotStep < 0 || static_cast<uint64_t>(settings.snapshotStep) > steps))
        snapshotOk = TakeSnapshot(settings, error);

    // The tip-over runs to its end: the craft comes to rest where it began to fall.
    const bool tipped = g.outcomeEdgeTip || g.outcomeSpeedTip || g.outcomeRollTip;
    for (int guard = 0; tipped && !g.crashed && guard < 100; ++guard)
        StepTipOver();

    const int outcome = LandingOutcome();
    std::vector<char> details(ReportBufferSize, 0), title(ReportBufferSize, 0), message(ReportBufferSize, 0);
    const int score = BuildLandingReport(details.data(), title.data(), message.data(), outcome);

    out["draws"] = {{"world", worldDraws}, {"end", RandomDrawCount()}};
    if (settings.world)
        out["world"] = world;
    int platform = -1;
    if (outcome == 1)
        platform = g.touchdownPlatform;
    else if (tipped)
        platform = g.tipPlatform;
    out["flight"] = {{"steps", steps},   {"outcome", outcome}, {"platform", platform},
                     {"x", c.x},         {"y", c.y},           {"vx", c.vx},
                     {"vy", c.vy},       {"angle", c.angle},   {"fuel", c.fuel},
                     {"recordCount", recordCount}, {"recordWrapped", recordWrapped}};
    out["report"] = {{"title", title.data()}, {"message", message.data()}, {"details", details.data()},
                     {"score", score}};
    // A run whose snapshot failed gives no result: the caller reports the error instead.
    if (!snapshotOk)
        return false;
    if (settings.trace)
        out["trace"] = trace;
    return PrintLine(out.dump(), error);
}
