// The static scene of a round (sky, textured ground, platform bars and labels), drawn once per world.
#pragma once
#include "gfx/canvas.h"

extern Surface backgroundScene; // gameWidth x gameHeight; empty when no scene exists

// Draws the scene from the current world; does nothing when a scene already exists.
void DrawBackgroundScene();
// Takes exactly the random draws DrawBackgroundScene would take, without painting (no scene is made).
void TakeBackgroundSceneDraws();
// Releases the scene (the next DrawBackgroundScene draws it afresh).
void ReleaseBackgroundScene();
bool BackgroundSceneExists();
// Changes whenever the scene is drawn or released (the painter then copies it afresh).
int BackgroundSceneVersion();
