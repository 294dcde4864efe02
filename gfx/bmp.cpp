// BMP pictures: the file header, a Windows (or old OS/2) info header, an optional palette and the rows.
#include "gfx/bmp.h"

#include <cstring>

namespace {

constexpr int64_t kMaxPixels = int64_t(1) << 26; // far beyond any picture of the game

uint32_t Read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | (Read16(p + 2) << 16); }

bool Fail(Surface& out)
{
    ReleaseSurface(out);
    return false;
}

} // namespace

bool DecodeBmp(const uint8_t* data, size_t size, Surface& out)
{
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M')
        return Fail(out);
    const uint32_t pixelOffset = Read32(data + 10);
    const uint32_t headerSize = Read32(data + 14);
    if (headerSize < 12 || headerSize > size - 14)
        return Fail(out);

    int64_t width, height;
    uint32_t bits, compression = 0, paletteCount = 0, paletteEntrySize;
    const uint8_t* h = data + 14;
    if (headerSize == 12) { // OS/2 core header: 16-bit sizes, three-byte palette entries
        width = Read16(h + 4);
        height = int16_t(Read16(h + 6));
        if (Read16(h + 8) != 1)
            return Fail(out);
        bits = Read16(h + 10);
        paletteEntrySize = 3;
    } else {
        if (headerSize < 40)
            return Fail(out);
        width = int32_t(Read32(h + 4));
        height = int32_t(Read32(h + 8));
        if (Read16(h + 12) != 1)
            return Fail(out);
        bits = Read16(h + 14);
        compression = Read32(h + 16);
        paletteCount = Read32(h + 32);
        paletteEntrySize = 4;
    }
    const bool topDown = height < 0;
    if (topDown)
        height = -height;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels)
        return Fail(out);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return Fail(out);

    // Uncompressed only; 32-bit pictures may also state the usual masks explicitly.
    if (compression == 3 && bits == 32) {
        size_t masks = headerSize >= 52 ? 14 + 40 : 14 + headerSize; // in the header, or just after it
        if (masks + 12 > size || Read32(data + masks) != 0x00FF0000u || Read32(data + masks + 4) != 0x0000FF00u ||
            Read32(data + masks + 8) != 0x000000FFu)
            return Fail(out);
    } else if (compression != 0) {
        return Fail(out);
    }

    // Palette (up to 2^bits entries), right after the header (and the masks of a 40-byte header).
    Color palette[256] = {};
    uint32_t paletteSize = 0;
    if (bits <= 8) {
        paletteSize = paletteCount == 0 ? (1u << bits) : paletteCount;
        if (paletteSize > (1u << bits))
            return Fail(out);
        size_t start = 14 + size_t(headerSize);
        if (start + size_t(paletteSize) * paletteEntrySize > size)
            return Fail(out);
        for (uint32_t i = 0; i < paletteSize; ++i) {
            const uint8_t* e = data + start + size_t(i) * paletteEntrySize;
            palette[i] = MakeColor(e[2], e[1], e[0]);
        }
    }

    const size_t stride = size_t((width * bits + 31) / 32) * 4;
    if (pixelOffset > size || stride * size_t(height) > size - pixelOffset)
        return Fail(out);

    CreateSurface(out, int(width), int(height));
    for (int64_t row = 0; row < height; ++row) {
        const uint8_t* src = data + pixelOffset + size_t(row) * stride;
        int64_t y = topDown ? row : height - 1 - row;
        Color* dst = &out.pixels[size_t(y * width)];
        for (int64_t x = 0; x < width; ++x) {
            switch (bits) {
            case 1:
                dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1];
                break;
            case 4:
                dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF];
                break;
            case 8:
                dst[x] = palette[src[x]];
                break;
            case 24:
                dst[x] = MakeColor(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default:
                dst[x] = MakeColor(src[4 * x + 2], src[4 * x + 1], src[4 * x]);
                break;
            }
        }
    }
    return true;
}
