#include "sim/random.h"

static uint32_t randomState = 1;
static uint64_t randomDraws = 0;

void SeedRandom(uint32_t seed)
{
    randomState = seed;
    randomDraws = 0;
}

int32_t Rand()
{
    randomState = randomState * 214013u + 2531011u;
    ++randomDraws;
    return static_cast<int32_t>((randomState >> 16) & 0x7FFF);
}

int32_t RandomBelow(int32_t n)
{
    int64_t value = static_cast<int64_t>(Rand()) * n / 32767;
    if (value >= n)
        return n - 1;
    return static_cast<int32_t>(value);
}

RandomSnapshot SaveRandom()
{
    return {randomState, randomDraws};
}

void RestoreRandom(const RandomSnapshot& snapshot)
{
    randomState = snapshot.state;
    randomDraws = snapshot.draws;
}

uint64_t RandomDrawCount()
{
    return randomDraws;
}
