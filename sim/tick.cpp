// The timer dispatcher: the simulation step, the end-of-flight animations, the result, meteor, stars, repaint.
#include "sim/tick.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "sim/options.h"
#include "dialogs/modal.h"
#include "io/input.h"
#include "io/sound.h"
#include "platform/keys.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "render/paint_frame.h"
#include "render/sprites.h"
#include "scoring/landing_report.h"
#include "scoring/result_dialog.h"
#include "sim/contact.h"
#include "sim/flight_taps.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "sim/random.h"
#include "sim/timers.h"
#include "world/background_scene.h"
#include "world/playfield.h"
#include "world/world.h"

void (*newGameHook)() = nullptr;
ControlInput (*stepInputTap)(ControlInput (*read)()) = nullptr;
bool (*resultHeldTap)(bool (*ask)()) = nullptr;
void (*verdictTap)(int, int, const char*, const char*, const char*) = nullptr;

constexpr double Pi = std::numbers::pi;

ControlInput ReadControlInput()
{
    ControlInput input = {0, 0, 0};
    if (gameOptions.player == 0)
        ComputerPilot(&input.thrust, &input.left, &input.right);
    else
        ReadPlayerInput(&input.thrust, &input.left, &input.right);
    return input;
}

static void DriftWind()
{
    GameState& g = gameState;
    if (std::fabs(g.wind - g.windTarget) < 0.05) {
        int strength = RandomBelow(static_cast<int32_t>(g.windMax * 1000));
        int side = RandomBelow(2) * 2 - 1;
        g.windTarget = side * strength / 1000.0;
    }
    int direction = g.windTarget > g.wind ? 1 : -1;
    g.wind += (RandomBelow(10) + 1) * direction / 10000.0;
    g.windGust = RandomBelow(1000) * g.wind * 0.4 / 1000;
}

// Demands are percentages; a turning demand of the tilting craft may reach 150 per radian of a half turn.
// Anything beyond (a script, a broken joystick driver) is held to those ranges before it meets the physics.
constexpr int32_t MaxPercent = 100;
constexpr int32_t MaxTurnDemand = 471;

static int32_t HoldDemand(int32_t demand, int32_t most)
{
    return demand < 0 ? 0 : (demand > most ? most : demand);
}

void StepFlight(const ControlInput& demanded)
{
    GameState& g = gameState;
    Craft& c = g.craft;
    const GameTypeInfo& type = CurrentGameType();
    const int32_t sideMost = type.steersByRotating ? MaxTurnDemand : MaxPercent;
    const ControlInput input = {HoldDemand(demanded.thrust, MaxPercent), HoldDemand(demanded.left, sideMost),
                                HoldDemand(demanded.right, sideMost)};

    g.tipStep = 0;
    c.mainEngineOn = c.jetLeftOn = c.jetRightOn = false;
    bool mainFired = false;
    bool jetFired = false;

    DriftWind();

    const double thrustFactor = g.thrustFactor;
    if (!type.steersByRotating) {
        if (input.thrust > 0 && c.fuel > 0) {
            c.vy += input.thrust * thrustFactor / 100;
            c.fuel -= input.thrust * 0.1 / 100;
            c.mainEngineOn = mainFired = true;
        }
        if (input.left > 0 && c.fuel > 0) {
            c.vx -= input.left / 100.0;
            c.fuel -= input.left * 0.05 / 100;
            c.jetLeftOn = jetFired = true;
        }
        if (input.right > 0 && c.fuel > 0) {
            c.vx += input.right / 100.0;
            c.fuel -= input.right * 0.05 / 100;
            c.jetRightOn = jetFired = true;
        }
    } else {
        // The engine pushes along the tilt the craft had at the start of the step; turning is free.
        const double a = c.angle / 180 * Pi;
        if (input.thrust > 0 && c.fuel > 0) {
            c.vy += std::cos(a) * thrustFactor * input.thrust / 100;
            c.vx += std::sin(a) * thrustFactor * input.thrust / 100;
            c.fuel -= input.thrust * 0.1 / 100;
            c.mainEngineOn = mainFired = true;
        }
        if (input.right > 0) {
            c.angle += input.right / 100.0;
            if (c.angle > 85)
                c.angle = 85;
        }
        if (input.left > 0) {
            c.angle -= input.left / 100.0;
            if (c.angle < -85)
                c.angle = -85;
        }
    }

    double push = g.wind + g.windGust;
    if (gameOptions.player == 0)
        push /= 3;
    c.vx += push;
    if (c.fuel < 0)
        c.fuel = 0;

    // The engine sound outlives the last firing by 250 ms so that short pauses do not cut it.
    if (!mainFired && !jetFired) {
        if (!g.engineIdle) {
            g.engineIdle = true;
            PlatformSetTimer(TimerEngineStop, 250);
        }
    } else {
        g.engineIdle = false;
        PlatformKillTimer(TimerEngineStop);
        UpdateEngineSound(mainFired, jetFired);
    }

    c.vy -= g.gravity;
    {
        MeteorLockGuard lock;
        c.x += c.vx / 60;
        c.y += c.vy / 60;
    }
    CheckContact();
}

static void SimulationStep()
{
    if (gameState.halted)
        return;
    StepFlight(stepInputTap ? stepInputTap(ReadControlInput) : ReadControlInput());
}

static void StepDust()
{
    GameState& g = gameState;
    // A round reset behind the dust (a world option changed in a settings dialog): no landing is left to show.
    if (!g.landed) {
        PlatformKillTimer(TimerDust);
        return;
    }
    if (g.dustSize > 20) {
        g.dustSize += g.dustSizeStep;
    } else {
        PlatformKillTimer(TimerDust);
        PlatformSetTimer(TimerResult, 200);
    }
}

static void StepPostLanding()
{
    // A round reset behind the animation: the new round's flying craft must not show touch-down frames.
    if (!gameState.landed) {
        PlatformKillTimer(TimerPostLanding);
        return;
    }
    if (gameState.postLandingFrame < 10)
        ++gameState.postLandingFrame;
    else
        PlatformKillTimer(TimerPostLanding);
}

void StepTipOver()
{
    GameState& g = gameState;
    Craft& c = g.craft;
    const GameTypeInfo& type = CurrentGameType();
    const int bodyHeight = type.hitBottom - type.hitTop;

    // A round reset behind the animation (a world option changed in a settings dialog) leaves no side to
    // fall to: the old tip-over ends here instead of pulling the new round's craft to its origin forever.
    if (g.tipStep == 0) {
        PlatformKillTimer(TimerTipOver);
        return;
    }

    if (std::fabs(c.angle) < 90) {
        PlayTippingSound();
        c.angle += g.tipStep;
        const double a = c.angle / 180 * Pi;
        const int dx = static_cast<int>(std::sin(a) * bodyHeight * 0.5);
        const int dy = static_cast<int>((1 - std::cos(a)) * (bodyHeight - 25) * 0.5);
        {
            MeteorLockGuard lock;
            c.x = g.tipOrigin.x + dx;
            c.y = g.tipOrigin.y - dy;
        }
        g.tipStep *= 1.4;
        return;
    }

    // The craft lies on its side: it is wrecked where the tip-over began.
    if (c.angle > 90)
        c.angle = 90;
    if (c.angle < -90)
        c.angle = -90;
    c.intact = false;
    c.mainEngineOn = true;
    c.jetLeftOn = c.jetRightOn = false;
    g.crashed = true;
    PlayExplosionSound();
    PlatformKillTimer(TimerTipOver);
    {
        MeteorLockGuard lock;
        c.x = g.tipOrigin.x;
        c.y = g.tipOrigin.y;
    }
    g.tipOrigin = {0, 0};
    PlatformSetTimer(TimerResult, 200);
}

// A held Space (the thrust key) must not skip the verdict, nor may it open over a dialog of the game.
static bool ResultHeld()
{
    return PlatformKeyState(KeySpace) != 0 || ModalWindowOpen();
}

static void ShowResult()
{
    // A round reset behind the wait (a world option changed in a settings dialog) has no verdict to give.
    if (LandingOutcome() == 0) {
        PlatformKillTimer(TimerResult);
        return;
    }
    if (resultHeldTap ? resultHeldTap(ResultHeld) : ResultHeld())
        return;
    PlatformKillTimer(TimerResult);
    std::vector<char> details(ReportBufferSize, 0);
    std::vector<char> title(ReportBufferSize, 0);
    std::vector<char> message(ReportBufferSize, 0);
    const int score = BuildLandingReport(details.data(), title.data(), message.data(), LandingOutcome());
    if (verdictTap)
        verdictTap(LandingOutcome(), score, title.data(), message.data(), details.data());
    ShowLandingResult(title.data(), details.data(), message.data());
    GameState& g = gameState;
    g.outcomeLanded = g.outcomeCrashed = g.outcomeEdgeTip = g.outcomeSpeedTip = g.outcomeRollTip = false;
    if (newGameHook)
        newGameHook();
}

static void LaunchMeteor()
{
    GameState& g = gameState;
    {
        MeteorLockGuard lock;
        g.meteorX = RandomBelow(PlayfieldWidth() / 2);
        g.meteorY = PlayfieldHeight();
        g.meteorDx = RandomBelow(17) - 8;
        g.meteorDy = RandomBelow(5) + 2;
    }
    double direction = std::atan(static_cast<double>(g.meteorDx) / g.meteorDy) * -180 / Pi;
    RedrawMeteorPicture(static_cast<int>(direction));
    PlatformKillTimer(TimerMeteorLaunch);
    PlatformSetTimer(TimerMeteorFlight, 20);
}

static void MoveMeteor()
{
    GameState& g = gameState;
    MeteorLockGuard lock;
    g.meteorX += g.meteorDx;
    g.meteorY -= g.meteorDy;
    const int width = PlayfieldWidth();
    const int pictureWidth = SpriteTable[1].picture.width;
    bool ended = g.meteorX < 0 || g.meteorX > width - pictureWidth || g.meteorY < 0 ||
                 g.meteorY > PlayfieldHeight() || TerrainProfile[g.meteorX] > g.meteorY;
    if (!ended)
        return;
    PlatformKillTimer(TimerMeteorFlight);
    g.meteorX = g.meteorY = 0;
    PlatformSetTimer(TimerMeteorLaunch, 3000);
}

static void TwinkleIfSceneExists()
{
    if (BackgroundSceneExists())
        TwinkleStars();
}

static void StopEngineSound()
{
    PlatformKillTimer(TimerEngineStop);
    gameState.engineIdle = false;
    StopAllSounds();
    TwinkleIfSceneExists();
}

void OnTimer(int timerId)
{
    switch (timerId) {
    case TimerStarTwinkle:
        TwinkleIfSceneExists();
        break;
    case TimerMeteorLaunch:
        LaunchMeteor();
        break;
    case TimerMeteorFlight:
        MoveMeteor();
        break;
    case TimerStep:
        SimulationStep();
        break;
    case TimerRepaint:
        PlatformRequestRepaint();
        PaintFrame();
        break;
    case TimerResult:
        ShowResult();
        break;
    case TimerDust:
        StepDust();
        break;
    case TimerTipOver:
        StepTipOver();
        break;
    case TimerJoystick:
        joystickAvailable = PollJoystickStatus();
        break;
    case TimerPostLanding:
        StepPostLanding();
        break;
    case TimerEngineStop:
        StopEngineSound();
        break;
    default:
        break;
    }
}
