// The message loop of the desktop game: one GLib source delivers posted commands, the game's timers (paced from
// GLib's monotonic time by the shared timer pacer) and the joystick capture; it keeps running inside the nested
// loops of dialogs.
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"
#include "platform/common/timer_pacer.h"
#include "platform/common/test_hooks.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/timer.h"

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <unistd.h>

namespace {

constexpr int JoystickPollSlot = -1; // internal timer id of the joystick capture poll

TimerPacer pacer = {g_get_monotonic_time, {}, {}, 0};
std::deque<int> postedCommands;
GSource* pumpSource = nullptr;
GMainLoop* mainLoop = nullptr;
bool quitRequested = false;
int deliveryHeld = 0; // while the backend lets GTK settle a window, no game timer or command runs
int modalLoops = 0;   // dialogs and message boxes open (each runs a nested loop)
int delivering = 0;   // game commands or timers being delivered by the loop's source
int quitCode = 0;

// While a dialog is open the step, twinkle and meteor timers wait up to one repaint period for a wake (see
// timer_pacer.h): the paused game's loop then wakes about 30 times a second instead of 140, each wake costing as
// much as a little painting.
constexpr gint64 DialogSlackUs = 50000;

gint64 LoopNow()
{
    return pacer.clock();
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
    if (EarliestPacedDue(pacer) <= now) {
        *timeout = 0;
        return TRUE;
    }
    gint64 wake = PacedWakeTime(pacer);
    *timeout = wake == NoTimerDue ? -1 : int((wake - now + 999) / 1000);
    return FALSE;
}

gboolean PumpCheck(GSource*)
{
    return !deliveryHeld && (!postedCommands.empty() || EarliestPacedDue(pacer) <= LoopNow());
}

// Runs one timer expiry; the loop stops delivering once the game has quit and its window is gone.
bool RunTimerHandler(int id)
{
    if (id == JoystickPollSlot) PollJoystickCapture();
    else AppTimer(id);
    return !(quitRequested && !MainGtkWindow());
}

gboolean PumpDispatch(GSource*, GSourceFunc, gpointer)
{
    delivering++;
    // Posted commands first, one at a time: a command may open a dialog whose nested loop delivers the next ones.
    while (!postedCommands.empty()) {
        int id = postedCommands.front();
        postedCommands.pop_front();
        AppCommand(id);
    }
    DeliverDuePacedTimers(pacer, RunTimerHandler);
    delivering--;
    SettleRepaintRequest();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs pumpFuncs = {PumpPrepare, PumpCheck, PumpDispatch, nullptr, nullptr, nullptr};

void EnsurePump()
{
    if (pumpSource) return;
    OpenPacingLog(pacer, TEST_HOOK_SETTING("DRAVOLINEX_PACING_LOG"));
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

bool DeliveringGameEvents()
{
    return delivering > 0;
}

void NoteModalLoop(bool entering)
{
    modalLoops += entering ? 1 : -1;
    pacer.quietSlackUs = modalLoops > 0 ? DialogSlackUs : 0;
}

void DeliverWaitingTimers()
{
    if (!deliveryHeld && modalLoops) DeliverDueQuietTimers(pacer, RunTimerHandler);
}

void SetLoopClockForTests(gint64 (*clock)())
{
    pacer.clock = clock ? clock : g_get_monotonic_time;
}

void StartJoystickPoll(int periodMs)
{
    EnsurePump();
    StartPacedTimer(pacer, JoystickPollSlot, periodMs);
}

void PlatformSetTimer(int timerId, int periodMs)
{
    if (timerId == JoystickPollSlot) return;
    EnsurePump();
    StartPacedTimer(pacer, timerId, periodMs);
}

void PlatformKillTimer(int timerId)
{
    if (timerId == JoystickPollSlot) return;
    StopPacedTimer(pacer, timerId);
}

void ForgetTimersAndCommands()
{
    StopAllPacedTimers(pacer);
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
    ReleaseHeldKeys();
    if (!quitRequested) {
        mainLoop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(mainLoop);
        g_main_loop_unref(mainLoop);
        mainLoop = nullptr;
    }
    ClosePacingLog(pacer);
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
