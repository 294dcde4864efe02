// The settings dialogs, the Game Paused box and the landing result dialog driven by scripted players; the
// options record they edit (defaults, clamping, the round trip through the settings store); and the program's
// spine around them, run headless.
#include <gtest/gtest.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "resources/commands.h"
#include "sim/options.h"
#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "io/input.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "scoring/result_dialog.h"
#include "sim/game_state.h"
#include "sim/timers.h"

namespace {

int hookCalls = 0;
void CountHook() { ++hookCalls; }

// Replaces the opener's hook with a counter, so a test sees exactly when the world would be rebuilt.
HeadlessStep CountWorldRebuilds()
{
    return CallInDialog([](Dialog*) { optionsChangedHook = CountHook; });
}

const HeadlessControl& Control(const HeadlessDialogRecord& record, int id)
{
    static const HeadlessControl missing{};
    for (const HeadlessControl& control : record.controls)
        if (control.id == id)
            return control;
    ADD_FAILURE() << "no control " << id;
    return missing;
}

// The stored "options" value is exactly the record in memory.
bool SavedAsInMemory()
{
    uint32_t type = 0;
    std::vector<uint8_t> stored;
    return HeadlessStoreGet(SettingsKeyPath, OptionsValueName, &type, &stored) && stored.size() == 60 &&
           std::memcmp(stored.data(), &gameOptions, 60) == 0;
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameState = {};
        gameOptions = {};
        SetDefaultOptions();
        gameOptions.gameWidth = 640;
        gameOptions.gameHeight = 480;
        optionsChangedHook = nullptr;
        hookCalls = 0;
        joystickAvailable = false;
        ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    }
    // A world rebuilt behind a dialog leaves pictures behind; release them as the program's clean-up does.
    void TearDown() override { CleanupApplication(); }
    const HeadlessDialogRecord& LastDialog() { return HeadlessDialogs().back(); }
};

TEST(DifficultyMapping, RowsOfTheTable)
{
    // p, fuel, planet, platform size, roughness, visibility, wind
    const std::array<int, 7> rows[] = {
        {0, 25, 0, 0, 1, 0, 0},     {9, 25, 0, 0, 1, 0, 0},     {10, 25, 0, 1, 1, 0, 0},   {20, 25, 0, 2, 1, 0, 0},
        {21, 50, 0, 2, 1, 0, 0},    {25, 50, 0, 2, 1, 0, 0},    {26, 50, 1, 2, 2, 0, 0},   {40, 50, 1, 4, 2, 0, 33},
        {42, 75, 1, 4, 2, 0, 33},   {49, 75, 1, 5, 2, 0, 33},   {50, 75, 1, 5, 2, 50, 33}, {51, 75, 2, 5, 3, 50, 33},
        {63, 100, 2, 6, 3, 50, 33}, {76, 100, 3, 8, 4, 50, 33}, {80, 100, 3, 8, 4, 50, 66}, {83, 100, 3, 9, 4, 50, 66},
        {84, 125, 3, 9, 4, 50, 66}, {92, 125, 3, 10, 4, 50, 66}, {100, 125, 3, 10, 4, 100, 66},
    };
    for (const std::array<int, 7>& row : rows) {
        gameOptions = {};
        ApplyDifficulty(row[0]);
        const GameOptions& o = gameOptions;
        EXPECT_EQ((std::array<int, 7>{o.difficulty, o.fuelAmount, o.planet, o.platformSize, o.surfaceRoughness,
                                      o.visibility, o.windStrength}),
                  row);
    }
}

TEST_F(DialogTest, SettingsOpenWithTheSlidersOfTheOptions)
{
    ApplyDifficulty(100); // fuel 125 lies beyond the fuel slider's last position
    gameOptions.gameType = 1;
    HeadlessQueueDialog(144, {PressEscape()});
    EXPECT_EQ(RunGameSettingsDialog(), IdCancel);
    EXPECT_TRUE(gameState.halted);

    const HeadlessDialogRecord& d = LastDialog();
    EXPECT_EQ(d.title, "Game Feature Settings");
    for (auto [id, position] : {std::pair{1015, 100}, {1000, 1}, {1024, 4}, {1014, 2}, {1011, 2}})
        EXPECT_EQ(Control(d, id).sliderPos, position) << id;
    EXPECT_EQ(std::pair(Control(d, 1024).sliderMin, Control(d, 1024).sliderMax), std::pair(1, 4)); // fuel 25..100
    EXPECT_EQ(gameOptions.fuelAmount, 125);
}

TEST_F(DialogTest, SlidersFollowTheDragAndRebuildTheWorldOnRelease)
{
    bool checkedDuringDrag = false;
    HeadlessQueueDialog(144, {
        CountWorldRebuilds(),
        SliderStep(1015, 50, {SliderThumbTrack}),
        CallInDialog([&](Dialog* dialog) {
            // The six world sliders already show the new difficulty's values, but nothing was rebuilt yet.
            EXPECT_EQ(hookCalls, 0);
            EXPECT_EQ(HeadlessDialogControl(dialog, 1011)->sliderPos, 1);
            EXPECT_EQ(HeadlessDialogControl(dialog, 1014)->sliderPos, 1);
            checkedDuringDrag = true;
        }),
        DragSlider(1015, 84),
        CallInDialog([](Dialog* dialog) {
            EXPECT_EQ(std::tuple(hookCalls, gameOptions.fuelAmount, HeadlessDialogControl(dialog, 1024)->sliderPos),
                      std::tuple(1, 125, 4));
        }),
        // A world slider still dragged changes nothing; released, each commits and leaves the difficulty alone.
        SliderStep(1014, 1, {SliderThumbTrack}),
        CallInDialog([](Dialog*) { EXPECT_EQ(gameOptions.windStrength, 66); }),
        SliderStep(1014, 3, {SliderEndTrack}),
        DragSlider(1024, 3),
        SliderKey(1011, SliderBottom),
        DragSlider(1000, 1),
        DragSlider(1018, 0),
        PressEscape(),
    });
    EXPECT_EQ(RunGameSettingsDialog(), IdCancel);
    EXPECT_TRUE(checkedDuringDrag);
    const GameOptions& o = gameOptions; // Cancel keeps the changes in memory, unsaved
    EXPECT_EQ(std::tuple(o.windStrength, o.fuelAmount, o.visibility, o.gameType, o.player, o.difficulty),
              std::tuple(99, 75, 100, 1, 0, 84));
    EXPECT_EQ(std::pair(hookCalls, HeadlessStoreWrites()), std::pair(6, 0));

    // OK after a change saves the record (OK without one counts as Cancel: the start-up's first round below).
    HeadlessQueueDialog(144, {CountWorldRebuilds(), DragSlider(1008, 2), PressEnter()});
    EXPECT_EQ(RunGameSettingsDialog(), IdOk);
    EXPECT_TRUE(gameOptions.planet == 2 && SavedAsInMemory());
}

std::jmp_buf exitJump;

// View & Controls that cannot open report the error and stay paused; the settings end the program.
TEST_F(DialogTest, DialogsThatCannotOpenReportTheError)
{
    HeadlessFailNextDialog(8);
    EXPECT_EQ(RunViewControlsDialog(), -1);
    EXPECT_TRUE(!HeadlessExitRequested() && gameState.halted);
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_EQ(HeadlessMessageBoxes()[0].caption, "Error");

    HeadlessSetExitHook([](int) { std::longjmp(exitJump, 1); });
    HeadlessFailNextDialog(1813);
    if (setjmp(exitJump) == 0) {
        RunGameSettingsDialog();
        FAIL() << "the program went on";
    }
    EXPECT_TRUE(HeadlessExitRequested() && HeadlessExitCode() == 1813);
    ASSERT_EQ(HeadlessMessageBoxes().size(), 2u);
    const HeadlessMessageBox& box = HeadlessMessageBoxes()[1];
    EXPECT_EQ(box.text, std::string("DialogBox failed with error 1813: ") + PlatformErrorText(1813));
    EXPECT_TRUE(box.caption == "Error" && !box.question);
}

TEST(ControlsDescription, WordsForEachDeviceAndFlip)
{
    // input device, both flips; the keyboard's thrust key is never flipped
    const std::tuple<int, int, const char*> rows[] = {
        {0, 1, "Keyboard.\nControls are:\n\tUp: Space\n\tLeft: Right Arrow\n\tRight: Left Arrow"},
        {1, 1, "Joystick.\nControls are:\n\tUp: Joystick Down\n\tLeft: Joystick Right\n\tRight: Joystick Left"},
        {1, 0, "Joystick.\nControls are:\n\tUp: Joystick Up\n\tLeft: Joystick Left\n\tRight: Joystick Right"},
    };
    for (const auto& [device, flip, expected] : rows) {
        char text[256];
        gameOptions = {};
        gameOptions.inputDevice = device;
        gameOptions.flipHorizontal = gameOptions.flipVertical = flip;
        FormatControlsDescription(text, sizeof text);
        EXPECT_EQ(text, std::string("You are playing using the ") + expected);
    }
}

TEST_F(DialogTest, SizeAndZoomClicksRebuildOnlyOnRealChanges)
{
    // Clicking only the choices in force changes nothing: OK then counts as Cancel and saves nothing.
    HeadlessQueueDialog(165, {ClickControl(1022), ClickControl(1028), PressEnter()});
    EXPECT_EQ(RunViewControlsDialog(), IdCancel);
    EXPECT_EQ(HeadlessStoreWrites(), 0);

    HeadlessQueueDialog(165, {
        CountWorldRebuilds(),
        ClickControl(1022), // 640x480 is already in force
        ClickControl(1028), // best fit is already in force
        ClickControl(1023),
        ClickControl(1032),
        ClickControl(1019), // a flip changes the text, not the world
        PressEnter(),
    });
    EXPECT_EQ(RunViewControlsDialog(), IdOk);
    EXPECT_EQ(hookCalls, 2);
    const GameOptions& o = gameOptions;
    EXPECT_EQ(std::tuple(o.gameWidth, o.gameHeight, o.zoom, o.flipHorizontal), std::tuple(800, 600, -2, 1));
    EXPECT_NE(Control(LastDialog(), 1030).text.find("Left: Right Arrow"), std::string::npos);
    EXPECT_TRUE(SavedAsInMemory());
}

TEST_F(DialogTest, FullWindowSizeIsTheClientSizeCappedAndNeverEmpty)
{
    HeadlessSetClientSize(6000, 700);
    HeadlessQueueDialog(165, {CountWorldRebuilds(), ClickControl(1025), ClickControl(1025), PressEnter()});
    EXPECT_EQ(RunViewControlsDialog(), IdOk);
    EXPECT_TRUE(!Control(LastDialog(), 1022).checked && Control(LastDialog(), 1025).checked);
    EXPECT_EQ(std::pair(gameOptions.gameWidth, gameOptions.gameHeight), std::pair(5000, 700));
    EXPECT_EQ(hookCalls, 1);

    // A minimised window has no client area: the smallest fixed size stands in.
    HeadlessSetClientSize(0, 0);
    HeadlessQueueDialog(165, {CountWorldRebuilds(), ClickControl(1025), PressEscape()});
    RunViewControlsDialog();
    EXPECT_EQ(std::pair(gameOptions.gameWidth, gameOptions.gameHeight), std::pair(320, 200));

    // Any size but the four fixed ones opens with "Full Window Size" checked.
    gameOptions.gameWidth = 700;
    HeadlessQueueDialog(165, {PressEscape()});
    RunViewControlsDialog();
    for (int id : {1021, 1022, 1023, 1024, 1025})
        EXPECT_EQ(Control(LastDialog(), id).checked, id == 1025) << id;
}

TEST_F(DialogTest, InputDeviceSliderSnapsBackWithoutAJoystick)
{
    HeadlessQueueDialog(165, {CountWorldRebuilds(), DragSlider(1020, 1), PressEnter()});
    EXPECT_EQ(RunViewControlsDialog(), IdCancel);
    EXPECT_EQ(std::pair(gameOptions.inputDevice, Control(LastDialog(), 1020).sliderPos), std::pair(0, 0));
    EXPECT_EQ(Control(LastDialog(), JoystickStatusControl).iconId, IconNoJoystick);

    joystickAvailable = true;
    HeadlessQueueDialog(165, {CountWorldRebuilds(), DragSlider(1020, 1), PressEnter()});
    EXPECT_EQ(RunViewControlsDialog(), IdOk);
    EXPECT_EQ(std::pair(gameOptions.inputDevice, hookCalls), std::pair(1, 0));
    EXPECT_NE(Control(LastDialog(), 1030).text.find("using the Joystick"), std::string::npos);
}

TEST_F(DialogTest, ResultShowsTheTextsAtTheTopRightOfThePlayfieldUnclamped)
{
    HeadlessQueueDialog(164, {PressEnter()});
    EXPECT_EQ(ShowLandingResult("Landed!", "    Planet: 10\n    Fuel: 5", "Well done.\nScore: 15"), IdOk);
    const HeadlessDialogRecord& d = LastDialog();
    EXPECT_EQ(std::tuple(d.caption, Control(d, 1003).text, Control(d, 1004).text),
              std::tuple("Landed!", "Well done.\nScore: 15", "    Planet: 10\n    Fuel: 5"));
    ScreenRect client = PlatformGetClientScreenRect();
    EXPECT_EQ(std::pair(d.rect.right, d.rect.top), std::pair(client.right, client.top));

    // A window narrower than the dialog: its left edge lies left of the playfield.
    HeadlessSetClientSize(200, 150);
    HeadlessQueueDialog(164, {PressEscape()});
    EXPECT_EQ(ShowLandingResult("Crashed", "", "Sorry"), IdCancel);
    client = PlatformGetClientScreenRect();
    EXPECT_EQ(std::pair(LastDialog().rect.left, LastDialog().rect.top), std::pair(client.right - 221 * 3 / 2, client.top));
    EXPECT_LT(LastDialog().rect.left, client.left);
    EXPECT_TRUE(HeadlessPostedCommands().empty());
}

// ---- the options record: first-run defaults, range clamping, the round trip through the settings store ----

// Every field off its default, word 13 and the spare bytes included.
const GameOptions Sample = {0, 1, 1, 63, 3, 6, 100, 33, 2, 50, 1024, 768, -1, 0x12345678, 1, 0, {0xAB, 0xCD}};
const WindowPlacement Placement = {30, 40, 830, 640};

void PutValue(const char* name, const void* data, uint32_t size, uint32_t type = StoreTypeBinary)
{
    HeadlessStorePut(SettingsKeyPath, name, type, data, size);
}

bool SameBytes(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        // Leftovers in word 13 and the spare bytes, which the defaults must not touch.
        gameOptions = {};
        gameOptions.reserved = 4242;
        gameOptions.spare[0] = 7;
        gameOptions.spare[1] = 9;
        ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    }
    const GameOptions Defaults = {1, 0, 0, 0, 1, 5, 25, 0, 0, 0, 0, 0, 0, 4242, 0, 0, {7, 9}};
};

TEST_F(OptionsTest, SaveThenLoadGivesTheSameBytesAndPlacement)
{
    // The stored shapes themselves: 60 and 16 binary bytes, as the loads of wrongly shaped values below show.
    gameOptions = Sample;
    EXPECT_TRUE(SaveOptions() == StoreOk && SavedAsInMemory());
    const ScreenRect window = PlatformGetWindowRect();
    gameOptions = {};
    LoadOptions();
    EXPECT_TRUE(SameBytes(&gameOptions, &Sample, 60));
    ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
    const ScreenRect moved = HeadlessLastSetWindowRect();
    EXPECT_TRUE(SameBytes(&moved, &window, 16));
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);

    HeadlessFailStoreCreate(StoreAccessDenied);
    EXPECT_EQ(SaveOptions(), StoreAccessDenied);
}

TEST_F(OptionsTest, StoredValuesOfTheWrongShapeGiveDefaultsOrLeaveTheWindowAlone)
{
    uint8_t bytes[61] = {};
    std::memcpy(bytes, &Sample, 60);
    // Options of 59 or 61 bytes, not binary or missing give the defaults, and a valid placement still moves the
    // window; a short or missing placement leaves it alone.
    const struct {
        uint32_t size, type, placement;
    } rows[] = {{59, StoreTypeBinary, 16}, {61, StoreTypeBinary, 16}, {60, StoreTypeDword, 16},
                {0, StoreTypeNone, 16},    {60, StoreTypeBinary, 12}, {60, StoreTypeBinary, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.size << " bytes of type " << row.type << ", placement " << row.placement);
        SetUp();
        if (row.type != StoreTypeNone)
            PutValue(OptionsValueName, bytes, row.size, row.type);
        if (row.placement)
            PutValue(WindowValueName, &Placement, row.placement);
        LoadOptions();
        const bool kept = row.size == 60 && row.type == StoreTypeBinary, moved = row.placement == 16;
        EXPECT_TRUE(SameBytes(&gameOptions, kept ? &Sample : &Defaults, 60));
        ASSERT_EQ(HeadlessSetWindowRectCount(), moved ? 1 : 0);
        const ScreenRect placed = HeadlessLastSetWindowRect();
        EXPECT_TRUE(!moved || SameBytes(&placed, &Placement, 16));
        EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    }
}

TEST_F(OptionsTest, OutOfRangeStoredFieldsAreClampedOnLoad)
{
    const GameOptions wild = {-3, 2, 5, 101, 0, 99, 60, 100, 7, 74, 9000, 5, -9, 77, 7, 255, {1, 2}};
    PutValue(OptionsValueName, &wild, 60);
    LoadOptions();
    const GameOptions clamped = {0, 1, 1, 100, 1, 10, 50, 99, 3, 50, 5000, 16, -2, 77, 1, 1, {1, 2}};
    EXPECT_TRUE(SameBytes(&gameOptions, &clamped, 60));

    // Half a playfield size is no size; fuel 125 (only the difficulty slider sets it) is kept.
    GameOptions half = Sample;
    half.gameWidth = 0;
    half.fuelAmount = 125;
    ClampOptions(half);
    EXPECT_EQ(std::pair(half.gameHeight, half.fuelAmount), std::pair(0, 125));
}

TEST_F(OptionsTest, APlayfieldTakenFromTheWindowKeepsTheLoadedLimitsAndSurvivesReload)
{
    // client width, height -> playfield width, height
    const int cases[][4] = {{2047, 1, 2047, 16}, {9000, 5, 5000, 16}, {8, 6000, 16, 5000}, {0, 0, 320, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " x " << c[1]);
        SetDefaultOptions();
        HeadlessSetClientSize(c[0], c[1]);
        FillPlayfieldSizeFromClient();
        EXPECT_EQ(std::pair(gameOptions.gameWidth, gameOptions.gameHeight), std::pair(c[2], c[3]));
        const GameOptions taken = gameOptions;
        ASSERT_EQ(SaveOptions(), StoreOk);
        gameOptions = {};
        LoadOptions();
        EXPECT_TRUE(SameBytes(&gameOptions, &taken, 60));
    }
}

// ---- the program's spine: start-up, the pause protocol around the dialogs, new game, exit and close ----

std::vector<int> DialogIds()
{
    std::vector<int> ids;
    for (const HeadlessDialogRecord& d : HeadlessDialogs())
        ids.push_back(d.resourceId);
    return ids;
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

TEST_F(ShellTest, FirstRoundWaitsHaltedForTheSettingsAndThePause)
{
    // Start-up loads the stored options and posts the settings dialog, halted; OK or Cancel there leads to Game
    // Paused with the timers running, and Continue clears the halt.
    GameOptions stored{};
    stored.player = 1, stored.surfaceRoughness = 2, stored.fuelAmount = 50, stored.planet = 2;
    for (bool ok : {true, false}) {
        SCOPED_TRACE(ok ? "OK" : "Cancel");
        SetUp();
        HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &stored, 60);
        ASSERT_TRUE(AppStartup());
        EXPECT_TRUE(gameOptions.planet == 2 && gameState.halted && HeadlessDialogs().empty());
        EXPECT_EQ(HeadlessPostedCommands(), std::vector<int>{CmdGameSettings});
        EXPECT_TRUE(HeadlessTimerRunning(TimerMeteorLaunch));
        bool haltedInPause = false;
        HeadlessQueueDialog(144, {ok ? PressEnter() : PressEscape()});
        HeadlessQueueDialog(166, {CallInDialog([&](Dialog*) { haltedInPause = gameState.halted; }),
                                  AdvanceInDialog(1000), ClickControl(IdOk)});
        HeadlessPump();
        EXPECT_EQ(DialogIds(), (std::vector<int>{144, 166}));
        for (auto [id, expiries] : {std::pair{TimerStep, 100u}, {TimerRepaint, 20u}, {TimerStarTwinkle, 5u}})
            EXPECT_EQ(HeadlessTimerExpiries(id), expiries) << id;
        EXPECT_TRUE(haltedInPause && !gameState.halted);
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
    EXPECT_TRUE(HeadlessMessageBoxes()[0].question && HeadlessMessageBoxes()[0].caption == "New Game");
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
    EXPECT_TRUE(HeadlessWindowWasDestroyed() && !HeadlessLoopLimitReached());
    EXPECT_EQ(DialogIds(), std::vector<int>{144});
    ASSERT_TRUE(SavedAsInMemory());
    // No size was chosen: the first round took the client size, and that is what is kept.
    EXPECT_EQ(std::pair(gameOptions.gameWidth, gameOptions.gameHeight),
              std::pair(HeadlessDefaultClientWidth, HeadlessDefaultClientHeight));
    uint32_t type = 0;
    std::vector<uint8_t> placement;
    EXPECT_TRUE(HeadlessStoreGet(SettingsKeyPath, WindowValueName, &type, &placement) && placement.size() == 16u);
}

TEST_F(ShellTest, ResultDialogExitSavesButTheCloseBoxEndsWithoutSaving)
{
    StartAndContinue();
    HeadlessQueueDialog(164, {ClickControl(IdExitGame)});
    EXPECT_EQ(ShowLandingResult("Crashed", "", "Sorry"), IdExitGame);
    EXPECT_TRUE(HeadlessWindowWasDestroyed() && SavedAsInMemory());

    TearDown();
    SetUp();
    StartAndContinue();
    HeadlessClickCloseBox();
    EXPECT_TRUE(HeadlessWindowWasDestroyed());
    EXPECT_TRUE(PlatformRunMessageLoop() == 0 && !HeadlessLoopLimitReached());
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
    EXPECT_TRUE(HeadlessPostedCommands().empty() && HeadlessDialogs().empty() && !HeadlessTimerRunning(TimerStep));
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
    EXPECT_TRUE(HeadlessMessageBoxes().empty() && !gameState.halted);
}

} // namespace
