// World generation: landing platforms, the terrain walk, the stars and the computer pilot's approach plan.
#include "world/world.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sim/options.h"
#include "platform/window.h"
#include "render/paint_frame.h"
#include "sim/game_state.h"
#include "sim/flight_taps.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/playfield.h"

const GameTypeInfo GameTypeTable[2] = {
    // sprite, hitLeft, hitTop, hitRight, hitBottom, rotates, platform min/max width, crater half width/depth
    {158, 14, 1, 28, 31, false, 15, 40, 8, 8},  // the rocket with side jets
    {130, 7, 1, 35, 31, true, 29, 54, 12, 10},  // the legged craft that steers by tilting
};

const GameTypeInfo& CurrentGameType()
{
    return GameTypeTable[gameOptions.gameType == 1 ? 1 : 0];
}

int32_t TerrainProfile[MaxPlayfieldSize + 1];
LandingPlatform platforms[MaxPlatforms];
Star stars[StarCount];
int32_t terrainStepBias = 1;

bool worldPictures = true;

int32_t pilotPlatform = 0;
int32_t pilotFloor[MaxPlayfieldSize];
int32_t pilotFunnel[MaxPlayfieldSize];

int PlayfieldWidth()
{
    int w = gameOptions.gameWidth;
    return w < 0 ? 0 : (w > MaxPlayfieldSize ? MaxPlayfieldSize : w);
}

int PlayfieldHeight()
{
    int h = gameOptions.gameHeight;
    return h < 0 ? 0 : (h > MaxPlayfieldSize ? MaxPlayfieldSize : h);
}

int ActivePlatformCount()
{
    int n = gameState.platformCount;
    return n < 0 ? 0 : (n > MaxPlatforms ? MaxPlatforms : n);
}

int ClampPlatformIndex(int index)
{
    return index < 0 ? 0 : (index >= MaxPlatforms ? MaxPlatforms - 1 : index);
}

void PlacePlatforms()
{
    const GameTypeInfo& g = CurrentGameType();
    int size = gameOptions.platformSize;
    if (size < 0)
        size = 0;
    if (size > 10)
        size = 10;
    int base = size < 5 ? 5 - size : 0;
    int choices = 6 - std::abs(5 - size);
    int step = (g.platformMaxWidth - g.platformMinWidth) / 5;
    int count = ActivePlatformCount();
    int spacing = PlayfieldWidth() / (count + 1);
    for (int i = 0; i < count; ++i) {
        LandingPlatform& p = platforms[i];
        p.x = spacing * (i + 1);
        p.y = -1;
        p.width = g.platformMinWidth + step * (RandomBelow(choices) + base);
        p.points = g.platformMaxWidth - p.width + 10;
    }
}

void GenerateTerrain()
{
    const int width = PlayfieldWidth();
    const int height = PlayfieldHeight();
    const int count = ActivePlatformCount();
    for (int i = 0; i < count; ++i)
        platforms[i].y = -1;

    int h = height;
    int segmentStart = height;
    int target = 25 + RandomBelow(height / 2 - 25);
    for (int col = 0; col < width; ++col) {
        // Platform columns are flat at the height the walk had when it reached the platform.
        bool onPlatform = false;
        for (int i = 0; i < count; ++i) {
            LandingPlatform& p = platforms[i];
            if (p.x <= col && col <= p.x + p.width) {
                if (p.y == -1)
                    p.y = h;
                TerrainProfile[col] = p.y;
                onPlatform = true;
            }
        }
        if (onPlatform)
            continue;

        int r = RandomBelow(15);
        if (segmentStart < target)
            h = h + r - terrainStepBias;
        else
            h = h + terrainStepBias - r;

        // The first, steep fall from the top edge is never held back.
        if (terrainStepBias != 1) {
            if (h < 25)
                h = 25 + RandomBelow(15) - terrainStepBias;
            else if (h > height / 2)
                h = height / 2 - RandomBelow(15) + terrainStepBias;
        }
        TerrainProfile[col] = h;

        if (segmentStart == target || (segmentStart < target && h >= target) ||
            (segmentStart > target && h <= target)) {
            segmentStart = h;
            target = 25 + RandomBelow(height / 2 - 25);
            terrainStepBias = gameState.roughnessStepBias;
        }
    }

    // The wall at the right edge climbs back toward the top until it meets the walked surface.
    int wall = height;
    for (int col = width; col >= 1; --col) {
        wall -= RandomBelow(15);
        if (TerrainProfile[col] > wall)
            break;
        TerrainProfile[col] = wall;
    }
}

static int32_t RandomStarColor()
{
    int red = 192 + RandomBelow(64);
    int green = 192 + RandomBelow(64);
    int blue = 192 + RandomBelow(64);
    return red | (green << 8) | (blue << 16);
}

void PlaceStars()
{
    const int width = PlayfieldWidth();
    const int height = PlayfieldHeight();
    for (Star& s : stars) {
        s.color = RandomStarColor();
        s.size = 1 + RandomBelow(2);
        int span = static_cast<int>(width * 0.9);
        int x = static_cast<int>(width * 0.1 + RandomBelow(span));
        // A playfield without columns still keeps the star on the profile.
        if (x < 0)
            x = 0;
        if (x > width)
            x = width;
        s.x = x;
        int room = height - TerrainProfile[x] + 20;
        s.y = TerrainProfile[x] + 20 + RandomBelow(room);
    }
}

void TwinkleStars()
{
    for (Star& s : stars)
        s.color = RandomStarColor();
}

static int PlatformCentre(const LandingPlatform& p)
{
    return p.x + p.width / 2;
}

// The platform the computer pilot aims for: a random one within reach of the fuel, else the nearest.
static int ChoosePilotPlatform(double craftCentre)
{
    const int count = ActivePlatformCount();
    if (count == 0)
        return 0;
    const double limit = (125 - gameOptions.fuelAmount) * 10;
    bool anyInReach = false;
    int nearest = 0;
    for (int i = 0; i < count; ++i) {
        double distance = std::fabs(PlatformCentre(platforms[i]) - craftCentre);
        if (distance <= limit)
            anyInReach = true;
        if (distance < std::fabs(PlatformCentre(platforms[nearest]) - craftCentre))
            nearest = i;
    }
    if (!anyInReach)
        return nearest;
    for (;;) {
        int k = RandomBelow(count);
        if (std::fabs(PlatformCentre(platforms[k]) - craftCentre) <= limit)
            return k;
    }
}

// One column of the safety floor: flat over the platform, a step up five columns beyond it, then terrain + margin.
static void RaiseFloor(int& floor, int d, int half, int base, int column)
{
    if (d < half)
        return;
    if (d == half + 5 && floor < base + 50) {
        floor = base + 50;
        return;
    }
    int margin = d < 100 ? d : 100;
    int ground = column <= MaxPlayfieldSize ? TerrainProfile[column] : 0;
    if (floor < ground + margin)
        floor = ground + margin;
}

void PlanPilotApproach()
{
    const GameTypeInfo& g = CurrentGameType();
    const int width = PlayfieldWidth();
    const int height = PlayfieldHeight();
    double craftCentre = gameState.craft.x + (g.hitLeft + g.hitRight) / 2;
    pilotPlatform = ChoosePilotPlatform(craftCentre);

    const LandingPlatform& p = platforms[pilotPlatform];
    const int half = p.width / 2;
    const int mid = p.x + half;
    const int base = p.y;

    int floor = base;
    for (int d = 0; d < mid; ++d) {
        int column = mid - d;
        RaiseFloor(floor, d, half, base, column);
        if (column < MaxPlayfieldSize)
            pilotFloor[column] = floor;
    }
    floor = base;
    for (int d = 0; mid + d < width; ++d) {
        int column = mid + d;
        RaiseFloor(floor, d, half, base, column);
        pilotFloor[column] = floor;
    }

    for (int y = 0; y < height; ++y)
        pilotFunnel[y] = y < base ? half : half + (y - base) / 5;
}

void (*worldBuildTap)() = nullptr;

void RegenerateWorld()
{
    if (worldBuildTap)
        worldBuildTap();
    ResetRound();
    std::memset(TerrainProfile, 0, sizeof TerrainProfile);
    terrainStepBias = 1;
    ReleaseBackgroundScene();
    PlacePlatforms();
    GenerateTerrain();
    PlaceStars();
    if (worldPictures)
        DrawBackgroundScene();
    else
        TakeBackgroundSceneDraws();
    if (gameOptions.player == 0)
        PlanPilotApproach();
    if (!worldPictures)
        return;
    PlatformRequestRepaint();
    PaintFrame();
}
