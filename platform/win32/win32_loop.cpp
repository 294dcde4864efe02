// The message loop, posted and sent commands, and the game's timers. Every game timer is paced from the
// performance counter by the shared timer pacer and delivered by one pump timer of the main window: a window timer
// alone gives about 64 expiries a second on Windows (and drifts anywhere), while the flight needs exactly 100 steps
// a second.
#include "platform/win32/win32_backend.h"
#include "platform/app_entry.h"
#include "platform/common/timer_pacer.h"
#include "platform/common/flight_log.h"
#include "platform/common/test_hooks.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/timer.h"
#include "resources/shell_tables.h"

#include <mmsystem.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

constexpr UINT PumpPeriodMs = 2;

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

TimerPacer pacer = {NowUs, {}, {}, 0};
bool pumpRunning = false;

// Windows wakes a thread about every 15.6 ms unless a program asks for more. The pacer keeps 100 steps a second
// either way, but with the flight's 10 ms step running the steps would come in uneven pairs: only then is the finer
// 1 ms resolution (which costs the whole machine power) held, and it is given back as soon as the step stops.
constexpr int64_t SystemTickUs = 15625;
bool fineResolution = false;

void UpdateTimerResolution()
{
    bool wanted = false;
    if (MainWindowHandle())
        for (const PacedTimer& timer : pacer.timers)
            wanted = wanted || (timer.running && timer.periodUs < SystemTickUs);
    if (wanted == fineResolution) return;
    if (wanted) fineResolution = timeBeginPeriod(1) == TIMERR_NOERROR;
    else {
        timeEndPeriod(1);
        fineResolution = false;
    }
}

void UpdatePump()
{
    UpdateTimerResolution();
    HWND window = MainWindowHandle();
    bool wanted = window && AnyPacedTimerRunning(pacer);
    if (wanted && !pumpRunning) pumpRunning = SetTimer(window, PumpTimerId, PumpPeriodMs, nullptr) != 0;
    else if (!wanted && pumpRunning) {
        if (window) KillTimer(window, PumpTimerId);
        pumpRunning = false;
    }
}

// Runs one timer expiry; delivery stops when the handler has taken the main window away.
bool RunTimerHandler(int id)
{
    AppTimer(id);
    return MainWindowHandle() != nullptr;
}

} // namespace

void OnPumpTimer()
{
    DeliverDuePacedTimers(pacer, RunTimerHandler);
    UpdatePump();
}

void StopAllTimers()
{
    StopAllPacedTimers(pacer);
    UpdatePump();
    pumpRunning = false; // the window that owned the pump is going away
}

void PlatformSetTimer(int timerId, int periodMs)
{
    StartPacedTimer(pacer, timerId, periodMs);
    UpdatePump();
}

void PlatformKillTimer(int timerId)
{
    StopPacedTimer(pacer, timerId);
    UpdateTimerResolution();
}

bool HoldsFineTimerResolution()
{
    return fineResolution;
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
    OpenPacingLog(pacer, TEST_HOOK_SETTING("DRAVOLINEX_PACING_LOG"));
    OpenFlightLog(TEST_HOOK_SETTING("DRAVOLINEX_FLIGHT_LOG"));
    UpdatePump();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        HWND window = MainWindowHandle();
        if (window && accelerators && TranslateAcceleratorW(window, accelerators, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (accelerators) DestroyAcceleratorTable(accelerators);
    ClosePacingLog(pacer);
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
