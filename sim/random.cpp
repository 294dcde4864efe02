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

void RandomBelowMany(int32_t n, int32_t* out, int count)
{
    uint32_t state = randomState;
    for (int i = 0; i < count; ++i) {
        state = state * 214013u + 2531011u;
        int64_t value = static_cast<int64_t>((state >> 16) & 0x7FFF) * n / 32767;
        out[i] = static_cast<int32_t>(value >= n ? n - 1 : value);
    }
    randomState = state;
    randomDraws += count > 0 ? count : 0;
}

// n steps of state * a + c compose into one step state * mul + add; built by repeated squaring.
static void ComposeSteps(uint32_t n, uint32_t& mul, uint32_t& add)
{
    uint32_t stepMul = 214013u, stepAdd = 2531011u;
    mul = 1;
    add = 0;
    for (; n > 0; n >>= 1) {
        if (n & 1) {
            mul *= stepMul;
            add = add * stepMul + stepAdd;
        }
        stepAdd = stepAdd * stepMul + stepAdd;
        stepMul *= stepMul;
    }
}

void WalkRandomSteps(int32_t length, int32_t base, int32_t range, uint32_t skip)
{
    uint32_t mul, add; // `skip` results and the step's own draw
    ComposeSteps(skip + 1, mul, add);
    uint32_t state = randomState;
    uint64_t draws = 0;
    for (int32_t x = 0; x < length;) {
        state = state * mul + add;
        draws += skip + 1;
        int64_t value = static_cast<int64_t>((state >> 16) & 0x7FFF) * range / 32767;
        x += base + static_cast<int32_t>(value >= range ? range - 1 : value);
    }
    randomState = state;
    randomDraws += draws;
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
