// The desktop backend's loop: timer expiries paced from elapsed time with a capped catch-up, delivery in due-time
// order, no re-entry of a timer's own handler from a dialog's nested loop, posted commands in order, the quit code;
// and the '&' mnemonic texts turned into GTK's form.
#include "platform/gtk/gtk_backend.h"
#include "platform/commands.h"
#include "platform/timer.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

gint64 fakeNow = 1000000;
gint64 FakeClock() { return fakeNow; }

std::vector<int> delivered; // timer ids and command ids (commands negated)
std::function<void(int)> onTimer;
std::function<void(int)> onCommand;

// Runs every source that is ready at the fake time, without waiting.
void Pump()
{
    for (int i = 0; i < 50 && g_main_context_iteration(nullptr, FALSE); i++) {}
}

void Advance(gint64 ms)
{
    fakeNow += ms * 1000;
    Pump();
}

int Count(int id)
{
    int n = 0;
    for (int d : delivered) n += d == id;
    return n;
}

class GtkLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetLoopClockForTests(FakeClock);
        ForgetTimersAndCommands();
        Pump();
        delivered.clear();
        onTimer = nullptr;
        onCommand = nullptr;
    }
    void TearDown() override { ForgetTimersAndCommands(); }
};

} // namespace

// The game's side of the loop, recorded.
void AppTimer(int id)
{
    delivered.push_back(id);
    if (onTimer) onTimer(id);
}
void AppCommand(int id)
{
    delivered.push_back(-id);
    if (onCommand) onCommand(id);
}
GtkWindow* MainGtkWindow() { return nullptr; }
void EndAllDialogs(int) {}
void PollJoystickCapture() {}
void ShutdownSound() {}

TEST_F(GtkLoop, ExpiriesFollowElapsedTimeExactly)
{
    PlatformSetTimer(1003, 10);
    Advance(35);
    EXPECT_EQ(Count(1003), 3);
    Advance(5); // due at 40 ms
    EXPECT_EQ(Count(1003), 4);
    // A second of uneven wakes still gives exactly 100 steps.
    for (int ms : {7, 13, 9, 11, 10, 25, 5, 20})
        Advance(ms);
    for (int i = 0; i < 90; i++)
        Advance(10);
    EXPECT_EQ(Count(1003), 4 + 10 + 90);
}

TEST_F(GtkLoop, StallCatchesUpAtMostTenThenResynchronises)
{
    PlatformSetTimer(1003, 10);
    Advance(500);
    EXPECT_EQ(Count(1003), 10);
    Advance(9);
    EXPECT_EQ(Count(1003), 10);
    Advance(1);
    EXPECT_EQ(Count(1003), 11);
}

TEST_F(GtkLoop, ExpiriesOfSeveralTimersComeInDueOrder)
{
    PlatformSetTimer(1000, 30);
    PlatformSetTimer(1004, 20);
    Advance(50);
    EXPECT_EQ(delivered, (std::vector<int>{1004, 1000, 1004}));
}

TEST_F(GtkLoop, KilledAndRestartedTimers)
{
    PlatformSetTimer(1005, 10);
    PlatformSetTimer(1006, 10);
    onTimer = [](int id) {
        if (id == 1005) PlatformKillTimer(1006); // killed before its expiry in the same wake is delivered
    };
    Advance(10);
    EXPECT_EQ(Count(1005), 1);
    EXPECT_EQ(Count(1006), 0);
    PlatformKillTimer(1005);
    PlatformKillTimer(1234); // not running: harmless
    Advance(100);
    EXPECT_EQ(Count(1005), 1);
    PlatformSetTimer(1005, 50); // restarted from now with the new period
    Advance(40);
    EXPECT_EQ(Count(1005), 1);
    Advance(10);
    EXPECT_EQ(Count(1005), 2);
}

TEST_F(GtkLoop, HandlerWithNestedLoopDoesNotReenterItsOwnTimer)
{
    PlatformSetTimer(1005, 10);
    PlatformSetTimer(1003, 10);
    int depth = 0, deepest = 0;
    onTimer = [&](int id) {
        if (id != 1005) return;
        depth++;
        deepest = std::max(deepest, depth);
        if (Count(1005) == 1)
            for (int i = 0; i < 20; i++) Advance(10); // a dialog's loop runs for 200 ms
        depth--;
    };
    Advance(10);
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(Count(1003), 20); // the other timer went on inside the nested loop
    // Expiries missed while the handler ran are not queued up afterwards.
    int before = Count(1005);
    Advance(10);
    EXPECT_LE(Count(1005) - before, 1);
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
    EXPECT_EQ(convert("&File", true), "_File");
    EXPECT_EQ(convert("E&xit Game", true), "E_xit Game");
    EXPECT_EQ(convert("View&&&Controls...", true), "View&_Controls...");
    EXPECT_EQ(convert("a_b & c&", true), "a__b _ c"); // like the classic controls: "& " marks the blank
    EXPECT_EQ(convert("View&&&Controls...", false), "View&Controls...");
    EXPECT_EQ(convert(nullptr, true), "");
}
