// The message loop of the desktop game: one GLib source delivers posted commands, the game's timers (paced from
// elapsed monotonic time) and the joystick capture; it keeps running inside the nested loops of dialogs.
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/timer.h"
#include "sim/timers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <unistd.h>

namespace {

// At most this many expiries of one timer are delivered per wake; beyond it the timer resynchronises to now, so a
// stall (a slow machine, a suspended process) does not fast-forward the flight.
constexpr int MaxCatchUp = 10;
constexpr int TimerSlotCount = 32;
constexpr int JoystickPollSlot = -1; // internal timer id of the joystick capture poll

struct TimerSlot {
    int id;
    bool running;
    bool inHandler; // its handler is on the stack (a dialog opened from it runs a nested loop)
    gint64 periodUs;
    gint64 dueUs;
};

TimerSlot timerSlots[TimerSlotCount];
gint64 (*loopClock)() = g_get_monotonic_time;
std::deque<int> postedCommands;
GSource* pumpSource = nullptr;
GMainLoop* mainLoop = nullptr;
bool quitRequested = false;
int deliveryHeld = 0; // while the backend lets GTK settle a window, no game timer or command runs
int quitCode = 0;

// Pacing log of the simulation step: expiries of timer 1003 per second.
FILE* pacingLog = nullptr;
gint64 pacingSecondStart = 0;
int pacingStepsThisSecond = 0;
int pacingSeconds = 0;
long long pacingStepsTotal = 0;

gint64 LoopNow()
{
    return loopClock();
}

TimerSlot* FindTimer(int id)
{
    for (TimerSlot& slot : timerSlots)
        if (slot.id == id && (slot.running || slot.inHandler)) return &slot;
    return nullptr;
}

TimerSlot* NewTimerSlot(int id)
{
    if (TimerSlot* slot = FindTimer(id)) return slot;
    for (TimerSlot& slot : timerSlots)
        if (!slot.running && !slot.inHandler) {
            slot = TimerSlot{id, false, false, 0, 0};
            return &slot;
        }
    return nullptr;
}

void StartTimerSlot(int id, int periodMs)
{
    TimerSlot* slot = NewTimerSlot(id);
    if (!slot) return;
    if (periodMs < 1) periodMs = 1;
    slot->periodUs = gint64(periodMs) * 1000;
    slot->dueUs = LoopNow() + slot->periodUs;
    slot->running = true;
}

void OpenPacingLog()
{
    const char* target = getenv("DRAVOLINEX_PACING_LOG");
    if (!target || !*target) return;
    pacingLog = strcmp(target, "-") == 0 ? stderr : fopen(target, "w");
    if (!pacingLog) fprintf(stderr, "dravolinex: cannot write the pacing log %s\n", target);
}

void CountStepForPacing(gint64 now)
{
    if (!pacingLog) return;
    if (pacingSecondStart == 0) pacingSecondStart = now;
    while (now - pacingSecondStart >= 1000000) {
        pacingSeconds++;
        pacingStepsTotal += pacingStepsThisSecond;
        fprintf(pacingLog, "pacing second %d steps %d average %.2f\n", pacingSeconds, pacingStepsThisSecond,
                double(pacingStepsTotal) / pacingSeconds);
        fflush(pacingLog);
        pacingStepsThisSecond = 0;
        pacingSecondStart += 1000000;
    }
    pacingStepsThisSecond++;
}

// The earliest due time of a timer that may fire now, or G_MAXINT64.
gint64 EarliestDue()
{
    gint64 earliest = G_MAXINT64;
    for (const TimerSlot& slot : timerSlots)
        if (slot.running && !slot.inHandler && slot.dueUs < earliest) earliest = slot.dueUs;
    return earliest;
}

// A timer whose handler is still on the stack lets its expiries pass instead of queueing them up.
void SkipBlockedTimers(gint64 now)
{
    for (TimerSlot& slot : timerSlots)
        if (slot.running && slot.inHandler && slot.dueUs <= now) {
            gint64 behind = (now - slot.dueUs) / slot.periodUs + 1;
            slot.dueUs += behind * slot.periodUs;
        }
}

gboolean PumpPrepare(GSource*, gint* timeout)
{
    if (deliveryHeld) {
        *timeout = -1;
        return FALSE;
    }
    if (!postedCommands.empty()) {
        *timeout = 0;
        return TRUE;
    }
    gint64 now = LoopNow();
    SkipBlockedTimers(now);
    gint64 due = EarliestDue();
    if (due == G_MAXINT64) {
        *timeout = -1;
        return FALSE;
    }
    if (due <= now) {
        *timeout = 0;
        return TRUE;
    }
    *timeout = int((due - now + 999) / 1000);
    return FALSE;
}

gboolean PumpCheck(GSource*)
{
    return !deliveryHeld && (!postedCommands.empty() || EarliestDue() <= LoopNow());
}

void DeliverExpiry(TimerSlot& slot)
{
    int id = slot.id;
    slot.inHandler = true;
    if (id == JoystickPollSlot) {
        PollJoystickCapture();
    } else {
        if (id == TimerStep) CountStepForPacing(LoopNow());
        AppTimer(id);
    }
    slot.inHandler = false;
}

void DeliverDueTimers()
{
    gint64 now = LoopNow();
    int delivered[TimerSlotCount] = {};
    for (;;) {
        int best = -1;
        for (int i = 0; i < TimerSlotCount; i++) {
            const TimerSlot& slot = timerSlots[i];
            if (!slot.running || slot.inHandler || slot.dueUs > now) continue;
            if (best < 0 || slot.dueUs < timerSlots[best].dueUs) best = i;
        }
        if (best < 0) return;
        TimerSlot& slot = timerSlots[best];
        slot.dueUs += slot.periodUs;
        if (++delivered[best] >= MaxCatchUp && slot.dueUs <= now) slot.dueUs = now + slot.periodUs;
        DeliverExpiry(slot);
        if (quitRequested && !MainGtkWindow()) return;
    }
}

gboolean PumpDispatch(GSource*, GSourceFunc, gpointer)
{
    // Posted commands first, one at a time: a command may open a dialog whose nested loop delivers the next ones.
    while (!postedCommands.empty()) {
        int id = postedCommands.front();
        postedCommands.pop_front();
        AppCommand(id);
    }
    DeliverDueTimers();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs pumpFuncs = {PumpPrepare, PumpCheck, PumpDispatch, nullptr, nullptr, nullptr};

void EnsurePump()
{
    if (pumpSource) return;
    OpenPacingLog();
    pumpSource = g_source_new(&pumpFuncs, sizeof(GSource));
    // Below input and redrawing, like the timer messages of a window; re-entered by dialogs' nested loops.
    g_source_set_priority(pumpSource, GDK_PRIORITY_REDRAW + 10);
    g_source_set_can_recurse(pumpSource, TRUE);
    g_source_attach(pumpSource, nullptr);
}

} // namespace

void HoldGameDelivery(bool hold)
{
    deliveryHeld += hold ? 1 : -1;
}

void SetLoopClockForTests(gint64 (*clock)())
{
    loopClock = clock ? clock : g_get_monotonic_time;
}

void StartJoystickPoll(int periodMs)
{
    EnsurePump();
    StartTimerSlot(JoystickPollSlot, periodMs);
}

void PlatformSetTimer(int timerId, int periodMs)
{
    if (timerId == JoystickPollSlot) return;
    EnsurePump();
    StartTimerSlot(timerId, periodMs);
}

void PlatformKillTimer(int timerId)
{
    if (timerId == JoystickPollSlot) return;
    if (TimerSlot* slot = FindTimer(timerId)) slot->running = false;
}

void ForgetTimersAndCommands()
{
    for (TimerSlot& slot : timerSlots) slot.running = false;
    postedCommands.clear();
}

uint32_t PlatformTickCount()
{
    return uint32_t(LoopNow() / 1000);
}

void PlatformPostCommand(int id)
{
    EnsurePump();
    postedCommands.push_back(id);
    g_main_context_wakeup(nullptr);
}

void PlatformSendCommand(int id)
{
    AppCommand(id);
}

int PlatformRunMessageLoop()
{
    EnsurePump();
    if (!quitRequested) {
        mainLoop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(mainLoop);
        g_main_loop_unref(mainLoop);
        mainLoop = nullptr;
    }
    if (pacingLog && pacingLog != stderr) fclose(pacingLog);
    pacingLog = nullptr;
    return quitCode;
}

void PlatformPostQuit(int code)
{
    quitRequested = true;
    quitCode = code;
    EndAllDialogs(0);
    if (mainLoop) g_main_loop_quit(mainLoop);
}

void PlatformExitProcess(int code)
{
    fflush(nullptr);
    ShutdownSound();
    _exit(code);
}
