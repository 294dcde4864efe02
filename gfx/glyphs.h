// The embedded glyphs of the game's label text: printable ASCII, bold sans-serif, 14-pixel cell.
#pragma once
#include <cstdint>

constexpr int kGlyphFirst = 32;
constexpr int kGlyphLast = 126;
constexpr int kGlyphCellHeight = 14;

struct GlyphInfo {
    int advance;       // pen movement after the character
    int left, top;     // position of the coverage bitmap: from the pen, and from the top of the cell
    int width, height; // size of the coverage bitmap
    int offset;        // index of its first byte in glyphCoverage
};

extern const GlyphInfo glyphTable[kGlyphLast - kGlyphFirst + 1];
extern const uint8_t glyphCoverage[]; // 0 = background .. 255 = full ink, row by row
