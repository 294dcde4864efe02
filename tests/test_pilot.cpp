// The computer pilot's demands in the worked situations: far from the target, inside the funnel, over the
// centre, above and below the safety height, and the legged craft's attitude steering.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/options.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "world/world.h"

namespace {

struct Demands {
    int32_t thrust = 0, left = 0, right = 0;
};

// One platform at column 500 of width 40 (centre 520.5), surface at 100; floor and funnel set per test.
class PilotTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = {};
        gameOptions = {};
        gameOptions.gameWidth = 1000;
        gameOptions.gameHeight = 600;
        gameState.platformCount = 1;
        platforms[0] = {500, 100, 40, 24};
        pilotPlatform = 0;
        std::fill(std::begin(pilotFloor), std::end(pilotFloor), 100);
        std::fill(std::begin(pilotFunnel), std::end(pilotFunnel), 20);
    }
    // The craft with its centre `distance` columns left of the target centre and its feet at `feet`.
    Demands Fly(double distance, double vx, double feet = 200, double vy = 0, double angle = 0)
    {
        Craft& c = gameState.craft;
        c.x = 520.5 - distance - 21;
        c.y = feet + 31;
        c.vx = vx;
        c.vy = vy;
        c.angle = angle;
        Demands d;
        ComputerPilot(&d.thrust, &d.left, &d.right);
        return d;
    }
};

TEST_F(PilotTest, FarFromTargetAimsForAFifthOfTheDistance)
{
    // Target 300 to the right, drifting left: right = min(trunc(2D/5 - V) + 1, 100).
    Demands d = Fly(300, -2);
    EXPECT_EQ(d.right, 100);
    d = Fly(100, -2);
    EXPECT_EQ(d.right, std::min(static_cast<int>(2 * 100 / 5.0 + 2) + 1, 100));
    EXPECT_EQ(d.left, 0);
    // Already faster than D/3: brake.
    d = Fly(90, 30.5);
    EXPECT_EQ(d.left, 50);
    // Target 300 to the left and not yet moving left at D/5: full left.
    d = Fly(-300, -10);
    EXPECT_EQ(d.left, 100);
    EXPECT_EQ(d.right, 0);
}

TEST_F(PilotTest, InsideTheFunnelTheRulesAreNotMirrorImages)
{
    // D = 2: A = 2, B = 3.
    EXPECT_EQ(Fly(2, 2.5).left + Fly(2, 2.5).right, 0);
    EXPECT_EQ(Fly(2, 3.5).left, 50);
    EXPECT_EQ(Fly(2, 1).right, 4); // trunc(2A - V) + 1
    // D = -2: A = -2, B = -3.
    EXPECT_EQ(Fly(-2, -4).right, 100); // V < B: 100 x (-V - B) = 700, capped
    EXPECT_EQ(Fly(-2, 1).left, 7);     // V > 0: trunc(3V - A) + 2
    EXPECT_EQ(Fly(-2, -1).left, 4);    // V > A: trunc(V - 2A) + 1
    EXPECT_EQ(Fly(-2, -2.5).left + Fly(-2, -2.5).right, 0);
}

TEST_F(PilotTest, OverTheCentreOnlyTheMainEngineWorks)
{
    Demands d = Fly(0, 5, 70, 0); // craft centre exactly on the target centre, below the floor
    EXPECT_EQ(d.thrust, 100);
    EXPECT_EQ(d.left, 0);
    EXPECT_EQ(d.right, 0);
}

TEST_F(PilotTest, MainEngineKeepsAboveTheSafetyHeight)
{
    // 30 above the floor: fire only while sinking faster than 20.
    EXPECT_EQ(Fly(0.25, 0, 130, -19.9).thrust, 0);
    EXPECT_EQ(Fly(0.25, 0, 130, -20.1).thrust, 100);
    // 30 below it: fire while rising slower than 80.
    EXPECT_EQ(Fly(0.25, 0, 70, 79).thrust, 100);
    EXPECT_EQ(Fly(0.25, 0, 70, 80).thrust, 0);
}

TEST_F(PilotTest, ReadsOfTheTablesStayInsideThePlayfield)
{
    pilotFloor[0] = 500;
    pilotFloor[999] = 50;
    EXPECT_EQ(Fly(700, 0, 300, 0).thrust, 100); // centre left of column 0 reads column 0
    EXPECT_EQ(Fly(-600, 0, 300, -5).thrust, 0); // right of the playfield reads column 999
    EXPECT_EQ(Fly(-600, 0, 9000, 0).thrust, 0); // feet far above the top read the last funnel row
    EXPECT_EQ(Fly(-600, 0, -50, 0).thrust, 100);
}

TEST_F(PilotTest, LeggedCraftTiltsTowardTheDemand)
{
    gameOptions.gameType = 1;
    const double pi = 3.14159265358979323846;
    // No side demand: goal 0; inside the tilt limit it turns upright at 150 per radian.
    Demands d = Fly(0, 0, 130, 0, 10); // H = -30: limit 13 degrees
    EXPECT_EQ(d.left, static_cast<int>(150 * (10 / 180.0 * pi)));
    EXPECT_EQ(d.right, 0);
    // Tilted beyond the limit: no turning demand at all.
    d = Fly(0, 0, 130, 0, 20);
    EXPECT_EQ(d.left + d.right, 0);
    // Far to the right of the craft with no main thrust: goal +90 degrees, beyond the limit.
    d = Fly(300, 0, 130, 0, 0);
    EXPECT_EQ(d.right, static_cast<int>(150 * (pi / 2 - 0)));
    EXPECT_EQ(d.thrust, 0);
    // Below the floor with full thrust and a side demand of 100: goal 45 degrees; near it the side
    // demand adds thrust (capped at 100).
    d = Fly(300, -200, 70, 0, 44);
    EXPECT_EQ(d.thrust, 100);
    EXPECT_EQ(d.right, static_cast<int>(150 * (pi / 4 - 44 / 180.0 * pi)));
    // Tilted the wrong way beyond the limit (13 degrees): turned from the limit's edge.
    d = Fly(300, -200, 70, 0, -80);
    EXPECT_EQ(d.right, static_cast<int>(150 * (pi / 4 - 13 / 180.0 * pi)));
    // Turning demands are not capped at 100.
    std::fill(std::begin(pilotFloor), std::end(pilotFloor), 400);
    d = Fly(300, -200, 100, 0, -30);
    EXPECT_EQ(d.right, static_cast<int>(150 * (pi / 4 + 30 / 180.0 * pi)));
}

} // namespace
