// The background scene's shapes as recorded from the world's random draws, and their painting into pixels.
#pragma once
#include <cstdint>
#include <vector>

#include "gfx/canvas.h"

// One rocky blotch: eight vertices at 0, 45, ... 315 degrees around (x, y), radius[i] pixels out.
struct RockBlotch {
    int32_t x, y;
    uint8_t radius[8];
    uint8_t colorIndex;   // into the planet's groundColors
    bool crossesSurface;  // reaches over the surface line: only its ground pixels are painted
};

struct SceneShapes {
    int width = 0, height = 0;
    Color skyTop = 0, skyBottom = 0;
    Color groundColors[6] = {};
    const int32_t* terrain = nullptr; // surface height per column
    std::vector<RockBlotch> blotches; // in drawing order: three passes, each row by row
    int passEnd[3] = {};              // blotches of pass k end at passEnd[k]
};

// The furthest a blotch's pixels lie from its centre, in rows or columns.
constexpr int MaxBlotchReach = 23;

// How many threads may paint the scene; 0: one per core.
extern int scenePainters;

// Paints sky, ground and blotches into `scene` (already width x height), in horizontal bands spread over the
// machine's cores; every pixel comes out as if the shapes were painted one after another.
void PaintSceneShapes(Surface& scene, const SceneShapes& shapes);
