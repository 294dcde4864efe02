// The message loop of the browser game: the page's events, posted commands and the game's timers, paced from
// performance.now by the shared timer pacer. Every loop turn ends in a short sleep (Asyncify) that hands the thread
// back to the browser, so a dialog's nested loop is just this loop run again until the dialog ends.
#include "platform/web/web_backend.h"
#include "platform/app_entry.h"
#include "platform/clock.h"
#include "platform/commands.h"
#include "platform/common/timer_pacer.h"
#include "platform/timer.h"

#include <emscripten.h>

#include <algorithm>
#include <deque>

namespace {

constexpr int JoystickPollSlot = -1; // internal timer id of the gamepad capture poll
constexpr int64_t LongestSleepUs = 8000; // the page's events wait at most this long

int64_t NowUs()
{
    return int64_t(emscripten_get_now() * 1000.0);
}

TimerPacer pacer = {NowUs, {}, {}, 0};
std::deque<int> postedCommands;
bool quitRequested = false;
int quitCode = 0;
int64_t tickBaseMs = 0;
bool tickBaseSet = false;

EM_JS(int, WebNextEvent, (WebEvent* out), {
    const e = Dravolinex.takeEvent();
    if (!e) return 0;
    HEAP32[(out >> 2) + 0] = e[0];
    HEAP32[(out >> 2) + 1] = e[1] | 0;
    HEAP32[(out >> 2) + 2] = e[2] | 0;
    HEAP32[(out >> 2) + 3] = e[3] | 0;
    return 1;
});

// A test page freezes the game's timers (its canvas then keeps the first frame) or fixes the first tick count (the
// seed of the game's generator); -1 when not asked. Only a build with the test hooks listens.
#ifdef DRAVOLINEX_TEST_HOOKS
EM_JS(int, WebTestSeed, (), { return Dravolinex.testSeed(); });
EM_JS(int, WebTestFrozen, (), { return Dravolinex.testFrozen() ? 1 : 0; });
#else
int WebTestSeed() { return -1; }
int WebTestFrozen() { return 0; }
#endif
EM_JS(double, WebTimeOfDayMs, (), { return Date.now() % 86400000; });

// Lets the browser put a frame on the screen (or waits a tenth of a second where it draws none, a hidden tab).
EM_ASYNC_JS(void, WebWaitForFrame, (), {
    await new Promise((done) => { requestAnimationFrame(() => setTimeout(done, 0)); setTimeout(done, 100); });
});

bool RunTimerHandler(int id)
{
    if (id == JoystickPollSlot) {
        PollJoystickCapture();
    } else {
        if (id == TimerStep) CountStep();
        AppTimer(id);
    }
    return !quitRequested;
}

void DrainPageEvents()
{
    WebEvent event;
    while (WebNextEvent(&event)) {
        switch (event.kind) {
        case WebEventKeyDown:
        case WebEventKeyUp:
        case WebEventFocusLost:
            HandleKeyEvent(event);
            break;
        case WebEventCommand:
            postedCommands.push_back(event.a);
            break;
        case WebEventDialogCommand:
        case WebEventDialogSlider:
        case WebEventBoxAnswer:
            HandleDialogEvent(event);
            break;
        case WebEventResize:
            NoteResize();
            break;
        default:
            break;
        }
    }
}

} // namespace

void PumpMessages()
{
    DrainPageEvents();
    // A pending repaint before the commands, as a desktop paints before its timer and posted messages: the first
    // frame reaches the screen before the settings dialog is built (the commands wait for the next turn).
    bool painted = DeliverPendingPaint();
    static bool firstShown = false;
    if (painted && !firstShown) {
        firstShown = true;
        WebWaitForFrame();
    }
    // Posted commands one at a time: a command may open a dialog whose nested loop delivers the next ones.
    while (!painted && !postedCommands.empty() && !quitRequested) {
        int id = postedCommands.front();
        postedCommands.pop_front();
        AppCommand(id);
    }
    if (quitRequested) return;
    static const bool frozen = WebTestFrozen();
    if (!frozen) DeliverDuePacedTimers(pacer, RunTimerHandler);
    int64_t wait = LongestSleepUs;
    int64_t due = frozen ? NoTimerDue : EarliestPacedDue(pacer);
    if (due != NoTimerDue) wait = std::min(wait, std::max<int64_t>(0, due - NowUs()));
    if (!postedCommands.empty()) wait = 0;
    emscripten_sleep(unsigned(wait / 1000));
}

bool QuitRequested()
{
    return quitRequested;
}

void StartJoystickPoll(int periodMs)
{
    StartPacedTimer(pacer, JoystickPollSlot, periodMs);
}

void PlatformSetTimer(int timerId, int periodMs)
{
    if (timerId == JoystickPollSlot) return;
    StartPacedTimer(pacer, timerId, periodMs);
}

void PlatformKillTimer(int timerId)
{
    if (timerId == JoystickPollSlot) return;
    StopPacedTimer(pacer, timerId);
}

uint32_t PlatformTickCount()
{
    int64_t nowMs = NowUs() / 1000;
    if (!tickBaseSet) {
        tickBaseSet = true;
        int seed = WebTestSeed();
        // The system's tick count counts from its start; the page's clock from the page's: the time of day gives
        // every visit its own worlds. A test page fixes the first reading, and so the game's seed.
        tickBaseMs = seed >= 0 ? seed - nowMs : int64_t(WebTimeOfDayMs());
    }
    return uint32_t(nowMs + tickBaseMs);
}

void PlatformPostCommand(int id)
{
    postedCommands.push_back(id);
}

void PlatformSendCommand(int id)
{
    AppCommand(id);
}

int PlatformRunMessageLoop()
{
    while (!quitRequested) PumpMessages();
    return quitCode;
}

void PlatformPostQuit(int code)
{
    quitRequested = true;
    quitCode = code;
    EndAllDialogs(0);
}

EM_JS(void, WebShowEnded, (), { Dravolinex.ended(); });

void PlatformExitProcess(int code)
{
    StopAllPacedTimers(pacer);
    WebShowEnded();
    emscripten_force_exit(code);
    __builtin_unreachable();
}
