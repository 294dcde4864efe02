// Settings file reading: time per value stays flat from the game's own file (two values) to the
// largest file the reader accepts (1024 values), so a forged file can never stall the start.
#include "platform/filestore/settings_image.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_ReadSettingsImage(benchmark::State& state)
{
    const int values = static_cast<int>(state.range(0));
    std::vector<StoreKeyValues> keys{{"Software\\Orv\\Dravolinex", {}}};
    for (int v = 0; v < values; ++v)
        keys[0].values.push_back(StoreValue{"value" + std::to_string(v), StoreTypeBinary, std::vector<uint8_t>(60, 7)});
    std::vector<uint8_t> image;
    MakeSettingsImage(keys, image);
    std::vector<StoreKeyValues> read;
    for (auto _ : state) {
        ReadSettingsImage(image.data(), image.size(), read);
        benchmark::DoNotOptimize(read.data());
    }
    state.SetItemsProcessed(state.iterations() * values);
}
BENCHMARK(BM_ReadSettingsImage)->Arg(2)->Arg(64)->Arg(1024);

} // namespace
