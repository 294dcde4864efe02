// The simulator's replays: checking a replay file headlessly (--replay, optionally writing every frame with
// --frames) and recording one by playing the whole game on the headless window (--record).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include <nlohmann/json.hpp>

#include "app/shell.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "render/composed_frame.h"
#include "render/sprites.h"
#include "replay/recorder.h"
#include "replay/replayer.h"
#include "resources/commands.h"
#include "sim/game_state.h"
#include "tools/sim/replay_run.h"
#include "tools/sim/sim.h"
#include "world/world.h"

#if __has_include("tools/sim/snapshot.h")
#include "tools/sim/snapshot.h"
#define SIM_HAS_SNAPSHOT 1
#endif

using Json = nlohmann::ordered_json;

namespace {

std::string framesFolder;
bool framesFailed = false;
std::string framesReason;

void WriteFrame([[maybe_unused]] uint32_t number)
{
#ifdef SIM_HAS_SNAPSHOT
    if (framesFolder.empty() || framesFailed)
        return;
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%06u.png", number);
    framesFailed = !WriteSurfacePng((framesFolder + name).c_str(), ComposedFrame(), framesReason);
#endif
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    // One byte beyond the largest replay is enough to refuse a larger file without reading all of it.
    bytes.clear();
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
        if (bytes.size() > MaxReplayFileSize) {
            error = path + ": larger than any replay file";
            return false;
        }
    }
    return true;
}

Json OptionsJson(const GameOptions& options)
{
    Json json;
    for (const OptionField& f : OptionFields)
        json[f.name] = OptionValue(options, f);
    return json;
}

char* Hex(uint64_t value)
{
    static char text[20];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

} // namespace

int ReplayFileToJson(const std::string& path, const std::string& frames, std::string& error)
{
    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes, error))
        return 2;
    if (!LoadReplay(bytes.data(), bytes.size(), error)) {
        error = path + ": " + error;
        return 2;
    }
    framesFolder = frames;
    std::error_code made;
    if (!frames.empty() && !std::filesystem::is_directory(frames) && !std::filesystem::create_directories(frames, made)) {
        error = "--frames: cannot make the folder '" + frames + "'";
        return 2;
    }
    const ReplayFile& f = LoadedReplay();
    HeadlessReset();
    HeadlessSetClientSize(f.clientWidth, f.clientHeight);
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    LoadGraphics();
    worldPictures = true;
    BeginReplay(HeadlessSetClientSize, frames.empty() ? nullptr : WriteFrame);
    RunReplay();
    EndReplay();
    const ReplayReport& r = ReplayResult();
    if (framesFailed) {
        error = "--frames: cannot write the frames into '" + frames + "': " + framesReason;
        return 2;
    }
    if (r.state != ReplayFinished) {
        error = path + ": " + r.error;
        return 2;
    }
    const GameState& g = gameState;
    const Craft& c = g.craft;
    const bool tipped = g.outcomeEdgeTip || g.outcomeSpeedTip || g.outcomeRollTip;
    Json out;
    out["mode"] = "replay";
    out["file"] = path;
    out["format"] = f.version;
    out["game"] = f.gameVersion;
    out["backend"] = f.backend;
    out["recordedAt"] = f.recordedAt;
    out["client"] = {f.clientWidth, f.clientHeight};
    out["options"] = OptionsJson(f.options);
    out["events"] = r.events;
    out["flight"] = {{"steps", r.flightSteps}, {"outcome", r.outcome},
                     {"platform", r.outcome == 1 ? g.touchdownPlatform : (tipped ? g.tipPlatform : -1)},
                     {"x", c.x}, {"y", c.y}, {"vx", c.vx}, {"vy", c.vy}, {"angle", c.angle}, {"fuel", c.fuel},
                     {"recordCount", recordCount}, {"recordWrapped", recordWrapped}};
    out["report"] = {{"title", r.title}, {"message", r.message}, {"details", r.details}, {"score", r.score}};
    out["frames"] = {{"count", r.frames}, {"hash", Hex(r.frameChain)}};
    out["recorded"] = {{"steps", f.flightSteps}, {"outcome", f.outcome}, {"score", f.score},
                       {"frames", f.frameCount}, {"hash", Hex(f.frameChain)}};
    out["match"] = r.matched;
    if (!r.matched)
        out["mismatch"] = r.mismatch;
    std::cout << out.dump() << '\n';
    return r.matched ? 0 : 1;
}

bool RecordReplayFile(const SimSettings& settings, const RecordPlan& plan, const std::string& path, std::string& error)
{
    HeadlessReset();
    HeadlessSetClientSize(settings.clientWidth, settings.clientHeight);
    HeadlessSetClock(settings.seed); // the game seeds its generator with the tick count at start-up
    GameOptions stored = settings.options;
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &stored, sizeof stored);
    // The settings dialog left with Cancel (the stored options stand), the pause after it read for a while.
    HeadlessQueueDialog(GameSettingsDialogId, {AdvanceInDialog(plan.settingsMs), PressEscape()});
    HeadlessQueueDialog(PauseDialogId, {AdvanceInDialog(plan.pauseMs), PressEnter()});
    if (!AppStartup()) {
        error = "--record: the game did not start";
        return false;
    }
    size_t next = 0;
    int64_t step = 0;
    bool paused = false;
    while (LastRecordedReplay().empty() && step < settings.maxSteps) {
        HeadlessAdvance(10);
        if (gameState.halted)
            continue;
        ++step;
        ControlInput input = {0, 0, 0};
        while (next < settings.script.size() && settings.script[next].step <= step)
            ++next;
        if (next > 0)
            input = {settings.script[next - 1].thrust, settings.script[next - 1].left, settings.script[next - 1].right};
        HeadlessSetKey(KeySpace, input.thrust > 0);
        HeadlessSetKey(KeyLeft, input.left > 0);
        HeadlessSetKey(KeyRight, input.right > 0);
        if (!paused && plan.pauseAtStep > 0 && step == plan.pauseAtStep) {
            paused = true;
            HeadlessQueueDialog(PauseDialogId, {AdvanceInDialog(plan.midPauseMs), PressEnter()});
            PlatformPostCommand(CmdPause);
        }
    }
    // Let go of Space for the verdict, as a player does.
    HeadlessSetKey(KeySpace, false);
    for (int i = 0; i < 6000 && LastRecordedReplay().empty(); ++i)
        HeadlessAdvance(10);
    const std::vector<uint8_t> bytes = LastRecordedReplay();
    AppShutdown();
    if (bytes.empty()) {
        error = "--record: the flight did not reach its verdict";
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        error = "--record: cannot write '" + path + "'";
        return false;
    }
    return true;
}
