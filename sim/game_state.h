// The running round: the craft, the round's flags and environment, the meteor and the flight recorder.
#pragma once
#include <cstdint>

struct Craft {
    double x;      // left edge of the 43 x 43 sprite, columns
    double y;      // top edge of the sprite, height above the playfield bottom (y-up)
    double vx;     // pixels per 60 steps, positive to the right
    double vy;     // positive upward
    double angle;  // degrees, 0 upright
    double fuel;   // never below 0
    bool mainEngineOn;
    bool jetLeftOn;  // the jet that pushes the rocket to the left fired
    bool jetRightOn; // the jet that pushes the rocket to the right fired
    bool intact;
};

struct TipOrigin {
    double x, y;
};

struct GameState {
    Craft craft;

    bool halted;
    bool landed;
    bool crashed;
    bool outcomeLanded;
    bool outcomeCrashed;
    bool outcomeEdgeTip;
    bool outcomeSpeedTip;
    bool outcomeRollTip;
    int32_t touchdownPlatform; // platform of the last landing
    int32_t tipPlatform;       // platform whose tip-over rule matched (-1 none), scored by a tip-over
    double tipStep;
    TipOrigin tipOrigin;
    int32_t dustSize;
    int32_t dustSizeStep;
    int32_t postLandingFrame;
    bool engineIdle;

    int32_t planetIndex;
    float gravity;
    float thrustFactor;
    int32_t visibilityMargin; // -1 no limit
    int32_t roughnessStepBias;
    int32_t platformCount;
    double wind;
    double windTarget;
    double windMax;
    double windGust;

    int32_t meteorX, meteorY, meteorDx, meteorDy;

    int32_t blinkPhase;
    int32_t blinkTime;
};

extern GameState gameState;

constexpr double WindScale = 0.65;

struct PlanetInfo {
    const char* name;
    int32_t gravity; // hundredths of speed lost per step
    int32_t thrust;  // hundredths
    uint32_t groundColors[6];
    uint32_t skyTop;
    uint32_t skyBottom;
    uint32_t labelColor;
    int32_t points;
};
extern const PlanetInfo PlanetTable[4];
// The planet of the round (its index is clamped into the table).
const PlanetInfo& CurrentPlanet();

struct FlightFrame {
    int32_t x, y, vy, angle;
    uint8_t jetRightOn, jetLeftOn, mainEngineOn, intact;
    int32_t dustSize;
    int32_t postLandingFrame;
};
constexpr int FlightRecordSize = 10000;
extern FlightFrame flightRecord[FlightRecordSize];
extern int32_t recordCount;
extern bool recordWrapped;
extern int32_t finalRecord;

// Appends one frame of the craft as it is now.
void RecordFlightFrame();

// The one lock of the game, held around craft/meteor position changes and each paint.
// One thread only: it guards against a handler re-entering while another holds it.
struct MeteorLockGuard {
    MeteorLockGuard();
    ~MeteorLockGuard();
};
void InitMeteorLock();
void DeleteMeteorLock();

// Fills gameWidth and gameHeight from the main window's client size when both are 0
// (at most 5000 each; a window with no client area gives the smallest playfield, 320 x 200).
void FillPlayfieldSizeFromClient();

// Puts a fresh round into gameState from gameOptions and starts the round's timers.
void ResetRound();

// Outcome number 1..5 of the finished flight (0 none).
int LandingOutcome();
