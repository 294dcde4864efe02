// Replay files: a flight played through the whole game on the headless window is kept and replays to the same end
// and frames; damaged files are refused with one line; the replay folder keeps the newest and the best.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/shell.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "render/sprites.h"
#include "replay/recorder.h"
#include "replay/replay_keep.h"
#include "replay/replayer.h"
#include "resources/commands.h"
#include "sim/game_state.h"
#include "world/world.h"

namespace {

// Plays the game from start-up to the first verdict: the settings dialog cancelled, the pause read for a while,
// the main engine fired in bursts, and (when asked) a pause in mid-flight. Returns the kept file.
std::vector<uint8_t> PlayAndKeep(uint32_t seed, int player, bool pauseMidFlight)
{
    HeadlessReset();
    HeadlessSetClock(seed);
    GameOptions options{};
    gameOptions = {};
    SetDefaultOptions();
    options = gameOptions;
    options.player = player;
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &options, sizeof options);
    HeadlessQueueDialog(144, {AdvanceInDialog(330), PressEscape()});
    HeadlessQueueDialog(166, {AdvanceInDialog(1270), PressEnter()});
    EXPECT_TRUE(AppStartup());
    for (int step = 0; step < 20000 && HeadlessReplayFiles().empty(); ++step) {
        HeadlessSetKey(KeySpace, step % 90 < 25 && step < 1500);
        if (pauseMidFlight && step == 300) {
            HeadlessQueueDialog(166, {AdvanceInDialog(777), PressEnter()});
            PlatformPostCommand(CmdPause);
        }
        HeadlessAdvance(10);
    }
    AppShutdown();
    EXPECT_EQ(HeadlessReplayFiles().size(), 1u);
    return HeadlessReplayFiles().empty() ? std::vector<uint8_t>() : HeadlessReplayFiles().begin()->second;
}

// Replays `bytes` on a fresh headless window; the report (state Idle when the file was refused, with `error`).
ReplayReport Replay(const std::vector<uint8_t>& bytes, std::string& error)
{
    HeadlessReset();
    gameState = {};
    PlatformCreateMainWindow("Dravolinex");
    InitMeteorLock();
    LoadGraphics();
    worldPictures = true;
    if (!LoadReplay(bytes.data(), bytes.size(), error))
        return ReplayReport{};
    BeginReplay(HeadlessSetClientSize, nullptr);
    RunReplay();
    EndReplay();
    error = ReplayResult().error;
    return ReplayResult();
}

} // namespace

TEST(Replay, PlayedFlightsReplayToTheirRecordedEndAndFrames)
{
    // A player with a pause mid-flight, and the computer pilot.
    for (int player : {1, 0}) {
        SCOPED_TRACE(player);
        const std::vector<uint8_t> bytes = PlayAndKeep(4242 + player, player, player == 1);
        ReplayFile file;
        std::string error;
        ASSERT_TRUE(DecodeReplay(bytes.data(), bytes.size(), file, error)) << error;
        EXPECT_GT(file.frameCount, 100u);
        EXPECT_NE(file.outcome, 0);
        const ReplayReport r = Replay(bytes, error);
        EXPECT_EQ(r.state, ReplayFinished) << error;
        EXPECT_TRUE(r.matched) << r.mismatch;
        EXPECT_EQ(r.outcome, file.outcome);
        EXPECT_EQ(r.score, file.score);

        // The same start with another generator state flies another flight: it is caught, never crashes.
        file.generator ^= 0x5A5A;
        const ReplayReport other = Replay(EncodeReplay(file), error);
        EXPECT_FALSE(other.state == ReplayFinished && other.matched);
    }
}

TEST(Replay, DamagedFilesAreRefusedWithOneLine)
{
    const std::vector<uint8_t> good = PlayAndKeep(99, 0, false);
    ASSERT_GT(good.size(), 100u);
    auto with = [&](auto change) {
        std::vector<uint8_t> bytes = good;
        change(bytes);
        return bytes;
    };
    ReplayFile decoded;
    std::string error;
    ASSERT_TRUE(DecodeReplay(good.data(), good.size(), decoded, error));
    ReplayFile shortLog = decoded;
    shortLog.events.resize(shortLog.events.size() / 2);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        const char* says;
    } cases[] = {
        {"empty", {}, "not a Dravolinex replay"},
        {"wrong magic", with([](auto& b) { b[0] = 'X'; }), "not a Dravolinex replay"},
        {"newer format", with([](auto& b) { b[8] = 3; }), "needs a newer Dravolinex"},
        {"cut in the header", with([](auto& b) { b.resize(40); }), "truncated"},
        {"cut in the log", with([](auto& b) { b.resize(b.size() - 9); }), "truncated"},
        {"a byte changed", with([](auto& b) { b[b.size() / 2] ^= 0x40; }), "checksum"},
        {"a byte appended", with([](auto& b) { b.push_back(0); }), "bytes after its end"},
        {"log cut before the verdict", EncodeReplay(shortLog), "does not reach its recorded end"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ReplayReport r = Replay(c.bytes, error);
        EXPECT_NE(r.state, ReplayFinished);
        EXPECT_NE(error.find(c.says), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos);
    }
}

TEST(Replay, FolderKeepsTheNewestAndTheBest)
{
    std::vector<std::string> names = {"notes.txt", "2026-01-01_00-00-00_Moon_rocket_landed_x.dvreplay"};
    // 35 flights, one a minute; flight i scores i * 7 % 50 (flight 7 scores 49, the best).
    for (int i = 0; i < 35; ++i)
        names.push_back(ReplayFileName(1796500000 + 60 * i, i % 4, i % 2, 1 + i % 5, i * 7 % 50));
    std::vector<std::string> removed = ReplaysToRemove(names);
    // 20 newest (15..34) and 10 best scores (of 0..14 those above the newest's tenth best) stay.
    EXPECT_EQ(removed.size(), 35u - 20u - 5u);
    for (const std::string& name : removed) {
        int score = -1;
        ASSERT_TRUE(ReplayNameScore(name, &score)) << name;
        EXPECT_LT(score, 35) << name;
    }
    EXPECT_EQ(std::count(removed.begin(), removed.end(), names[0]), 0);
    EXPECT_EQ(std::count(removed.begin(), removed.end(), names[1]), 0);
    EXPECT_NE(names[2].find("_Moon_rocket_landed_0.dvreplay"), std::string::npos) << names[2];
}

TEST(Replay, WhileNoEngineFiresTheEngineStopComesEvery250Ms)
{
    // The trace of the headless clock: the step re-arms the engine stop at the instant it expires, and the stop
    // runs first, so its twinkles keep a 250 ms cadence (not 260).
    static std::vector<uint64_t> stops;
    stops.clear();
    HeadlessReset();
    HeadlessQueueDialog(144, {PressEscape()});
    HeadlessQueueDialog(166, {PressEnter()});
    HeadlessHandlers handlers;
    handlers.command = AppCommand;
    handlers.paint = AppPaint;
    handlers.timer = [](int id) {
        if (id == TimerEngineStop)
            stops.push_back(HeadlessNow());
        AppTimer(id);
    };
    HeadlessSetMessageHandlers(handlers);
    gameOptions = {};
    SetDefaultOptions();
    ASSERT_TRUE(AppStartup());
    gameOptions.player = 1;
    HeadlessAdvance(1500);
    AppShutdown();
    ASSERT_GE(stops.size(), 4u);
    for (size_t i = 1; i < stops.size(); ++i)
        EXPECT_EQ(stops[i] - stops[i - 1], 250u) << i;
}
