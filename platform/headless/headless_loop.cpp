// Headless backend: virtual clock, timers, posted commands, the message loop, process exit and
// the main window.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <map>

#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "platform/headless/headless_internal.h"

namespace {

struct TimerSlot {
    int period = 0;
    uint64_t due = 0;
    uint64_t setOrder = 0; // when its current period was set: earlier fires first at equal due times
    bool running = false;
    bool inHandler = false;
    uint64_t expiries = 0;
};

enum WindowState { WindowNone, WindowExists, WindowDestroyed };

constexpr uint64_t DefaultLoopLimit = 60000;
constexpr int MinimumTimerPeriod = 10;
constexpr int NewWindowLeft = 100, NewWindowTop = 100;

struct LoopState {
    uint64_t now = HeadlessStartTime;
    std::map<int, TimerSlot> timers; // node-based: a slot stays put while its handler runs
    uint64_t nextSetOrder = 0;
    std::deque<int> posted;
    bool quitPending = false;
    int quitCode = 0;
    uint64_t loopLimit = DefaultLoopLimit;
    bool loopLimitReached = false;
    bool exitRequested = false;
    int exitCode = 0;
    std::function<void(int)> exitHook;
    bool handlersInstalled = false;
    HeadlessHandlers handlers;

    WindowState window = WindowNone;
    bool failWindowCreation = false;
    std::string title;
    int clientWidth = HeadlessDefaultClientWidth, clientHeight = HeadlessDefaultClientHeight;
    int outerLeft = NewWindowLeft, outerTop = NewWindowTop;
    int setWindowRectCount = 0;
    ScreenRect lastSetWindowRect{};
    int repaintRequests = 0;
    bool repaintPending = false;
    HeadlessFrame frame;
};

LoopState loop;

void DeliverCommand(int id) {
    if (!loop.handlersInstalled) AppCommand(id);
    else if (loop.handlers.command) loop.handlers.command(id);
}

void DeliverTimer(int id) {
    if (!loop.handlersInstalled) AppTimer(id);
    else if (loop.handlers.timer) loop.handlers.timer(id);
}

void DeliverPaint() {
    if (!loop.handlersInstalled) AppPaint();
    else if (loop.handlers.paint) loop.handlers.paint();
}

void DeliverCloseRequested() {
    if (!loop.handlersInstalled) AppCloseRequested();
    else if (loop.handlers.closeRequested) loop.handlers.closeRequested();
}

void DeliverDestroyed() {
    if (!loop.handlersInstalled) AppDestroyed();
    else if (loop.handlers.destroyed) loop.handlers.destroyed();
}

// At equal due times the engine stop runs just before the step (the step re-arms it at once, so the stars
// change every 250 ms while no engine fires); every other tie goes to the timer set earliest.
bool FiresBefore(int id, const TimerSlot& slot, int bestId, const TimerSlot& best) {
    if (slot.due != best.due) return slot.due < best.due;
    if (id == TimerEngineStop && bestId == TimerStep) return true;
    if (id == TimerStep && bestId == TimerEngineStop) return false;
    return slot.setOrder < best.setOrder;
}

// The running timer that fires next; a timer inside its own handler waits.
TimerSlot* NextDueTimer(int* id) {
    TimerSlot* best = nullptr;
    for (auto& [timerId, slot] : loop.timers) {
        if (!slot.running || slot.inHandler) continue;
        if (!best || FiresBefore(timerId, slot, *id, *best)) {
            best = &slot;
            *id = timerId;
        }
    }
    return best;
}

void FireTimer(int id, TimerSlot& slot) {
    // Re-arm from the due time; expiries missed while the handler was busy collapse into this one.
    uint64_t next = slot.due + static_cast<uint64_t>(slot.period);
    if (next <= loop.now) {
        const uint64_t period = static_cast<uint64_t>(slot.period);
        next += ((loop.now - next) / period + 1) * period;
    }
    slot.due = next;
    slot.inHandler = true;
    ++slot.expiries;
    DeliverTimer(id);
    loop.timers[id].inHandler = false;
}

// Moves the clock to `target`, delivering what falls due on the way. With `stopOnQuit` it returns
// as soon as a quit request is pending (the main loop's rule).
void AdvanceTo(uint64_t target, bool stopOnQuit) {
    for (;;) {
        HeadlessPump();
        if (stopOnQuit && loop.quitPending) return;
        int id = 0;
        TimerSlot* slot = NextDueTimer(&id);
        // A nested loop may have moved the clock past `target`: what is due by now still fires.
        if (!slot || slot->due > std::max(target, loop.now)) break;
        loop.now = std::max(loop.now, slot->due);
        FireTimer(id, *slot);
    }
    loop.now = std::max(loop.now, target);
}

} // namespace

// ---- deliveries and reset ----

void HeadlessDeliverJoystickButton() {
    if (!loop.handlersInstalled) AppJoystickButton();
    else if (loop.handlers.joystickButton) loop.handlers.joystickButton();
}

void HeadlessSetMessageHandlers(const HeadlessHandlers& handlers) {
    loop.handlers = handlers;
    loop.handlersInstalled = true;
}

void HeadlessClearMessageHandlers() {
    loop.handlers = HeadlessHandlers{};
    loop.handlersInstalled = false;
}

void HeadlessReset() {
    loop = LoopState{};
    HeadlessResetDialogs();
    HeadlessResetDevices();
    HeadlessResetReplays();
}

// ---- clock and timers ----

uint32_t PlatformTickCount() { return static_cast<uint32_t>(loop.now); }

uint64_t HeadlessNow() { return loop.now; }

void HeadlessAdvance(uint64_t ms) { AdvanceTo(loop.now + ms, false); }

void HeadlessSetClock(uint64_t ms) {
    for (auto& [id, slot] : loop.timers) {
        if (!slot.running) continue;
        const uint64_t left = slot.due > loop.now ? slot.due - loop.now : 0;
        slot.due = ms + left;
    }
    loop.now = ms;
}

void PlatformSetTimer(int timerId, int periodMs) {
    if (loop.window == WindowDestroyed) return;
    TimerSlot& slot = loop.timers[timerId];
    slot.period = std::max(periodMs, MinimumTimerPeriod);
    slot.due = loop.now + static_cast<uint64_t>(slot.period);
    slot.setOrder = loop.nextSetOrder++;
    slot.running = true;
}

void PlatformKillTimer(int timerId) {
    auto found = loop.timers.find(timerId);
    if (found != loop.timers.end()) found->second.running = false;
}

bool HeadlessTimerRunning(int timerId) {
    auto found = loop.timers.find(timerId);
    return found != loop.timers.end() && found->second.running;
}

int HeadlessTimerPeriod(int timerId) {
    return HeadlessTimerRunning(timerId) ? loop.timers[timerId].period : 0;
}

uint64_t HeadlessTimerDue(int timerId) {
    return HeadlessTimerRunning(timerId) ? loop.timers[timerId].due : 0;
}

uint64_t HeadlessTimerExpiries(int timerId) {
    auto found = loop.timers.find(timerId);
    return found == loop.timers.end() ? 0 : found->second.expiries;
}

// ---- commands and the message loop ----

void PlatformPostCommand(int id) {
    if (loop.window == WindowDestroyed) return;
    loop.posted.push_back(id);
}

void PlatformSendCommand(int id) { DeliverCommand(id); }

std::vector<int> HeadlessPostedCommands() { return {loop.posted.begin(), loop.posted.end()}; }

void HeadlessDropPostedCommands() { std::deque<int>().swap(loop.posted); }

void HeadlessPump() {
    while (!loop.posted.empty()) {
        const int id = loop.posted.front();
        loop.posted.pop_front();
        DeliverCommand(id);
    }
    if (loop.repaintPending && loop.window == WindowExists) {
        loop.repaintPending = false;
        // A minimised window has nothing to repaint (an empty update region brings no paint message); the 50 ms
        // repaint's own frame would otherwise be composed and recorded twice.
        if (loop.clientWidth > 0 && loop.clientHeight > 0) DeliverPaint();
    }
}

void PlatformPostQuit(int code) {
    loop.quitPending = true;
    loop.quitCode = code;
}

int PlatformRunMessageLoop() {
    loop.loopLimitReached = false;
    const uint64_t end = loop.now + loop.loopLimit;
    for (;;) {
        HeadlessPump();
        if (loop.quitPending) {
            loop.quitPending = false;
            return loop.quitCode;
        }
        int id = 0;
        TimerSlot* next = NextDueTimer(&id);
        if (!next || next->due > end) {
            if (next) loop.now = std::max(loop.now, end);
            loop.loopLimitReached = true;
            return HeadlessLoopLimitCode;
        }
        AdvanceTo(next->due, true);
    }
}

void HeadlessSetLoopLimit(uint64_t ms) { loop.loopLimit = ms; }

bool HeadlessLoopLimitReached() { return loop.loopLimitReached; }

void PlatformExitProcess(int code) {
    loop.exitRequested = true;
    loop.exitCode = code;
    if (loop.exitHook) loop.exitHook(code);
    std::_Exit(code);
}

void HeadlessSetExitHook(std::function<void(int)> hook) { loop.exitHook = std::move(hook); }

bool HeadlessExitRequested() { return loop.exitRequested; }

int HeadlessExitCode() { return loop.exitCode; }

// ---- main window ----

bool PlatformCreateMainWindow(const char* title) {
    if (loop.failWindowCreation || loop.window == WindowExists) return false;
    loop.window = WindowExists;
    loop.title = title ? title : "";
    loop.outerLeft = NewWindowLeft;
    loop.outerTop = NewWindowTop;
    return true;
}

bool PlatformMainWindowExists() { return loop.window == WindowExists; }

void PlatformDestroyMainWindow() {
    if (loop.window != WindowExists) return;
    loop.window = WindowDestroyed;
    // The window's timers and queued messages die with it.
    for (auto& [id, slot] : loop.timers) slot.running = false;
    loop.posted.clear();
    loop.repaintPending = false;
    DeliverDestroyed();
}

void PlatformGetClientSize(int* width, int* height) {
    const bool exists = loop.window == WindowExists;
    if (width) *width = exists ? loop.clientWidth : 0;
    if (height) *height = exists ? loop.clientHeight : 0;
}

ScreenRect PlatformGetClientScreenRect() {
    if (loop.window != WindowExists) return {};
    const int64_t left = int64_t{loop.outerLeft} + HeadlessFrameLeft, top = int64_t{loop.outerTop} + HeadlessFrameTop;
    return {HeadlessScreenCoordinate(left), HeadlessScreenCoordinate(top),
            HeadlessScreenCoordinate(left + loop.clientWidth), HeadlessScreenCoordinate(top + loop.clientHeight)};
}

ScreenRect PlatformGetWindowRect() {
    if (loop.window != WindowExists) return {};
    const int64_t left = loop.outerLeft, top = loop.outerTop;
    return {loop.outerLeft, loop.outerTop,
            HeadlessScreenCoordinate(left + HeadlessFrameLeft + loop.clientWidth + HeadlessFrameRight),
            HeadlessScreenCoordinate(top + HeadlessFrameTop + loop.clientHeight + HeadlessFrameBottom)};
}

void PlatformSetWindowRect(const ScreenRect& rect) {
    ++loop.setWindowRectCount;
    loop.lastSetWindowRect = rect;
    if (loop.window != WindowExists) return;
    // Wide arithmetic: a stored rectangle may hold any numbers.
    const int64_t width = int64_t{rect.right} - rect.left - HeadlessFrameLeft - HeadlessFrameRight;
    const int64_t height = int64_t{rect.bottom} - rect.top - HeadlessFrameTop - HeadlessFrameBottom;
    loop.outerLeft = rect.left;
    loop.outerTop = rect.top;
    loop.clientWidth = static_cast<int>(std::clamp<int64_t>(width, 0, 1 << 20));
    loop.clientHeight = static_cast<int>(std::clamp<int64_t>(height, 0, 1 << 20));
}

void PlatformRequestRepaint() {
    ++loop.repaintRequests;
    loop.repaintPending = true;
}

void PlatformPresentFrame(const uint32_t* pixels, int width, int height, const FrameArea* changed,
                          int changedCount) {
    ++loop.frame.count;
    loop.frame.changedKnown = changedCount >= 0;
    loop.frame.changed.assign(changed, changed + std::max(changedCount, 0));
    loop.repaintPending = false; // the whole client area is painted: the request is settled
    if (!pixels || width <= 0 || height <= 0) {
        loop.frame.pixels.clear();
        loop.frame.width = loop.frame.height = 0;
        return;
    }
    loop.frame.pixels.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
    loop.frame.width = width;
    loop.frame.height = height;
}

void HeadlessFailWindowCreation(bool fail) { loop.failWindowCreation = fail; }

void HeadlessSetClientSize(int width, int height) {
    loop.clientWidth = std::max(width, 0);
    loop.clientHeight = std::max(height, 0);
}

std::string HeadlessWindowTitle() { return loop.title; }

bool HeadlessWindowWasDestroyed() { return loop.window == WindowDestroyed; }

int HeadlessSetWindowRectCount() { return loop.setWindowRectCount; }

ScreenRect HeadlessLastSetWindowRect() { return loop.lastSetWindowRect; }

int HeadlessRepaintRequests() { return loop.repaintRequests; }

bool HeadlessRepaintPending() { return loop.repaintPending; }

void HeadlessClickCloseBox() {
    if (loop.window == WindowExists) DeliverCloseRequested();
}

const HeadlessFrame& HeadlessLastFrame() { return loop.frame; }
