// The desktop backends' timer pacer on a stand-in clock: elapsed-time expiries, capped catch-up, order, re-entry, log;
// and their copy of the shown frame, which tells whether a new frame changed any pixel.
#include "platform/common/timer_pacer.h"
#include "platform/common/frame_copy.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace {

int64_t fakeNow;
int64_t FakeClock() { return fakeNow; }

TimerPacer pacer;
std::vector<int> delivered;
std::function<bool(int)> onTimer; // returns whether the wake goes on

bool RecordExpiry(int id)
{
    delivered.push_back(id);
    return onTimer ? onTimer(id) : true;
}

// The backend wakes `ms` later and delivers what is due.
void Wake(int64_t ms)
{
    fakeNow += ms * 1000;
    DeliverDuePacedTimers(pacer, RecordExpiry);
}

int Count(int id) { return int(std::count(delivered.begin(), delivered.end(), id)); }

// Wakes after each wait in turn and checks how many expiries of `id` have come by then.
void ExpectCounts(int id, std::initializer_list<std::pair<int64_t, int>> waitsAndCounts)
{
    for (auto [ms, count] : waitsAndCounts) {
        Wake(ms);
        EXPECT_EQ(Count(id), count) << "after waiting " << ms;
    }
}

class TimerPacerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fakeNow = 1000000;
        pacer = TimerPacer{FakeClock, {}, {}, 0};
        delivered.clear();
        onTimer = nullptr;
    }
    void TearDown() override { ClosePacingLog(pacer); }
};

} // namespace

TEST_F(TimerPacerTest, ExpiriesFollowElapsedTimeAndCatchUpAtMostTen)
{
    StartPacedTimer(pacer, 1003, 10);
    ExpectCounts(1003, {{35, 3}, {5, 4}}); // the fourth is due at 40 ms
    for (int ms : {7, 13, 9, 11, 10, 25, 5, 20}) Wake(ms); // uneven wakes: a second still gives exactly 100 steps
    for (int i = 0; i < 90; i++) Wake(10);
    EXPECT_EQ(Count(1003), 104);
    ExpectCounts(1003, {{500, 104 + MaxCatchUp}, {9, 114}, {1, 115}}); // a stall catches up ten, then resynchronises
}

TEST_F(TimerPacerTest, ExpiriesOfSeveralTimersComeInDueOrder)
{
    StartPacedTimer(pacer, 1000, 30);
    StartPacedTimer(pacer, 1004, 20);
    EXPECT_EQ(EarliestPacedDue(pacer), fakeNow + 20000);
    Wake(50);
    EXPECT_EQ(delivered, (std::vector<int>{1004, 1000, 1004}));
    // At the same instant the engine stop (1010) runs just before the step (1003), wherever its slot is; other
    // ties keep slot order.
    StopAllPacedTimers(pacer);
    delivered.clear();
    StartPacedTimer(pacer, 1003, 10);
    StartPacedTimer(pacer, 1004, 10);
    StartPacedTimer(pacer, 1010, 10);
    Wake(10);
    EXPECT_EQ(delivered, (std::vector<int>{1010, 1003, 1004}));
}

TEST_F(TimerPacerTest, QuietTimersWaitForTheRepaintsWakeInDueOrderWithinTheSlack)
{
    StartPacedTimer(pacer, 1003, 10);
    StartPacedTimer(pacer, 1004, 50);
    EXPECT_EQ(PacedWakeTime(pacer), fakeNow + 10000); // no slack: every step wakes the loop
    pacer.quietSlackUs = 50000;                         // a dialog is open
    EXPECT_EQ(PacedWakeTime(pacer), fakeNow + 50000);   // the repaint's wake, not the step's
    StopPacedTimer(pacer, 1004);
    EXPECT_EQ(PacedWakeTime(pacer), fakeNow + 60000);   // alone, a step waits at most the slack
    StartPacedTimer(pacer, 1004, 50);
    fakeNow += 15000;
    StartPacedTimer(pacer, 1000, 10); // the twinkle waits too: due at 25 ms
    fakeNow += 10000;
    StartPacedTimer(pacer, 1005, 1);  // the result timer does not: due at 26 ms
    fakeNow += 5000;
    // An input event at 30 ms: the waiting expiries due before the next other timer run first, and nothing else.
    DeliverDueQuietTimers(pacer, RecordExpiry);
    EXPECT_EQ(delivered, (std::vector<int>{1003, 1003, 1000}));
    StopPacedTimer(pacer, 1005);
    StopPacedTimer(pacer, 1000);
    delivered.clear();
    Wake(20); // the repaint's wake delivers every step due by then, in due order with it
    EXPECT_EQ(delivered, (std::vector<int>{1003, 1003, 1003, 1004}));
    delivered.clear();
    Wake(300); // a stall: the catch-up limit counts the slack in
    EXPECT_EQ(Count(1003), MaxCatchUp + 5);
}

TEST_F(TimerPacerTest, StoppedAndRestartedTimers)
{
    EXPECT_FALSE(AnyPacedTimerRunning(pacer));
    EXPECT_EQ(EarliestPacedDue(pacer), NoTimerDue);
    StartPacedTimer(pacer, 1005, 10);
    StartPacedTimer(pacer, 1006, 10);
    onTimer = [](int id) {
        if (id == 1005) StopPacedTimer(pacer, 1006); // stopped before its expiry in the same wake is delivered
        return true;
    };
    ExpectCounts(1005, {{10, 1}});
    EXPECT_EQ(Count(1006), 0);
    StopPacedTimer(pacer, 1005);
    StopPacedTimer(pacer, 1234); // not running: harmless
    EXPECT_FALSE(AnyPacedTimerRunning(pacer));
    ExpectCounts(1005, {{100, 1}});
    StartPacedTimer(pacer, 1005, 50); // restarted from now with the new period
    ExpectCounts(1005, {{40, 1}, {10, 2}});
    StartPacedTimer(pacer, 1005, 0); // a zero period counts as one millisecond
    ExpectCounts(1005, {{1, 3}});
    StopAllPacedTimers(pacer);
    ExpectCounts(1005, {{100, 3}});
}

TEST_F(TimerPacerTest, HandlerWithNestedLoopIsNotReenteredAndItsExpiriesPass)
{
    StartPacedTimer(pacer, 1005, 10);
    StartPacedTimer(pacer, 1003, 10);
    int depth = 0, deepest = 0;
    onTimer = [&](int id) {
        if (id != 1005) return true;
        depth++;
        deepest = std::max(deepest, depth);
        if (Count(1005) == 1)
            for (int i = 0; i < 20; i++) Wake(10); // a dialog's loop runs for 200 ms
        depth--;
        return true;
    };
    Wake(10);
    EXPECT_EQ(deepest, 1);
    EXPECT_GE(Count(1003), 20); // the other timer went on inside the nested loop
    // Expiries missed while the handler ran are not queued up afterwards.
    int before = Count(1005);
    Wake(10);
    EXPECT_LE(Count(1005) - before, 1);
}

TEST_F(TimerPacerTest, WaitForATimerOnTheStackIsNotDueAgain)
{
    // While the handler's dialog waits, the loop must sleep until the next expiry, not spin on a past due time.
    StartPacedTimer(pacer, 1005, 10);
    onTimer = [](int) {
        fakeNow += 200000;
        EXPECT_EQ(EarliestPacedDue(pacer), NoTimerDue);
        StartPacedTimer(pacer, 1003, 10);
        EXPECT_EQ(EarliestPacedDue(pacer), fakeNow + 10000);
        return true;
    };
    Wake(10);
    onTimer = nullptr;
    EXPECT_GT(EarliestPacedDue(pacer), fakeNow);
}

TEST_F(TimerPacerTest, HandlerCanEndTheWake)
{
    StartPacedTimer(pacer, 1003, 10);
    StartPacedTimer(pacer, 1004, 10);
    onTimer = [](int) { return false; }; // the main window went away in the handler
    Wake(30);
    EXPECT_EQ(delivered.size(), 1u);
    onTimer = nullptr;
    Wake(0); // the next wake delivers the rest, capped as usual
    EXPECT_EQ(delivered.size(), 6u);
}

TEST_F(TimerPacerTest, FullTableDropsNewTimersButKeepsRestartingOldOnes)
{
    for (int i = 0; i < PacedTimerCount; i++) StartPacedTimer(pacer, 2000 + i, 10);
    StartPacedTimer(pacer, 1003, 10); // no slot left
    StartPacedTimer(pacer, 2000, 5);  // its own slot, new period
    Wake(5);
    EXPECT_EQ(delivered, std::vector<int>{2000});
    StopPacedTimer(pacer, 2001);
    StartPacedTimer(pacer, 1003, 10); // the freed slot
    ExpectCounts(1003, {{10, 1}});
}

TEST_F(TimerPacerTest, PacingLogCountsSimulationStepsPerSecond)
{
    for (const char* unwritable : {"/nonexistent-folder/pacing.log", "", static_cast<const char*>(nullptr)})
        OpenPacingLog(pacer, unwritable);
    EXPECT_EQ(pacer.pacingLog.file, nullptr); // left off
    std::string path = ::testing::TempDir() + "pacing.log";
    OpenPacingLog(pacer, path.c_str());
    StartPacedTimer(pacer, 1003, 10);
    StartPacedTimer(pacer, 1004, 50); // not a simulation step
    for (int i = 0; i < 100; i++) Wake(10);
    for (int i = 0; i < 100; i++) Wake(i % 2 ? 15 : 5); // uneven wakes: still 100 in the second second
    Wake(500); // a stall: the third second gets its catch-up of ten and the steps of its last half
    for (int i = 0; i < 60; i++) Wake(10);
    ClosePacingLog(pacer);

    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    EXPECT_EQ(text.str(), "pacing second 1 steps 100 average 100.00\n"
                       "pacing second 2 steps 100 average 100.00\n"
                       "pacing second 3 steps 60 average 86.67\n");
}

// A frame goes to the screen only when it differs from the one shown, in the parts that differ (runs of changed rows,
// as wide as their changed pixels): a change in the last pixel counts, a frame of another shape always does, and the
// copy holds the new frame in the screen's order (red and blue swapped).
TEST(FrameCopy, TellsWhetherAnyPixelChanged)
{
    using Areas = std::vector<std::tuple<int, int, int, int>>;
    auto areas = [](const ShownFrame& shown) {
        Areas list;
        for (const FrameArea& a : shown.changedAreas) list.emplace_back(a.left, a.top, a.right, a.bottom);
        return list;
    };
    ShownFrame shown;
    uint32_t next[12] = {0x0000FF, 0x00FF00, 0xFF0000, 0x123456, 0, 0xFFFFFF};
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 2, 16), FrameChanged);
    EXPECT_EQ(shown.pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x0000FF, 0x563412, 0, 0xFFFFFF}));
    EXPECT_EQ(areas(shown), (Areas{{0, 0, 3, 2}}));
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 2, 16), FrameUnchanged);
    EXPECT_TRUE(shown.changedAreas.empty());
    next[5] = 0xFFFFFE;
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 2, 16), FrameChanged);
    EXPECT_EQ(shown.pixels[5], 0xFEFFFFu);
    EXPECT_EQ(areas(shown), (Areas{{2, 1, 3, 2}})); // the last pixel alone
    next[0] = next[5] = 1;
    next[3] = 7;
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 2, 16), FrameChanged);
    EXPECT_EQ(shown.pixels[0] | shown.pixels[5], 0x010000u);
    EXPECT_EQ(shown.pixels[3], 0x070000u);
    EXPECT_EQ(areas(shown), (Areas{{0, 0, 3, 2}})); // two rows, one run as wide as both rows' changes
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 4, 16), FrameChanged); // another shape: all of it
    next[1] = 2;
    next[10] = 3;
    EXPECT_EQ(UpdateShownFrame(shown, next, 3, 4, 16), FrameChanged);
    EXPECT_EQ(areas(shown), (Areas{{1, 0, 2, 1}, {1, 3, 2, 4}})); // unchanged rows between are left out
    EXPECT_EQ(shown.pixels, (std::vector<uint32_t>{0x010000, 0x020000, 0x0000FF, 0x070000, 0, 0x010000, 0, 0, 0, 0,
                                                   0x030000, 0}));
    EXPECT_EQ(UpdateShownFrame(shown, nullptr, 2, 3, 16), FrameRejected);
    EXPECT_EQ(UpdateShownFrame(shown, next, 32, 1, 16), FrameRejected);
    EXPECT_EQ(shown.width * 10 + shown.height, 34);

    // The painter may name the only parts that can differ: the rest is not compared. After a rejected frame the
    // next one may differ anywhere from what is shown, whatever it is said to change.
    ShownFrame hinted;
    uint32_t four[4] = {1, 2, 3, 4};
    UpdateShownFrame(hinted, four, 2, 2, 16);
    four[0] = 9, four[3] = 8;
    const FrameArea lowerRow = {-5, 1, 99, 2};
    EXPECT_EQ(UpdateShownFrame(hinted, four, 2, 2, 16, &lowerRow, 1), FrameChanged);
    EXPECT_EQ(areas(hinted), (Areas{{1, 1, 2, 2}}));
    EXPECT_EQ(UpdateShownFrame(hinted, nullptr, 2, 2, 16), FrameRejected);
    EXPECT_EQ(UpdateShownFrame(hinted, four, 2, 2, 16, nullptr, 0), FrameChanged);
    EXPECT_EQ(areas(hinted), (Areas{{0, 0, 1, 1}}));
}
