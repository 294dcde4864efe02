// The instrument panel: attitude, speed arrows, platform locator, fuel and wind at a glance.
#include "render/panel.h"

#include <cmath>
#include <cstdlib>

#include "render/sprites.h"
#include "sim/game_state.h"
#include "world/world.h"

// Draws a picture at its own size with black transparent.
static void DrawPicture(Surface& frame, int x, int y, int row)
{
    const Surface& picture = SpriteTable[row].picture;
    CopyTransparent(frame, x, y, picture.width, picture.height, picture, 0, 0, picture.width, picture.height);
}

static int Limit(int v, int low, int high)
{
    return v < low ? low : (v > high ? high : v);
}

// trunc(v) limited to low..high; limiting first keeps huge values from overflowing the conversion.
static int TruncLimited(double v, int low, int high)
{
    if (!(v > low - 1.0))
        return low;
    if (v >= high + 1.0)
        return high;
    return Limit(static_cast<int>(v), low, high);
}

static void DrawSpeedArrows(Surface& frame, int px, int py, const Craft& craft)
{
    bool slowSideways = std::fabs(craft.vx) < 40;
    bool slowUpDown = std::fabs(craft.vy) < 40;
    if (craft.vx <= 0)
        DrawPicture(frame, px, py, slowSideways ? 19 : 20);
    if (craft.vx >= 0)
        DrawPicture(frame, px, py, slowSideways ? 21 : 22);
    if (craft.vy >= 0)
        DrawPicture(frame, px, py, slowUpDown ? 23 : 24);
    if (craft.vy <= 0)
        DrawPicture(frame, px, py, slowUpDown ? 17 : 18);
}

// Two crossing marks in the square window: one world pixel moves a mark by 25/16 of a panel pixel.
static void DrawLocator(Surface& frame, int px, int py, int offsetFromPlatform, int heightAbovePlatform)
{
    long long l = px + 45 + static_cast<long long>(offsetFromPlatform) * 25 / 16;
    int column = l < px + 33 ? px + 33 : (l > px + 57 ? px + 57 : static_cast<int>(l));
    FillRect(frame, column, py + 3, column + 2, py + 29, LocatorColor);

    long long t = py + 15 - static_cast<long long>(heightAbovePlatform) * 25 / 16;
    int row = t < py + 3 ? py + 3 : (t > py + 29 ? py + 28 : static_cast<int>(t));
    FillRect(frame, px + 33, row, px + 59, row + 2, LocatorColor);
}

static void DrawFuelBar(Surface& frame, int px, int py, double fuel)
{
    if (!(fuel > 0))
        return;
    int top = TruncLimited(py + 28 - fuel * 25 / 100, py + 3, py + 28);
    FillRect(frame, px + 63, top, px + 72, py + 29, fuel < 15 ? GaugeRed : GaugeGreen);
}

// The steady wind as a green bar from the centre, the gust's extra reach red beyond it, the ends bevelled
// into an arrow head pointing downwind.
static void DrawWindGauge(Surface& frame, int px, int py, double wind, double gust)
{
    int centre = px + 37;
    int e = wind > 0 ? -1 : 1;
    // Worked out in this order (not with a pre-divided factor): a reach that comes to a whole number of columns
    // must not fall a column short by rounding.
    double windEnd = centre + wind * 75 * 0.5 / WindScale;
    double gustEnd = centre + (wind + gust) * 75 * 0.5 / WindScale;
    for (int k = -3; k <= 3; ++k) {
        int row = py + 36 + k;
        int bevel = std::abs(k) * e;
        int a = Limit(TruncLimited(windEnd, px + 4 - 4, px + 71 + 4) + bevel, px + 4, px + 71);
        int b = Limit(TruncLimited(gustEnd, px + 4 - 4, px + 71 + 4) + bevel, px + 4, px + 71);
        if (wind + gust > 0) {
            if (a < b)
                FillRect(frame, a, row, b, row + 1, GaugeRed);
            if (px + 38 < a)
                FillRect(frame, px + 38, row, a, row + 1, GaugeGreen);
        } else {
            if (b < a)
                FillRect(frame, b, row, a, row + 1, GaugeRed);
            if (a < px + 38)
                FillRect(frame, a, row, px + 38, row + 1, GaugeGreen);
        }
    }
}

void DrawInstrumentPanel(Surface& frame, int px, int py, int nearestPlatform, int offsetFromPlatform,
                         int heightAbovePlatform)
{
    const Surface& panel = SpriteTable[16].picture;
    CopySurface(frame, px, py, panel, 0, 0, panel.width, panel.height);

    const Craft& craft = gameState.craft;
    if (CurrentGameType().steersByRotating)
        DrawPicture(frame, px, py, std::fabs(craft.angle) < 3 ? 25 : 26);

    DrawSpeedArrows(frame, px, py, craft);
    if (nearestPlatform != NoPlatform)
        DrawLocator(frame, px, py, offsetFromPlatform, heightAbovePlatform);
    DrawFuelBar(frame, px, py, craft.fuel);
    DrawWindGauge(frame, px, py, gameState.wind, gameState.windGust);
}
