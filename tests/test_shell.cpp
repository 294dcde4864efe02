// The program's spine, run headless: start-up, the pause protocol around the dialogs, new game, exit and close.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "resources/commands.h"
#include "sim/options.h"
#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "scoring/result_dialog.h"
#include "sim/game_state.h"
#include "sim/timers.h"

namespace {

std::vector<int> DialogIds()
{
    std::vector<int> ids;
    for (const HeadlessDialogRecord& d : HeadlessDialogs())
        ids.push_back(d.resourceId);
    return ids;
}

bool OptionsStored(GameOptions* stored = nullptr)
{
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!HeadlessStoreGet(SettingsKeyPath, OptionsValueName, &type, &bytes) || bytes.size() != 60)
        return false;
    if (stored)
        std::memcpy(stored, bytes.data(), 60);
    return true;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameOptions = {}, gameState = {}, optionsChangedHook = nullptr;
    }
    // Every run ends with the clean-up, as the program's does, so no picture outlives the test.
    void TearDown() override
    {
        AppShutdown();
        HeadlessReset();
    }

    // Starts the program and lets the first round's dialogs run: settings OK, then Continue.
    void StartAndContinue()
    {
        ASSERT_TRUE(AppStartup());
        HeadlessQueueDialog(144, {PressEnter()});
        HeadlessQueueDialog(166, {PressEnter()});
        HeadlessPump();
        ASSERT_FALSE(gameState.halted);
    }
};

TEST_F(ShellTest, FirstRoundStartsHaltedWithTheSettingsDialogPosted)
{
    GameOptions stored{};
    stored.player = 1, stored.surfaceRoughness = 2, stored.fuelAmount = 50, stored.planet = 2;
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &stored, 60);

    ASSERT_TRUE(AppStartup());
    EXPECT_EQ(gameOptions.planet, 2);
    EXPECT_TRUE(gameState.halted);
    EXPECT_EQ(HeadlessPostedCommands(), std::vector<int>{CmdGameSettings});
    EXPECT_TRUE(HeadlessDialogs().empty());
    EXPECT_TRUE(HeadlessTimerRunning(TimerMeteorLaunch)); // the others' periods show in their expiries below
}

TEST_F(ShellTest, OkOrCancelLeadsToGamePausedWithTheTimersRunningAndContinueClearsTheHalt)
{
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        SetUp();
        ASSERT_TRUE(AppStartup());
        bool haltedInPause = false;
        HeadlessQueueDialog(144, {ok ? PressEnter() : PressEscape()});
        HeadlessQueueDialog(166, {CallInDialog([&](Dialog*) { haltedInPause = gameState.halted; }),
                                  AdvanceInDialog(1000), ClickControl(IdOk)});
        HeadlessPump();
        EXPECT_EQ(DialogIds(), (std::vector<int>{144, 166}));
        for (auto [id, expiries] : {std::pair{TimerStep, 100u}, {TimerRepaint, 20u}, {TimerStarTwinkle, 5u}})
            EXPECT_EQ(HeadlessTimerExpiries(id), expiries) << id;
        EXPECT_TRUE(haltedInPause);
        EXPECT_FALSE(gameState.halted);
        EXPECT_EQ(HeadlessStoreWrites(), 0);
    }
}

TEST_F(ShellTest, SettingsDialogsLeadToEachOtherWhileTheGameStaysPaused)
{
    ASSERT_TRUE(AppStartup());
    std::vector<bool> halted;
    auto noteHalt = CallInDialog([&](Dialog*) { halted.push_back(gameState.halted); });
    HeadlessQueueDialog(144, {noteHalt, ClickControl(IdViewControlsButton)});
    HeadlessQueueDialog(165, {noteHalt, ClickControl(IdGameSettingsButton)});
    HeadlessQueueDialog(144, {noteHalt, ClickControl(IdViewControlsButton)});
    HeadlessQueueDialog(165, {noteHalt, PressEscape()});
    HeadlessQueueDialog(166, {noteHalt, PressEnter()});
    HeadlessPump();
    EXPECT_EQ(DialogIds(), (std::vector<int>{144, 165, 144, 165, 166}));
    for (const HeadlessDialogRecord& d : HeadlessDialogs())
        EXPECT_EQ(d.depth, 1) << "one dialog at a time";
    EXPECT_EQ(halted, std::vector<bool>(5, true));
    EXPECT_FALSE(gameState.halted);
}

TEST_F(ShellTest, DeclinedNewGameLeavesTheRoundAsItWas)
{
    StartAndContinue();
    HeadlessAdvance(100);
    // Where the craft is and how the round's timers run.
    auto round = [] {
        std::vector<double> r = {gameState.craft.x, gameState.craft.y, gameState.craft.vy, gameState.craft.fuel};
        for (int id : {TimerStep, TimerRepaint, TimerStarTwinkle, TimerMeteorLaunch})
            r.push_back(HeadlessTimerPeriod(id));
        return r;
    };
    const std::vector<double> before = round();

    // Half a second of steps come while the question is up; the round stands still through them.
    const uint64_t steps = HeadlessTimerExpiries(TimerStep);
    HeadlessQueueAnswer(false, 500);
    AppCommand(CmdNewGame);
    EXPECT_EQ(HeadlessTimerExpiries(TimerStep) - steps, 50u);

    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    const HeadlessMessageBox& box = HeadlessMessageBoxes()[0];
    EXPECT_TRUE(box.question);
    EXPECT_EQ(box.text, "Are you sure you want to stop the current game?");
    EXPECT_EQ(box.caption, "New Game");

    EXPECT_FALSE(gameState.halted);
    EXPECT_EQ(round(), before);
    EXPECT_TRUE(HeadlessPostedCommands().empty());
}

TEST_F(ShellTest, AcceptedNewGameStartsOverHalted)
{
    StartAndContinue();
    for (int id : {TimerResult, TimerDust, TimerPostLanding, TimerTipOver})
        PlatformSetTimer(id, 100);
    HeadlessQueueAnswer(true);
    AppCommand(CmdNewGame);
    EXPECT_TRUE(gameState.halted);
    for (int id : {TimerResult, TimerDust, TimerPostLanding, TimerTipOver})
        EXPECT_FALSE(HeadlessTimerRunning(id)) << id;
    EXPECT_TRUE(HeadlessTimerRunning(TimerStep));
    EXPECT_EQ(HeadlessPostedCommands(), std::vector<int>{CmdGameSettings});
}

TEST_F(ShellTest, ExitGameButtonSavesAndEndsTheProgram)
{
    HeadlessQueueDialog(144, {ClickControl(IdExitGame)});
    EXPECT_EQ(AppMain(), 0);
    EXPECT_TRUE(HeadlessWindowWasDestroyed());
    EXPECT_FALSE(HeadlessLoopLimitReached());
    EXPECT_EQ(DialogIds(), std::vector<int>{144});
    GameOptions stored{};
    ASSERT_TRUE(OptionsStored(&stored));
    // No size was chosen: the first round took the client size, and that is what is kept.
    EXPECT_EQ(stored.gameWidth, HeadlessDefaultClientWidth);
    EXPECT_EQ(stored.gameHeight, HeadlessDefaultClientHeight);
    uint32_t type = 0;
    std::vector<uint8_t> placement;
    EXPECT_TRUE(HeadlessStoreGet(SettingsKeyPath, WindowValueName, &type, &placement));
    EXPECT_EQ(placement.size(), 16u);
}

TEST_F(ShellTest, ResultDialogExitSavesButTheCloseBoxEndsWithoutSaving)
{
    StartAndContinue();
    HeadlessQueueDialog(164, {ClickControl(IdExitGame)});
    EXPECT_EQ(ShowLandingResult("Crashed", "", "Sorry"), IdExitGame);
    EXPECT_TRUE(HeadlessWindowWasDestroyed() && OptionsStored());

    TearDown();
    SetUp();
    StartAndContinue();
    HeadlessClickCloseBox();
    EXPECT_TRUE(HeadlessWindowWasDestroyed());
    EXPECT_EQ(PlatformRunMessageLoop(), 0);
    EXPECT_FALSE(HeadlessLoopLimitReached());
    AppShutdown();
    EXPECT_EQ(HeadlessStoreWrites(), 0);
}

TEST_F(ShellTest, CleanupStopsTheRunningTimersButNotTheFlightEndTimers)
{
    StartAndContinue();
    for (int id : {TimerMeteorFlight, TimerJoystick, TimerResult})
        PlatformSetTimer(id, 200);
    AppShutdown();
    for (int id : {TimerRepaint, TimerStarTwinkle, TimerMeteorLaunch, TimerMeteorFlight, TimerStep, TimerJoystick})
        EXPECT_FALSE(HeadlessTimerRunning(id)) << id;
    EXPECT_TRUE(HeadlessTimerRunning(TimerResult));
}

TEST_F(ShellTest, NoWindowMeansNoGame)
{
    HeadlessFailWindowCreation(true);
    EXPECT_EQ(AppMain(), 0);
    EXPECT_TRUE(HeadlessPostedCommands().empty());
    EXPECT_FALSE(HeadlessTimerRunning(TimerStep));
    EXPECT_TRUE(HeadlessDialogs().empty());
}

TEST_F(ShellTest, MenuCommandsOpenTheirDialogs)
{
    StartAndContinue();
    size_t opened = HeadlessDialogs().size();

    // The About box leaves the round running; Pause holds it until Continue.
    bool haltedInAbout = true;
    HeadlessQueueDialog(103, {CallInDialog([&](Dialog*) { haltedInAbout = gameState.halted; }), PressEnter()});
    AppCommand(CmdAbout);
    EXPECT_FALSE(haltedInAbout);

    HeadlessQueueDialog(166, {PressEscape()});
    AppCommand(CmdPause);
    EXPECT_FALSE(gameState.halted);

    // View & Controls with OK leads to Game Paused; the game-selection items do nothing.
    HeadlessQueueDialog(165, {PressEnter()});
    HeadlessQueueDialog(166, {PressEnter()});
    AppCommand(CmdViewControls);
    for (int id : {int(CmdLandingPractice), int(CmdLandingChallenge), int(CmdRocketLifter), 12345})
        AppCommand(id);

    std::vector<int> ids = DialogIds();
    EXPECT_EQ(std::vector<int>(ids.begin() + opened, ids.end()), (std::vector<int>{103, 166, 165, 166}));
    EXPECT_TRUE(HeadlessMessageBoxes().empty());
    EXPECT_FALSE(gameState.halted);
}

} // namespace
