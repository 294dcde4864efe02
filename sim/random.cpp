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

void SkipRandom(uint32_t count)
{
    // n steps of state * a + c compose into one step state * A + C; A and C are built by repeated squaring.
    static uint32_t cachedCount = 0, cachedMul = 1, cachedAdd = 0;
    if (count != cachedCount) {
        uint32_t mul = 1, add = 0, stepMul = 214013u, stepAdd = 2531011u;
        for (uint32_t n = count; n > 0; n >>= 1) {
            if (n & 1) {
                mul *= stepMul;
                add = add * stepMul + stepAdd;
            }
            stepAdd = stepAdd * stepMul + stepAdd;
            stepMul *= stepMul;
        }
        cachedCount = count;
        cachedMul = mul;
        cachedAdd = add;
    }
    randomState = randomState * cachedMul + cachedAdd;
    randomDraws += count;
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
