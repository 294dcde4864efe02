// The game's one random generator: a classic linear congruential generator with results 0..32767.
#pragma once
#include <cstdint>

// Seeds the generator (the state becomes `seed`).
void SeedRandom(uint32_t seed);
// Next result in 0..32767.
int32_t Rand();
// trunc(Rand() * n / 32767), n - 1 when that reaches n; -1 for n = 0.
int32_t RandomBelow(int32_t n);

// count results of RandomBelow(n) in a row, into out.
void RandomBelowMany(int32_t n, int32_t* out, int count);
// Takes exactly the draws of: for (x = 0; x < length; x += base + RandomBelow(range)) { skip results }, moving
// over the skipped results without computing them.
void WalkRandomSteps(int32_t length, int32_t base, int32_t range, uint32_t skip);

// Generator state and the number of results drawn, saved and restored around side work (snapshots).
struct RandomSnapshot {
    uint32_t state;
    uint64_t draws;
};
RandomSnapshot SaveRandom();
void RestoreRandom(const RandomSnapshot& snapshot);
// Results drawn since the last SeedRandom.
uint64_t RandomDrawCount();
