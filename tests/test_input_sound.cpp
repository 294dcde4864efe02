// Keyboard and joystick demands with the flips, the joystick's capture, status icon and button, and the
// sound operations' guard flags.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "sim/options.h"
#include "io/input.h"
#include "io/sound.h"
#include "platform/headless/headless.h"
#include "platform/sound.h"

namespace {

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

// A small dialog with the joystick status icon and an OK button, run with the given steps; returns its result.
int RunStatusDialog(std::vector<HeadlessStep> steps)
{
    static const ControlDef controls[] = {{JoystickStatusControl, ControlIcon, "", 0, 0, 0, 20, 20, 0},
                                          {IdOk, ControlDefaultButton, "OK", 0, 0, 30, 50, 14, 0}};
    static const DialogTemplate tmpl = {165, "View", 100, 100, "MS Shell Dlg", 8, true, 0, 0, controls, 2};
    HeadlessQueueDialog(165, std::move(steps));
    return PlatformRunDialog(tmpl, [](Dialog* d, DialogEvent e, int id, int) {
        if (e == DialogCommand && (id == IdOk || id == IdCancel))
            DialogEnd(d, id);
        return true;
    });
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
    // Nothing plugged in: no icon change; plugged: captured, icon 167, and its button is the dialog's OK.
    EXPECT_EQ(RunStatusDialog({poll, CallInDialog([&](Dialog*) { PlugStick(); }), poll,
                               CallInDialog([](Dialog*) { HeadlessPressJoystickButton(4); })}),
              IdOk);
    EXPECT_FALSE(HeadlessDialogs().back().abandoned);
    HeadlessReleaseJoystickButtons();
    EXPECT_TRUE(HeadlessPressJoystickButton(1)); // in the main window nothing happens
    HeadlessReleaseJoystickButtons();
    RunStatusDialog({CallInDialog([&](Dialog*) { HeadlessUnplugJoystick(2); }), poll, PressEnter()});
    EXPECT_EQ(icons, (std::vector<int>{0, IconJoystick, IconNoJoystick})); // unplugged: icon 179
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
    for (int i = 0; i < 50; ++i)
        UpdateEngineSound(i % 2 == 0, i % 2 == 1); // main engine and side jets take turns: one loop
    for (int i = 0; i < 11; ++i)
        PlayTippingSound();
    PlayExplosionSound();
    StopAllSounds(); // nothing stoppable left: no purge, the explosion plays out
    EXPECT_EQ(Ids(), (std::vector<int>{SoundEngine, 0, SoundTipping, 0, SoundExplosion}));
    EXPECT_EQ(HeadlessSoundEvents()[0].flags, 0x4200Du);
    EXPECT_EQ(HeadlessSoundEvents()[2].flags, 0x42005u);
    EXPECT_EQ(HeadlessSoundEvents()[4].flags, 0x40005u);

    UpdateEngineSound(true, false);
    PlayTouchdownSound();
    StopAllSounds(); // the engine-stop timer firing after the touch-down
    EXPECT_EQ(HeadlessSoundPlaying(), SoundTouchdown);
}

TEST_F(SoundTest, PrimingEndsInSilenceWithFlagsClear)
{
    PrimeSounds();
    EXPECT_EQ(Ids(), (std::vector<int>{SoundEngine, 0, SoundTipping, 0, SoundExplosion, 0}));
    EXPECT_FALSE(engineSoundOn || tippingSoundOn);
}

} // namespace
