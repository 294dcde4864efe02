// The static scene of a round, drawn once per world: sky gradient, rocky ground, platform bars and labels.
#include "world/background_scene.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "sim/options.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/scene_paint.h"
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

// The pixels of the last released scene, kept for the next one: a large scene's fresh memory costs more than
// painting it (the next scene paints every pixel, so the old contents do no harm).
static std::vector<Color> sparePixels;

void ReleaseBackgroundScene()
{
    if (sparePixels.capacity() < backgroundScene.pixels.capacity())
        sparePixels.swap(backgroundScene.pixels);
    ReleaseSurface(backgroundScene);
    ++sceneVersion;
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

// The rock texture's draws, in their fixed order: per blotch eight radii, the colour, then the column step; the
// row step after the row's last blotch. Passes of base size 21, 11 and 1: large blotches first, smaller ones
// laid over them. The world's random stream depends on this order. With `shapes` null the draws are only
// taken (the radii and colour are skipped over without being computed).
static void TakeRockDraws(int w, int h, SceneShapes* shapes)
{
    int pass = 0;
    for (int s : {21, 11, 1}) {
        for (int y = 0; y < h; y += s + RandomBelow(15)) {
            if (!shapes) {
                WalkRandomSteps(w, s, 15, 9);
                continue;
            }
            for (int x = 0; x < w; x += s + RandomBelow(15)) {
                RockBlotch b;
                b.x = x;
                b.y = y;
                int32_t radius[8];
                RandomBelowMany(s + 3, radius, 8);
                for (int i = 0; i < 8; ++i)
                    b.radius[i] = static_cast<uint8_t>(radius[i]);
                b.colorIndex = static_cast<uint8_t>(RandomBelow(6));
                // Blotches wholly in the sky would be clipped away entirely.
                Reach reach = BlotchReach(x, y, s, w, h);
                if (reach == Reach::Sky)
                    continue;
                b.crossesSurface = reach == Reach::Surface;
                shapes->blotches.push_back(b);
            }
        }
        if (shapes)
            shapes->passEnd[pass++] = static_cast<int>(shapes->blotches.size());
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

// The scene's size: a playfield without area has none (the painter then copies nothing); the terrain covers at
// most MaxPlayfieldSize columns.
static bool SceneSize(int& w, int& h)
{
    w = std::min(gameOptions.gameWidth, MaxPlayfieldSize);
    h = std::min(gameOptions.gameHeight, MaxPlayfieldSize);
    return w > 0 && h > 0;
}

void DrawBackgroundScene()
{
    int w, h;
    if (BackgroundSceneExists() || !SceneSize(w, h))
        return;

    ++sceneVersion;
    const PlanetInfo& planet = CurrentPlanet();
    static SceneShapes shapes; // kept between worlds so its list is not grown afresh each time
    shapes.width = w;
    shapes.height = h;
    shapes.skyTop = planet.skyTop;
    shapes.skyBottom = planet.skyBottom;
    std::copy(std::begin(planet.groundColors), std::end(planet.groundColors), shapes.groundColors);
    shapes.terrain = TerrainProfile;
    shapes.blotches.clear();
    TakeRockDraws(w, h, &shapes);

    Surface& scene = backgroundScene;
    const size_t size = size_t(w) * size_t(h);
    if (sparePixels.capacity() >= size && sparePixels.capacity() / 4 <= size)
        scene.pixels.swap(sparePixels);
    std::vector<Color>().swap(sparePixels);
    scene.pixels.resize(size);
    scene.width = w;
    scene.height = h;
    scene.clip = nullptr;
    PaintSceneShapes(scene, shapes);
    DrawPlatformsAndLabels(scene, planet);
}

void TakeBackgroundSceneDraws()
{
    int w, h;
    if (!BackgroundSceneExists() && SceneSize(w, h))
        TakeRockDraws(w, h, nullptr);
}
