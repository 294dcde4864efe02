// The game's pictures: the sprite table, the pre-turned craft and flame images, and the meteor picture.
#pragma once
#include <cstdint>
#include "gfx/canvas.h"

struct SpriteEntry {
    int32_t resourceId;
    Surface picture; // empty (0 x 0) when the picture could not be loaded
};

constexpr int SpriteCount = 34;
constexpr int RotatedCount = 360;
extern SpriteEntry SpriteTable[SpriteCount];
extern SpriteEntry RotatedSprites[RotatedCount];

extern const int MainFlameRows[4];
extern const int PushRightFlameRows[4];
extern const int PushLeftFlameRows[4];
extern const int DustCloudRows[4];
extern const int TouchdownFrameRows[11];

// Solid colours of the painter's fills.
constexpr Color LocatorColor = 0x00FF00;
constexpr Color GaugeGreen = 0x00FF00;
constexpr Color GaugeRed = 0x0000FF;
constexpr Color LightGreen = 0x00FF00;
constexpr Color LightRed = 0x0000FF;
constexpr Color CraterColor = 0x000000;

// Row of RotatedSprites for an angle in degrees (0..59 within a craft's or flame's block).
int RotatedRowOfAngle(double angle);

// RotatedSprites[row].picture, turned from its upright picture when it does not exist yet.
const Surface& TurnedPicture(int row);

// Loads every picture, drops the turned images made from the earlier ones, sets up the joystick, clears the meteor, starts timer 1008.
void LoadGraphics();
// Releases the sprite table's pictures.
void ReleaseGraphics();
// Redraws SpriteTable row 1: filled with row 0's top-left colour, then row 0 turned by `degrees`.
void RedrawMeteorPicture(int degrees);
