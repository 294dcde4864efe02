// The instrument panel: arrows, turn indicator, locator marks, fuel bar and wind gauge at their pixels.
#include <gtest/gtest.h>

#include "app/options.h"
#include "render/panel.h"
#include "render/sprites.h"
#include "sim/game_state.h"

namespace {

constexpr Color Plate = 0x808080;
constexpr int Px = 10, Py = 20;

// Each arrow or turn indicator picture is black but for one pixel at (row, 31) in a colour of its own, so the
// frame tells which pictures were drawn.
Color TagOf(int row)
{
    return MakeColor(200, row, 100);
}

class PanelTest : public ::testing::Test {
protected:
    Surface frame;

    void SetUp() override
    {
        CreateSurface(SpriteTable[16].picture, 76, 44);
        FillRect(SpriteTable[16].picture, 0, 0, 76, 44, Plate);
        for (int row = 17; row <= 26; ++row) {
            CreateSurface(SpriteTable[row].picture, 32, 32);
            SetPixel(SpriteTable[row].picture, row, 31, TagOf(row));
        }
        CreateSurface(frame, 120, 80);
        gameState = {};
        gameOptions = {};
        gameOptions.gameType = 0;
    }
    void TearDown() override { ReleaseGraphics(); }

    void Draw(int nearest = NoPlatform, int offset = 0, int height = 0)
    {
        DrawInstrumentPanel(frame, Px, Py, nearest, offset, height);
    }
    bool Drawn(int row) { return GetPixel(frame, Px + row, Py + 31) == TagOf(row); }
    Color At(int x, int y) { return GetPixel(frame, Px + x, Py + y); }
};

TEST_F(PanelTest, SpeedArrowsShowDirectionAndSafety)
{
    gameState.craft.vx = 10;
    gameState.craft.vy = -45;
    Draw();
    EXPECT_TRUE(Drawn(21));  // green right
    EXPECT_TRUE(Drawn(18));  // red down
    for (int row : {17, 19, 20, 22, 23, 24})
        EXPECT_FALSE(Drawn(row)) << row;

    gameState.craft.vx = gameState.craft.vy = 0; // standing still lights both arrows of each axis, green
    Draw();
    for (int row : {17, 19, 21, 23})
        EXPECT_TRUE(Drawn(row)) << row;

    gameState.craft.vx = -40;
    gameState.craft.vy = 40;
    CreateSurface(frame, 120, 80);
    Draw();
    EXPECT_TRUE(Drawn(20)); // exactly 40 is fast: red left
    EXPECT_TRUE(Drawn(24)); // red up
    EXPECT_FALSE(Drawn(19));
    EXPECT_FALSE(Drawn(23));
}

TEST_F(PanelTest, TurnIndicatorOnlyForTheLeggedCraft)
{
    gameState.craft.angle = 2.9;
    Draw();
    EXPECT_FALSE(Drawn(25));
    EXPECT_FALSE(Drawn(26));

    gameOptions.gameType = 1;
    Draw();
    EXPECT_TRUE(Drawn(25));
    EXPECT_FALSE(Drawn(26));
    gameState.craft.angle = -3;
    CreateSurface(frame, 120, 80);
    Draw();
    EXPECT_FALSE(Drawn(25));
    EXPECT_TRUE(Drawn(26));
}

TEST_F(PanelTest, LocatorMarksCrossAtTheCentreAndPinAtTheEdges)
{
    Draw(0, 0, 0);
    EXPECT_EQ(At(45, 15), LocatorColor);
    // Vertical mark: columns 45, 46 over rows 3..28.
    EXPECT_EQ(At(45, 3), LocatorColor);
    EXPECT_EQ(At(46, 28), LocatorColor);
    EXPECT_EQ(At(44, 3), Plate);
    EXPECT_EQ(At(47, 3), Plate);
    EXPECT_EQ(At(45, 2), Plate);
    EXPECT_EQ(At(45, 29), Plate);
    // Horizontal mark: rows 15, 16 over columns 33..58.
    EXPECT_EQ(At(33, 16), LocatorColor);
    EXPECT_EQ(At(58, 15), LocatorColor);
    EXPECT_EQ(At(32, 15), Plate);
    EXPECT_EQ(At(59, 15), Plate);
    EXPECT_EQ(At(40, 14), Plate);
    EXPECT_EQ(At(40, 17), Plate);

    CreateSurface(frame, 120, 80);
    Draw(0, -100, 100); // far left and high: pinned to the left and top edges
    EXPECT_EQ(At(33, 10), LocatorColor);
    EXPECT_EQ(At(34, 10), LocatorColor);
    EXPECT_EQ(At(35, 10), Plate);
    EXPECT_EQ(At(50, 3), LocatorColor);
    EXPECT_EQ(At(50, 4), LocatorColor);
    EXPECT_EQ(At(50, 5), Plate);

    CreateSurface(frame, 120, 80);
    Draw(0, 100, -100); // far right and below
    EXPECT_EQ(At(57, 10), LocatorColor);
    EXPECT_EQ(At(58, 10), LocatorColor);
    EXPECT_EQ(At(56, 10), Plate);
    EXPECT_EQ(At(50, 28), LocatorColor);
    EXPECT_EQ(At(50, 29), LocatorColor);

    CreateSurface(frame, 120, 80);
    Draw(0, -3, 0); // -3 x 25 / 16 truncates toward zero to -4
    EXPECT_EQ(At(41, 10), LocatorColor);
    EXPECT_EQ(At(40, 10), Plate);

    CreateSurface(frame, 120, 80);
    Draw(NoPlatform, 0, 0);
    for (int x = 33; x <= 58; ++x)
        for (int y = 3; y <= 29; ++y)
            ASSERT_EQ(At(x, y), Plate) << x << "," << y;
}

TEST_F(PanelTest, FuelBarColourAndHeight)
{
    gameState.craft.fuel = 0;
    Draw();
    EXPECT_EQ(At(63, 28), Plate);

    gameState.craft.fuel = 14.9;
    Draw();
    EXPECT_EQ(At(63, 28), GaugeRed);
    EXPECT_EQ(At(71, 25), GaugeRed); // top row trunc(28 - 3.725) = 24
    EXPECT_EQ(At(71, 24), GaugeRed);
    EXPECT_EQ(At(71, 23), Plate);
    EXPECT_EQ(At(72, 28), Plate);
    EXPECT_EQ(At(62, 28), Plate);

    gameState.craft.fuel = 15;
    Draw();
    EXPECT_EQ(At(63, 28), GaugeGreen);

    gameState.craft.fuel = 100; // a full tank: 25 rows from row 3
    Draw();
    EXPECT_EQ(At(67, 3), GaugeGreen);
    EXPECT_EQ(At(67, 2), Plate);
    EXPECT_EQ(At(67, 29), Plate);

    gameState.craft.fuel = 500; // more than the window holds stays inside it
    Draw();
    EXPECT_EQ(At(67, 2), Plate);
}

TEST_F(PanelTest, CalmWindShowsOneGreenPixel)
{
    Draw();
    for (int y = 33; y <= 39; ++y)
        for (int x = 4; x <= 71; ++x) {
            Color expected = (x == 37 && y == 36) ? GaugeGreen : Plate;
            ASSERT_EQ(At(x, y), expected) << x << "," << y;
        }
}

TEST_F(PanelTest, WindAndGustBarsPointDownwind)
{
    // Blowing to the right: 0.2 reaches 11 columns, with the gust 0.25 reaches 14.
    gameState.wind = 0.2;
    gameState.windGust = 0.05;
    Draw();
    EXPECT_EQ(At(38, 36), GaugeGreen);
    EXPECT_EQ(At(47, 36), GaugeGreen);
    EXPECT_EQ(At(48, 36), GaugeRed);
    EXPECT_EQ(At(50, 36), GaugeRed);
    EXPECT_EQ(At(51, 36), Plate);
    EXPECT_EQ(At(37, 36), Plate);
    EXPECT_EQ(At(44, 33), GaugeGreen); // the outer rows end three columns earlier: an arrow head
    EXPECT_EQ(At(45, 39), GaugeRed);
    EXPECT_EQ(At(48, 39), Plate);

    // Blowing to the left, mirrored about the centre column.
    CreateSurface(frame, 120, 80);
    gameState.wind = -0.2;
    gameState.windGust = -0.05;
    Draw();
    EXPECT_EQ(At(37, 36), GaugeGreen);
    EXPECT_EQ(At(25, 36), GaugeGreen);
    EXPECT_EQ(At(24, 36), GaugeRed);
    EXPECT_EQ(At(22, 36), GaugeRed);
    EXPECT_EQ(At(21, 36), Plate);
    EXPECT_EQ(At(38, 36), Plate);
    EXPECT_EQ(At(28, 33), GaugeGreen);
    EXPECT_EQ(At(27, 39), GaugeRed);
    EXPECT_EQ(At(24, 39), Plate);

    // A gale stays inside the window.
    CreateSurface(frame, 120, 80);
    gameState.wind = 50;
    gameState.windGust = 20;
    Draw();
    EXPECT_EQ(At(70, 36), GaugeGreen);
    EXPECT_EQ(At(72, 36), Plate);
}

} // namespace
