// The game's timers paced from elapsed time, shared by the desktop backends. A toolkit timer fires late and drifts
// (one callback per period gives about 98 steps a second on GLib and 64 on Windows), so the backends wake often
// and let this table count the expiries due since the last wake. The rules:
//  - expiries come in due-time order across all timers; at the same due time the engine stop (1010) comes just
//    before the step (1003), every other tie in the order the timers took their slots;
//  - at most MaxCatchUp expiries of one timer per wake, then it resynchronises to now, so a stall (a dragged
//    window, a slow machine, a suspended process) does not fast-forward the flight;
//  - a timer whose handler is still on the stack (a dialog opened from it runs a nested loop) is not re-entered,
//    and its expiries meanwhile pass instead of queueing up.
// Plain C++: the backend passes its monotonic clock in microseconds and a function that runs a timer's handler.
#pragma once
#include <cstdint>
#include <cstdio>

constexpr int MaxCatchUp = 10;
constexpr int PacedTimerCount = 32;
constexpr int64_t NoTimerDue = INT64_MAX;

struct PacedTimer {
    int id;
    bool running;
    bool inHandler; // its handler is on the stack
    int64_t periodUs;
    int64_t dueUs;
};

// Steps of the simulation (timer 1003) counted per second of the clock, written as
// "pacing second N steps S average A" lines when DRAVOLINEX_PACING_LOG names a file ("-": standard error; a test
// hook, see platform/common/test_hooks.h).
struct PacingLog {
    FILE* file;
    int64_t secondStartUs;
    int stepsThisSecond;
    int seconds;
    long long stepsTotal;
};

struct TimerPacer {
    int64_t (*clock)(); // monotonic microseconds
    PacedTimer timers[PacedTimerCount];
    PacingLog pacingLog;
    int64_t quietSlackUs; // see PacedWakeTime
};

// Starts timer `id` with a period of `periodMs` (at least 1) from now; a running timer is restarted with the new
// period. With all slots taken the request is dropped.
void StartPacedTimer(TimerPacer& pacer, int id, int periodMs);
// Stops timer `id`; harmless when it is not running.
void StopPacedTimer(TimerPacer& pacer, int id);
void StopAllPacedTimers(TimerPacer& pacer);
bool AnyPacedTimerRunning(const TimerPacer& pacer);

// The earliest due time of a timer that may fire (its handler not on the stack), or NoTimerDue. Lets the expiries
// of a timer whose handler is on the stack pass first.
int64_t EarliestPacedDue(TimerPacer& pacer);

// Delivers every expiry due by now through `runHandler`, by the rules above. `runHandler` returns false when no
// more expiries should be delivered in this wake (the main window is gone).
void DeliverDuePacedTimers(TimerPacer& pacer, bool (*runHandler)(int timerId));

// While a dialog is open the timers whose work shows only at the next repaint (the simulation step 1003, the star
// twinkle 1000 and the meteor's 1001 and 1002) need not wake the loop by themselves: the step a hundred times a
// second finds the game halted or the player busy with the dialog. With `quietSlackUs` set, their expiries wait up to
// that long for a wake that another timer (the repaint) needs anyway, where they are delivered in due order with it
// (the catch-up limit grows by the expiries the wait allows).
bool WaitsForRepaint(int timerId);
// The time by which the loop must wake: the earliest due time, those timers' counted `quietSlackUs` later.
int64_t PacedWakeTime(TimerPacer& pacer);
// Delivers the expiries of those timers due by now for as long as no other timer is due before them: an input event
// must find the game as it would have been had they not waited.
void DeliverDueQuietTimers(TimerPacer& pacer, bool (*runHandler)(int timerId));

// Opens the pacing log named by `target` (null or empty: none; "-": standard error). An unwritable file is
// reported on standard error and leaves the log off.
void OpenPacingLog(TimerPacer& pacer, const char* target);
void ClosePacingLog(TimerPacer& pacer);
