#include "sim/contact.h"

#include <cmath>

#include "sim/options.h"
#include "io/sound.h"
#include "platform/timer.h"
#include "sim/game_state.h"
#include "sim/timers.h"
#include "world/playfield.h"
#include "world/world.h"

constexpr double LandingSpeedLimit = 40.0;
constexpr double LandingHeightWindow = 5.0;
constexpr double TipHeightWindow = 3.0;
constexpr double UprightLimit = 3.0;

// The frame written last; a flight that recorded nothing points at the zeroed first frame.
static void MarkFinalRecord()
{
    if (recordCount > 0)
        finalRecord = recordCount - 1;
    else
        finalRecord = recordWrapped ? FlightRecordSize - 1 : 0;
}

static void LandOn(int index)
{
    GameState& g = gameState;
    Craft& c = g.craft;
    const GameTypeInfo& type = CurrentGameType();

    PlatformKillTimer(TimerStep);
    PlayTouchdownSound();
    c.angle = 0;
    g.touchdownPlatform = index;
    MarkFinalRecord();
    c.y = platforms[index].y + type.hitBottom + LandingHeightWindow;
    c.mainEngineOn = c.jetLeftOn = c.jetRightOn = false;
    g.landed = true;
    g.outcomeLanded = true;
    g.dustSize = 50;
    g.dustSizeStep = -4;
    g.postLandingFrame = 0;
    PlatformSetTimer(TimerDust, 100);
    if (type.spriteId == 130)
        PlatformSetTimer(TimerPostLanding, 70);
}

// Which way, if any, a soft touch beside or on platform `p` tips the craft over.
enum TipKind { NoTip, EdgeTip, SpeedTip, RollTip };

static TipKind MatchTipRule(const LandingPlatform& p, double left, double right, double feet, double* step)
{
    const Craft& c = gameState.craft;
    const double platformEnd = p.x + p.width;
    const bool near = feet - TipHeightWindow < p.y;
    const bool soft = std::fabs(c.vy) < LandingSpeedLimit;
    if (!near || !soft)
        return NoTip;
    if (p.x > left && right >= p.x) {
        *step = -1.0;
        return EdgeTip;
    }
    if (platformEnd > left && right >= platformEnd) {
        *step = 1.0;
        return EdgeTip;
    }
    const bool onTop = left >= p.x && right <= platformEnd;
    if (onTop && std::fabs(c.vx) >= LandingSpeedLimit) {
        *step = c.vx > 0 ? 1.0 : -1.0;
        return SpeedTip;
    }
    if (onTop && CurrentGameType().steersByRotating && std::fabs(c.angle) >= UprightLimit) {
        *step = c.angle > 0 ? 1.0 : -1.0;
        return RollTip;
    }
    return NoTip;
}

static bool TouchesGround(double left, double right, double feet)
{
    // The sides come first so that no column outside the playfield is ever looked up.
    if (left < 0 || right > PlayfieldWidth())
        return true;
    for (int k = static_cast<int>(left); k <= right; ++k) {
        if (TerrainProfile[k] > feet)
            return true;
    }
    return false;
}

void CheckContact()
{
    GameState& g = gameState;
    Craft& c = g.craft;
    const GameTypeInfo& type = CurrentGameType();
    const double left = c.x + type.hitLeft;
    const double right = c.x + type.hitRight;
    const double feet = c.y - type.hitBottom;
    const int count = ActivePlatformCount();

    if (!(type.steersByRotating && std::fabs(c.angle) >= UprightLimit)) {
        for (int i = 0; i < count; ++i) {
            const LandingPlatform& p = platforms[i];
            if (std::fabs(c.vx) < LandingSpeedLimit && std::fabs(c.vy) < LandingSpeedLimit && left >= p.x &&
                right <= p.x + p.width && feet - LandingHeightWindow < p.y) {
                LandOn(i);
                return;
            }
        }
    }

    if (!TouchesGround(left, right, feet))
        return;

    StopAllSounds();
    PlatformKillTimer(TimerStep);
    PlatformKillTimer(TimerMeteorLaunch);
    c.jetLeftOn = c.jetRightOn = false;
    MarkFinalRecord();

    for (int i = 0; i < count; ++i) {
        double step = 0;
        TipKind kind = MatchTipRule(platforms[i], left, right, feet, &step);
        if (kind == NoTip)
            continue;
        g.outcomeEdgeTip = kind == EdgeTip;
        g.outcomeSpeedTip = kind == SpeedTip;
        g.outcomeRollTip = kind == RollTip;
        g.tipStep = step;
        g.tipOrigin = {c.x, c.y};
        g.tipPlatform = i;
        PlatformSetTimer(TimerTipOver, 100);
        return;
    }

    g.crashed = true;
    g.outcomeCrashed = true;
    c.intact = false;
    c.mainEngineOn = true;
    PlayExplosionSound();
    PlatformSetTimer(TimerResult, 200);
}
