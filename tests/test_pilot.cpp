// The computer pilot's demands in the worked situations: far from the target, inside the funnel, over the
// centre, above and below the safety height, reads at the table ends and the legged craft's attitude steering.
#include <gtest/gtest.h>

#include <algorithm>

#include "sim/options.h"
#include "sim/game_state.h"
#include "sim/pilot.h"
#include "world/world.h"

namespace {

struct Demands {
    int32_t thrust = 0, left = 0, right = 0;
};

// One platform at column 500 of width 40 (centre 520.5), surface at 100; the floor is 500 at column 0 and 50 at
// column 999 so that reads clamped to the table ends show.
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
        pilotFloor[0] = 500;
        pilotFloor[999] = 50;
    }
    // The craft with its centre `distance` columns left of the target centre and its feet at `feet`.
    Demands Fly(double distance, double vx, double feet = 200, double vy = 0, double angle = 0)
    {
        gameState.craft.x = 520.5 - distance - 21;
        gameState.craft.y = feet + 31;
        gameState.craft.vx = vx;
        gameState.craft.vy = vy;
        gameState.craft.angle = angle;
        Demands d;
        ComputerPilot(&d.thrust, &d.left, &d.right);
        return d;
    }
};

// A demand of -1 is not checked.
struct PilotCase {
    int gameType;
    double distance, vx, feet, vy, angle;
    int32_t thrust, left, right;
    const char* why;
};

const PilotCase pilotCases[] = {
    // Far from the target: aim for a fifth of the distance, right = min(trunc(2D/5 - V) + 1, 100).
    {0, 300, -2, 200, 0, 0, -1, -1, 100, "far right, drifting left: capped"},
    {0, 100, -2, 200, 0, 0, -1, 0, 43, "far right: trunc(40 + 2) + 1"},
    {0, 90, 30.5, 200, 0, 0, -1, 50, -1, "faster than D/3: brake"},
    {0, -300, -10, 200, 0, 0, -1, 100, 0, "far left, not yet at D/5: full left"},
    // Inside the funnel the rules are not mirror images. D = 2: A = 2, B = 3; D = -2: A = -2, B = -3.
    {0, 2, 2.5, 200, 0, 0, -1, 0, 0, "D 2, between A and B"},
    {0, 2, 3.5, 200, 0, 0, -1, 50, -1, "D 2, V > B"},
    {0, 2, 1, 200, 0, 0, -1, -1, 4, "D 2: trunc(2A - V) + 1"},
    {0, -2, -4, 200, 0, 0, -1, -1, 100, "D -2, V < B: 100 x (-V - B) = 700, capped"},
    {0, -2, 1, 200, 0, 0, -1, 7, -1, "D -2, V > 0: trunc(3V - A) + 2"},
    {0, -2, -1, 200, 0, 0, -1, 4, -1, "D -2, V > A: trunc(V - 2A) + 1"},
    {0, -2, -2.5, 200, 0, 0, -1, 0, 0, "D -2, between B and A"},
    {0, 0, 5, 70, 0, 0, 100, 0, 0, "exactly over the centre, below the floor: only the main engine"},
    // 30 above the floor: fire only while sinking faster than 20; 30 below it: while rising slower than 80.
    {0, 0.25, 0, 130, -19.9, 0, 0, -1, -1, "above, sinking 19.9"},
    {0, 0.25, 0, 130, -20.1, 0, 100, -1, -1, "above, sinking 20.1"},
    {0, 0.25, 0, 70, 79, 0, 100, -1, -1, "below, rising 79"},
    {0, 0.25, 0, 70, 80, 0, 0, -1, -1, "below, rising 80"},
    // Reads of the floor and funnel clamp into the playfield.
    {0, 700, 0, 300, 0, 0, 100, -1, -1, "centre left of column 0 reads column 0"},
    {0, -600, 0, 300, -5, 0, 0, -1, -1, "right of the playfield reads column 999"},
    {0, -600, 0, 9000, 0, 0, 0, -1, -1, "feet far above the top read the last funnel row"},
    {0, -600, 0, -50, 0, 0, 100, -1, -1, "feet below row 0 read row 0"},
    // The legged craft tilts toward the demand at 150 per radian; H = -30 gives a tilt limit of 13 degrees.
    {1, 0, 0, 130, 0, 10, -1, 26, 0, "no side demand: goal 0, turned upright"},
    {1, 0, 0, 130, 0, 20, -1, 0, 0, "beyond the limit: no turning"},
    {1, 300, 0, 130, 0, 0, 0, -1, 235, "no main thrust: goal 90, beyond the limit"},
    {1, 300, -200, 70, 0, 44, 100, -1, 2, "goal 45: near it the side demand adds thrust, capped"},
    {1, 300, -200, 70, 0, -80, -1, -1, 83, "tilted the wrong way beyond the limit: from the limit's edge"},
};

TEST_F(PilotTest, DemandsInTheWorkedSituations)
{
    for (const PilotCase& c : pilotCases) {
        gameOptions.gameType = c.gameType;
        const Demands d = Fly(c.distance, c.vx, c.feet, c.vy, c.angle);
        const int32_t got[] = {d.thrust, d.left, d.right}, want[] = {c.thrust, c.left, c.right};
        for (int k = 0; k < 3; ++k)
            EXPECT_TRUE(want[k] < 0 || got[k] == want[k]) << c.why << ": demand " << "TLR"[k] << " is " << got[k];
    }
    // Turning demands are not capped at 100.
    gameOptions.gameType = 1;
    std::fill(std::begin(pilotFloor), std::end(pilotFloor), 400);
    EXPECT_EQ(Fly(300, -200, 100, 0, -30).right, 196);
}

} // namespace
