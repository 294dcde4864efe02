#include "sim/pilot.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "sim/options.h"
#include "sim/game_state.h"
#include "world/playfield.h"
#include "world/world.h"

static int ClampIndex(int index, int size)
{
    if (index >= size)
        index = size - 1;
    return index < 0 ? 0 : index;
}

// Truncation toward zero, held inside the 32-bit range for a craft gone wild.
static int32_t Truncate(double value)
{
    if (!(value > -2e9))
        return value < 0 ? -2000000000 : 0;
    if (value > 2e9)
        return 2000000000;
    return static_cast<int32_t>(value);
}

// Turns the rocket's side demands into a tilt and extra thrust for the craft that steers by rotating.
static void SteerByRotating(double heightBelowFloor, int32_t* thrust, int32_t* left, int32_t* right)
{
    constexpr double pi = std::numbers::pi;
    const double pushRight = *right;
    const double pushLeft = *left;
    const double mainThrust = *thrust;

    double goal = 0;
    if (pushRight > 0)
        goal = pi / 2 - std::atan(mainThrust / pushRight);
    else if (pushLeft > 0)
        goal = std::atan(mainThrust / pushLeft) - pi / 2;

    const double limit = std::min(std::fabs(heightBelowFloor) / 3 + 3, 85.0) / 180 * pi;
    const double angle = gameState.craft.angle / 180 * pi;

    double extra = 0;
    if (pushRight > 0 && std::fabs(goal - angle) < 0.4 && std::fabs(angle) < limit)
        extra = pushRight;
    else if (pushLeft > 0 && std::fabs(goal - angle) < 0.4 && std::fabs(angle) < limit)
        extra = pushLeft;
    *thrust = Truncate(std::min(mainThrust + extra, 100.0));

    *left = *right = 0;
    if (goal > angle && angle > -limit) {
        *right = Truncate(150 * (goal - angle));
    } else if (goal < angle && angle < limit) {
        *left = Truncate(150 * (angle - goal));
    } else {
        if (goal < -limit)
            *left = Truncate(150 * (-limit - goal));
        if (goal > limit)
            *right = Truncate(150 * (goal - limit));
    }
}

void ComputerPilot(int32_t* thrust, int32_t* left, int32_t* right)
{
    const Craft& c = gameState.craft;
    const GameTypeInfo& type = CurrentGameType();
    const LandingPlatform& target = platforms[ClampPlatformIndex(pilotPlatform)];

    const double targetCentre = target.x + 0.5 + target.width / 2;
    const double craftCentre = c.x + (type.hitLeft + type.hitRight) / 2;
    const double feet = c.y - type.hitBottom;
    const double distance = targetCentre - craftCentre;
    const double belowFloor = pilotFloor[ClampIndex(Truncate(craftCentre), PlayfieldWidth())] - feet;
    const double funnel = pilotFunnel[ClampIndex(Truncate(feet), PlayfieldHeight())] + 20;
    const double side = distance > 0 ? 1 : -1;
    const bool inFunnel = std::fabs(distance) < funnel;

    // The wanted horizontal speed lies between low and high (both toward the target).
    double low, high;
    if (inFunnel) {
        low = side * std::min(1 + distance * distance / 4, 16.0);
        high = side * std::min(1 + distance * distance / 2, 24.0);
    } else {
        low = distance / 5;
        high = distance / 3;
    }

    const double v = c.vx;
    if (distance > 0) {
        if (v < low)
            *right = std::min(Truncate(2 * low - v) + 1, 100);
        else if (v > high)
            *left = std::min(Truncate(100 * (v - high)), 100);
    } else if (distance < 0) {
        if (v < high)
            *right = std::min(Truncate(100 * (-v - high)), 100);
        else if (!inFunnel && v > low)
            *left = 100;
        else if (v > 0)
            *left = std::min(Truncate(3 * v - low) + 2, 100);
        else if (v > low)
            *left = std::min(Truncate(v - 2 * low) + 1, 100);
    }

    const double u = c.vy;
    if (belowFloor > 0 && u < 80)
        *thrust = 100;
    else if (belowFloor < 0 && u < -(std::fabs(belowFloor) / 3 + 10))
        *thrust = 100;

    if (type.steersByRotating)
        SteerByRotating(belowFloor, thrust, left, right);
}
