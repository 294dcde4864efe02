// The background scene: platform bars and centred labels, the draws it takes, and whole scenes pixel for pixel.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/options.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

class SceneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ReleaseBackgroundScene();
        gameState = {};
        gameOptions = {};
        SeedRandom(1234);
    }
    void TearDown() override { ReleaseBackgroundScene(); }

    // A hilly world of w x h with one platform of 10 points on a flat stretch.
    void MakeWorld(int planet, int w, int h)
    {
        gameOptions.gameWidth = w;
        gameOptions.gameHeight = h;
        gameState.planetIndex = planet;
        for (int x = 0; x <= w; ++x)
            TerrainProfile[x] = 60 + (x * 7 % 90);
        gameState.platformCount = 1;
        platforms[0] = {200, 100, 40, 10};
        for (int x = 200; x <= 240; ++x)
            TerrainProfile[x] = 100;
    }
};

TEST_F(SceneTest, PlatformBarAndCentredLabel)
{
    MakeWorld(2, 640, 480);
    DrawBackgroundScene();
    Color label = PlanetTable[2].labelColor;
    // The bar: four rows standing on the surface (heights 100..103), columns 200..239.
    for (int y = 377; y <= 380; ++y)
        for (auto [x, bar] : {std::pair{200, true}, {239, true}, {240, false}, {199, false}})
            EXPECT_EQ(GetPixel(backgroundScene, x, y) == label, bar) << x << "," << y;
    EXPECT_NE(GetPixel(backgroundScene, 220, 376), label);
    // The label "10" lies just below the surface, centred under the platform.
    int minX = 640, maxX = -1, minY = 480;
    for (int y = 381; y < 400; ++y)
        for (int x = 180; x < 260; ++x)
            if (GetPixel(backgroundScene, x, y) == label) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
            }
    ASSERT_GE(maxX, minX) << "no label drawn";
    EXPECT_GE(minY, 382);
    EXPECT_LE(minY, 386);
    EXPECT_GT(maxX - minX, 6); // two digits
    EXPECT_LE(std::abs((minX - 200) - (239 - maxX)), 2);
}

TEST_F(SceneTest, DrawnOnceAndFromAFixedNumberOfDraws)
{
    MakeWorld(0, 640, 480);
    DrawBackgroundScene();
    Surface first = backgroundScene;
    uint64_t draws = RandomDrawCount();
    DrawBackgroundScene(); // a scene exists: nothing changes, nothing is drawn from the generator
    EXPECT_EQ(RandomDrawCount(), draws);
    EXPECT_EQ(backgroundScene.pixels, first.pixels);

    // A one-pixel world: each pass makes one blotch (eight radii, a colour, a column step) and one row step.
    ReleaseBackgroundScene();
    MakeWorld(0, 1, 1);
    gameState.platformCount = 0;
    uint64_t before = RandomDrawCount();
    DrawBackgroundScene();
    EXPECT_EQ(RandomDrawCount() - before, 3u * 11u);
}

TEST_F(SceneTest, PlayfieldWithoutAreaHasNoScene)
{
    for (auto [w, h] : {std::pair{0, 0}, {-5, 100}}) {
        MakeWorld(0, w, h);
        DrawBackgroundScene();
        EXPECT_FALSE(BackgroundSceneExists()) << w << " x " << h;
    }
}

// Whole generated scenes, hashed, as the straightforward one-polygon-at-a-time painting drew them. The sizes
// cut the picture into uneven bands and put rock blotches across every band edge.
TEST_F(SceneTest, GeneratedScenesKeepTheirExactPixels)
{
    struct Case {
        uint32_t seed;
        int planet, w, h;
        uint64_t hash;
    } cases[] = {
        {1, 0, 640, 480, 18162236888544272039ull},  {2, 1, 1024, 768, 2573930455845771523ull},
        {3, 2, 333, 217, 10557752904339539531ull},  {4, 3, 3000, 401, 1942107750174137956ull},
        {5, 0, 97, 1503, 13932001828778555072ull},  {6, 1, 1, 1, 771844879380842164ull},
        {7, 2, 16, 16, 9569734184501339704ull},     {8, 3, 1283, 1021, 14843969041618044083ull},
    };
    for (const Case& c : cases) {
        ReleaseBackgroundScene();
        gameOptions.gameWidth = c.w;
        gameOptions.gameHeight = c.h;
        gameOptions.surfaceRoughness = 1 + c.seed % 4;
        SeedRandom(c.seed);
        ResetRound();
        gameState.planetIndex = c.planet;
        std::fill(std::begin(TerrainProfile), std::end(TerrainProfile), 0);
        terrainStepBias = 1;
        PlacePlatforms();
        GenerateTerrain();
        DrawBackgroundScene();
        uint64_t hash = 1469598103934665603ull; // FNV-1a over the pixels
        for (Color p : backgroundScene.pixels)
            hash = (hash ^ p) * 1099511628211ull;
        EXPECT_EQ(hash, c.hash) << c.w << " x " << c.h << " seed " << c.seed;
    }
}

} // namespace
