// Garbled pictures: the BMP decoder either refuses them, leaving nothing, or gives a whole picture.
#include <cstdint>
#include <cstdlib>

#include "gfx/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Surface picture;
    const bool decoded = DecodeBmp(data, size, picture);
    const size_t pixels = size_t(picture.width > 0 ? picture.width : 0) * size_t(picture.height > 0 ? picture.height : 0);
    if (decoded ? (pixels == 0 || picture.pixels.size() != pixels) : !picture.pixels.empty())
        std::abort();
    return 0;
}
