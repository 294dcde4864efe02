// Picture turning for the tilted craft and flames (prepared once at start-up) and the meteor.
#include "render/rotate.h"

#include <algorithm>
#include <cmath>

#include "sim/saturate.h"

int SineTable[360] = {-1};

void FillSineTable()
{
    if (SineTable[0] != -1)
        return;
    const double degree = std::acos(-1.0) / 180;
    for (int k = 0; k < 360; ++k)
        SineTable[k] = int(std::sin(k * degree) * 256);
}

void RotatePoint(int angle, int centreX, int centreY, int x, int y, int* outX, int* outY)
{
    FillSineTable();
    // Any whole number of degrees, however far below -360 or above 359, reduces to a table index.
    int k = angle % 360;
    if (k < 0)
        k += 360;
    const double sn = SineTable[k], cs = SineTable[(k + 90) % 360];
    const double dx = double(x) - centreX, dy = double(y) - centreY;
    const double turnedX = centreX + dx * cs / 256 - dy * sn / 256;
    const double turnedY = centreY + dy * cs / 256 + dx * sn / 256;
    if (outX)
        *outX = SaturatedTrunc(turnedX); // far-off points pin at the ends of the range
    if (outY)
        *outY = SaturatedTrunc(turnedY);
}

int RotateSprite(Surface* destination, int centreX, int centreY, const Surface* source, int width, int height,
                 int angle)
{
    FillSineTable();
    if (!destination || !source || !SurfaceExists(*destination) || !SurfaceExists(*source))
        return 0;

    // Bounding box of the picture's corners turned back by the angle.
    const int cornerX[4] = {0, width, width, 0}, cornerY[4] = {0, 0, height, height};
    int xMin = 0, xMax = 0, yMin = 0, yMax = 0;
    for (int i = 0; i < 4; ++i) {
        int x, y;
        RotatePoint(-angle, centreX, centreY, cornerX[i], cornerY[i], &x, &y);
        if (i == 0 || x < xMin) xMin = x;
        if (i == 0 || x > xMax) xMax = x;
        if (i == 0 || y < yMin) yMin = y;
        if (i == 0 || y > yMax) yMax = y;
    }

    for (int y = yMin; y < yMax; ++y) {
        for (int x = xMin; x < xMax; ++x) {
            int sx, sy;
            RotatePoint(-angle, centreX, centreY, x, y, &sx, &sy);
            if (sx < 0 || sx >= width || sy < 0 || sy >= height)
                continue;
            // A picture smaller than the stated size reads as invalid past its edge: nothing is drawn there.
            Color c = GetPixel(*source, sx, sy);
            if (c != 0 && c != ColorInvalid)
                SetPixel(*destination, x, y, c);
        }
    }
    return 1;
}
