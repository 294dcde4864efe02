#include "sim/game_state.h"

#include <cstring>

#include "sim/options.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "sim/random.h"
#include "sim/saturate.h"
#include "sim/timers.h"

GameState gameState = {};

const PlanetInfo PlanetTable[4] = {
    {"Moon", 17, 100, {0xC8C8C8, 0xD2D2D2, 0xDCDCDC, 0xE6E6E6, 0xF0F0F0, 0xFAFAFA}, 0x140A0A, 0x321E14, 0x5046C8, 10},
    {"Mars", 38, 150, {0x0A24B8, 0x071C8D, 0x0552D1, 0x426CFF, 0x0575B1, 0x00186A}, 0x002864, 0x003C8C, 0xFFFFFF, 15},
    {"Earth", 100, 200, {0x1F985F, 0x2B648C, 0x1B9C65, 0x3D7A60, 0x31525C, 0x64A4B7}, 0x501E0A, 0x782814, 0xBEFEFB, 20},
    {"Jupiter", 260, 350, {0x2671F6, 0x4781F2, 0x1034CE, 0x092ADE, 0x096DDD, 0x042AE6}, 0x0F2328, 0x143232, 0xF0F0FF, 30},
};

const PlanetInfo& CurrentPlanet()
{
    int index = gameState.planetIndex;
    if (index < 0)
        index = 0;
    if (index > 3)
        index = 3;
    return PlanetTable[index];
}

FlightFrame flightRecord[FlightRecordSize];
int32_t recordCount = 0;
bool recordWrapped = false;
int32_t finalRecord = 0;

void RecordFlightFrame()
{
    const Craft& c = gameState.craft;
    FlightFrame& f = flightRecord[recordCount];
    f.x = SaturatedTrunc(c.x);
    f.y = SaturatedTrunc(c.y);
    f.vy = SaturatedTrunc(c.vy);
    f.angle = SaturatedTrunc(c.angle);
    f.jetRightOn = c.jetRightOn;
    f.jetLeftOn = c.jetLeftOn;
    f.mainEngineOn = c.mainEngineOn;
    f.intact = c.intact;
    f.dustSize = gameState.dustSize;
    f.postLandingFrame = gameState.postLandingFrame;
    if (++recordCount >= FlightRecordSize) {
        recordCount = 0;
        recordWrapped = true;
    }
}

// One thread owns everything; the lock only has to catch a handler that would nest inside another's hold.
static int meteorLockDepth = 0;
static bool meteorLockReady = false;

void InitMeteorLock()
{
    meteorLockReady = true;
    meteorLockDepth = 0;
}

void DeleteMeteorLock()
{
    meteorLockReady = false;
}

MeteorLockGuard::MeteorLockGuard()
{
    ++meteorLockDepth;
}

MeteorLockGuard::~MeteorLockGuard()
{
    --meteorLockDepth;
}

void FillPlayfieldSizeFromClient()
{
    if (gameOptions.gameWidth != 0 || gameOptions.gameHeight != 0)
        return;
    int width = 0, height = 0;
    PlatformGetClientSize(&width, &height);
    PlayfieldSizeFromClient(width, height, &gameOptions.gameWidth, &gameOptions.gameHeight);
}

void ResetRound()
{
    GameState& g = gameState;
    Craft& c = g.craft;

    g.planetIndex = gameOptions.planet;
    const PlanetInfo& planet = CurrentPlanet();
    g.gravity = static_cast<float>(planet.gravity / 100.0);
    g.thrustFactor = static_cast<float>(planet.thrust / 100.0);

    if (gameOptions.visibility == 0)
        g.visibilityMargin = -1;
    else if (gameOptions.visibility == 50)
        g.visibilityMargin = 40;
    else
        g.visibilityMargin = 0;

    c.fuel = 125 - gameOptions.fuelAmount;
    g.roughnessStepBias = (4 - gameOptions.surfaceRoughness) * 2;

    g.windMax = gameOptions.windStrength * WindScale * 0.6 / 100;
    int side = RandomBelow(2) * 2 - 1;
    g.wind = g.windTarget = side * g.windMax;
    g.windGust = RandomBelow(1000) * g.wind * 0.4 / 1000;

    FillPlayfieldSizeFromClient();

    int span = static_cast<int>(gameOptions.gameWidth * 0.7);
    c.x = gameOptions.gameWidth * 0.15 + RandomBelow(span);
    c.y = gameOptions.gameHeight - 10;

    c.jetRightOn = c.jetLeftOn = c.mainEngineOn = false;
    g.landed = g.crashed = false;
    g.outcomeLanded = g.outcomeCrashed = g.outcomeEdgeTip = g.outcomeSpeedTip = g.outcomeRollTip = false;
    g.tipPlatform = -1;
    c.intact = true;

    c.vx = c.vy = c.angle = 0;
    g.tipStep = 0;
    g.tipOrigin = {0, 0};

    std::memset(flightRecord, 0, sizeof flightRecord);
    recordCount = 0;
    recordWrapped = false;
    finalRecord = 0;
    g.dustSize = g.dustSizeStep = g.postLandingFrame = 0;
    g.blinkPhase = g.blinkTime = 0;
    g.platformCount = (gameOptions.gameWidth + 300) / 250;

    PlatformSetTimer(TimerStep, 10);
    PlatformSetTimer(TimerStarTwinkle, 200);
    PlatformSetTimer(TimerMeteorLaunch, 10000 + RandomBelow(10000));
    PlatformSetTimer(TimerRepaint, 50);
}

int LandingOutcome()
{
    const GameState& g = gameState;
    if (g.outcomeLanded)
        return 1;
    if (g.outcomeCrashed)
        return 2;
    if (g.outcomeEdgeTip)
        return 3;
    if (g.outcomeSpeedTip)
        return 4;
    if (g.outcomeRollTip)
        return 5;
    return 0;
}
