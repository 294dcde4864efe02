// Whole flights under the game's own timers on the virtual clock, the contact tests at their exact edges, the
// verdict's texts and score, and the player's input and the sounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "resources/commands.h"
#include "sim/options.h"
#include "app/shell.h"
#include "io/input.h"
#include "io/sound.h"
#include "scoring/landing_report.h"
#include "platform/app_entry.h"
#include "dialogs/dialogs.h"
#include "platform/headless/headless.h"
#include "platform/sound.h"
#include "platform/window.h"
#include "sim/contact.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "sim/tick.h"
#include "sim/timers.h"
#include "world/world.h"

namespace {

constexpr int ResultDialogId = 164;
constexpr int SettingsDialogId = 144;
constexpr int PauseDialogId = 166;

size_t soundsBefore = 0; // the start-up priming's sounds are not the flight's

int CountSounds(int soundId)
{
    const auto& events = HeadlessSoundEvents();
    return static_cast<int>(std::count_if(events.begin() + soundsBefore, events.end(),
                                          [&](const HeadlessSoundEvent& e) { return e.soundId == soundId; }));
}

int CountDialogs(int resourceId)
{
    const auto& dialogs = HeadlessDialogs();
    return static_cast<int>(std::count_if(dialogs.begin(), dialogs.end(),
                                          [&](const HeadlessDialogRecord& d) { return d.resourceId == resourceId; }));
}

// The verdict's caption and nesting depth, once it has opened.
std::pair<std::string, int> Verdict()
{
    for (const auto& d : HeadlessDialogs())
        if (d.resourceId == ResultDialogId)
            return {d.caption, d.depth};
    return {"", -1};
}

// The game started as a player starts it, the settings dialog cancelled and the pause continued, then a
// world built by hand: ground at height 100 everywhere and one platform of width 40 at column 300.
class FlightTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameState = {};
        engineSoundOn = tippingSoundOn = false;
        joystickId = -1;
        HeadlessQueueDialog(SettingsDialogId, {PressEscape()});
        HeadlessQueueDialog(PauseDialogId, {PressEnter()});
        ASSERT_TRUE(AppStartup());
        HeadlessPump();
        ASSERT_FALSE(gameState.halted);
        ASSERT_EQ(gameOptions.player, 1);
        soundsBefore = HeadlessSoundEvents().size();
    }
    void TearDown() override
    {
        HeadlessSetKey(KeySpace, false);
        AppShutdown();
    }

    // Builds the flat world, calms the wind and puts the craft's centre over `column`, its feet `above` the ground.
    void PlaceCraft(double column, double above, double vx, double vy, double angle = 0)
    {
        std::fill(std::begin(TerrainProfile), std::end(TerrainProfile), 100);
        gameState.platformCount = 1;
        platforms[0] = {300, 100, 40, 24};
        Craft& c = gameState.craft;
        c.x = column - 21;
        c.y = 100 + 31 + above;
        c.vx = vx;
        c.vy = vy;
        c.angle = angle;
        gameState.wind = gameState.windTarget = gameState.windMax = gameState.windGust = 0;
    }

    // Runs the flight until it ends (at most `ms`).
    void FlyUntilContact(uint64_t ms = 3000)
    {
        for (uint64_t t = 0; t < ms && HeadlessTimerRunning(TimerStep); t += 10)
            HeadlessAdvance(10);
        ASSERT_FALSE(HeadlessTimerRunning(TimerStep));
    }
};

TEST_F(FlightTest, GentleDescentOntoPlatformLandsAndLeadsToNextFlight)
{
    PlaceCraft(320, 10, 0, -20);
    FlyUntilContact();
    const GameState& g = gameState;
    EXPECT_TRUE(g.landed && g.touchdownPlatform == 0 && g.craft.angle == 0);
    EXPECT_EQ(LandingOutcome(), 1);
    EXPECT_DOUBLE_EQ(g.craft.y, 100 + 31 + 5);
    EXPECT_EQ(std::pair(HeadlessSoundEvents().back().soundId, HeadlessSoundEvents().back().flags),
              std::pair(int(SoundTouchdown), 0x42005u));
    EXPECT_FALSE(HeadlessTimerRunning(TimerPostLanding)); // only the legged craft has touch-down frames

    // Dust 50, 46, ... 18 every 100 ms: the ninth expiry starts the result timer; Space held keeps the verdict back.
    EXPECT_EQ(HeadlessTimerPeriod(TimerDust), 100);
    HeadlessSetKey(KeySpace, true);
    HeadlessAdvance(900);
    EXPECT_TRUE(g.dustSize <= 20 && !HeadlessTimerRunning(TimerDust));
    EXPECT_EQ(HeadlessTimerPeriod(TimerResult), 200);
    HeadlessAdvance(1000);
    EXPECT_EQ(CountDialogs(ResultDialogId), 0);

    HeadlessQueueDialog(ResultDialogId, {PressEnter()});
    HeadlessSetKey(KeySpace, false);
    HeadlessAdvance(200); // the first query after the release still sees the press-since bit
    HeadlessAdvance(200);
    ASSERT_EQ(CountDialogs(ResultDialogId), 1);
    EXPECT_EQ(Verdict().first, "Successful Landing");
    // The next flight: outcome cleared, a new round halted behind a new settings dialog.
    EXPECT_TRUE(LandingOutcome() == 0 && !g.landed && !HeadlessTimerRunning(TimerResult));
    HeadlessAdvance(10);
    EXPECT_EQ(CountDialogs(SettingsDialogId), 2);
}

TEST_F(FlightTest, LeggedCraftLandingRunsTouchdownFrames)
{
    gameOptions.gameType = 1;
    PlaceCraft(320, 6, 0, -10);
    FlyUntilContact();
    EXPECT_TRUE(gameState.landed && HeadlessTimerPeriod(TimerPostLanding) == 70);
    HeadlessAdvance(70 * 12);
    EXPECT_TRUE(gameState.postLandingFrame == 10 && !HeadlessTimerRunning(TimerPostLanding));
}

TEST_F(FlightTest, SoftTouchTipsTheCraftOverOntoItsSide)
{
    // Over the platform's left edge, and the legged craft rolling to the right (which rule tips which way, for
    // every kind, is the contact tests' work): the tip-over runs on its own timer to the same end.
    const struct {
        int gameType;
        double column, angle, tipStep;
    } tips[] = {{0, 300 - 4, 0, -1}, {1, 320, 5, 1}};
    for (const auto& tip : tips) {
        SCOPED_TRACE(tip.gameType);
        if (&tip != tips) {
            TearDown();
            SetUp();
        }
        gameOptions.gameType = tip.gameType;
        PlaceCraft(tip.column, 1, 0, -30, tip.angle);
        FlyUntilContact();
        GameState& g = gameState;
        EXPECT_EQ(LandingOutcome(), tip.gameType == 0 ? 3 : 5);
        EXPECT_TRUE(g.tipPlatform == 0 && !HeadlessTimerRunning(TimerMeteorLaunch));
        EXPECT_EQ(HeadlessTimerPeriod(TimerTipOver), 100);
        const TipOrigin origin = g.tipOrigin;
        const size_t contactSounds = HeadlessSoundEvents().size();

        // Eleven steps pass 90 degrees, the twelfth wrecks the craft where the tip-over began.
        HeadlessAdvance(1100);
        EXPECT_TRUE(!g.crashed && std::fabs(g.craft.angle) > 90 && (g.craft.angle > 0) == (tip.tipStep > 0));
        HeadlessAdvance(100);
        EXPECT_TRUE(g.crashed && !g.craft.intact && !g.outcomeCrashed);
        EXPECT_EQ(g.craft.angle, 90 * tip.tipStep);
        EXPECT_EQ(std::pair(g.craft.x, g.craft.y), std::pair(origin.x, origin.y));
        // The tipping sound starts with the first tip-over step (the engine-stop timer, still armed from the
        // descent, may cut it once; the next step then starts it again); the explosion ends the sequence.
        ASSERT_GT(HeadlessSoundEvents().size(), contactSounds);
        EXPECT_EQ(HeadlessSoundEvents()[contactSounds].soundId, SoundTipping);
        EXPECT_LE(CountSounds(SoundTipping), 2);
        EXPECT_EQ(HeadlessSoundEvents().back().soundId, SoundExplosion);
        EXPECT_EQ(HeadlessTimerPeriod(TimerResult), 200);
    }
}

TEST_F(FlightTest, WorldRebuiltBeforeTheVerdictEndsTheOldFlight)
{
    // A world rebuilt (a settings change) while the craft tips over, during the legged craft's touch-down frames,
    // during the dust, waiting after it or after a crash: the old flight's timers stop without moving the new
    // round's craft, and no verdict opens for the round that has not flown.
    const struct {
        const char* what;
        int gameType;
        double column, above, vy;
        uint64_t msAfterContact;
    } cases[] = {{"tipping over", 0, 300 - 4, 1, -30, 300}, {"touch-down frames", 1, 320, 6, -10, 0},
                 {"during the dust", 0, 320, 10, -20, 300}, {"waiting after the dust", 0, 320, 10, -20, 950},
                 {"after a crash", 0, 200, 10, -200, 100}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        gameOptions.gameType = c.gameType;
        gameState.halted = false;
        PlaceCraft(c.column, c.above, 0, c.vy);
        PlatformSetTimer(TimerStep, 10);
        FlyUntilContact();
        ASSERT_NE(LandingOutcome(), 0);
        HeadlessAdvance(c.msAfterContact);
        ASSERT_EQ(CountDialogs(ResultDialogId), 0);
        gameState.halted = true;
        RegenerateWorld();
        const Craft start = gameState.craft;
        HeadlessAdvance(2000);
        EXPECT_EQ(CountDialogs(ResultDialogId), 0);
        for (int id : {TimerTipOver, TimerPostLanding, TimerDust, TimerResult})
            EXPECT_FALSE(HeadlessTimerRunning(id)) << id;
        EXPECT_TRUE(gameState.craft.x == start.x && gameState.craft.y == start.y && gameState.craft.angle == 0);
        EXPECT_EQ(gameState.postLandingFrame, 0);
    }
}

TEST_F(FlightTest, VerdictWaitsUntilTheGamesDialogsAreClosed)
{
    // Game Settings opened between touch-down and verdict, kept open past the result's time, then the pause.
    PlaceCraft(320, 10, 0, -20);
    FlyUntilContact();
    ASSERT_TRUE(gameState.landed);
    HeadlessQueueDialog(SettingsDialogId, {AdvanceInDialog(2000), PressEscape()});
    HeadlessQueueDialog(PauseDialogId, {AdvanceInDialog(500), PressEnter()});
    HeadlessQueueDialog(ResultDialogId, {PressEnter()});
    PlatformPostCommand(CmdGameSettings);
    HeadlessAdvance(10);
    EXPECT_EQ(CountDialogs(ResultDialogId), 0);
    HeadlessAdvance(200);
    EXPECT_EQ(Verdict(), std::pair(std::string("Successful Landing"), 1));
    // After start-up's pair: the settings dialog, its pause, and only then the verdict.
    std::vector<int> order;
    for (const auto& d : HeadlessDialogs())
        order.push_back(d.resourceId);
    order.resize(5);
    EXPECT_EQ(order, (std::vector<int>{SettingsDialogId, PauseDialogId, SettingsDialogId, PauseDialogId, ResultDialogId}));
}

TEST_F(FlightTest, HardTouchesOffPlatformTouchesAndTheSidesAreCrashes)
{
    const struct {
        const char* what;
        double column, above, vx, vy;
    } crashes[] = {
        {"too fast onto the platform", 320, 4, 0, -45},
        {"the slowest touch away from every platform", 100, 2, 0, -1},
        {"the left side, high above the ground", 6, 300, -30, 0}, // the body's left edge crosses column 0
        {"the right side", 640 - 8, 300, 30, 0},
    };
    for (const auto& crash : crashes) {
        if (&crash != crashes) {
            TearDown();
            SetUp();
        }
        PlaceCraft(crash.column, crash.above, crash.vx, crash.vy);
        FlyUntilContact();
        const GameState& g = gameState;
        EXPECT_EQ(LandingOutcome(), 2) << crash.what;
        EXPECT_TRUE(g.crashed && !g.craft.intact && g.craft.mainEngineOn) << crash.what;
        EXPECT_EQ(HeadlessSoundEvents().back().soundId, SoundExplosion) << crash.what;
        EXPECT_TRUE(HeadlessTimerRunning(TimerResult) && !HeadlessTimerRunning(TimerTipOver)) << crash.what;
        EXPECT_TRUE(crash.above < 300 || g.craft.y > 300) << crash.what; // the sides are hit high up
    }
}

TEST_F(FlightTest, HaltedStepsChangeNothingAndTheEngineSoundOutlivesTheLastFiringBy250ms)
{
    PlaceCraft(320, 2000, 0, 0);
    gameState.craft.y = 470;
    gameState.craft.vy = 0;
    gameState.craft.fuel = 50;
    HeadlessSetKey(KeySpace, true);
    gameState.halted = true; // halted, Space held: nothing moves, burns or sounds while the repaints go on
    const Craft before = gameState.craft;
    const uint64_t repaints = HeadlessTimerExpiries(TimerRepaint);
    HeadlessAdvance(1000);
    EXPECT_TRUE(gameState.craft.x == before.x && gameState.craft.y == before.y && gameState.craft.fuel == 50);
    EXPECT_EQ(CountSounds(SoundEngine), 0);
    EXPECT_EQ(HeadlessTimerExpiries(TimerRepaint), repaints + 20);

    gameState.halted = false;
    HeadlessAdvance(100);
    EXPECT_LT(gameState.craft.fuel, 50);
    EXPECT_EQ(CountSounds(SoundEngine), 1); // one start, not one per step

    // A 200 ms pause keeps the loop going without a restart.
    HeadlessSetKey(KeySpace, false);
    HeadlessAdvance(200);
    EXPECT_EQ(HeadlessSoundPlaying(), SoundEngine);
    HeadlessSetKey(KeySpace, true);
    HeadlessAdvance(50);
    EXPECT_EQ(CountSounds(SoundEngine), 1);

    // A 300 ms pause stops it; the next firing starts it afresh.
    HeadlessSetKey(KeySpace, false);
    HeadlessAdvance(300);
    EXPECT_EQ(HeadlessSoundPlaying(), 0);
    HeadlessSetKey(KeySpace, true);
    HeadlessAdvance(20);
    EXPECT_EQ(CountSounds(SoundEngine), 2);
}

// The horizontal speed a step gave the craft beyond the wind of that step.
double SteeredSpeed()
{
    return gameState.craft.vx - (gameState.wind + gameState.windGust);
}

TEST_F(FlightTest, SideJetsAndTurningFollowTheCraftKind)
{
    // The legged craft pushes along its tilt.
    gameOptions.gameType = 1;
    PlaceCraft(320, 300, 0, 0, 30);
    gameState.craft.fuel = 10;
    StepFlight({100, 0, 0});
    EXPECT_NEAR(SteeredSpeed(), std::sin(30 / 180.0 * 3.141592653589793) * gameState.thrustFactor, 1e-12);
    EXPECT_FALSE(gameState.craft.jetLeftOn || gameState.craft.jetRightOn);

    // One step from rest: an empty tank gives neither thrust nor steering, both jets cancel while their fuel use
    // adds up, half deflection pushes half as hard, the legged craft turns with an empty tank and stops at 85
    // degrees, and demands beyond their ranges act as the range's ends: 100 for thrust and jets, 471 for turning.
    const struct {
        int gameType;
        ControlInput demand;
        double fuel, angle0;        // before the step
        double vy, vx, angle, used; // after it: vy in thrust units with gravity left out, fuel used
        bool firing;
    } steps[] = {
        {0, {100, 100, 0}, 0, 0, 0, 0, 0, 0, false},
        {0, {0, 100, 100}, 10, 0, 0, 0, 0, 0.1, true},
        {0, {0, 0, 50}, 10, 0, 0, 0.5, 0, 0.025, true},
        {1, {0, 0, 100}, 0, 84.5, 0, 0, 85, 0, false},
        {0, {INT32_MAX, 0, INT32_MAX}, 10, 0, 1, 1, 0, 0.15, true},
        {0, {INT32_MIN, INT32_MIN, INT32_MIN}, 10, 0, 0, 0, 0, 0, false},
        {1, {0, 0, 1000}, 10, 0, 0, 0, 4.71, 0, false},
        {1, {0, INT32_MAX, 0}, 10, 0, 0, 0, -4.71, 0, false},
    };
    for (const auto& w : steps) {
        SCOPED_TRACE(testing::Message() << w.demand.thrust << " " << w.demand.left << " " << w.demand.right);
        gameOptions.gameType = w.gameType;
        PlaceCraft(320, 300, 0, 0, w.angle0);
        gameState.craft.fuel = w.fuel;
        StepFlight(w.demand);
        const Craft& c = gameState.craft;
        EXPECT_NEAR(c.vy + gameState.gravity, w.vy * gameState.thrustFactor, 1e-9);
        EXPECT_NEAR(SteeredSpeed(), w.vx, 1e-9);
        EXPECT_NEAR(c.angle, w.angle, 1e-9);
        EXPECT_NEAR(w.fuel - c.fuel, w.used, 1e-9);
        EXPECT_EQ(c.mainEngineOn || c.jetLeftOn || c.jetRightOn, w.firing);
    }

    // A craft gone wild is recorded at the ends of the recorder's range, not wrapped around.
    Craft& c = gameState.craft;
    c.x = 1e300;
    c.y = -1e300;
    c.vy = std::nan("");
    c.angle = -2147483648.5;
    recordCount = 0;
    RecordFlightFrame();
    const FlightFrame& f = flightRecord[0];
    EXPECT_EQ((std::vector<int32_t>{f.x, f.y, f.vy, f.angle}), (std::vector<int32_t>{INT32_MAX, INT32_MIN, 0, INT32_MIN}));
}

// The contact tests at their exact edges, on a hand-built world: ground at 100, platforms of width 40 at
// columns 300 and 500 standing at 100. The rocket's box spans columns x + 14 .. x + 28, its feet are y - 31.
class ContactTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
        gameState = {};
        gameOptions = {};
        SetDefaultOptions();
        gameOptions.gameWidth = 640;
        gameOptions.gameHeight = 480;
        std::fill(std::begin(TerrainProfile), std::end(TerrainProfile), 100);
        gameState.platformCount = 2;
        platforms[0] = {300, 100, 40, 24};
        platforms[1] = {500, 100, 40, 24};
        recordCount = 7;
        recordWrapped = false;
    }
    // Runs the contact tests for a craft whose box starts at column `left` with its feet at `feet`.
    int Touch(double left, double feet, double vx = 0, double vy = -10, double angle = 0)
    {
        const GameTypeInfo& type = CurrentGameType();
        GameState& g = gameState;
        g.craft = {left - type.hitLeft, feet + type.hitBottom, vx, vy, angle, 50, false, false, false, true};
        g.landed = g.crashed = false;
        g.outcomeLanded = g.outcomeCrashed = g.outcomeEdgeTip = g.outcomeSpeedTip = g.outcomeRollTip = false;
        g.tipStep = 0;
        g.tipPlatform = -1;
        CheckContact();
        return LandingOutcome();
    }
    // The outcome signed by the tip-over's direction: -3 tips over the left edge, 4 slides and tips to the right.
    double Tip(double left, double feet, double vx = 0, double vy = -10, double angle = 0)
    {
        const int outcome = Touch(left, feet, vx, vy, angle);
        return outcome * gameState.tipStep;
    }
};

TEST_F(ContactTest, LandingWindowAndLimitsAreExact)
{
    EXPECT_EQ(Touch(310, 105), 0); // feet exactly 5 above the surface: not yet
    EXPECT_EQ(Touch(310, 104.999), 1);
    EXPECT_EQ(std::pair(gameState.craft.y, finalRecord), std::pair(100.0 + 31 + 5, 6)); // set down 5 above it
    EXPECT_EQ(Touch(300, 104), 1);     // box flush with the left end
    EXPECT_EQ(Touch(326, 104), 1);     // and with the right end (column 340 belongs to the platform)
    EXPECT_EQ(Touch(299.999, 104) + Touch(326.001, 104), 0); // a hair over either end: nothing at all
    EXPECT_EQ(Touch(310, 104, 0, -40), 0); // 40 is too fast: the scan finds no ground yet
    EXPECT_EQ(Touch(310, 99.5, 0, -40), 2); // and at the ground it is no soft touch
    EXPECT_EQ(Tip(310, 99.5, 40, -10), 4); // sliding at exactly 40 tips toward the travel
    EXPECT_EQ(Tip(310, 99.5, -40, -10), -4);
    EXPECT_EQ(Touch(310, 104, 0, -10, 45), 1); // the rocket's tilt does not matter

    gameOptions.gameType = 1; // legged craft: box x + 7 .. x + 35
    EXPECT_EQ(Touch(306, 104, 0, -10, 2.999), 1);
    EXPECT_EQ(Touch(306, 104, 0, -10, 3.0), 0); // tilted 3 degrees: no landing test at all
    EXPECT_EQ(Tip(306, 99.5, 0, -10, 3.0), 5); // rolls toward the tilt
    EXPECT_EQ(Tip(306, 99.5, 0, -10, -3.0), -5);
}

TEST_F(ContactTest, GroundScanReadsFromTheTruncatedLeftEdgeToTheRightEdge)
{
    TerrainProfile[99] = 200;
    EXPECT_EQ(std::pair(Touch(99.7, 150), Touch(100, 150)), std::pair(2, 0)); // 99.7 reads column 99 too
    TerrainProfile[99] = 100;
    TerrainProfile[130] = 200;
    EXPECT_EQ(std::pair(Touch(116, 150), Touch(115.9, 150)), std::pair(2, 0)); // right edge exactly on column 130

    // The sides count before any column; a box ending exactly on the right edge reads column gameWidth.
    EXPECT_EQ((std::vector{Touch(-0.001, 400), Touch(626, 400), Touch(626.001, 400)}), (std::vector{2, 0, 2}));
    TerrainProfile[640] = 450;
    EXPECT_EQ(Touch(626, 400), 2);

    // With an empty, wrapped ring the last frame written is the ring's last entry.
    recordCount = 0;
    recordWrapped = true;
    Touch(100, 99);
    EXPECT_EQ(finalRecord, FlightRecordSize - 1);
}

TEST_F(ContactTest, TipRulesGoPlatformByPlatformThenRuleByRule)
{
    // A box over the right end of platform 0 and the left end of platform 1: the lower index decides.
    platforms[1] = {345, 100, 40, 24};
    EXPECT_EQ(Tip(335, 99.5), 3);
    EXPECT_EQ(gameState.tipPlatform, 0);

    // A box wider than a platform straddles both ends: the left-end rule comes first.
    gameOptions.gameType = 1;
    platforms[0] = {300, 100, 10, 54};
    EXPECT_EQ(Tip(295, 99.5), -3);

    // "Near" is feet less than 3 above the platform: a lip of higher ground beside it shows the edge.
    gameOptions.gameType = 0;
    platforms[0] = {300, 100, 40, 24};
    for (int col = 290; col < 300; ++col)
        TerrainProfile[col] = 110;
    EXPECT_EQ(std::pair(Touch(295, 103), Touch(295, 102.99)), std::pair(2, 3));
    EXPECT_EQ(std::pair(gameState.tipOrigin.x, gameState.tipOrigin.y), std::pair(295.0 - 14, 102.99 + 31));
}

TEST_F(ContactTest, TipOverPathTruncatesTowardZero)
{
    // From upright toward the left: the angles -1, -2.4, -4.36, ... and the offsets truncated toward zero
    // (sin(a) x 15 and (1 - cos(a)) x 2.5); a rounding down would give -1, -1, -2, ... from the first step.
    const int dx[] = {0, 0, -1, -1, -2, -4, -6, -8, -11, -14, -14};
    const int dy[] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2};
    GameState& g = gameState;
    g.craft.angle = 0;
    g.tipStep = -1;
    g.tipOrigin = {200.5, 300.25};
    for (int i = 0; i < 11; ++i) {
        StepTipOver();
        ASSERT_EQ(std::pair(g.craft.x, g.craft.y), std::pair(200.5 + dx[i], 300.25 - dy[i])) << "step " << i + 1;
    }
    EXPECT_NEAR(g.craft.angle, -98.739129, 1e-6);
    EXPECT_FALSE(g.crashed);
    StepTipOver(); // the twelfth step lays the craft down and forgets where the tip-over began
    EXPECT_TRUE(g.crashed && g.tipOrigin.x == 0);
}

TEST_F(ContactTest, WindDrawsEachStep)
{
    // No wind setting: the target is drawn from RandomBelow(0) = -1, a thousandth either way.
    GameState& g = gameState;
    g.craft = {300, 400, 0, 0, 0, 50, false, false, false, true};
    g.wind = g.windTarget = g.windMax = 0;
    uint64_t draws = RandomDrawCount();
    StepFlight({0, 0, 0});
    EXPECT_EQ(RandomDrawCount() - draws, 4u); // target strength and side, the drift, the gust
    EXPECT_DOUBLE_EQ(std::fabs(g.windTarget), 0.001);
    EXPECT_TRUE(std::fabs(g.wind) >= 0.0001 && std::fabs(g.wind) <= 0.001);
    // Far from its target the wind only drifts: two draws.
    g.windTarget = 0.3;
    g.wind = 0.2;
    draws = RandomDrawCount();
    StepFlight({0, 0, 0});
    EXPECT_TRUE(RandomDrawCount() - draws == 2u && g.wind > 0.2);
}

// ---- the verdict: its texts, the multiplier formatting and the score breakdown of each outcome ----

struct Report {
    std::string title, message, details;
    int score;
    bool Has(const char* line) const { return details.find(line) != std::string::npos; }
};

Report Build(int outcome)
{
    std::vector<char> details(ReportBufferSize, 0), title(ReportBufferSize, 0), message(ReportBufferSize, 0);
    int score = BuildLandingReport(details.data(), title.data(), message.data(), outcome);
    return {title.data(), message.data(), details.data(), score};
}

// The example flight: a rocket on the Moon, roughness 1, visibility 0, wind 0, platform size 5, fuel
// amount 25, on a platform worth 20 points with 43.7 units of fuel left.
class ScoringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = {};
        gameOptions = {};
        gameOptions.surfaceRoughness = 1;
        gameOptions.platformSize = 5;
        gameOptions.fuelAmount = 25;
        platforms[0] = {100, 50, 30, 20};
        platforms[1] = {300, 60, 20, 30};
        gameState.touchdownPlatform = 0;
        gameState.tipPlatform = -1;
        gameState.craft.fuel = 43.7;
        gameState.craft.x = 100 + 15 - 21 + 40; // far from the centre: centring bonus 1
        std::memset(flightRecord, 0, sizeof flightRecord);
        recordCount = finalRecord = 0;
        recordWrapped = false;
    }
};

TEST(FormatMultiplier, TruncatesToThreeDecimals)
{
    // Wind bonuses 1 + 0.33 k and platform size bonuses 1 + 0.1 p as the game computes them, stray and wild
    // values, and negatives, which keep the whole part's sign only.
    const struct {
        double value;
        const char* text;
    } rows[] = {{1.25, "1.250"}, {1.9999, "1.999"}, {1.0004, "1.000"}, {1e300, "2147483647"}, {1.0, "1"},
                {1.33, "1.330"}, {1.66, "1.659"},   {1.1, "1.100"},    {1.2, "1.199"},      {1.9, "1.899"},
                {2.0, "2"},      {-1.25, "-1.250"}, {-0.5, "0.500"},   {-3.0, "-3"}};
    for (const auto& row : rows)
        EXPECT_STREQ(FormatMultiplier(row.value), row.text) << row.value;
}

TEST_F(ScoringTest, LandingFollowsTheWorkedExample)
{
    for (int i = 0; i < 100; ++i) // falling straight down, never turning back
        flightRecord[i].x = 100, flightRecord[i].y = 400 - i;
    recordCount = 100;
    finalRecord = 99;
    Report r = Build(1);
    EXPECT_EQ(r.title, "Successful Landing");
    EXPECT_EQ(r.details, "    Total Planetary Score: 10\n"
                         "        Planet Base Score: 10\n"
                         "        Requested Planet Surface Bonus: 1 x\n"
                         "        Requested Visibility Bonus: 1 x\n"
                         "        Requested Wind Bonus: 1 x\n"
                         "\n"
                         "    Total Landing Platform Score: 30\n"
                         "        Landing Platform Base Score: 20\n"
                         "        Requested Landing Platform Size Bonus: 1.500 x\n"
                         "\n"
                         "    Total Fuel Score: 4\n"
                         "        Leftover Fuel Base Score: 4\n"
                         "        Requested Fuel Amount Bonus: 1 x\n"
                         "\n"
                         "    Total Landing Ergonomics Score: 30\n"
                         "        Landing Continuity Base Score: 10\n"
                         "        Landing Precision Bonus: 3 x\n"
                         "\n");
    // Continuity 10; vy 0 and upright: precision 2 x 1.5 x 1.
    EXPECT_EQ(r.score, 10 + 30 + 4 + 30);
    EXPECT_EQ(r.message, "Congratulations!\nYou successfully landed your spaceship.\nScore: 74");

    flightRecord[99].y = flightRecord[98].y + 1; // rose in the very last frame: rise term 5/N
    flightRecord[50].x = 101;                    // right, then back left at 51: reversal age 49
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 2.500\n"));

    // A wrapped ring falling straight down, the next frame going to 300: N = 10000, the scan starts at the
    // oldest frame (300), which never turned back.
    for (int i = 0; i < FlightRecordSize; ++i)
        flightRecord[i].x = 100, flightRecord[i].y = 20000 - (i - 300 + FlightRecordSize) % FlightRecordSize;
    recordCount = 300;
    recordWrapped = true;
    finalRecord = 299;
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 10\n"));
    // A rise written at 9000 counts across the wrap: rise age 300 - 9000 + 10000 = 1300, reversal age 10000.
    flightRecord[9000].y = flightRecord[8999].y + 5;
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 5.650\n"));
}

TEST_F(ScoringTest, CrashTipOverAndUnknownOutcomes)
{
    gameOptions.windStrength = 66;
    Report r = Build(2); // sections printed, totals zero
    EXPECT_EQ(r.title, "Unsuccessful Landing Attempt");
    EXPECT_EQ(r.message, "Sorry, you crashed!\nOnly thing left of you is a bunch of burned pieces on the bottom of a "
                         "big black crater.\nScore: 0");
    for (const char* line : {"    Total Planetary Score: 0\n", "Requested Wind Bonus: 1.659 x\n",
                             "Leftover Fuel Base Score: 4\n", "Requested Fuel Amount Bonus: 0 x\n"})
        EXPECT_TRUE(r.Has(line)) << line;
    EXPECT_FALSE(r.Has("Ergonomics"));
    EXPECT_EQ(r.score, 0);

    // A tip-over scores a tenth of the tipped platform (30: 3), not the last landing's.
    gameOptions.windStrength = 0;
    gameState.tipPlatform = 1;
    const char* whys[] = {"You landed on the edge of the platform and tipped your spaceship over.",
                          "You landed with too much horizontal speed and tipped your spaceship over.",
                          "You landed but your spaceship was rolling to the side too much and tipped over."};
    for (int outcome = 3; outcome <= 5; ++outcome) {
        r = Build(outcome);
        EXPECT_EQ(r.message, std::string("Sorry, you crashed!\n") + whys[outcome - 3] + "\nScore: 5");
        EXPECT_TRUE(r.Has("Landing Platform Base Score: 3\n") && r.Has("        Planet Base Score: 1\n"));
    }
    // The legged craft doubles the planet base before truncation: on Mars 15 x 0.1 x 2 = 3, not 1 x 2.
    gameOptions.gameType = 1;
    gameState.planetIndex = 1;
    EXPECT_TRUE(Build(3).Has("        Planet Base Score: 3\n"));

    r = Build(7);
    EXPECT_EQ(r.title + "|" + r.message, "Landing Attempt|What has just happened???\nScore: 0");
    // Without a title the verdict is not written and the factor is 0; the score is still computed.
    std::vector<char> details(ReportBufferSize, 0), message(ReportBufferSize, 0);
    EXPECT_EQ(BuildLandingReport(details.data(), nullptr, message.data(), 1), 0);
    EXPECT_STREQ(message.data(), "\nScore: 0");
    EXPECT_EQ(BuildLandingReport(nullptr, nullptr, nullptr, 1), 0);
}

TEST_F(ScoringTest, PerfectTouchdownAndTheTotalOfUntruncatedSections)
{
    gameState.craft.x = 100 + 15 - 21; // contact-box centre on the platform centre, no frames recorded
    Report r = Build(1);
    for (const char* line : {"Landing Continuity Base Score: 0\n", "Total Landing Ergonomics Score: 0\n",
                             "Landing Precision Bonus: 6 x\n"})
        EXPECT_TRUE(r.Has(line)) << line;

    // Planetary 10 x 1.25 x 1.5 x 1.33 = 24.94 (shown 24), platform 25 x 1.1 = 27.5 (shown 27), fuel 4:
    // the shown totals add up to 55, the score is trunc(56.44) = 56.
    std::tie(gameOptions.surfaceRoughness, gameOptions.visibility, gameOptions.windStrength) = std::tuple(2, 50, 33);
    gameOptions.platformSize = 1;
    platforms[0].points = 25;
    gameState.craft.x += 40; // centring bonus 1 again
    r = Build(1);
    EXPECT_TRUE(r.Has("    Total Planetary Score: 24\n") && r.Has("    Total Landing Platform Score: 27\n"));
    EXPECT_EQ(r.score, 56);
}

// ---- keyboard and joystick demands with the flips, the joystick's capture, status icon and button ----

struct Demands {
    int32_t thrust = 0, left = 0, right = 0;
    bool operator==(const Demands&) const = default;
};

Demands Read()
{
    Demands d;
    ReadPlayerInput(&d.thrust, &d.left, &d.right);
    return d;
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameOptions = {}, gameOptions.player = 1;
        joystickId = -1, joystickAvailable = false;
    }
    // A stick with axes 0..1000 and a threshold of 100: centre 500, dead zone 400..600.
    void PlugStick(int slot = 2)
    {
        HeadlessPlugJoystick(slot, JoystickCaps{0, 1000, 0, 1000, 20}, 100);
        HeadlessSetJoystickPosition(slot, 500, 500, 0);
    }
};

TEST_F(InputTest, KeysGiveFullDemandsAndTheHorizontalFlipSwapsThem)
{
    HeadlessSetKey(KeySpace, true);
    HeadlessSetKey(KeyLeft, true);
    EXPECT_EQ(Read(), (Demands{100, 100, 0}));
    gameOptions.flipHorizontal = 1;
    gameOptions.flipVertical = 1; // no effect on the keyboard
    EXPECT_EQ(Read(), (Demands{100, 0, 100}));
    // A key tapped between two steps is not down: only a held key counts.
    HeadlessSetKey(KeySpace, false);
    HeadlessTapKey(KeySpace);
    EXPECT_EQ(Read().thrust, 0);
}

TEST_F(InputTest, JoystickGivesProportionalDemandsOutsideTheDeadZone)
{
    PlugStick();
    ASSERT_TRUE(SetUpJoystick());
    EXPECT_EQ(std::tuple(joystickId, deadZoneLeft, deadZoneBottom), std::tuple(2, 400u, 600u));
    EXPECT_TRUE(HeadlessJoystickCaptureState().changedOnly && HeadlessJoystickCaptureState().periodMs == 20u);
    gameOptions.inputDevice = 1;
    // Forward is thrust; with the vertical flip pulling back is thrust instead. Axes 0..100 with a threshold of
    // 60: the left bound 50 - 60 wraps to 2^32 - 10, compared as the signed -10, so no position gives a demand.
    // An axis from 1000 to 3000 rests in its middle; a threshold as wide as the half range gives full demand.
    const struct {
        uint32_t low, high, threshold, x, y;
        int flipVertical;
        Demands expected;
    } rows[] = {{0, 1000, 100, 500, 500, 0, {0, 0, 0}},     {0, 1000, 100, 0, 500, 0, {0, 100, 0}},
                {0, 1000, 100, 800, 500, 0, {0, 0, 50}},    {0, 1000, 100, 799, 500, 0, {0, 0, 49}},
                {0, 1000, 100, 500, 0, 0, {100, 0, 0}},     {0, 1000, 100, 500, 0, 1, {0, 0, 0}},
                {0, 1000, 100, 500, 1000, 1, {100, 0, 0}},  {0, 100, 60, 0, 50, 0, {}},
                {0, 100, 60, 50, 50, 0, {}},                {0, 100, 60, 100, 50, 0, {}},
                {1000, 3000, 100, 2000, 2000, 0, {}},       {1000, 3000, 100, 1000, 2000, 0, {0, 100, 0}},
                {1000, 3000, 100, 3000, 2050, 0, {0, 0, 100}}, {1000, 3000, 100, 2000, 1000, 0, {100, 0, 0}},
                {0, 1000, 500, 1005, 500, 0, {0, 0, 100}}};
    for (const auto& row : rows) {
        HeadlessPlugJoystick(1, JoystickCaps{row.low, row.high, row.low, row.high, 10}, row.threshold);
        HeadlessUnplugJoystick(2);
        ASSERT_TRUE(SetUpJoystick());
        gameOptions.flipVertical = row.flipVertical;
        HeadlessSetJoystickPosition(1, row.x, row.y, 0);
        EXPECT_EQ(Read(), row.expected) << row.low << ".." << row.high << " at " << row.x << ", " << row.y;
        EXPECT_TRUE(row.threshold != 60 || deadZoneLeft == 0xFFFFFFF6u);
    }
    // No joystick captured: no demands at all.
    joystickId = -1;
    EXPECT_EQ(Read().right, 0);
}

TEST_F(InputTest, PollFollowsPluggingAndTheButtonPressesOkOnlyInADialog)
{
    std::vector<int> icons;
    auto poll = CallInDialog([&](Dialog* dialog) {
        joystickAvailable = PollJoystickStatus();
        const HeadlessControl* icon = HeadlessDialogControl(dialog, JoystickStatusControl);
        icons.push_back(icon ? icon->iconId : -1);
    });
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    // In View & Controls: nothing plugged in, the no-joystick icon; plugged: captured, icon 167, and its button is
    // the dialog's OK (nothing changed: OK counts as Cancel).
    HeadlessQueueDialog(165, {poll, CallInDialog([&](Dialog*) { PlugStick(); }), poll,
                              CallInDialog([](Dialog*) { HeadlessPressJoystickButton(4); })});
    EXPECT_EQ(RunViewControlsDialog(), IdCancel);
    EXPECT_TRUE(HeadlessDialogs().back().result == IdOk && !HeadlessDialogs().back().abandoned);
    HeadlessReleaseJoystickButtons();
    EXPECT_TRUE(HeadlessPressJoystickButton(1)); // in the main window nothing happens
    HeadlessReleaseJoystickButtons();
    HeadlessQueueDialog(165, {CallInDialog([&](Dialog*) { HeadlessUnplugJoystick(2); }), poll, PressEnter()});
    RunViewControlsDialog();
    EXPECT_EQ(icons, (std::vector<int>{IconNoJoystick, IconJoystick, IconNoJoystick})); // unplugged: icon 179
    EXPECT_FALSE(joystickAvailable);
    EXPECT_EQ(joystickId, -1);
    EXPECT_EQ(HeadlessDialogs().size(), 2u);
}

// ---- sounds ----

class SoundTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        engineSoundOn = tippingSoundOn = false;
    }
    static std::vector<int> Ids()
    {
        std::vector<int> ids;
        for (const HeadlessSoundEvent& e : HeadlessSoundEvents())
            ids.push_back(e.soundId);
        return ids;
    }
};

TEST_F(SoundTest, GuardFlagsStartEachLoopOnceAndLetShortSoundsPlayOut)
{
    PrimeSounds(); // start-up plays each stoppable sound once and ends in silence with the flags clear
    EXPECT_EQ(Ids(), (std::vector<int>{SoundEngine, 0, SoundTipping, 0, SoundExplosion, 0}));
    HeadlessClearSoundEvents();
    for (int i = 0; i < 50; ++i)
        UpdateEngineSound(i % 2 == 0, i % 2 == 1); // main engine and side jets take turns: one loop
    for (int i = 0; i < 11; ++i)
        PlayTippingSound();
    PlayExplosionSound();
    StopAllSounds(); // nothing stoppable left: no purge, the explosion plays out
    EXPECT_EQ(Ids(), (std::vector<int>{SoundEngine, 0, SoundTipping, 0, SoundExplosion}));
    const auto& e = HeadlessSoundEvents();
    EXPECT_EQ((std::vector<unsigned>{e[0].flags, e[2].flags, e[4].flags}), (std::vector<unsigned>{0x4200D, 0x42005, 0x40005}));

    UpdateEngineSound(true, false);
    PlayTouchdownSound();
    StopAllSounds(); // the engine-stop timer firing after the touch-down
    EXPECT_EQ(HeadlessSoundPlaying(), SoundTouchdown);
}

} // namespace
