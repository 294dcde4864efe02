// The world of a round: terrain, landing platforms, stars and the computer pilot's approach plan.
#pragma once
#include <cstdint>
#include "sim/options.h"

struct GameTypeInfo {
    int32_t spriteId;
    int32_t hitLeft, hitTop, hitRight, hitBottom; // the craft's body inside its 43 x 43 sprite
    bool steersByRotating;
    int32_t platformMinWidth, platformMaxWidth;
    int32_t craterHalfWidth, craterDepth;
};
extern const GameTypeInfo GameTypeTable[2];
// The craft of the current options (row clamped into the table).
const GameTypeInfo& CurrentGameType();

constexpr int MaxPlatforms = 21; // (5000 + 300) / 250

struct LandingPlatform {
    int32_t x;      // leftmost column
    int32_t y;      // surface height; -1 until the terrain walk reaches it
    int32_t width;  // covers columns x .. x + width
    int32_t points;
};

struct Star {
    int32_t x, y;
    int32_t color; // 0x00BBGGRR
    int32_t size;  // 1 or 2
};
constexpr int StarCount = 100;

extern int32_t TerrainProfile[MaxPlayfieldSize + 1];
extern LandingPlatform platforms[MaxPlatforms];
extern Star stars[StarCount];
extern int32_t terrainStepBias;

extern int32_t pilotPlatform;
extern int32_t pilotFloor[MaxPlayfieldSize];
extern int32_t pilotFunnel[MaxPlayfieldSize];

// Whether anyone will look at the world: when false, RegenerateWorld takes the background scene's random draws
// without painting it and does not repaint (bulk simulation). Set it before the first world is generated.
extern bool worldPictures;

// Builds the world of a new round (resets the round first) and repaints.
void RegenerateWorld();
void PlacePlatforms();
void GenerateTerrain();
void PlaceStars();
void PlanPilotApproach();
// Gives each star a new colour (three draws per star).
void TwinkleStars();
