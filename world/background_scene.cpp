// The static scene of a round, drawn once per world: sky gradient, rocky ground, platform bars and labels.
#include "world/background_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "app/options.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/world.h"

Surface backgroundScene;
static int sceneVersion = 0;

bool BackgroundSceneExists()
{
    return SurfaceExists(backgroundScene);
}

int BackgroundSceneVersion()
{
    return sceneVersion;
}

void ReleaseBackgroundScene()
{
    ReleaseSurface(backgroundScene);
    ++sceneVersion;
}

// Each colour component runs from the planet's top sky colour towards its bottom one in hundredths.
static void DrawSky(Surface& scene, const PlanetInfo& planet)
{
    int w = scene.width, h = scene.height;
    int top[3] = {ColorRed(planet.skyTop), ColorGreen(planet.skyTop), ColorBlue(planet.skyTop)};
    int bottom[3] = {ColorRed(planet.skyBottom), ColorGreen(planet.skyBottom), ColorBlue(planet.skyBottom)};
    for (int y = 0; y < h; ++y) {
        int f = static_cast<int>(100LL * y / h);
        int c[3];
        for (int i = 0; i < 3; ++i)
            c[i] = top[i] + f * (bottom[i] - top[i]) / 100;
        FillRect(scene, 0, y, w, y + 1, MakeColor(c[0], c[1], c[2]));
    }
}

// The surface as a staircase: flat along each column, vertical between columns, closed along the bottom.
static void BuildGroundOutline(std::vector<CanvasPoint>& outline, int w, int h)
{
    outline.clear();
    outline.reserve(2 * w + 3);
    outline.push_back({0, h});
    outline.push_back({0, h - TerrainProfile[0]});
    for (int x = 0; x < w; ++x) {
        outline.push_back({x + 1, h - TerrainProfile[x]});
        if (x < w - 1)
            outline.push_back({x + 1, h - TerrainProfile[x + 1]});
    }
    outline.push_back({w, h - TerrainProfile[w - 1]});
    outline.push_back({w, h});
}

// Where a blotch at (x, y) of base size s can reach, against the ground below the surface line: entirely in the
// sky (it would be clipped away), entirely in the ground (no clip needed), or across the surface line.
enum class Reach { Sky, Ground, Surface };

static Reach BlotchReach(int x, int y, int s, int w, int h)
{
    int left = std::max(x - s - 2, 0), right = std::min(x + s + 2, w - 1);
    int top = y - s - 2, bottom = y + s + 2;
    if (left > right)
        return Reach::Sky;
    int highest = TerrainProfile[left], lowest = TerrainProfile[left];
    for (int c = left + 1; c <= right; ++c) {
        highest = std::max(highest, TerrainProfile[c]);
        lowest = std::min(lowest, TerrainProfile[c]);
    }
    // Column c of the ground covers the rows from h - TerrainProfile[c] down.
    if (bottom < h - highest)
        return Reach::Sky;
    if (top >= h - lowest)
        return Reach::Ground;
    return Reach::Surface;
}

// Rocky blotches of base size s laid over the ground. The draws come in a fixed order (eight radii, the colour,
// then the column step; the row step after the row's last blotch): the world's random stream depends on it.
static void DrawRockPass(Surface& scene, const PlanetInfo& planet, int s)
{
    double sines[8], cosines[8];
    for (int i = 0; i < 8; ++i) {
        double a = 45.0 * i * std::numbers::pi / 180.0;
        sines[i] = std::sin(a);
        cosines[i] = std::cos(a);
    }
    int w = scene.width, h = scene.height;
    for (int y = 0; y < h; y += s + RandomBelow(15)) {
        for (int x = 0; x < w; x += s + RandomBelow(15)) {
            CanvasPoint blotch[8];
            for (int i = 0; i < 8; ++i) {
                int r = RandomBelow(s + 3);
                blotch[i] = {static_cast<int>(x + sines[i] * r), static_cast<int>(y + cosines[i] * r)};
            }
            Color color = planet.groundColors[RandomBelow(6)];
            // Blotches wholly in the sky would be clipped away; those wholly in the ground need no clip.
            Reach reach = BlotchReach(x, y, s, w, h);
            if (reach == Reach::Sky)
                continue;
            const Region* clip = scene.clip;
            if (reach == Reach::Ground)
                scene.clip = nullptr;
            FillPolygon(scene, blotch, 8, color, color);
            scene.clip = clip;
        }
    }
}

static void DrawPlatformsAndLabels(Surface& scene, const PlanetInfo& planet)
{
    int h = scene.height;
    int count = gameState.platformCount;
    if (count < 0)
        count = 0;
    if (count > MaxPlatforms)
        count = MaxPlatforms;
    for (int i = 0; i < count; ++i) {
        const LandingPlatform& p = platforms[i];
        FillRect(scene, p.x, h - p.y - 3, p.x + p.width, h - p.y + 1, planet.labelColor);
    }
    for (int i = 0; i < count; ++i) {
        const LandingPlatform& p = platforms[i];
        char label[16];
        std::snprintf(label, sizeof label, "%d", p.points);
        int left = p.x + (p.width - MeasureText(label)) / 2;
        DrawText(scene, left, h - p.y + 2, label, planet.labelColor);
    }
}

void DrawBackgroundScene()
{
    if (BackgroundSceneExists())
        return;
    int w = gameOptions.gameWidth, h = gameOptions.gameHeight;
    // A playfield without area has no scene (the painter then copies nothing); the terrain covers at most
    // MaxPlayfieldSize columns.
    if (w <= 0 || h <= 0)
        return;
    if (w > MaxPlayfieldSize)
        w = MaxPlayfieldSize;
    if (h > MaxPlayfieldSize)
        h = MaxPlayfieldSize;

    ++sceneVersion;
    const PlanetInfo& planet = CurrentPlanet();
    Surface& scene = backgroundScene;
    CreateSurface(scene, w, h);
    DrawSky(scene, planet);

    std::vector<CanvasPoint> outline;
    BuildGroundOutline(outline, w, h);
    Region ground;
    RegionFromPolygon(ground, outline.data(), static_cast<int>(outline.size()));
    scene.clip = &ground;
    FillRect(scene, 0, 0, w, h, planet.groundColors[0]);
    for (int s : {21, 11, 1})
        DrawRockPass(scene, planet, s);
    scene.clip = nullptr;

    DrawPlatformsAndLabels(scene, planet);
}
