// The replay player: the recorded events delivered in order, the taps answered from the log, the end compared
// with the recorded one.
#include "replay/replayer.h"

#include <cmath>
#include <cstring>
#include <numbers>

#include "render/composed_frame.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "replay/frame_hash.h"
#include "sim/flight_taps.h"
#include "sim/game_state.h"
#include "sim/options.h"
#include "sim/random.h"
#include "sim/timers.h"
#include "world/world.h"

namespace {

// The largest client area a replay may ask for: what a screen can show.
constexpr int MaxClientSide = 16384;
constexpr int64_t MaxClientPixels = int64_t{1} << 26;

struct SavedTaps {
    void (*newGame)();
    ControlInput (*input)(ControlInput (*)());
    bool (*held)(bool (*)());
    uint32_t (*clock)(uint32_t (*)());
    void (*client)(int*, int*);
    void (*build)();
    void (*verdict)(int, int, const char*, const char*, const char*);
};

struct Player {
    ReplayFile file;
    size_t pos = 0;
    ReplayReport report;
    ControlInput input{};
    int clientWidth = 0, clientHeight = 0;
    uint32_t clock = 0;
    void (*setClient)(int, int) = nullptr;
    void (*onFrame)(uint32_t) = nullptr;
    SavedTaps saved{};
    bool tapsInstalled = false;
    FrameRowHashes rowHashes;
};

Player player;

void Fail(const std::string& why)
{
    if (player.report.state == ReplayFailed)
        return;
    player.report.state = ReplayFailed;
    player.report.error = why + " (event " + std::to_string(player.pos) + " of " +
                          std::to_string(player.file.events.size()) + " bytes of the log)";
}

bool Next(uint8_t code)
{
    if (player.pos < player.file.events.size() && player.file.events[player.pos] == code) {
        ++player.pos;
        ++player.report.events;
        return true;
    }
    return false;
}

bool Value(uint64_t& value)
{
    if (GetVarint(player.file.events.data(), player.file.events.size(), player.pos, value))
        return true;
    Fail("the replay's event log is cut short");
    value = 0;
    return false;
}

bool ClientAllowed(uint64_t width, uint64_t height)
{
    return width <= MaxClientSide && height <= MaxClientSide &&
           static_cast<int64_t>(width * height) <= MaxClientPixels;
}

void SetClient(uint64_t width, uint64_t height)
{
    player.clientWidth = static_cast<int>(width);
    player.clientHeight = static_cast<int>(height);
    if (player.setClient)
        player.setClient(player.clientWidth, player.clientHeight);
}

ControlInput TapInput(ControlInput (*read)())
{
    ++player.report.flightSteps;
    if (Next(EventInput)) {
        uint64_t v[3];
        for (uint64_t& each : v)
            Value(each);
        player.input = {static_cast<int32_t>(UnZigZag(v[0])), static_cast<int32_t>(UnZigZag(v[1])),
                        static_cast<int32_t>(UnZigZag(v[2]))};
    }
    // The computer pilot flies the recorded round again by itself.
    return gameOptions.player == 0 ? read() : player.input;
}

bool TapResultHeld(bool (*)())
{
    if (Next(EventResultHeld))
        return true;
    if (Next(EventResultShown))
        return false;
    Fail("the verdict fell due where the recording has none");
    return true;
}

uint32_t TapClock(uint32_t (*)())
{
    uint64_t difference = 0;
    if (!Next(EventClock))
        Fail("the painter read the clock where the recording did not");
    else if (Value(difference))
        player.clock += static_cast<uint32_t>(static_cast<int32_t>(UnZigZag(difference)));
    return player.clock;
}

void TapClient(int* width, int* height)
{
    if (Next(EventClient)) {
        uint64_t w = 0, h = 0;
        if (Value(w) && Value(h)) {
            if (ClientAllowed(w, h))
                SetClient(w, h);
            else
                Fail("damaged replay file (client size)");
        }
    }
    *width = player.clientWidth;
    *height = player.clientHeight;
}

void TapWorldBuild()
{
    Fail("the round was reset where the recording flew on");
}

void TapVerdict(int outcome, int score, const char* title, const char* message, const char* details)
{
    ReplayReport& r = player.report;
    if (!Next(EventVerdict)) {
        Fail("the flight ended before its recorded end");
        return;
    }
    r.outcome = outcome;
    r.score = score;
    r.title = title;
    r.message = message;
    r.details = details;
    if (player.pos != player.file.events.size()) {
        Fail("the replay's event log goes on after the verdict");
        return;
    }
    r.state = ReplayFinished;
    const ReplayFile& f = player.file;
    const Craft& c = gameState.craft;
    const ReplayCraftState end = {c.x, c.y, c.vx, c.vy, c.angle, c.fuel};
    if (outcome != f.outcome || score != f.score)
        r.mismatch = "outcome " + std::to_string(outcome) + " score " + std::to_string(score) + ", recorded " +
                     std::to_string(f.outcome) + " and " + std::to_string(f.score);
    else if (r.flightSteps != f.flightSteps)
        r.mismatch = std::to_string(r.flightSteps) + " steps, recorded " + std::to_string(f.flightSteps);
    else if (std::memcmp(&end, &f.craft, sizeof end) != 0)
        r.mismatch = "the craft's final state differs from the recorded one";
    else if (r.frames != f.frameCount || r.frameChain != f.frameChain || r.firstFrameDifference != 0)
        r.mismatch = "the frames differ from the recorded ones" +
                     (r.firstFrameDifference ? " from frame " + std::to_string(r.firstFrameDifference)
                                             : std::string());
    r.matched = r.mismatch.empty();
}

void Frame()
{
    ReplayReport& r = player.report;
    const Surface& frame = ComposedFrame();
    // Format 2 frames are hashed with every row afresh, so a replay also checks the recorder's reuse of the rows it
    // took as unchanged.
    if (player.file.version == 1)
        r.frameChain = ChainFrameHash(r.frameChain, frame.pixels.data(), frame.pixels.size(), frame.width, frame.height);
    else
        r.frameChain = ChainFrameRows(r.frameChain, player.rowHashes, frame, nullptr, 0);
    ++r.frames;
    if (r.frames % ReplayCheckpointEvery == 0 && r.firstFrameDifference == 0) {
        const size_t index = r.frames / ReplayCheckpointEvery - 1;
        if (index >= player.file.checkpoints.size() ||
            player.file.checkpoints[index] != static_cast<uint32_t>(r.frameChain))
            r.firstFrameDifference = r.frames - ReplayCheckpointEvery + 1;
    }
    if (player.onFrame)
        player.onFrame(r.frames);
}

void InstallTaps()
{
    player.saved = {newGameHook, stepInputTap, resultHeldTap, paintClockTap, paintClientSizeTap, worldBuildTap,
                    verdictTap};
    player.tapsInstalled = true;
    newGameHook = nullptr;
    stepInputTap = TapInput;
    resultHeldTap = TapResultHeld;
    paintClockTap = TapClock;
    paintClientSizeTap = TapClient;
    verdictTap = TapVerdict;
    worldBuildTap = nullptr;
}

// Steps delivered since the last repaint: none between two repaints means the step timer has stopped.
int stepsSinceRepaint = 0;

// One event from the main loop; false at the end of a slice of time (`elapsedMs` long).
bool DeliverEvent(int& elapsedMs)
{
    const uint8_t code = player.file.events[player.pos++];
    ++player.report.events;
    if (code <= EventTimerLast) {
        const int id = TimerStarTwinkle + code;
        OnTimer(id);
        if (id == TimerStep) {
            ++stepsSinceRepaint;
            elapsedMs = 10;
            return false;
        }
        if (id == TimerRepaint) {
            Frame();
            const bool stepsStopped = stepsSinceRepaint == 0;
            stepsSinceRepaint = 0;
            elapsedMs = 50;
            return !stepsStopped;
        }
        return true;
    }
    switch (code) {
    case EventPaint:
        PaintFrame();
        Frame();
        break;
    case EventRunning:
    case EventHalted:
        gameState.halted = code == EventHalted;
        break;
    case EventOptions:
        if (player.file.events.size() - player.pos < sizeof(GameOptions)) {
            Fail("the replay's event log is cut short");
            break;
        }
        std::memcpy(&gameOptions, &player.file.events[player.pos], sizeof(GameOptions));
        player.pos += sizeof(GameOptions);
        ClampOptions(gameOptions);
        break;
    default:
        --player.pos;
        Fail(code == EventVerdict ? "the replay does not reach its recorded end"
                                  : "the replay left its recording");
        break;
    }
    return true;
}

} // namespace

bool LoadReplay(const uint8_t* data, size_t size, std::string& error)
{
    player = Player{};
    if (!DecodeReplay(data, size, player.file, error))
        return false;
    const ReplayFile& f = player.file;
    if (f.clientWidth < 0 || f.clientHeight < 0 || !ClientAllowed(static_cast<uint64_t>(f.clientWidth),
                                                                   static_cast<uint64_t>(f.clientHeight))) {
        error = "damaged replay file (client size)";
        return false;
    }
    return true;
}

const ReplayFile& LoadedReplay()
{
    return player.file;
}

void BeginReplay(void (*setClient)(int, int), void (*onFrame)(uint32_t))
{
    const ReplayFile& f = player.file;
    player.report = ReplayReport{};
    player.report.state = ReplayPlaying;
    player.pos = 0;
    stepsSinceRepaint = 0;
    player.setClient = setClient;
    player.onFrame = onFrame;
    SetClient(static_cast<uint64_t>(f.clientWidth), static_cast<uint64_t>(f.clientHeight));
    gameOptions = f.options;
    ClampOptions(gameOptions);
    // The playfield the recorded window's client area stood for, whatever the size of the window playing it.
    if (gameOptions.gameWidth == 0 && gameOptions.gameHeight == 0)
        PlayfieldSizeFromClient(f.clientWidth, f.clientHeight, &gameOptions.gameWidth, &gameOptions.gameHeight);
    GameState& g = gameState;
    g.halted = f.halted;
    g.engineIdle = f.engineIdle;
    g.meteorX = f.meteorX;
    g.meteorY = f.meteorY;
    g.meteorDx = f.meteorDx;
    g.meteorDy = f.meteorDy;
    // The meteor's picture shows the direction of its last launch, as the recording game had drawn it.
    if (g.meteorDy > 0 && g.meteorDy < 7 && g.meteorDx >= -8 && g.meteorDx <= 8 && g.meteorX >= 0 &&
        g.meteorX <= MaxPlayfieldSize && g.meteorY >= 0 && g.meteorY <= MaxPlayfieldSize)
        RedrawMeteorPicture(static_cast<int>(std::atan(static_cast<double>(g.meteorDx) / g.meteorDy) * -180 /
                                             std::numbers::pi));
    else
        g.meteorX = g.meteorY = g.meteorDx = g.meteorDy = 0;
    RestoreRandom({f.generator, 0});
    InstallTaps();
    RegenerateWorld();
    worldBuildTap = TapWorldBuild;
}

bool AdvanceReplay(int* elapsedMs)
{
    int elapsed = 0;
    while (player.report.state == ReplayPlaying) {
        if (player.pos >= player.file.events.size()) {
            Fail("the replay does not reach its recorded end");
            break;
        }
        if (!DeliverEvent(elapsed))
            break;
    }
    if (elapsedMs)
        *elapsedMs = elapsed;
    return player.report.state == ReplayPlaying;
}

void RunReplay()
{
    while (AdvanceReplay()) {
    }
}

const ReplayReport& ReplayResult()
{
    return player.report;
}

void EndReplay()
{
    if (!player.tapsInstalled)
        return;
    const SavedTaps& s = player.saved;
    newGameHook = s.newGame;
    stepInputTap = s.input;
    resultHeldTap = s.held;
    paintClockTap = s.clock;
    paintClientSizeTap = s.client;
    worldBuildTap = s.build;
    verdictTap = s.verdict;
    player.tapsInstalled = false;
}
