// The message loop, posted and sent commands, and the game's timers. Every game timer is paced from the
// performance counter and delivered by one pump timer of the main window: a window timer alone gives about 64
// expiries a second on Windows (and drifts anywhere), while the flight needs exactly 100 steps a second.
#include "platform/win32/win32_backend.h"
#include "platform/app_entry.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/timer.h"
#include "resources/shell_tables.h"
#include "sim/timers.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

// At most this many expiries of one timer are delivered per wake; beyond it the timer resynchronises to now, so a
// stall (a dragged window, a slow machine) does not fast-forward the flight.
constexpr int MaxCatchUp = 10;
constexpr int TimerSlotCount = 32;
constexpr UINT PumpPeriodMs = 2;

struct TimerSlot {
    int id;
    bool running;
    bool inHandler; // its handler is on the stack (a dialog opened from it runs a nested loop)
    int64_t periodUs;
    int64_t dueUs;
};

TimerSlot timerSlots[TimerSlotCount];
bool pumpRunning = false;

// Pacing log of the simulation step (DRAVOLINEX_PACING_LOG=file): expiries of timer 1003 in each second.
FILE* pacingLog = nullptr;
int64_t pacingSecondStart = 0;
int pacingSteps = 0, pacingSeconds = 0;
long long pacingTotal = 0;

int64_t NowUs()
{
    static LARGE_INTEGER frequency{};
    if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    int64_t seconds = counter.QuadPart / frequency.QuadPart;
    int64_t rest = counter.QuadPart % frequency.QuadPart;
    return seconds * 1000000 + rest * 1000000 / frequency.QuadPart;
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

bool AnyTimerRunning()
{
    for (const TimerSlot& slot : timerSlots)
        if (slot.running) return true;
    return false;
}

void UpdatePump()
{
    HWND window = MainWindowHandle();
    bool wanted = window && AnyTimerRunning();
    if (wanted && !pumpRunning) pumpRunning = SetTimer(window, PumpTimerId, PumpPeriodMs, nullptr) != 0;
    else if (!wanted && pumpRunning) {
        if (window) KillTimer(window, PumpTimerId);
        pumpRunning = false;
    }
}

// A timer whose handler is still on the stack lets its expiries pass instead of queueing them up.
void SkipBlockedTimers(int64_t now)
{
    for (TimerSlot& slot : timerSlots)
        if (slot.running && slot.inHandler && slot.dueUs <= now) {
            int64_t behind = (now - slot.dueUs) / slot.periodUs + 1;
            slot.dueUs += behind * slot.periodUs;
        }
}

void OpenPacingLog()
{
    const char* target = getenv("DRAVOLINEX_PACING_LOG");
    if (target && *target) pacingLog = fopen(target, "w");
}

void CountStepForPacing(int64_t now)
{
    if (pacingSecondStart == 0) pacingSecondStart = now;
    while (now - pacingSecondStart >= 1000000) {
        pacingSeconds++;
        pacingTotal += pacingSteps;
        fprintf(pacingLog, "pacing second %d steps %d average %.2f\n", pacingSeconds, pacingSteps,
                double(pacingTotal) / pacingSeconds);
        fflush(pacingLog);
        pacingSteps = 0;
        pacingSecondStart += 1000000;
    }
    pacingSteps++;
}

} // namespace

void OnPumpTimer()
{
    int64_t now = NowUs();
    SkipBlockedTimers(now);
    int delivered[TimerSlotCount] = {};
    for (;;) {
        int best = -1;
        for (int i = 0; i < TimerSlotCount; i++) {
            const TimerSlot& slot = timerSlots[i];
            if (!slot.running || slot.inHandler || slot.dueUs > now) continue;
            if (best < 0 || slot.dueUs < timerSlots[best].dueUs) best = i;
        }
        if (best < 0) break;
        TimerSlot& slot = timerSlots[best];
        slot.dueUs += slot.periodUs;
        if (++delivered[best] >= MaxCatchUp && slot.dueUs <= now) slot.dueUs = now + slot.periodUs;
        slot.inHandler = true;
        if (pacingLog && slot.id == TimerStep) CountStepForPacing(NowUs());
        AppTimer(slot.id);
        slot.inHandler = false;
        if (!MainWindowHandle()) break;
    }
    UpdatePump();
}

void StopAllTimers()
{
    for (TimerSlot& slot : timerSlots) slot.running = false;
    UpdatePump();
    pumpRunning = false; // the window that owned the pump is going away
}

void PlatformSetTimer(int timerId, int periodMs)
{
    TimerSlot* slot = NewTimerSlot(timerId);
    if (!slot) return;
    if (periodMs < 1) periodMs = 1;
    slot->periodUs = int64_t(periodMs) * 1000;
    slot->dueUs = NowUs() + slot->periodUs;
    slot->running = true;
    UpdatePump();
}

void PlatformKillTimer(int timerId)
{
    if (TimerSlot* slot = FindTimer(timerId)) slot->running = false;
}

uint32_t PlatformTickCount()
{
    return GetTickCount();
}

void PlatformPostCommand(int id)
{
    if (HWND window = MainWindowHandle()) PostMessageW(window, WM_COMMAND, WPARAM(LOWORD(id)), 0);
}

void PlatformSendCommand(int id)
{
    if (HWND window = MainWindowHandle()) SendMessageW(window, WM_COMMAND, WPARAM(LOWORD(id)), 0);
    else AppCommand(id);
}

// The accelerator table of the main window: N and P as plain virtual keys, Alt+'/' and Alt+'?' as characters.
static HACCEL CreateMainAccelerators()
{
    std::vector<ACCEL> table;
    for (int i = 0; i < MainAcceleratorCount; i++) {
        const AcceleratorDef& def = MainAccelerators[i];
        ACCEL accel{};
        accel.fVirt = BYTE((def.keyKind == AccelVirtualKey ? FVIRTKEY : 0) | (def.alt ? FALT : 0));
        accel.key = WORD(def.key);
        accel.cmd = WORD(def.command);
        table.push_back(accel);
    }
    return table.empty() ? nullptr : CreateAcceleratorTableW(table.data(), int(table.size()));
}

int PlatformRunMessageLoop()
{
    HACCEL accelerators = CreateMainAccelerators();
    OpenPacingLog();
    UpdatePump();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND window = MainWindowHandle();
        if (window && accelerators && TranslateAcceleratorW(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (accelerators) DestroyAcceleratorTable(accelerators);
    if (pacingLog) fclose(pacingLog);
    pacingLog = nullptr;
    return msg.message == WM_QUIT ? int(msg.wParam) : 0;
}

void PlatformPostQuit(int code)
{
    PostQuitMessage(code);
}

void PlatformExitProcess(int code)
{
    ExitProcess(UINT(code));
}
