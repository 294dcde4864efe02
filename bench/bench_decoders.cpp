// Decoder speed on forged input: an icon directory of up to 65535 entries, none of them readable, must cost
// time in proportion to n log n (the reported complexity), not n squared.
#include "resources/icon_decode.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<uint8_t> ForgedIconDirectory(int count)
{
    std::vector<uint8_t> data(6 + size_t(count) * 16, 0);
    data[2] = 1;
    data[4] = uint8_t(count & 0xFF);
    data[5] = uint8_t(count >> 8);
    for (int i = 0; i < count; ++i) {
        uint8_t* entry = &data[6 + size_t(i) * 16];
        entry[0] = uint8_t(i * 37);  // sizes scattered over 1..256
        entry[12] = 0xFF;            // every image lies past the end of the file
        entry[15] = 0x7F;
    }
    return data;
}

void BM_DecodeForgedIconDirectory(benchmark::State& state)
{
    const std::vector<uint8_t> data = ForgedIconDirectory(int(state.range(0)));
    std::vector<uint32_t> argb;
    int w = 0, h = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodeIcon(data.data(), data.size(), 32, argb, &w, &h));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_DecodeForgedIconDirectory)->RangeMultiplier(4)->Range(1024, 65535)->Complexity()->Unit(benchmark::kMillisecond);

} // namespace
