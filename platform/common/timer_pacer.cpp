// The timer table of the desktop backends and its delivery rules (see timer_pacer.h).
#include "platform/common/timer_pacer.h"
#include "platform/timer.h"

#include <cstring>

namespace {

PacedTimer* FindPacedTimer(TimerPacer& pacer, int id)
{
    for (PacedTimer& timer : pacer.timers)
        if (timer.id == id && (timer.running || timer.inHandler)) return &timer;
    return nullptr;
}

// The slot of timer `id`: its own while it runs or its handler is on the stack, else a free one.
PacedTimer* PacedTimerSlot(TimerPacer& pacer, int id)
{
    if (PacedTimer* timer = FindPacedTimer(pacer, id)) return timer;
    for (PacedTimer& timer : pacer.timers)
        if (!timer.running && !timer.inHandler) {
            timer = PacedTimer{id, false, false, 0, 0};
            return &timer;
        }
    return nullptr;
}

// A timer whose handler is still on the stack lets its expiries pass instead of queueing them up.
void SkipBlockedTimers(TimerPacer& pacer, int64_t now)
{
    for (PacedTimer& timer : pacer.timers)
        if (timer.running && timer.inHandler && timer.dueUs <= now) {
            int64_t behind = (now - timer.dueUs) / timer.periodUs + 1;
            timer.dueUs += behind * timer.periodUs;
        }
}

// At the same instant the engine stop runs just before the step: the step that finds the engines still idle
// re-arms it at once, so the stars change every 250 ms while no engine fires. Every other tie keeps slot order.
bool RunsBefore(const PacedTimer& timer, const PacedTimer& best)
{
    if (timer.dueUs != best.dueUs) return timer.dueUs < best.dueUs;
    return timer.id == TimerEngineStop && best.id == TimerStep;
}

void CountStepForPacing(PacingLog& log, int64_t now)
{
    if (log.secondStartUs == 0) log.secondStartUs = now;
    while (now - log.secondStartUs >= 1000000) {
        log.seconds++;
        log.stepsTotal += log.stepsThisSecond;
        fprintf(log.file, "pacing second %d steps %d average %.2f\n", log.seconds, log.stepsThisSecond,
                double(log.stepsTotal) / log.seconds);
        fflush(log.file);
        log.stepsThisSecond = 0;
        log.secondStartUs += 1000000;
    }
    log.stepsThisSecond++;
}

} // namespace

void StartPacedTimer(TimerPacer& pacer, int id, int periodMs)
{
    PacedTimer* timer = PacedTimerSlot(pacer, id);
    if (!timer) return;
    if (periodMs < 1) periodMs = 1;
    timer->periodUs = int64_t(periodMs) * 1000;
    timer->dueUs = pacer.clock() + timer->periodUs;
    timer->running = true;
}

void StopPacedTimer(TimerPacer& pacer, int id)
{
    if (PacedTimer* timer = FindPacedTimer(pacer, id)) timer->running = false;
}

void StopAllPacedTimers(TimerPacer& pacer)
{
    for (PacedTimer& timer : pacer.timers) timer.running = false;
}

bool AnyPacedTimerRunning(const TimerPacer& pacer)
{
    for (const PacedTimer& timer : pacer.timers)
        if (timer.running) return true;
    return false;
}

int64_t EarliestPacedDue(TimerPacer& pacer)
{
    SkipBlockedTimers(pacer, pacer.clock());
    int64_t earliest = NoTimerDue;
    for (const PacedTimer& timer : pacer.timers)
        if (timer.running && !timer.inHandler && timer.dueUs < earliest) earliest = timer.dueUs;
    return earliest;
}

bool WaitsForRepaint(int timerId)
{
    return timerId == TimerStep || timerId == TimerStarTwinkle || timerId == TimerMeteorLaunch ||
           timerId == TimerMeteorFlight;
}

int64_t PacedWakeTime(TimerPacer& pacer)
{
    SkipBlockedTimers(pacer, pacer.clock());
    int64_t earliest = NoTimerDue;
    for (const PacedTimer& timer : pacer.timers) {
        if (!timer.running || timer.inHandler) continue;
        int64_t wake = WaitsForRepaint(timer.id) ? timer.dueUs + pacer.quietSlackUs : timer.dueUs;
        if (wake < earliest) earliest = wake;
    }
    return earliest;
}

namespace {

void DeliverDue(TimerPacer& pacer, bool (*runHandler)(int timerId), bool quietOnly)
{
    int64_t now = pacer.clock();
    SkipBlockedTimers(pacer, now);
    int delivered[PacedTimerCount] = {};
    for (;;) {
        int best = -1;
        for (int i = 0; i < PacedTimerCount; i++) {
            const PacedTimer& timer = pacer.timers[i];
            if (!timer.running || timer.inHandler || timer.dueUs > now) continue;
            if (best < 0 || RunsBefore(timer, pacer.timers[best])) best = i;
        }
        if (best < 0 || (quietOnly && !WaitsForRepaint(pacer.timers[best].id))) return;
        PacedTimer& timer = pacer.timers[best];
        timer.dueUs += timer.periodUs;
        int catchUp = MaxCatchUp + (WaitsForRepaint(timer.id) ? int(pacer.quietSlackUs / timer.periodUs) : 0);
        if (++delivered[best] >= catchUp && timer.dueUs <= now) timer.dueUs = now + timer.periodUs;
        // The slot stays this timer's while its handler runs, even if the handler stops it.
        timer.inHandler = true;
        if (pacer.pacingLog.file && timer.id == TimerStep) CountStepForPacing(pacer.pacingLog, pacer.clock());
        bool goOn = runHandler(timer.id);
        timer.inHandler = false;
        if (!goOn) return;
    }
}

} // namespace

void DeliverDuePacedTimers(TimerPacer& pacer, bool (*runHandler)(int timerId))
{
    DeliverDue(pacer, runHandler, false);
}

void DeliverDueQuietTimers(TimerPacer& pacer, bool (*runHandler)(int timerId))
{
    DeliverDue(pacer, runHandler, true);
}

void OpenPacingLog(TimerPacer& pacer, const char* target)
{
    if (pacer.pacingLog.file || !target || !*target) return;
    pacer.pacingLog = PacingLog{};
    pacer.pacingLog.file = strcmp(target, "-") == 0 ? stderr : fopen(target, "w");
    if (!pacer.pacingLog.file) fprintf(stderr, "dravolinex: cannot write the pacing log %s\n", target);
}

void ClosePacingLog(TimerPacer& pacer)
{
    if (pacer.pacingLog.file && pacer.pacingLog.file != stderr) fclose(pacer.pacingLog.file);
    pacer.pacingLog.file = nullptr;
}
