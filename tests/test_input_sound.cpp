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
    EXPECT_EQ(HeadlessJoystickCaptureState().periodMs, 20u);
    EXPECT_TRUE(HeadlessJoystickCaptureState().changedOnly);
    gameOptions.inputDevice = 1;

    // Forward is thrust; with the vertical flip pulling back is thrust instead.
    const struct {
        uint32_t x, y;
        int flipVertical;
        Demands expected;
    } rows[] = {{500, 500, 0, {0, 0, 0}},   {0, 500, 0, {0, 100, 0}},   {800, 500, 0, {0, 0, 50}},
                {799, 500, 0, {0, 0, 49}},  {500, 0, 0, {100, 0, 0}},   {500, 0, 1, {0, 0, 0}},
                {500, 1000, 1, {100, 0, 0}}};
    for (const auto& row : rows) {
        gameOptions.flipVertical = row.flipVertical;
        HeadlessSetJoystickPosition(2, row.x, row.y, 0);
        EXPECT_EQ(Read(), row.expected) << row.x << ", " << row.y;
    }
    // No joystick captured: no demands at all.
    joystickId = -1;
    EXPECT_EQ(Read().thrust, 0);
}

TEST_F(InputTest, DeadZoneBoundsOnOddAxesAndThresholds)
{
    // Axes 0..100 with a threshold of 60: the centre is 50, the left bound 50 - 60 wraps to 2^32 - 10. Compared
    // as a signed number it is -10, so no position gives a left demand; the right bound is 110, beyond the axis.
    HeadlessPlugJoystick(0, JoystickCaps{0, 100, 0, 100, 10}, 60);
    ASSERT_TRUE(SetUpJoystick());
    EXPECT_EQ(deadZoneLeft, 0xFFFFFFF6u);
    gameOptions.inputDevice = 1;
    for (uint32_t x : {0u, 50u, 100u}) {
        HeadlessSetJoystickPosition(0, x, 50, 0);
        EXPECT_EQ(Read(), Demands{}) << "x " << x;
    }

    // An axis that does not start at 0 (1000..3000): at rest in its middle the stick gives no demand, and each
    // end gives full demand.
    HeadlessPlugJoystick(1, JoystickCaps{1000, 3000, 1000, 3000, 10}, 100);
    HeadlessUnplugJoystick(0);
    ASSERT_TRUE(SetUpJoystick());
    EXPECT_EQ(joystickId, 1);
    const struct {
        uint32_t x, y;
        Demands expected;
    } offset[] = {{2000, 2000, {}}, {1000, 2000, {0, 100, 0}}, {3000, 2050, {0, 0, 100}}, {2000, 1000, {100, 0, 0}}};
    for (const auto& row : offset) {
        HeadlessSetJoystickPosition(1, row.x, row.y, 0);
        EXPECT_EQ(Read(), row.expected) << row.x << ", " << row.y;
    }

    // A threshold as wide as the half range leaves no room between the dead zone and the axis end: full demand.
    HeadlessPlugJoystick(0, JoystickCaps{0, 1000, 0, 1000, 10}, 500);
    HeadlessUnplugJoystick(1);
    ASSERT_TRUE(SetUpJoystick());
    HeadlessSetJoystickPosition(0, 1005, 500, 0);
    EXPECT_EQ(Read().right, 100);
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

TEST_F(InputTest, PollFollowsPluggingAndSetsTheStatusIcon)
{
    std::vector<int> icons;
    auto pollInDialog = CallInDialog([&](Dialog* dialog) {
        joystickAvailable = PollJoystickStatus();
        const HeadlessControl* icon = HeadlessDialogControl(dialog, JoystickStatusControl);
        icons.push_back(icon ? icon->iconId : -1);
    });
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    RunStatusDialog({pollInDialog, CallInDialog([&](Dialog*) { PlugStick(); }), pollInDialog,
                     CallInDialog([&](Dialog*) { HeadlessUnplugJoystick(2); }), pollInDialog, PressEnter()});
    // Nothing plugged in: no icon change; plugged: captured, icon 167; unplugged: icon 179.
    EXPECT_EQ(icons, (std::vector<int>{0, IconJoystick, IconNoJoystick}));
    EXPECT_FALSE(joystickAvailable);
    EXPECT_EQ(joystickId, -1);
}

TEST_F(InputTest, JoystickButtonPressesOkOnlyInADialog)
{
    PlugStick();
    ASSERT_TRUE(SetUpJoystick());
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    // In the main window nothing happens.
    EXPECT_TRUE(HeadlessPressJoystickButton(1));
    HeadlessReleaseJoystickButtons();
    // In a dialog it is the OK button.
    EXPECT_EQ(RunStatusDialog({CallInDialog([](Dialog*) { HeadlessPressJoystickButton(4); })}), IdOk);
    EXPECT_FALSE(HeadlessDialogs().back().abandoned);
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
