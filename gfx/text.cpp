// Label text: antialiased bold sans-serif glyphs blended over the surface in the text colour.
#include "gfx/canvas.h"
#include "gfx/canvas_internal.h"
#include "gfx/glyphs.h"

namespace {

// Characters without a glyph of their own are shown as '?'.
const GlyphInfo& GlyphOf(char c)
{
    int code = static_cast<unsigned char>(c);
    if (code < kGlyphFirst || code > kGlyphLast)
        code = '?';
    return glyphTable[code - kGlyphFirst];
}

inline Color Blend(Color under, Color ink, int alpha)
{
    Color result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int u = int((under >> shift) & 0xFF), v = int((ink >> shift) & 0xFF);
        result |= Color(u + ((v - u) * alpha + 127) / 255) << shift;
    }
    return result;
}

} // namespace

int MeasureText(const char* text)
{
    int width = 0;
    for (const char* p = text; p && *p; ++p)
        width += GlyphOf(*p).advance;
    return width;
}

int TextHeight()
{
    return kGlyphCellHeight;
}

void DrawText(Surface& s, int x, int y, const char* text, Color color)
{
    if (!SurfaceExists(s) || !text)
        return;
    int pen = x;
    for (const char* p = text; *p; ++p) {
        const GlyphInfo& g = GlyphOf(*p);
        int gx = pen + g.left, gy = y + g.top;
        pen += g.advance;
        for (int row = 0; row < g.height; ++row) {
            int sy = gy + row;
            if (sy < 0 || sy >= s.height)
                continue;
            int a = std::max(gx, 0), b = std::min(gx + g.width, s.width);
            if (a >= b)
                continue;
            const uint8_t* coverage = glyphCoverage + g.offset + row * g.width - gx;
            Color* line = &s.pixels[size_t(sy) * s.width];
            ForEachVisibleSpan(s, sy, a, b, [&](int u, int v) {
                for (int sx = u; sx < v; ++sx) {
                    int alpha = coverage[sx];
                    if (alpha == 255)
                        line[sx] = color;
                    else if (alpha != 0)
                        line[sx] = Blend(line[sx], color, alpha);
                }
            });
        }
    }
}
