// The desktop backend's GLib source on a stand-in clock (pacing rules: tests/test_timer_pacer.cpp), and mnemonics.
#include "platform/gtk/gtk_backend.h"
#include "platform/commands.h"
#include "platform/timer.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

gint64 fakeNow = 1000000;
gint64 FakeClock() { return fakeNow; }

std::vector<int> delivered; // timer ids and command ids (commands negated)
std::function<void(int)> onTimer, onCommand;

// Runs every source that is ready at the fake time, without waiting.
void Pump()
{
    for (int i = 0; i < 50 && g_main_context_iteration(nullptr, FALSE); i++) {}
}

void Advance(gint64 ms) { fakeNow += ms * 1000, Pump(); }

int Count(int id) { return int(std::count(delivered.begin(), delivered.end(), id)); }

class GtkLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLoopClockForTests(FakeClock);
        ForgetTimersAndCommands();
        Pump();
        delivered.clear(), onTimer = nullptr, onCommand = nullptr;
    }
    void TearDown() override { ForgetTimersAndCommands(); }
};

} // namespace

// The game's side of the loop, recorded.
void AppTimer(int id) { delivered.push_back(id); if (onTimer) onTimer(id); }
void AppCommand(int id) { delivered.push_back(-id); if (onCommand) onCommand(id); }
GtkWindow* MainGtkWindow() { return nullptr; }
void ReleaseHeldKeys() {}
void EndAllDialogs(int) {}
void PollJoystickCapture() {}
void ShutdownSound() {}
void SettleRepaintRequest() {}

TEST_F(GtkLoop, SourceWakesForTimersOnElapsedTime)
{
    PlatformSetTimer(1003, 10);
    PlatformSetTimer(1000, 25);
    Advance(9);
    EXPECT_TRUE(delivered.empty());
    Advance(21);
    EXPECT_EQ(delivered, (std::vector<int>{1003, 1003, 1000, 1003}));
    PlatformKillTimer(1003);
    Advance(25);
    EXPECT_EQ(delivered.back(), 1000);
    EXPECT_EQ(Count(1003), 3);
}

TEST_F(GtkLoop, NestedLoopInAHandlerRunsTheOtherTimersButNotItsOwn)
{
    // A dialog opened from a timer handler iterates the main context again: the source must recurse into it.
    PlatformSetTimer(1005, 10);
    PlatformSetTimer(1003, 10);
    int inside1003 = 0, inside1005 = 0;
    onTimer = [&](int id) {
        if (id != 1005 || Count(1005) > 1) return;
        PlatformPostCommand(32814);
        for (int i = 0; i < 20; i++) Advance(10); // the dialog's loop runs for 200 ms
        inside1003 = Count(1003);
        inside1005 = Count(1005);
    };
    Advance(10);
    EXPECT_GE(inside1003, 20);
    EXPECT_EQ(inside1005, 1);
    EXPECT_EQ(Count(-32814), 1);
}

TEST_F(GtkLoop, PostedCommandsComeInOrderBeforeTimers)
{
    PlatformSetTimer(1003, 10);
    fakeNow += 10000;
    PlatformPostCommand(32814);
    PlatformPostCommand(32815);
    onCommand = [](int id) {
        if (id == 32814) PlatformPostCommand(104); // posted while handling: after the ones already queued
    };
    Pump();
    EXPECT_EQ(delivered, (std::vector<int>{-32814, -32815, -104, 1003}));
    PlatformSendCommand(105);
    EXPECT_EQ(delivered.back(), -105);
}

TEST_F(GtkLoop, HeldDeliveryWaitsForTheLoop)
{
    PlatformSetTimer(1003, 10);
    PlatformPostCommand(32814);
    HoldGameDelivery(true); // the backend settles a window inside game code
    Advance(20);
    EXPECT_TRUE(delivered.empty());
    HoldGameDelivery(false);
    Pump();
    EXPECT_EQ(delivered, (std::vector<int>{-32814, 1003, 1003}));
}

TEST_F(GtkLoop, QuitFromAHandlerEndsTheLoopWithItsCode)
{
    SetLoopClockForTests(nullptr);
    PlatformPostCommand(1);
    onCommand = [](int) { PlatformPostQuit(7); };
    EXPECT_EQ(PlatformRunMessageLoop(), 7);
    EXPECT_EQ(PlatformRunMessageLoop(), 7); // asked again after the quit: returns at once
}

TEST(GtkText, MnemonicsBecomeUnderscores)
{
    auto convert = [](const char* text, bool mnemonics) {
        char* converted = ConvertMnemonics(text, mnemonics);
        std::string result = converted;
        g_free(converted);
        return result;
    };
    // "& " marks the blank, like the classic controls; without mnemonics "&&" is still one '&'
    const std::tuple<const char*, bool, const char*> rows[] = {
        {"&File", true, "_File"}, {"E&xit Game", true, "E_xit Game"}, {"View&&&Controls...", true, "View&_Controls..."},
        {"a_b & c&", true, "a__b _ c"}, {"View&&&Controls...", false, "View&Controls..."}, {nullptr, true, ""}};
    for (const auto& [text, mnemonics, expected] : rows)
        EXPECT_EQ(convert(text, mnemonics), expected) << (text ? text : "null");
}
