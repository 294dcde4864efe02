// The flight in words for the test hooks' flight log, which the recording scripts' player reads instead of
// looking for the craft on the screen (see platform/gtk/gtk_test_hooks.cpp).
#include <cstdio>

#include "platform/app_entry.h"
#include "sim/game_state.h"
#include "world/playfield.h"
#include "world/world.h"

void AppDescribeCraft(char* text, size_t size)
{
    const GameState& g = gameState;
    const Craft& c = g.craft;
    const bool flying = !g.halted && !g.landed && !g.crashed && !g.outcomeEdgeTip && !g.outcomeSpeedTip &&
                        !g.outcomeRollTip;
    std::snprintf(text, size, "%.3f %.3f %.3f %.3f %.3f %.3f %d", c.x, c.y, c.vx, c.vy, c.angle, c.fuel, flying);
}

void AppDescribeWorld(char* text, size_t size)
{
    size_t used = 0;
    auto put = [&](const char* format, int value) {
        if (used < size)
            used += std::snprintf(text + used, size - used, format, value);
    };
    if (size > 0)
        text[0] = 0;
    const int count = ActivePlatformCount();
    put("%d", count);
    for (int i = 0; i < count; ++i) {
        put(" %d", platforms[i].x);
        put(" %d", platforms[i].y);
        put(" %d", platforms[i].width);
    }
    const int width = PlayfieldWidth();
    put(" %d", width);
    for (int k = 0; k <= width; ++k)
        put(" %d", TerrainProfile[k]);
}
