// A flight under the game's own timers on the virtual clock: steps, repaints, twinkling stars, the meteor, the
// engine stop and the end animations, in the order the game's window runs them.
#include "platform/headless/headless.h"
#include "render/paint_frame.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "sim/timers.h"
#include "tools/sim/sim.h"

namespace {

ControlInput stepInput = {0, 0, 0};
bool resultDue = false; // the game would show the verdict now

void OnFlightTimer(int id)
{
    if (id == TimerResult) {
        resultDue = true;
        PlatformKillTimer(TimerResult);
    } else if (id != TimerStep) {
        OnTimer(id);
    } else if (!gameState.halted) {
        StepFlight(stepInput);
    }
}

} // namespace

void BeginTimedFlight()
{
    resultDue = false;
    HeadlessHandlers handlers;
    handlers.timer = OnFlightTimer;
    handlers.paint = PaintFrame;
    // No command handler: the new game's settings dialog stands answered by the simulator's options.
    HeadlessSetMessageHandlers(handlers);
}

void StepUnderTimers(const ControlInput& input)
{
    stepInput = input;
    const uint64_t due = HeadlessTimerDue(TimerStep);
    HeadlessAdvance(due > HeadlessNow() ? due - HeadlessNow() : 10);
}

void EndTimedFlight()
{
    // The end animations take seconds; a minute is more than any of them.
    const uint64_t end = HeadlessNow() + 60000;
    const GameState& g = gameState;
    while ((g.landed || g.crashed || LandingOutcome() != 0) && !resultDue && HeadlessNow() < end)
        HeadlessAdvance(10);
    HeadlessClearMessageHandlers();
    for (int id = TimerStarTwinkle; id <= TimerEngineStop; ++id)
        if (id != TimerJoystick)
            PlatformKillTimer(id);
}
