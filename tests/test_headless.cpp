// The headless backend: timer order and re-arming, command delivery, the message loop, scripted
// dialogs and message boxes, keys, joysticks, sounds and the in-memory store.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/headless/headless.h"

namespace {

std::vector<std::string> events; // what the backend delivered, in order
std::function<void(int)> onTimer; // the timer handler of a test; the fixture's logs the expiry

std::string At(const char* what, int id) {
    return std::string(what) + std::to_string(id) + "@" + std::to_string(PlatformTickCount());
}

class Headless : public testing::Test {
protected:
    void SetUp() override {
        HeadlessReset();
        events.clear();
        HeadlessHandlers handlers;
        onTimer = [](int id) { events.push_back(At("t", id)); };
        handlers.timer = [](int id) { onTimer(id); };
        handlers.command = [](int id) { events.push_back(At("c", id)); };
        handlers.paint = [] { events.push_back("paint"); };
        handlers.destroyed = [] { events.push_back("destroyed"); };
        HeadlessSetMessageHandlers(handlers);
    }
};

using Strings = std::vector<std::string>;

TEST_F(Headless, EqualDueTimesFireInTheOrderTheirPeriodsWereSet) {
    PlatformSetTimer(5, 20);
    PlatformSetTimer(3, 20);
    HeadlessAdvance(40);
    EXPECT_EQ(events, (Strings{"t5@1020", "t3@1020", "t5@1040", "t3@1040"}));
    // Restarting timer 5 at 1040 with the same period puts it behind timer 3.
    events.clear();
    PlatformSetTimer(5, 20);
    HeadlessAdvance(20);
    EXPECT_EQ(events, (Strings{"t3@1060", "t5@1060"}));
    // The engine stop set after the step still runs just before it at the same instant.
    events.clear();
    PlatformSetTimer(TimerStep, 10);
    PlatformSetTimer(TimerEngineStop, 10);
    HeadlessAdvance(10);
    EXPECT_EQ(events, (Strings{"t1010@1070", "t1003@1070"}));
}

TEST_F(Headless, PeriodicTimerReArmsFromItsDueTime) {
    PlatformSetTimer(1003, 10);
    for (int i = 0; i < 1000 / 7 + 1; ++i) HeadlessAdvance(7); // uneven steps: 1001 ms in all
    ASSERT_EQ(HeadlessTimerExpiries(1003), 100u);
    EXPECT_EQ(events.front(), "t1003@1010");
    EXPECT_EQ(events.back(), "t1003@2000");
    EXPECT_EQ(HeadlessTimerDue(1003), 2010u);
}

TEST_F(Headless, KillAndRestartInsideAHandlerLeaveNoStaleExpiry) {
    PlatformSetTimer(1, 10);
    PlatformSetTimer(2, 10);
    PlatformSetTimer(3, 10);
    onTimer = [](int id) {
        events.push_back(At("t", id));
        if (id == 1 && PlatformTickCount() == 1010) {
            PlatformKillTimer(2);     // due now as well: must not fire
            PlatformSetTimer(3, 25);  // due now as well: next at 1035
            PlatformSetTimer(1, 30);  // its own period changes: next at 1040
        }
    };
    PlatformKillTimer(99); // not running: harmless
    HeadlessAdvance(40);
    EXPECT_EQ(events, (Strings{"t1@1010", "t3@1035", "t1@1040"}));
    EXPECT_FALSE(HeadlessTimerRunning(2));
    PlatformSetTimer(4, 0); // below the minimum: 10 ms, and the clock still moves on
    HeadlessAdvance(10);
    EXPECT_EQ(events.back(), "t4@1050");
}

TEST_F(Headless, PostedCommandsComeInOrderBeforeTheNextTimer) {
    PlatformPostCommand(1);
    PlatformPostCommand(2);
    PlatformSendCommand(9); // at once
    PlatformSetTimer(7, 10);
    onTimer = [](int id) {
        events.push_back(At("t", id));
        PlatformPostCommand(100 + static_cast<int>(HeadlessTimerExpiries(7)));
    };
    HeadlessAdvance(20);
    EXPECT_EQ(events, (Strings{"c9@1000", "c1@1000", "c2@1000", "t7@1010", "c101@1010", "t7@1020", "c102@1020"}));
    PlatformPostCommand(3);
    EXPECT_EQ(HeadlessPostedCommands(), (std::vector<int>{3}));
    HeadlessPump();
    EXPECT_EQ(events.back(), "c3@1020");
}

TEST_F(Headless, MessageLoopEndsByQuitOrByItsLimit) {
    PlatformSetTimer(1, 10);
    onTimer = [](int) {
        if (HeadlessTimerExpiries(1) == 3) {
            PlatformPostCommand(5);
            PlatformPostQuit(4);
        }
    };
    EXPECT_EQ(PlatformRunMessageLoop(), 4);
    EXPECT_EQ(PlatformTickCount(), 1030u);
    EXPECT_EQ(events, (Strings{"c5@1030"})); // posted before the quit: still delivered
    HeadlessSetLoopLimit(500);
    EXPECT_EQ(PlatformRunMessageLoop(), HeadlessLoopLimitCode);
    EXPECT_TRUE(HeadlessLoopLimitReached());
    EXPECT_EQ(PlatformTickCount(), 1530u);
    PlatformKillTimer(1);
    EXPECT_EQ(PlatformRunMessageLoop(), HeadlessLoopLimitCode); // nothing left to wait for
    EXPECT_EQ(PlatformTickCount(), 1530u);
}

TEST_F(Headless, MainWindowSizeRepaintAndDestruction) {
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    int width = 0, height = 0;
    PlatformGetClientSize(&width, &height);
    EXPECT_EQ(width * 1000 + height, 640480);
    PlatformSetWindowRect({10, 20, 10 + 816, 20 + 658});
    PlatformGetClientSize(&width, &height);
    EXPECT_EQ(width * 1000 + height, 800600);
    const ScreenRect client = PlatformGetClientScreenRect();
    EXPECT_EQ(client.left, 10 + HeadlessFrameLeft);
    EXPECT_EQ(client.bottom, 20 + HeadlessFrameTop + 600);
    PlatformRequestRepaint();
    PlatformRequestRepaint();
    HeadlessPump();
    EXPECT_EQ(events, (Strings{"paint"})); // two requests, one paint
    PlatformRequestRepaint();
    const uint32_t pixel = 0;
    PlatformPresentFrame(&pixel, 1, 1);
    HeadlessPump();
    HeadlessSetClientSize(0, 0);
    PlatformRequestRepaint();
    HeadlessPump();
    EXPECT_EQ(events, (Strings{"paint"})); // the presented frame settled the request; a minimised window has none
    HeadlessSetClientSize(800, 600);

    PlatformSetTimer(1, 10);
    PlatformPostCommand(3);
    PlatformDestroyMainWindow();
    EXPECT_EQ(events.back(), "destroyed");
    PlatformPostCommand(4);
    PlatformSetTimer(2, 10);
    HeadlessAdvance(100);
    EXPECT_EQ(events.back(), "destroyed"); // the window's timers and commands went with it
    PlatformGetClientSize(&width, &height);
    EXPECT_EQ(width + height, 0);
}

// The exit hook with its code is seen by the dialog tests (a settings dialog that cannot open); without one:
TEST_F(Headless, ExitProcessWithoutAHookExits) {
    EXPECT_EXIT(PlatformExitProcess(0), testing::ExitedWithCode(0), "");
}

// ---- dialogs ----

constexpr int Radio1 = 11, Radio2 = 12, Radio3 = 13, RadioB1 = 21, RadioB2 = 22, Check = 30, Slider = 40;
const ControlDef testControls[] = {
    {Radio1, ControlRadio, "One", 0, 0, 0, 10, 10, StyleGroupStart},
    {Radio2, ControlRadio, "Two", 0, 0, 10, 10, 10, 0},
    {-1, ControlLabel, "between", 0, 0, 20, 10, 10, 0},
    {Radio3, ControlRadio, "Three", 0, 0, 30, 10, 10, 0},
    {RadioB1, ControlRadio, "B1", 0, 20, 0, 10, 10, StyleGroupStart},
    {RadioB2, ControlRadio, "B2", 0, 20, 10, 10, 10, 0},
    {Check, ControlCheckBox, "Flip", 0, 40, 0, 10, 10, StyleGroupStart},
    {Slider, ControlSlider, nullptr, 0, 40, 20, 50, 12, 0},
    {IdOk, ControlDefaultButton, "OK", 0, 60, 60, 30, 14, StyleGroupStart},
};
const DialogTemplate testTemplate = {500, "Test", 100, 80, "MS Shell Dlg", 8, true, 0, 0, testControls, 9};
const DialogTemplate innerTemplate = {501, "Inner", 40, 16, "MS Shell Dlg", 8, true, 0, 0, nullptr, 0};

bool LoggingProc(Dialog* dialog, DialogEvent event, int id, int code) {
    switch (event) {
    case DialogInit:
        events.push_back("init");
        DialogSetCheck(dialog, Radio1, true);
        DialogSetCheck(dialog, RadioB2, true);
        DialogSetSliderRange(dialog, Slider, 0, 10);
        DialogSetSliderPos(dialog, Slider, 3);
        DialogSetCaption(dialog, "Caption");
        return true;
    case DialogCommand:
        events.push_back("cmd" + std::to_string(id));
        if (id == IdOk || id == IdCancel) DialogEnd(dialog, id);
        return true;
    case DialogSlider:
        events.push_back("slider" + std::to_string(DialogGetSliderPos(dialog, id)) + "/" + std::to_string(code));
        return true;
    }
    return false;
}

TEST_F(Headless, DialogScriptClicksAndMovesSliders) {
    HeadlessQueueDialog(500, {ClickControl(Radio3), ClickControl(Check), DragSlider(Slider, 42),
                              SliderKey(Slider, SliderLineUp), ClickControl(Check), PressEnter(),
                              ClickControl(Radio2)});
    EXPECT_EQ(PlatformRunDialog(testTemplate, LoggingProc), IdOk);
    EXPECT_EQ(events, (Strings{"init", "cmd13", "cmd30", "slider10/5", "slider10/4", "slider10/8", "slider9/0",
                               "slider9/8", "cmd30", "cmd1"})); // nothing after the dialog ended
    ASSERT_EQ(HeadlessDialogs().size(), 1u);
    const HeadlessDialogRecord& record = HeadlessDialogs()[0];
    EXPECT_TRUE(record.scripted);
    EXPECT_FALSE(record.abandoned);
    EXPECT_EQ(record.caption, "Caption");
    std::vector<bool> checked;
    for (const HeadlessControl& control : record.controls) checked.push_back(control.checked);
    // Radio3 took the check from Radio1 across the label; the other group is untouched; Flip toggled twice.
    EXPECT_EQ(checked, (std::vector<bool>{false, false, false, true, false, true, false, false, false}));
    EXPECT_EQ(record.controls[7].sliderPos, 9);
}

TEST_F(Headless, TimersRunInsideDialogsWithoutReenteringTheirOwner) {
    PlatformSetTimer(1, 100);
    PlatformSetTimer(2, 10);
    HeadlessQueueDialog(500, {AdvanceInDialog(1000), PressEscape()});
    onTimer = [](int id) {
        events.push_back(At("t", id));
        if (id == 1 && HeadlessTimerExpiries(1) == 1) events.push_back("end" + std::to_string(PlatformRunDialog(testTemplate, LoggingProc)));
    };
    HeadlessAdvance(100);
    EXPECT_EQ(HeadlessTimerExpiries(2), 110u); // 9 before the dialog, 101 inside it (1100 to 2100)
    EXPECT_EQ(HeadlessTimerExpiries(1), 2u);   // the missed expiries of timer 1 collapse into one
    const auto inner = std::find(events.begin(), events.end(), "end2");
    ASSERT_NE(inner, events.end());
    EXPECT_EQ(*(inner + 1), "t1@2100");
    EXPECT_EQ(HeadlessTimerDue(1), 2200u);
}

TEST_F(Headless, NestedDialogsAndTheForegroundDialog) {
    Dialog* outer = nullptr;
    HeadlessQueueDialog(500, {CallInDialog([&](Dialog* dialog) {
                                  outer = dialog;
                                  EXPECT_EQ(PlatformForegroundDialog(), dialog);
                                  events.push_back("inner" + std::to_string(PlatformRunDialog(innerTemplate, nullptr)));
                                  EXPECT_EQ(PlatformForegroundDialog(), dialog);
                                  DialogSendCommand(PlatformForegroundDialog(), IdOk);
                              })});
    HeadlessQueueDialog(501, {CallInDialog([&](Dialog* dialog) {
        EXPECT_EQ(PlatformForegroundDialog(), dialog);
        EXPECT_EQ(HeadlessOpenDialogCount(), 2);
        DialogEnd(dialog, 7);
    })});
    EXPECT_EQ(PlatformRunDialog(testTemplate, LoggingProc), IdOk);
    EXPECT_EQ(PlatformForegroundDialog(), nullptr);
    EXPECT_EQ(events, (Strings{"init", "inner7", "cmd1"}));
    ASSERT_EQ(HeadlessDialogs().size(), 2u);
    EXPECT_EQ(HeadlessDialogs()[1].depth, 2);
    DialogSetCheck(outer, Radio1, false); // a closed dialog: ignored, no crash
}

TEST_F(Headless, UnscriptedFailedAndPlacedDialogs) {
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    HeadlessQueueDialog(501, {CallInDialog([](Dialog* dialog) {
        DialogMove(dialog, 5, 6);
        DialogEnd(dialog, 1);
    })});
    EXPECT_EQ(PlatformRunDialog(testTemplate, LoggingProc), IdCancel); // script of another dialog: not taken
    EXPECT_TRUE(HeadlessDialogs()[0].abandoned);
    EXPECT_EQ(HeadlessQueuedDialogCount(), 1u);
    // 100 x 80 units are 150 x 130 pixels, centred on the main window (100,100)-(756,638).
    const ScreenRect rect = HeadlessDialogs()[0].rect;
    EXPECT_EQ(rect.left, 428 - 75);
    EXPECT_EQ(rect.top, 369 - 65);
    EXPECT_EQ(rect.right - rect.left, 150);
    EXPECT_EQ(PlatformRunDialog(innerTemplate, nullptr), 1); // takes the script kept for it
    EXPECT_EQ(HeadlessDialogs()[1].rect.left, 5);
    EXPECT_EQ(HeadlessDialogs()[1].rect.bottom, 6 + 26);
    HeadlessFailNextDialog(1814);
    EXPECT_EQ(PlatformRunDialog(testTemplate, LoggingProc), -1);
    EXPECT_EQ(PlatformLastError(), 1814);
    EXPECT_TRUE(HeadlessDialogs()[2].failed);
}

TEST_F(Headless, DialogsOverAWindowAtTheEdgesOfTheCoordinatesStayWhole) {
    ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    constexpr int32_t Low = INT32_MIN, High = INT32_MAX;
    const ScreenRect stored[] = {{Low, Low, Low + 100, Low + 100}, {High - 10, High - 10, High, High}, {Low, Low, High, High}};
    for (const ScreenRect& window : stored) {
        PlatformSetWindowRect(window);
        const DialogTemplate placed = {502, "Placed", 40, 16, "MS Shell Dlg", 8, false, 7, 7, nullptr, 0};
        for (const DialogTemplate* tmpl : {&testTemplate, &placed}) {
            HeadlessQueueDialog(tmpl->resourceId, {CallInDialog([](Dialog* dialog) {
                const ScreenRect before = DialogGetRect(dialog);
                DialogMove(dialog, INT32_MAX, INT32_MIN);
                const ScreenRect after = DialogGetRect(dialog);
                EXPECT_EQ(int64_t{after.right} - after.left, int64_t{before.right} - before.left);
                EXPECT_EQ(after.top, INT32_MIN);
                DialogEnd(dialog, IdOk);
            })});
            PlatformRunDialog(*tmpl, nullptr);
            const ScreenRect rect = HeadlessDialogs().back().rect;
            EXPECT_EQ(int64_t{rect.right} - rect.left, tmpl->width * 3 / 2) << window.left;
            EXPECT_EQ(int64_t{rect.bottom} - rect.top, tmpl->height * 13 / 8) << window.left;
        }
    }
}

// ---- message boxes, keys, joysticks, sounds, store ----

// Queued answers, and timers running while a box is up, are seen through the New Game question in the shell tests.
TEST_F(Headless, UnansweredQuestionIsNo) {
    EXPECT_FALSE(PlatformAskYesNo("Again?", "New Game"));
    ASSERT_EQ(HeadlessMessageBoxes().size(), 1u);
    EXPECT_FALSE(HeadlessMessageBoxes()[0].scripted);
}

TEST_F(Headless, KeyPressedSinceLastQueryBit) {
    EXPECT_EQ(PlatformKeyState(KeySpace), 0);
    HeadlessTapKey(KeySpace);
    EXPECT_EQ(PlatformKeyState(KeySpace), KeyStatePressed); // up again, but pressed since the last query
    EXPECT_EQ(PlatformKeyState(KeySpace), 0);
    HeadlessSetKey(KeyLeft, true);
    EXPECT_EQ(PlatformKeyState(KeyLeft), KeyStateDown | KeyStatePressed);
    EXPECT_EQ(PlatformKeyState(KeyLeft), KeyStateDown);
    EXPECT_EQ(PlatformKeyState(static_cast<GameKey>(7)), 0);
}

TEST_F(Headless, JoystickCaptureAndButton) {
    int presses = 0;
    HeadlessHandlers handlers;
    handlers.joystickButton = [&] { ++presses; };
    HeadlessSetMessageHandlers(handlers);
    EXPECT_EQ(PlatformJoystickCount(), HeadlessDefaultJoystickSlots);
    JoystickPosition position{};
    EXPECT_FALSE(PlatformJoystickGetPosition(0, &position));
    EXPECT_FALSE(HeadlessPressJoystickButton());
    HeadlessPlugJoystick(2, {0, 65535, 0, 65535, 10}, 1000);
    PlatformJoystickCapture(2, 10, true);
    ASSERT_TRUE(HeadlessJoystickCaptureState().captured);
    EXPECT_TRUE(HeadlessPressJoystickButton());
    ASSERT_TRUE(PlatformJoystickGetPosition(2, &position));
    EXPECT_EQ(position.buttons, 1u);
    EXPECT_EQ(presses, 1);
    HeadlessUnplugJoystick(2);
    EXPECT_FALSE(HeadlessPressJoystickButton());
    EXPECT_EQ(presses, 1);
}

TEST_F(Headless, SoundLog) {
    PlatformPlaySound(162, SoundResource | SoundAsync | SoundLoop | SoundNoWait);
    HeadlessAdvance(5000);
    EXPECT_EQ(HeadlessSoundPlaying(), 162); // a loop plays until stopped
    PlatformPurgeSounds();
    EXPECT_EQ(HeadlessSoundPlaying(), 0);
    ASSERT_EQ(HeadlessSoundEvents().size(), 2u);
    EXPECT_EQ(HeadlessSoundEvents()[0].time, 1000u);
    EXPECT_EQ(HeadlessSoundEvents()[1].flags, SoundPurge);
    // A single sound lasts as long as its samples: 12132 bytes at 8000 bytes a second.
    PlatformPlaySound(160, SoundResource | SoundAsync | SoundNoWait);
    HeadlessAdvance(1515);
    EXPECT_EQ(HeadlessSoundPlaying(), 160);
    HeadlessAdvance(1);
    EXPECT_EQ(HeadlessSoundPlaying(), 0);
    PlatformPlaySound(4242, SoundResource | SoundAsync); // no such sound: heard until replaced
    HeadlessAdvance(100000);
    EXPECT_EQ(HeadlessSoundPlaying(), 4242);
    // A long run empties the logs between flights: the sound heard goes on, queued commands are forgotten.
    PlatformPostCommand(7);
    HeadlessClearSoundEvents();
    HeadlessDropPostedCommands();
    EXPECT_TRUE(HeadlessSoundEvents().empty());
    EXPECT_TRUE(HeadlessPostedCommands().empty());
    EXPECT_EQ(HeadlessSoundPlaying(), 4242);
}

TEST_F(Headless, StoreReadsLikeTheRegistry) {
    StoreKey* key = nullptr;
    EXPECT_EQ(PlatformStoreOpen("Software\\Orv\\Dravolinex", false, &key), StoreNotFound);
    ASSERT_EQ(PlatformStoreOpen("Software\\Orv\\Dravolinex", true, &key), StoreOk);
    const uint8_t bytes[61] = {1, 2, 3};
    EXPECT_EQ(PlatformStoreSet(key, "options", StoreTypeBinary, bytes, 61), StoreOk);
    uint8_t buffer[60] = {};
    uint32_t size = sizeof buffer, type = 0;
    EXPECT_EQ(PlatformStoreQuery(key, "options", buffer, &size, &type), StoreMoreData);
    EXPECT_EQ(size, 61u);
    EXPECT_EQ(PlatformStoreClose(key), StoreOk);
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    EXPECT_EQ(PlatformStoreClose(key), StoreNotFound); // closed already
    std::vector<uint8_t> stored;
    ASSERT_TRUE(HeadlessStoreGet("software\\orv\\dravolinex", "OPTIONS", &type, &stored));
    EXPECT_EQ(stored.size(), 61u);
    // A missing value is seen by the settings-file tests (the same read rules), a failed create by the options tests.
}

} // namespace
