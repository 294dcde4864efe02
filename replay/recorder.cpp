// Recording: a round's start, then every delivery and every answer from outside the game in order, until the
// verdict. The start is taken where the world is built, so the stars, the meteor and every draw of the dialogs'
// time before the flight are reproduced; the settings and pause dialogs need not be: the log holds what they
// changed (the options record, the round halted or running).
#include "replay/recorder.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/timer.h"
#include "platform/window.h"
#include "render/composed_frame.h"
#include "replay/frame_hash.h"
#include "replay/replay_file.h"
#include "replay/replay_keep.h"
#include "sim/flight_taps.h"
#include "sim/game_state.h"
#include "sim/options.h"
#include "sim/random.h"

#ifndef DRAVOLINEX_VERSION
#define DRAVOLINEX_VERSION "1.0"
#endif

namespace {

struct Recording {
    bool active = false;
    bool overflow = false;
    ReplayFile file;
    GameOptions options{};
    bool halted = false;
    ControlInput input{};
    int clientWidth = 0, clientHeight = 0;
    uint32_t clock = 0;
    FrameRowHashes rowHashes; // of the frame last hashed: only rows the painter changed since are hashed again
};

Recording rec;
const char* backendName = "";
std::vector<uint8_t> lastReplay;
std::string lastReplayName;
bool overflowSaid = false;

// Room left for one more event with its values; a log at its bound stops growing and the flight is not kept.
bool Note(uint8_t code)
{
    std::vector<uint8_t>& events = rec.file.events;
    if (events.size() + 80 > MaxReplayEvents) {
        rec.overflow = true;
        return false;
    }
    events.push_back(code);
    ++rec.file.eventCount;
    return true;
}

void NoteState()
{
    if (gameState.halted != rec.halted) {
        rec.halted = gameState.halted;
        Note(rec.halted ? EventHalted : EventRunning);
    }
    if (std::memcmp(&gameOptions, &rec.options, sizeof rec.options) != 0) {
        rec.options = gameOptions;
        if (Note(EventOptions)) {
            const uint8_t* bytes = reinterpret_cast<const uint8_t*>(&rec.options);
            rec.file.events.insert(rec.file.events.end(), bytes, bytes + sizeof rec.options);
        }
    }
}

void TapWorldBuild()
{
    rec = Recording{};
    rec.active = true;
    ReplayFile& f = rec.file;
    f.gameVersion = DRAVOLINEX_VERSION;
    f.backend = backendName;
    f.options = rec.options = gameOptions;
    PlatformGetClientSize(&f.clientWidth, &f.clientHeight);
    rec.clientWidth = f.clientWidth;
    rec.clientHeight = f.clientHeight;
    f.generator = SaveRandom().state;
    f.halted = rec.halted = gameState.halted;
    f.engineIdle = gameState.engineIdle;
    f.meteorX = gameState.meteorX;
    f.meteorY = gameState.meteorY;
    f.meteorDx = gameState.meteorDx;
    f.meteorDy = gameState.meteorDy;
}

ControlInput TapInput(ControlInput (*read)())
{
    const ControlInput input = read();
    if (!rec.active)
        return input;
    ++rec.file.flightSteps;
    // The computer pilot's demands follow from the round; only a player's are noted, when they change.
    if (gameOptions.player != 0 && (input.thrust != rec.input.thrust || input.left != rec.input.left ||
                                    input.right != rec.input.right)) {
        rec.input = input;
        if (Note(EventInput))
            for (int32_t v : {input.thrust, input.left, input.right})
                PutVarint(rec.file.events, ZigZag(v));
    }
    return input;
}

bool TapResultHeld(bool (*ask)())
{
    const bool held = ask();
    if (rec.active)
        Note(held ? EventResultHeld : EventResultShown);
    return held;
}

uint32_t TapClock(uint32_t (*tick)())
{
    const uint32_t now = tick();
    if (rec.active && Note(EventClock)) {
        PutVarint(rec.file.events, ZigZag(static_cast<int32_t>(now - rec.clock)));
        rec.clock = now;
    }
    return now;
}

void TapClient(int* width, int* height)
{
    if (!rec.active || (*width == rec.clientWidth && *height == rec.clientHeight))
        return;
    rec.clientWidth = *width;
    rec.clientHeight = *height;
    if (Note(EventClient)) {
        PutVarint(rec.file.events, static_cast<uint32_t>(*width));
        PutVarint(rec.file.events, static_cast<uint32_t>(*height));
    }
}

void TapVerdict(int outcome, int score, const char*, const char*, const char*)
{
    if (!rec.active)
        return;
    rec.active = false;
    Note(EventVerdict);
    if (rec.overflow) {
        if (!overflowSaid)
            std::fprintf(stderr, "dravolinex: a flight too long to keep as a replay was not kept\n");
        overflowSaid = true;
        return;
    }
    ReplayFile& f = rec.file;
    f.outcome = outcome;
    f.score = score;
    const Craft& c = gameState.craft;
    f.craft = {c.x, c.y, c.vx, c.vy, c.angle, c.fuel};
    f.recordedAt = static_cast<int64_t>(std::time(nullptr));
    lastReplay = EncodeReplay(f);
    lastReplayName = ReplayFileName(f.recordedAt, f.options.planet, f.options.gameType, outcome, score);
    KeepReplay(lastReplayName, lastReplay);
    rec.file = ReplayFile{};
}

} // namespace

void StartFlightRecorder(const char* backend)
{
    backendName = backend;
    rec = Recording{};
    worldBuildTap = TapWorldBuild;
    stepInputTap = TapInput;
    resultHeldTap = TapResultHeld;
    paintClockTap = TapClock;
    paintClientSizeTap = TapClient;
    verdictTap = TapVerdict;
}

void StopFlightRecorder()
{
    rec = Recording{};
    worldBuildTap = nullptr;
    stepInputTap = nullptr;
    resultHeldTap = nullptr;
    paintClockTap = nullptr;
    paintClientSizeTap = nullptr;
    verdictTap = nullptr;
}

void RecordTimer(int timerId)
{
    // The joystick's poll changes nothing a flight depends on (the step's demands are noted themselves).
    if (!rec.active || timerId < TimerStarTwinkle || timerId > TimerEngineStop || timerId == TimerJoystick)
        return;
    NoteState();
    Note(static_cast<uint8_t>(EventTimerFirst + (timerId - TimerStarTwinkle)));
}

void RecordPaint()
{
    if (!rec.active)
        return;
    NoteState();
    Note(EventPaint);
}

void RecordFrame()
{
    if (!rec.active)
        return;
    const Surface& frame = ComposedFrame();
    ReplayFile& f = rec.file;
    f.frameChain = ChainFrameRows(f.frameChain, rec.rowHashes, frame, ComposedFrameRowStamps(), ComposedFrameNumber());
    if (++f.frameCount % ReplayCheckpointEvery == 0)
        f.checkpoints.push_back(static_cast<uint32_t>(f.frameChain));
}

const std::vector<uint8_t>& LastRecordedReplay()
{
    return lastReplay;
}

const char* LastRecordedReplayName()
{
    return lastReplayName.c_str();
}
