// World generation: platform placement and widths, the terrain walk's shape, the stars and the pilot's plan.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/options.h"
#include "platform/headless/headless.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

class WorldTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameState = {};
        gameOptions = {};
        SetDefaultOptions();
        gameOptions.gameWidth = 640;
        gameOptions.gameHeight = 480;
    }
    void TearDown() override { ReleaseBackgroundScene(); }
    void Generate(int width, int height, uint32_t seed)
    {
        gameOptions.gameWidth = width;
        gameOptions.gameHeight = height;
        SeedRandom(seed);
        RegenerateWorld();
    }
    // The generation steps without the background scene and the repaint (many seeds, quickly).
    void GenerateTables(int width, int height, uint32_t seed)
    {
        gameOptions.gameWidth = width;
        gameOptions.gameHeight = height;
        SeedRandom(seed);
        ResetRound();
        std::fill(std::begin(TerrainProfile), std::end(TerrainProfile), 0);
        terrainStepBias = 1;
        PlacePlatforms();
        GenerateTerrain();
        PlaceStars();
        if (gameOptions.player == 0)
            PlanPilotApproach();
    }
};

TEST_F(WorldTest, PlatformsSitAtEvenSpacing)
{
    Generate(640, 480, 1);
    ASSERT_EQ(gameState.platformCount, 3);
    EXPECT_EQ(platforms[0].x, 160);
    EXPECT_EQ(platforms[1].x, 320);
    EXPECT_EQ(platforms[2].x, 480);
    Generate(320, 200, 1);
    ASSERT_EQ(gameState.platformCount, 2);
    EXPECT_EQ(platforms[0].x, 106);
    EXPECT_EQ(platforms[1].x, 212);
}

TEST_F(WorldTest, PlatformSizeChoosesWidthsAndPoints)
{
    for (int type = 0; type < 2; ++type) {
        gameOptions.gameType = type;
        const GameTypeInfo& g = GameTypeTable[type];
        for (int size : {0, 10}) {
            gameOptions.platformSize = size;
            GenerateTables(1024, 768, 5);
            for (int i = 0; i < gameState.platformCount; ++i) {
                EXPECT_EQ(platforms[i].width, size == 0 ? g.platformMaxWidth : g.platformMinWidth);
                EXPECT_EQ(platforms[i].points, size == 0 ? 10 : 35);
            }
        }
        // Size 3 allows steps 2..5 of 5 columns.
        gameOptions.platformSize = 3;
        for (uint32_t seed = 1; seed < 40; ++seed) {
            GenerateTables(1024, 768, seed);
            for (int i = 0; i < gameState.platformCount; ++i) {
                int step = (platforms[i].width - g.platformMinWidth) / 5;
                EXPECT_GE(step, 2);
                EXPECT_LE(step, 5);
            }
        }
    }
}

TEST_F(WorldTest, TerrainShapeHoldsOverManySeeds)
{
    for (int roughness = 1; roughness <= 4; ++roughness) {
        gameOptions.surfaceRoughness = roughness;
        for (uint32_t seed = 1; seed <= 50; ++seed) {
            const int w = 800, h = 600;
            GenerateTables(w, h, seed * 7919);
            EXPECT_GE(TerrainProfile[0], h - 13);
            EXPECT_LE(TerrainProfile[0], h + 1);
            for (int i = 0; i < gameState.platformCount; ++i) {
                const LandingPlatform& p = platforms[i];
                ASSERT_NE(p.y, -1);
                for (int col = p.x; col <= p.x + p.width; ++col)
                    ASSERT_EQ(TerrainProfile[col], p.y) << "platform " << i << " column " << col;
            }
            // The first fall may overshoot its target by up to 13; after the first segment the surface stays
            // between 19 and h/2 + 6 up to the wall (the fall's last columns may lie 1 above that).
            int firstLow = 0;
            while (firstLow < w && TerrainProfile[firstLow] > h / 2 + 6)
                ++firstLow;
            int firstBelowTargets = firstLow;
            while (firstBelowTargets < w && TerrainProfile[firstBelowTargets] >= 25)
                ++firstBelowTargets;
            int wallStart = w;
            while (wallStart > 0 && TerrainProfile[wallStart - 1] > h / 2 + 7)
                --wallStart;
            for (int col = firstLow; col < wallStart; ++col) {
                ASSERT_GE(TerrainProfile[col], col > firstBelowTargets ? 19 : 12) << "column " << col;
                ASSERT_LE(TerrainProfile[col], h / 2 + 7) << "column " << col;
            }
            EXPECT_GT(TerrainProfile[w], h - 15); // the right-edge wall
            for (const Star& s : stars) {
                ASSERT_GE(s.x, w / 10);
                ASSERT_LE(s.x, w - 1);
                ASSERT_GE(s.y, TerrainProfile[s.x] + 20);
                ASSERT_LE(s.y, h + 39);
                ASSERT_TRUE(s.size == 1 || s.size == 2);
                for (int shift = 0; shift < 24; shift += 8)
                    ASSERT_GE((s.color >> shift) & 0xFF, 192);
            }
        }
    }
}

TEST_F(WorldTest, TinyAndLargestPlayfieldsStayInTheirTables)
{
    Generate(16, 16, 3); // no room for targets: every target is height / 2 - 1
    EXPECT_EQ(gameState.platformCount, 1);
    GenerateTables(5000, 5000, 3);
    EXPECT_EQ(gameState.platformCount, 21);
    EXPECT_NE(platforms[20].y, -1);
    gameOptions.gameHeight = 300;
    gameOptions.gameWidth = 0; // a playfield without columns
    SeedRandom(1);
    RegenerateWorld();
    for (const Star& s : stars)
        EXPECT_EQ(s.x, 0);
}

TEST_F(WorldTest, PilotPlanFollowsTheChosenPlatform)
{
    gameOptions.player = 0;
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        GenerateTables(1024, 768, seed);
        ASSERT_GE(pilotPlatform, 0);
        ASSERT_LT(pilotPlatform, gameState.platformCount);
        const LandingPlatform& p = platforms[pilotPlatform];
        const int half = p.width / 2, mid = p.x + half;
        for (int d = 0; d < half; ++d) {
            EXPECT_EQ(pilotFloor[mid - d], p.y);
            EXPECT_EQ(pilotFloor[mid + d], p.y);
        }
        EXPECT_GE(pilotFloor[mid - half - 5], p.y + 50);
        EXPECT_GE(pilotFloor[mid + half + 5], p.y + 50);
        for (int col = 1; col < mid; ++col)
            EXPECT_GE(pilotFloor[col], pilotFloor[col + 1]); // never falls going outward
        for (int y = 0; y < 768; ++y)
            EXPECT_EQ(pilotFunnel[y], y < p.y ? half : half + (y - p.y) / 5);
        // Within reach of the fuel: 10 columns per unit of starting fuel.
        const double craftCentre = gameState.craft.x + 21;
        EXPECT_LE(std::abs(p.x + p.width / 2 - craftCentre), (125 - gameOptions.fuelAmount) * 10);
    }
}

TEST_F(WorldTest, PilotPlanWithoutFuelTakesNearestPlatformWithoutDrawing)
{
    gameOptions.player = 0;
    gameOptions.fuelAmount = 125;
    gameOptions.gameWidth = 1024;
    gameOptions.gameHeight = 768;
    SeedRandom(11);
    ResetRound();
    PlacePlatforms();
    GenerateTerrain();
    const uint64_t draws = RandomDrawCount();
    PlanPilotApproach();
    EXPECT_EQ(RandomDrawCount(), draws);
    const double craftCentre = gameState.craft.x + 21;
    int nearest = 0;
    for (int i = 1; i < gameState.platformCount; ++i)
        if (std::abs(platforms[i].x + platforms[i].width / 2 - craftCentre) <
            std::abs(platforms[nearest].x + platforms[nearest].width / 2 - craftCentre))
            nearest = i;
    EXPECT_EQ(pilotPlatform, nearest);
}

} // namespace
