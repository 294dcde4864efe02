// Icon file reader: ICONDIR, its entries, and each entry's device-independent bitmap with AND mask.
#include "resources/icon_decode.h"

#include <algorithm>
#include <cstdlib>

namespace {

uint32_t Read16(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8); }
uint32_t Read32(const uint8_t* p) { return Read16(p) | (Read16(p + 2) << 16); }

// Decodes one DIB entry of `size` bytes; false when it is malformed or of a kind we do not read.
bool DecodeDib(const uint8_t* dib, size_t size, std::vector<uint32_t>& argb, int* width, int* height)
{
    if (size < 40)
        return false;
    const uint32_t headerSize = Read32(dib);
    const int32_t w = int32_t(Read32(dib + 4));
    const int32_t h2 = int32_t(Read32(dib + 8)); // colour rows plus mask rows
    const uint32_t bits = Read16(dib + 14);
    const uint32_t compression = Read32(dib + 16);
    uint32_t colours = Read32(dib + 32);
    if (headerSize < 40 || headerSize > size || w <= 0 || w > 1024 || h2 <= 0 || h2 > 2048 || compression != 0)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        return false;
    const int h = h2 / 2 > 0 ? h2 / 2 : h2;
    if (bits <= 8 && (colours == 0 || colours > (1u << bits)))
        colours = 1u << bits;
    if (bits > 8)
        colours = 0;
    const size_t paletteAt = headerSize;
    const size_t pixelsAt = paletteAt + size_t(colours) * 4;
    const size_t rowBytes = ((size_t(w) * bits + 31) / 32) * 4;
    const size_t maskRowBytes = ((size_t(w) + 31) / 32) * 4;
    const size_t maskAt = pixelsAt + rowBytes * size_t(h);
    if (maskAt > size)
        return false;
    const bool hasMask = maskAt + maskRowBytes * size_t(h) <= size;

    std::vector<uint32_t> out(size_t(w) * size_t(h));
    bool anyAlpha = false;
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = dib + pixelsAt + rowBytes * size_t(h - 1 - y); // rows are stored bottom-up
        for (int x = 0; x < w; ++x) {
            uint32_t c = 0;
            if (bits == 32) {
                const uint8_t* p = row + size_t(x) * 4;
                c = (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
                anyAlpha = anyAlpha || p[3] != 0;
            } else if (bits == 24) {
                const uint8_t* p = row + size_t(x) * 3;
                c = 0xFF000000u | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
            } else {
                const size_t bit = size_t(x) * bits;
                const uint32_t index = (row[bit / 8] >> (8 - bits - bit % 8)) & ((1u << bits) - 1);
                if (index < colours) {
                    const uint8_t* q = dib + paletteAt + size_t(index) * 4;
                    c = 0xFF000000u | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
                } else {
                    c = 0xFF000000u; // an index past the palette shows black
                }
            }
            out[size_t(y) * w + x] = c;
        }
    }
    // The AND mask gives transparency to images without an alpha channel (and to 32-bit ones whose alpha is all 0).
    if (hasMask && !(bits == 32 && anyAlpha)) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* row = dib + maskAt + maskRowBytes * size_t(h - 1 - y);
            for (int x = 0; x < w; ++x) {
                uint32_t& c = out[size_t(y) * w + x];
                if ((row[x / 8] >> (7 - x % 8)) & 1)
                    c = 0;
                else
                    c |= 0xFF000000u;
            }
        }
    } else if (bits == 32 && !anyAlpha) {
        for (uint32_t& c : out)
            c |= 0xFF000000u;
    }
    argb.swap(out);
    *width = w;
    *height = h;
    return true;
}

} // namespace

bool DecodeIcon(const uint8_t* data, size_t size, int wantSize, std::vector<uint32_t>& argb, int* width, int* height)
{
    argb.clear();
    int dummyW = 0, dummyH = 0;
    if (!width)
        width = &dummyW;
    if (!height)
        height = &dummyH;
    *width = *height = 0;
    if (!data || size < 6 || Read16(data) != 0 || Read16(data + 2) != 1)
        return false;
    const size_t count = Read16(data + 4);
    if (count == 0 || 6 + count * 16 > size)
        return false;

    // Try entries from the closest size outward, so a broken best entry falls back to the next one.
    std::vector<size_t> order;
    for (size_t i = 0; i < count; ++i)
        order.push_back(i);
    auto entrySize = [&](size_t i) {
        int s = data[6 + i * 16];
        return s == 0 ? 256 : s;
    };
    auto worse = [&](size_t a, size_t b) {
        int da = std::abs(entrySize(a) - wantSize), db = std::abs(entrySize(b) - wantSize);
        return da != db ? da > db : entrySize(a) < entrySize(b);
    };
    // A stable sort keeps the file's order among equal sizes; a forged directory of 65535 entries sorts fast.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return worse(b, a); });

    for (size_t i : order) {
        const uint8_t* e = data + 6 + i * 16;
        const uint32_t bytes = Read32(e + 8), offset = Read32(e + 12);
        if (offset >= size || bytes > size - offset)
            continue;
        if (DecodeDib(data + offset, bytes, argb, width, height))
            return true;
    }
    return false;
}
