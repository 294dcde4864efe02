// The playfield's size and platform count as the world tables can hold them.
#pragma once

// gameWidth and gameHeight clamped into 0..MaxPlayfieldSize (the size of the per-column tables).
int PlayfieldWidth();
int PlayfieldHeight();
// platformCount clamped into 0..MaxPlatforms.
int ActivePlatformCount();
// A platform index clamped into 0..MaxPlatforms - 1.
int ClampPlatformIndex(int index);
