// The instrument panel: arrows, turn indicator, locator marks, fuel bar and wind gauge at their pixels.
#include <gtest/gtest.h>

#include "sim/options.h"
#include "render/panel.h"
#include "render/sprites.h"
#include "sim/game_state.h"

namespace {

constexpr Color Plate = 0x808080;
constexpr int Px = 10, Py = 20;

// Each arrow or turn indicator picture is black but for one pixel at (row, 31) in a colour of its own.
Color TagOf(int row) { return MakeColor(200, row, 100); }

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
        gameState = {};
        gameOptions = {};
    }
    void TearDown() override { ReleaseGraphics(); }

    void Draw(int nearest = NoPlatform, int offset = 0, int height = 0)
    {
        CreateSurface(frame, 120, 80);
        DrawInstrumentPanel(frame, Px, Py, nearest, offset, height);
    }
    // The pictures among rows 17..26 that were drawn.
    std::vector<int> Drawn()
    {
        std::vector<int> rows;
        for (int row = 17; row <= 26; ++row)
            if (GetPixel(frame, Px + row, Py + 31) == TagOf(row))
                rows.push_back(row);
        return rows;
    }
    Color At(int x, int y) { return GetPixel(frame, Px + x, Py + y); }
    // Checks panel pixels (x, y) against their colours.
    void Expect(std::initializer_list<std::tuple<int, int, Color>> pixels)
    {
        for (auto [x, y, c] : pixels)
            EXPECT_EQ(At(x, y), c) << x << "," << y;
    }
};

TEST_F(PanelTest, ArrowsAndTurnIndicator)
{
    struct Case {
        double vx, vy, angle;
        int gameType;
        std::vector<int> drawn;
    } cases[] = {
        {10, -45, 0, 0, {18, 21}},         // red down, green right
        {0, 0, 0, 0, {17, 19, 21, 23}},    // standing still: both arrows of each axis, green
        {-40, 40, 0, 0, {20, 24}},         // exactly 40 is fast
        {-40, -1, 2.9, 0, {17, 20}},       // the rocket never shows the turn indicator
        {-40, -1, 2.9, 1, {17, 20, 25}},   // the legged craft: green below 3 degrees
        {-40, -1, -3, 1, {17, 20, 26}},
    };
    for (const Case& c : cases) {
        gameState.craft.vx = c.vx;
        gameState.craft.vy = c.vy;
        gameState.craft.angle = c.angle;
        gameOptions.gameType = c.gameType;
        Draw();
        EXPECT_EQ(Drawn(), c.drawn) << c.vx << ", " << c.vy << ", " << c.angle << ", " << c.gameType;
    }
}

TEST_F(PanelTest, LocatorMarksCrossAtTheCentreAndPinAtTheEdges)
{
    Draw(0, 0, 0); // centred, feet 5 above the platform
    for (auto [x, y] : {std::pair{45, 15}, {45, 3}, {46, 28}, {33, 16}, {58, 15}})
        EXPECT_EQ(At(x, y), LocatorColor) << x << "," << y;
    for (auto [x, y] : {std::pair{44, 3}, {47, 3}, {45, 2}, {45, 29}, {32, 15}, {59, 15}, {40, 14}, {40, 17}})
        EXPECT_EQ(At(x, y), Plate) << x << "," << y;

    Draw(0, -100, 100); // far left and high: pinned to the left and top edges
    Expect({{33, 10, LocatorColor}, {34, 10, LocatorColor}, {35, 10, Plate}, {50, 4, LocatorColor}, {50, 5, Plate}});
    Draw(0, 100, -100); // far right and below
    Expect({{57, 10, LocatorColor}, {58, 10, LocatorColor}, {56, 10, Plate}, {50, 29, LocatorColor}});
    Draw(0, -3, 0); // -3 x 25 / 16 truncates toward zero to -4
    Expect({{41, 10, LocatorColor}, {40, 10, Plate}});

    Draw(NoPlatform, 0, 0);
    for (int x = 33; x <= 58; ++x)
        for (int y = 3; y <= 29; ++y)
            ASSERT_EQ(At(x, y), Plate) << x << "," << y;
}

TEST_F(PanelTest, FuelBarAndWindGauge)
{
    Draw(); // empty tank: no bar; calm: one green pixel at the centre of the wind gauge's middle row
    EXPECT_EQ(At(63, 28), Plate);
    for (int y = 33; y <= 39; ++y)
        for (int x = 4; x <= 71; ++x)
            ASSERT_EQ(At(x, y), (x == 37 && y == 36) ? GaugeGreen : Plate) << x << "," << y;

    const struct {
        double fuel, wind, gust;
        std::vector<std::tuple<int, int, Color>> pixels;
    } cases[] = {
        // Red below 15, top row trunc(28 - 3.725) = 24; a full tank or more: 25 rows from row 3, never beyond.
        {14.9, 0, 0, {{63, 28, GaugeRed}, {71, 24, GaugeRed}, {71, 23, Plate}, {72, 28, Plate}}},
        {15, 0, 0, {{63, 28, GaugeGreen}}},
        {500, 0, 0, {{67, 3, GaugeGreen}, {67, 2, Plate}}},
        // Blowing to the left: 0.2 reaches 11 columns, with the gust 0.25 reaches 14; the outer rows end three
        // columns short, an arrow head pointing downwind. To the right, mirrored.
        {0, -0.2, -0.05, {{37, 36, GaugeGreen}, {25, 36, GaugeGreen}, {24, 36, GaugeRed}, {22, 36, GaugeRed},
                          {21, 36, Plate}, {38, 36, Plate}, {28, 33, GaugeGreen}, {27, 39, GaugeRed}, {24, 39, Plate}}},
        {0, 0.2, 0.05, {{38, 36, GaugeGreen}, {47, 36, GaugeGreen}, {48, 36, GaugeRed}, {50, 36, GaugeRed},
                        {51, 36, Plate}, {37, 36, Plate}, {45, 39, GaugeRed}}},
        // The reach is wind x 75 x 0.5 / WindScale in that order: -0.468 reaches exactly 27 columns.
        {0, -0.468, 0, {{10, 36, GaugeGreen}, {9, 36, Plate}}},
        {0, 50, 0, {{70, 36, GaugeGreen}, {72, 36, Plate}}}, // a gale stays inside the window
    };
    for (const auto& c : cases) {
        gameState.craft.fuel = c.fuel;
        gameState.wind = c.wind;
        gameState.windGust = c.gust;
        Draw();
        for (auto [x, y, colour] : c.pixels)
            EXPECT_EQ(At(x, y), colour) << c.fuel << " " << c.wind << ": " << x << "," << y;
    }
}

} // namespace
