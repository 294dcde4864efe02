// Garbled icons: the decoder either refuses them, leaving nothing, or gives a whole image. The first byte
// chooses the wanted size, the rest is the icon file.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "resources/icon_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::vector<uint32_t> argb(3, 0);
    int width = -1, height = -1;
    const bool decoded = DecodeIcon(data + 1, size - 1, data[0], argb, &width, &height);
    if (decoded ? (width <= 0 || height <= 0 || argb.size() != size_t(width) * size_t(height))
                : (!argb.empty() || width != 0 || height != 0))
        std::abort();
    return 0;
}
