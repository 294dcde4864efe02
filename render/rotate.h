// Turning a picture about a centre by whole degrees, pixel by pixel, with a fixed-point sine table.
#pragma once
#include "gfx/canvas.h"

// sin(k degrees) x 256 truncated, k = 0..359; entry 0 holds -1 until the table is first used.
extern int SineTable[360];

// Fills SineTable if it has not been filled yet.
void FillSineTable();

// (x, y) turned about (centreX, centreY) by `angle` degrees (clockwise on screen for a positive angle),
// truncated toward zero.
void RotatePoint(int angle, int centreX, int centreY, int x, int y, int* outX, int* outY);

// Draws the width x height picture of `source` into `destination` turned by `angle` degrees about
// (centreX, centreY), nearest lower pixel, skipping black source pixels. Returns 0 (drawing nothing) when
// either surface is missing, else 1.
int RotateSprite(Surface* destination, int centreX, int centreY, const Surface* source, int width, int height,
                 int angle);
