// Build tool: draws the game's pictures (16-colour BMP), icons (32-bit ICO) and sounds (8-bit WAV).
// Usage: make-art RESOURCES_DIR [PREVIEW_DIR]
//        make-art --program-icon SIZE OUTPUT_ICO
//   Writes RESOURCES_DIR/bitmaps/<id>-<name>.bmp, icons/<id>-<name>.ico, sounds/<id>-<name>.wav, the Windows
//   program file's icons windows/107-program.ico and windows/108-program-small.ico (16 to 256 pixels, the largest
//   as PNG) and the installer's picture windows/installer-picture.bmp.
//   With PREVIEW_DIR it also writes enlarged contact sheets (PPM) for looking at the pictures.
// Everything is drawn from code with fixed random seeds, so running it again gives identical bytes.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Small deterministic random generator (xorshift), one per picture or sound so they stay stable.
struct Rng {
    uint32_t s;
    explicit Rng(uint32_t seed) : s(seed ? seed : 1u) {}
    uint32_t Next()
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return s;
    }
    double Unit() { return (Next() & 0xFFFFFF) / double(0x1000000); } // 0..1
    double Signed() { return Unit() * 2.0 - 1.0; }                  // -1..1
    int Below(int n) { return int(Next() % uint32_t(n)); }
};

// ---------------------------------------------------------------------------------------------
// Files

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::perror(path.c_str());
        return false;
    }
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    ok = std::fclose(f) == 0 && ok;
    if (!ok)
        std::perror(path.c_str());
    return ok;
}

void Put16(std::vector<uint8_t>& b, uint32_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

// ---------------------------------------------------------------------------------------------
// 16-colour pictures. Pixels are palette indices; 0 is black, the transparent colour of the game.

enum PaletteIndex : uint8_t {
    K = 0,   // black
    NV = 1,  // navy
    DG = 2,  // dark green
    TL = 3,  // teal
    MR = 4,  // maroon
    PU = 5,  // purple
    OL = 6,  // olive
    SI = 7,  // silver
    GR = 8,  // grey
    BL = 9,  // blue
    LG = 10, // lime green
    CY = 11, // cyan
    RD = 12, // red
    MG = 13, // magenta
    YE = 14, // yellow
    WH = 15, // white
};

// The classic 16 VGA colours as red, green, blue.
const uint8_t Palette16[16][3] = {
    {0, 0, 0},     {0, 0, 128},   {0, 128, 0},   {0, 128, 128},  {128, 0, 0},   {128, 0, 128},
    {128, 128, 0}, {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0},   {0, 255, 255},
    {255, 0, 0},   {255, 0, 255}, {255, 255, 0}, {255, 255, 255},
};

struct Pic {
    int w = 0, h = 0;
    std::vector<uint8_t> px;
    Pic(int width, int height) : w(width), h(height), px(size_t(width) * height, K) {}
    void Set(int x, int y, uint8_t c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[size_t(y) * w + x] = c;
    }
    uint8_t Get(int x, int y) const { return (x >= 0 && y >= 0 && x < w && y < h) ? px[size_t(y) * w + x] : uint8_t(K); }
};

void HLine(Pic& p, int x0, int x1, int y, uint8_t c)
{
    for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x)
        p.Set(x, y, c);
}
void VLine(Pic& p, int x, int y0, int y1, uint8_t c)
{
    for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
        p.Set(x, y, c);
}
// Inclusive rectangle.
void Box(Pic& p, int x0, int y0, int x1, int y1, uint8_t c)
{
    for (int y = y0; y <= y1; ++y)
        HLine(p, x0, x1, y, c);
}
void Line(Pic& p, int x0, int y0, int x1, int y1, uint8_t c)
{
    int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
    for (;;) {
        p.Set(x0, y0, c);
        if (x0 == x1 && y0 == y1)
            break;
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}
// Disc around a pixel centre (cx, cy in pixel numbers), radius in pixels.
void Disc(Pic& p, double cx, double cy, double r, uint8_t c)
{
    for (int y = int(cy - r) - 1; y <= int(cy + r) + 1; ++y)
        for (int x = int(cx - r) - 1; x <= int(cx + r) + 1; ++x)
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r)
                p.Set(x, y, c);
}
// Polygon in pixel-edge coordinates; a pixel is filled when its centre is inside (even-odd).
void Poly(Pic& p, const std::vector<std::pair<double, double>>& pts, uint8_t c)
{
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            double fx = x + 0.5, fy = y + 0.5;
            bool in = false;
            for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
                double xi = pts[i].first, yi = pts[i].second, xj = pts[j].first, yj = pts[j].second;
                if ((yi > fy) != (yj > fy) && fx < (xj - xi) * (fy - yi) / (yj - yi) + xi)
                    in = !in;
            }
            if (in)
                p.Set(x, y, c);
        }
}
Pic MirrorX(const Pic& s)
{
    Pic d(s.w, s.h);
    for (int y = 0; y < s.h; ++y)
        for (int x = 0; x < s.w; ++x)
            d.Set(s.w - 1 - x, y, s.Get(x, y));
    return d;
}

// BMP file: BITMAPFILEHEADER + BITMAPINFOHEADER + 16-entry palette + 4-bit rows, bottom-up.
std::vector<uint8_t> EncodeBmp4(const Pic& p)
{
    const uint32_t rowBytes = ((uint32_t(p.w) * 4 + 31) / 32) * 4;
    const uint32_t bitsOffset = 14 + 40 + 16 * 4;
    const uint32_t imageSize = rowBytes * uint32_t(p.h);
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, bitsOffset + imageSize);
    Put32(b, 0);
    Put32(b, bitsOffset);
    Put32(b, 40);
    Put32(b, uint32_t(p.w));
    Put32(b, uint32_t(p.h)); // positive height: bottom-up rows
    Put16(b, 1);
    Put16(b, 4);
    Put32(b, 0); // BI_RGB
    Put32(b, imageSize);
    Put32(b, 2835); // 72 dpi
    Put32(b, 2835);
    Put32(b, 16);
    Put32(b, 16);
    for (const auto& c : Palette16) {
        b.push_back(c[2]);
        b.push_back(c[1]);
        b.push_back(c[0]);
        b.push_back(0);
    }
    for (int y = p.h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(rowBytes, 0);
        for (int x = 0; x < p.w; ++x)
            row[x / 2] |= uint8_t(p.Get(x, y) << ((x & 1) ? 0 : 4));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// ---------------------------------------------------------------------------------------------
// The craft pictures (43 x 43, centre column 21).

constexpr int CraftSize = 43;
constexpr int Mid = 21; // centre column and row of the shared frame

// 3 x 5 letters for the rocket's lettering, top row first, bit 2 = left column.
const uint8_t LetterD[5] = {6, 5, 5, 5, 6};
const uint8_t LetterV[5] = {5, 5, 5, 5, 2};
const uint8_t LetterX[5] = {5, 5, 2, 5, 5};

Pic DrawRocket()
{
    Pic p(CraftSize, CraftSize);
    // Nose cone from row 1, red tip.
    const int noseHalf[8] = {0, 0, 0, 1, 1, 2, 2, 3}; // rows 1..8
    for (int i = 0; i < 8; ++i) {
        int y = 1 + i;
        HLine(p, Mid - noseHalf[i], Mid + noseHalf[i], y, WH);
        p.Set(Mid + noseHalf[i], y, SI);
    }
    VLine(p, Mid, 1, 3, RD);
    HLine(p, Mid - 1, Mid + 1, 4, RD);
    // Body, rounded by a silver edge on each side and a highlight down the left.
    Box(p, Mid - 3, 9, Mid + 3, 28, WH);
    VLine(p, Mid - 3, 9, 28, SI);
    VLine(p, Mid + 3, 9, 28, SI);
    VLine(p, Mid + 2, 9, 28, SI);
    // Porthole.
    HLine(p, Mid - 1, Mid + 1, 9, TL);
    HLine(p, Mid - 1, Mid + 1, 10, BL);
    p.Set(Mid - 1, 9, CY);
    // Red lettering down the body, one letter under the other.
    const uint8_t* letters[3] = {LetterD, LetterV, LetterX};
    for (int l = 0; l < 3; ++l)
        for (int r = 0; r < 5; ++r)
            for (int c = 0; c < 3; ++c)
                if (letters[l][r] & (4 >> c))
                    p.Set(Mid - 1 + c, 12 + 6 * l + r, RD);
    // Band under the lettering.
    HLine(p, Mid - 3, Mid + 3, 28, GR);
    // Side jet nozzles at the middle of each side.
    for (int y = 15; y <= 17; ++y) {
        p.Set(Mid - 4, y, GR);
        p.Set(Mid + 4, y, GR);
    }
    p.Set(Mid - 5, 16, SI);
    p.Set(Mid + 5, 16, SI);
    // Fins: small red triangles down to row 31, out to columns 14 and 28.
    Poly(p, {{Mid - 3.0, 22.0}, {Mid - 3.0, 32.0}, {Mid - 7.0, 32.0}, {Mid - 7.0, 29.0}}, RD);
    Poly(p, {{Mid + 4.0, 22.0}, {Mid + 4.0, 32.0}, {Mid + 8.0, 32.0}, {Mid + 8.0, 29.0}}, RD);
    for (int y = 28; y <= 31; ++y) {
        p.Set(Mid - 7, y, p.Get(Mid - 7, y) ? MR : K);
        p.Set(Mid + 7, y, p.Get(Mid + 7, y) ? MR : K);
    }
    // Engine nozzle.
    HLine(p, Mid - 1, Mid + 1, 29, GR);
    HLine(p, Mid - 2, Mid + 2, 30, GR);
    HLine(p, Mid - 2, Mid + 2, 31, SI);
    p.Set(Mid, 29, SI);
    return p;
}

// The legged craft; `drop` lowers the body on its legs (0..3) while the feet stay on row 31.
Pic DrawLeggedCraft(int drop)
{
    Pic p(CraftSize, CraftSize);
    const int d = drop;
    // Legs first, so the body covers their upper ends. Each is two pixels thick (yellow with an olive
    // inner edge) so it stays a solid line when the picture is turned. Outer legs splay to columns 7
    // and 35, the inner pair (seen from the front) lands at columns 13 and 29.
    for (int side = -1; side <= 1; side += 2) {
        Line(p, Mid + side * 4, 17 + d, Mid + side * 12, 30, OL);
        Line(p, Mid + side * 5, 17 + d, Mid + side * 13, 30, YE);
        Line(p, Mid + side * 2, 20 + d, Mid + side * 7, 30, OL);
        Line(p, Mid + side * 3, 20 + d, Mid + side * 8, 30, YE);
    }
    // Foot pads on row 31.
    HLine(p, Mid - 14, Mid - 12, 31, YE);
    HLine(p, Mid + 12, Mid + 14, 31, YE);
    HLine(p, Mid - 9, Mid - 7, 31, YE);
    HLine(p, Mid + 7, Mid + 9, 31, YE);

    // Cabin on top (rows 1..11): antenna, silver hull, two dark windows.
    VLine(p, Mid, 1 + d, 2 + d, WH);
    HLine(p, Mid - 3, Mid + 3, 3 + d, SI);
    HLine(p, Mid - 4, Mid + 4, 4 + d, SI);
    Box(p, Mid - 5, 5 + d, Mid + 5, 10 + d, SI);
    HLine(p, Mid - 4, Mid + 4, 11 + d, GR);
    HLine(p, Mid - 2, Mid + 1, 4 + d, WH);   // light from the upper left
    VLine(p, Mid - 5, 5 + d, 9 + d, WH);
    VLine(p, Mid + 5, 5 + d, 10 + d, GR);
    // A narrow window band and the hatch below it.
    HLine(p, Mid - 3, Mid + 3, 6 + d, NV);
    HLine(p, Mid - 2, Mid + 2, 7 + d, NV);
    p.Set(Mid - 3, 6 + d, CY);
    p.Set(Mid - 2, 6 + d, TL);
    Box(p, Mid - 1, 8 + d, Mid + 1, 10 + d, GR);
    p.Set(Mid, 9 + d, SI);
    // Descent stage (rows 12..20): gold foil with a dark rim.
    Box(p, Mid - 5, 12 + d, Mid + 5, 20 + d, OL);
    HLine(p, Mid - 4, Mid + 4, 12 + d, YE);
    Rng foil(130);
    for (int k = 0; k < 9; ++k)
        p.Set(Mid - 4 + foil.Below(9), 14 + d + foil.Below(5), YE);
    // Crinkles of the foil catching the light, and a darker band under the top edge.
    for (int y = 14; y <= 18; y += 2)
        p.Set(Mid - 3, y + d, YE);
    HLine(p, Mid - 4, Mid + 4, 13 + d, OL);
    VLine(p, Mid - 5, 12 + d, 20 + d, YE);
    VLine(p, Mid + 5, 12 + d, 20 + d, MR);
    HLine(p, Mid - 5, Mid + 5, 20 + d, MR);
    // Descent engine bell under the body (rows 21..28); on the deepest touch-down frame its lip is hidden
    // so the bell stays clear of the ground the feet stand on.
    HLine(p, Mid - 1, Mid + 1, 21 + d, GR);
    HLine(p, Mid - 1, Mid + 1, 22 + d, SI);
    HLine(p, Mid - 2, Mid + 2, 23 + d, SI);
    HLine(p, Mid - 2, Mid + 2, 24 + d, GR);
    HLine(p, Mid - 2, Mid + 2, 25 + d, SI);
    HLine(p, Mid - 3, Mid + 3, 26 + d, SI);
    HLine(p, Mid - 3, Mid + 3, 27 + d, GR);
    if (28 + d < 31)
        HLine(p, Mid - 3, Mid + 3, 28 + d, SI);
    p.Set(Mid - 2, 25 + d, WH);
    return p;
}

// Main engine flame below the craft: a narrow white-hot throat leaving the nozzle at row 29, a plume
// widest just below the craft's feet, tapering down to a red tip. `length` counts its rows, `seed`
// picks the flicker.
Pic DrawMainFlame(int length, double width, uint32_t seed)
{
    Pic p(CraftSize, CraftSize);
    Rng rng(seed);
    const int top = 29;
    for (int t = 0; t < length && top + t < CraftSize; ++t) {
        double f = double(t) / (length - 1);
        double hw = t < 3 ? 0.5 * t : width * (1.0 - std::pow(std::max(0.0, (t - 3.0) / (length - 3.0)), 1.3) * 0.95);
        if (t >= 3)
            hw = std::min(hw, width * (0.75 + 0.25 * (t - 3)));
        hw += 0.35 * rng.Signed();
        int half = std::max(0, int(hw + 0.5));
        for (int dx = -half; dx <= half; ++dx) {
            double edge = half ? std::abs(dx) / (half + 0.5) : 0.0;
            double heat = 1.05 - f * 0.95 - edge * 0.6 + 0.12 * rng.Signed();
            uint8_t c = heat > 0.72 ? WH : heat > 0.42 ? YE : heat > 0.12 ? RD : MR;
            p.Set(Mid + dx, top + t, c);
        }
    }
    // A few sparks trailing below.
    for (int k = 0; k < 3; ++k) {
        int y = top + length + rng.Below(3);
        int x = Mid + rng.Below(5) - 2;
        if (y < CraftSize)
            p.Set(x, y, rng.Below(2) ? RD : YE);
    }
    return p;
}

// Side jet at the middle of the craft's left side, blowing to the left (it pushes the craft right).
// Its root sits at column 15, just outside both craft's hulls, on rows around 16.
Pic DrawLeftSideFlame(int length, double width, uint32_t seed)
{
    Pic p(CraftSize, CraftSize);
    Rng rng(seed);
    const int root = 15, row = 16;
    for (int t = 0; t < length; ++t) {
        double f = double(t) / length;
        double hw = t < 2 ? 0.0 : width * std::sin(3.14159 * std::min(1.0, 0.3 + f * 0.8));
        hw += 0.35 * rng.Signed();
        int half = std::max(0, int(hw + 0.5));
        for (int dy = -half; dy <= half; ++dy) {
            double edge = half ? std::abs(dy) / double(half) : 0.0;
            double heat = 1.0 - f * 1.15 - edge * 0.5 + 0.15 * rng.Signed();
            uint8_t c = heat > 0.75 ? WH : heat > 0.45 ? YE : heat > 0.15 ? RD : MR;
            p.Set(root - t, row + dy, c);
        }
    }
    if (rng.Below(2))
        p.Set(root - length - 1, row + rng.Below(3) - 1, RD);
    return p;
}

// Grey dust cloud thrown up around the feet: overlapping puffs, lit from the upper left. The painter
// centres the picture on the craft's feet, so the cloud sits on the frame's middle row, the ground line.
Pic DrawDustCloud(int variant)
{
    Pic p(CraftSize, CraftSize);
    Rng rng(154 + variant * 7919);
    const double spread = 9.0 + variant * 3.5; // the cloud widens from variant to variant
    const double rise = 1.5 + variant * 1.0;
    struct Puff {
        double x, y, r;
    };
    std::vector<Puff> puffs;
    for (int k = 0; k < 11 + variant * 2; ++k) {
        double side = rng.Signed();
        double x = Mid + side * spread;
        double y = 22.5 - rise * rng.Unit() - std::abs(side) * rise * 0.6;
        double r = 1.6 + rng.Unit() * (1.8 + variant * 0.3) * (0.6 + std::abs(side) * 0.5);
        puffs.push_back({x, y, r});
    }
    // Shadow, body, highlight: each puff drawn three times, offset, so the cloud looks round.
    for (const Puff& q : puffs)
        Disc(p, q.x + 0.6, q.y + 0.6, q.r, GR);
    for (const Puff& q : puffs)
        Disc(p, q.x, q.y, q.r - 0.5, SI);
    for (const Puff& q : puffs)
        if (q.r > 2.2)
            Disc(p, q.x - q.r * 0.35, q.y - q.r * 0.35, q.r * 0.35, WH);
    // Later clouds thin out into specks at their edges.
    for (int k = 0; k < variant * 6; ++k) {
        int x = Mid + int(rng.Signed() * (spread + 4));
        int y = 23 - rng.Below(int(rise) + 6);
        if (!p.Get(x, y))
            p.Set(x, y, rng.Below(3) ? GR : SI);
    }
    // Nothing far below the ground line.
    for (int y = 25; y < CraftSize; ++y)
        HLine(p, 0, CraftSize - 1, y, K);
    return p;
}

// The meteor, upright: a sparkling ball near the bottom with its trail of coloured dots above it,
// so that "upright" is a meteor falling straight down.
Pic DrawMeteor()
{
    Pic p(23, 23);
    Rng rng(109);
    const int cx = 11, cy = 15;
    // Trail: a hot streak just above the ball, then dots thinning out and spreading upward, cooling
    // from white and yellow through red and magenta to cyan and blue.
    const uint8_t bands[4][3] = {{WH, YE, YE}, {YE, RD, MG}, {MG, RD, CY}, {CY, BL, MG}};
    for (int y = cy - 4; y >= 0; --y) {
        int up = cy - 4 - y; // 0 next to the ball
        const uint8_t* band = bands[std::min(3, up / 3)];
        if (up < 5)
            p.Set(cx, y, up < 2 ? WH : YE);
        int spread = 1 + up / 3;
        int dots = up < 6 ? 2 : 1 + (up % 2);
        for (int k = 0; k < dots; ++k)
            p.Set(cx + rng.Below(2 * spread + 1) - spread, y, band[rng.Below(3)]);
    }
    // The ball: red rim, yellow body, white-hot centre.
    Disc(p, cx, cy, 3.2, RD);
    Disc(p, cx, cy, 2.4, YE);
    Disc(p, cx - 0.4, cy - 0.4, 1.2, WH);
    // Sparkles: short white and cyan rays.
    for (int k = 4; k <= 6; ++k) {
        p.Set(cx - k, cy, k == 6 ? CY : WH);
        p.Set(cx + k, cy, k == 6 ? CY : WH);
        p.Set(cx, cy + k, k == 6 ? CY : WH);
    }
    p.Set(cx - 4, cy + 4, CY);
    p.Set(cx + 4, cy + 4, CY);
    p.Set(cx - 3, cy + 3, WH);
    p.Set(cx + 3, cy + 3, WH);
    p.Set(cx + 4, cy - 3, WH);
    p.Set(cx - 4, cy - 3, WH);
    p.Set(0, 0, K); // the tick fills the turned copy with this pixel's colour: keep it black
    return p;
}

// ---------------------------------------------------------------------------------------------
// The instrument panel and the pictures drawn over it.

constexpr int DiamondHalf = 16; // the diamond fills the left 32 x 32 square, centre between pixels 15 and 16

bool InDiamond(int x, int y)
{
    // Distance from the centre (15.5, 15.5) in the taxicab sense, on doubled coordinates.
    return std::abs(2 * x - 31) + std::abs(2 * y - 31) <= 2 * DiamondHalf;
}

// A sunken window: black inside [x0..x1] x [y0..y1], dark edge above and left, light edge below and right.
void SunkenWindow(Pic& p, int x0, int y0, int x1, int y1)
{
    Box(p, x0, y0, x1, y1, K);
    HLine(p, x0 - 1, x1 + 1, y0 - 1, NV);
    VLine(p, x0 - 1, y0 - 1, y1 + 1, NV);
    HLine(p, x0, x1 + 1, y1 + 1, WH);
    VLine(p, x1 + 1, y0, y1 + 1, WH);
}

Pic DrawPanel()
{
    Pic p(76, 44);
    Box(p, 0, 0, 75, 43, GR);
    // Light border around the plate.
    HLine(p, 0, 75, 0, WH);
    VLine(p, 0, 0, 43, WH);
    HLine(p, 1, 75, 43, SI);
    VLine(p, 75, 1, 43, SI);
    // Diamond: dark inside, silver outline, small square at its centre.
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            if (InDiamond(x, y))
                p.Set(x, y, InDiamond(x - 1, y) && InDiamond(x + 1, y) && InDiamond(x, y - 1) && InDiamond(x, y + 1)
                                ? K
                                : SI);
    Box(p, 14, 14, 17, 17, SI);
    Box(p, 15, 15, 16, 16, K);
    // Fine cross-hairs through the diamond's centre.
    for (int k = 4; k <= 11; k += 2) {
        p.Set(15 - k + 1, 15, NV);
        p.Set(16 + k - 1, 16, NV);
        p.Set(15, 15 - k + 1, NV);
        p.Set(16, 16 + k - 1, NV);
    }
    // Locator window, fuel window and wind window.
    SunkenWindow(p, 33, 3, 58, 28);
    SunkenWindow(p, 63, 3, 71, 28);
    SunkenWindow(p, 4, 33, 71, 39);
    // Scale marks on the plate: locator centre, fuel levels, wind zero.
    VLine(p, 45, 1, 1, SI);
    VLine(p, 46, 1, 1, SI);
    HLine(p, 60, 60, 15, SI);
    HLine(p, 60, 60, 16, SI);
    for (int y : {3, 9, 16, 22, 28})
        HLine(p, 73, 74, y, y == 3 || y == 28 ? WH : SI);
    VLine(p, 37, 41, 42, WH);
    VLine(p, 38, 41, 42, WH);
    for (int x : {4, 20, 55, 71})
        p.Set(x, 41, SI);
    return p;
}

// The arrow pointing down: a wedge filling the diamond's bottom corner, its tip on the corner itself
// (row 31, columns 15 and 16); the other arrows are turned copies.
Pic DrawDownArrow(bool green)
{
    Pic p(32, 32);
    uint8_t fill = green ? LG : RD, dark = green ? DG : MR;
    for (int y = 24; y <= 31; ++y) {
        int half = y == 31 ? 0 : 30 - y; // one pixel inside the diamond's outline, except at the tip
        HLine(p, 15 - half, 16 + half, y, fill);
    }
    // A short stem towards the centre, and a dark seam down the middle so it reads as a solid head.
    Box(p, 15, 20, 16, 23, fill);
    VLine(p, 16, 25, 29, dark);
    return p;
}

enum class Turn { Left, Up, Right };
Pic TurnArrow(const Pic& down, Turn t)
{
    Pic p(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            uint8_t c = down.Get(x, y);
            switch (t) {
            case Turn::Left: p.Set(31 - y, x, c); break;
            case Turn::Up: p.Set(x, 31 - y, c); break;
            case Turn::Right: p.Set(y, x, c); break;
            }
        }
    return p;
}

// Turn indicator: an arc arrow over the diamond's centre and a white frame corner at the centre square.
Pic DrawTurningArrow(bool green)
{
    Pic p(25, 24);
    uint8_t fill = green ? LG : RD, dark = green ? DG : MR;
    const double cx = 16.0, cy = 16.0; // the diamond's centre in pixel-edge coordinates
    const double pi = 3.14159265358979;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            double dx = x + 0.5 - cx, dy = cy - (y + 0.5);
            double r = std::sqrt(dx * dx + dy * dy);
            double a = std::atan2(dy, dx) * 180.0 / pi;
            if (r >= 6.0 && r <= 7.9 && a >= 40.0 && a <= 170.0)
                p.Set(x, y, r > 7.1 ? dark : fill);
        }
    // Arrow head at the right end, pointing clockwise (down and to the right).
    double a = 40.0 * pi / 180.0;
    double px = cx + 6.95 * std::cos(a), py = cy - 6.95 * std::sin(a);
    double tx = std::sin(a), ty = std::cos(a);     // clockwise direction of travel
    double rx = std::cos(a), ry = -std::sin(a);    // outward
    Poly(p,
         {{px - 0.5 * tx + 3.0 * rx, py - 0.5 * ty + 3.0 * ry},
          {px + 3.6 * tx, py + 3.6 * ty},
          {px - 0.5 * tx - 3.0 * rx, py - 0.5 * ty - 3.0 * ry}},
         fill);
    // White frame corner: the upright reference at the centre square's upper left.
    HLine(p, 12, 15, 12, WH);
    VLine(p, 12, 12, 15, WH);
    return p;
}

// ---------------------------------------------------------------------------------------------
// Icons: drawn at four times their size with full colour and alpha, then averaged down.

struct Rgba {
    double r, g, b, a;
};
Rgba C(int r, int g, int b, double a = 1.0) { return {r / 255.0, g / 255.0, b / 255.0, a}; }

constexpr int IconUnits = 32;   // drawing coordinates run 0..32
// Sub-samples per icon unit along each axis, and the canvas width in sub-samples: 8 and 256 for the game's
// 32 x 32 and 16 x 16 images; the program file's larger and odd-sized images and the desktop's large program
// icons are drawn again on a finer canvas (SetIconGrain, WriteProgramIcon).
double Super = 8;
int CanvasSize = IconUnits * 8;

void SetIconGrain(int super)
{
    Super = super;
    CanvasSize = IconUnits * super;
}

struct IconCanvas {
    std::vector<Rgba> px = std::vector<Rgba>(size_t(CanvasSize) * CanvasSize, Rgba{0, 0, 0, 0});
};

using Shape = std::function<bool(double, double)>;

// Lays colour `c` over sub-sample `d` ("over" compositing).
void Blend(Rgba& d, const Rgba& c)
{
    double a = c.a + d.a * (1 - c.a);
    if (a <= 0)
        return;
    d.r = (c.r * c.a + d.r * d.a * (1 - c.a)) / a;
    d.g = (c.g * c.a + d.g * d.a * (1 - c.a)) / a;
    d.b = (c.b * c.a + d.b * d.a * (1 - c.a)) / a;
    d.a = a;
}

// Paints colour `c` over every sub-sample whose centre (in icon units) lies inside `inside`.
void Fill(IconCanvas& cv, const Shape& inside, Rgba c)
{
    for (int y = 0; y < CanvasSize; ++y)
        for (int x = 0; x < CanvasSize; ++x) {
            double ux = (x + 0.5) / Super, uy = (y + 0.5) / Super;
            if (!inside(ux, uy))
                continue;
            Blend(cv.px[size_t(y) * CanvasSize + x], c);
        }
}

Shape Circle(double cx, double cy, double r)
{
    return [=](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; };
}
Shape Ellipse(double cx, double cy, double rx, double ry)
{
    return [=](double x, double y) { return ((x - cx) / rx) * ((x - cx) / rx) + ((y - cy) / ry) * ((y - cy) / ry) <= 1; };
}
Shape Rect(double x0, double y0, double x1, double y1)
{
    return [=](double x, double y) { return x >= x0 && x < x1 && y >= y0 && y < y1; };
}
Shape RoundRect(double x0, double y0, double x1, double y1, double r)
{
    return [=](double x, double y) {
        if (x < x0 || x >= x1 || y < y0 || y >= y1)
            return false;
        double nx = std::clamp(x, x0 + r, x1 - r), ny = std::clamp(y, y0 + r, y1 - r);
        return (x - nx) * (x - nx) + (y - ny) * (y - ny) <= r * r;
    };
}
Shape Polygon(std::vector<std::pair<double, double>> pts)
{
    return [pts](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            double xi = pts[i].first, yi = pts[i].second, xj = pts[j].first, yj = pts[j].second;
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi)
                in = !in;
        }
        return in;
    };
}
// A thick line with round ends.
Shape Segment(double x0, double y0, double x1, double y1, double width)
{
    return [=](double x, double y) {
        double vx = x1 - x0, vy = y1 - y0, len2 = vx * vx + vy * vy;
        double t = len2 > 0 ? std::clamp(((x - x0) * vx + (y - y0) * vy) / len2, 0.0, 1.0) : 0.0;
        double dx = x - (x0 + t * vx), dy = y - (y0 + t * vy);
        return dx * dx + dy * dy <= width * width / 4;
    };
}
Shape And(Shape a, Shape b) { return [=](double x, double y) { return a(x, y) && b(x, y); }; }
Shape Minus(Shape a, Shape b) { return [=](double x, double y) { return a(x, y) && !b(x, y); }; }
// Outline band of a shape: points inside `outer` but not inside `outer` shrunk by `width` in every direction.
Shape Outline(Shape s, double width)
{
    return [=](double x, double y) {
        if (!s(x, y))
            return false;
        for (int k = 0; k < 8; ++k) {
            double a = k * 3.14159265 / 4;
            if (!s(x + width * std::cos(a), y + width * std::sin(a)))
                return true;
        }
        return false;
    };
}
// Fill with a dark outline.
void FillOutlined(IconCanvas& cv, const Shape& s, Rgba fill, Rgba edge, double width = 1.0)
{
    Fill(cv, s, fill);
    Fill(cv, Outline(s, width), edge);
}

struct IconImage {
    int size;
    std::vector<uint32_t> argb; // 0xAARRGGBB, row 0 at the top
};

IconImage Downsample(const IconCanvas& cv, int size)
{
    IconImage im{size, std::vector<uint32_t>(size_t(size) * size)};
    const int f = CanvasSize / size;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < f; ++sy)
                for (int sx = 0; sx < f; ++sx) {
                    const Rgba& s = cv.px[size_t(y * f + sy) * CanvasSize + (x * f + sx)];
                    r += s.r * s.a;
                    g += s.g * s.a;
                    b += s.b * s.a;
                    a += s.a;
                }
            uint32_t A = uint32_t(std::lround(a / (f * f) * 255));
            uint32_t R = a > 0 ? uint32_t(std::lround(std::clamp(r / a, 0.0, 1.0) * 255)) : 0;
            uint32_t G = a > 0 ? uint32_t(std::lround(std::clamp(g / a, 0.0, 1.0) * 255)) : 0;
            uint32_t B = a > 0 ? uint32_t(std::lround(std::clamp(b / a, 0.0, 1.0) * 255)) : 0;
            if (A == 0)
                R = G = B = 0;
            im.argb[size_t(y) * size + x] = (A << 24) | (R << 16) | (G << 8) | B;
        }
    return im;
}

// PNG (for the 256-pixel icon images, which Windows reads as PNG inside an ICO): RGBA rows, each with the filter
// that leaves the smallest differences, compressed with a small deflate of its own (fixed codes, LZ77 matches).
struct BitWriter {
    std::vector<uint8_t>& out;
    uint32_t bits = 0;
    int count = 0;
    void Put(uint32_t value, int n) // least significant bit first
    {
        bits |= value << count;
        count += n;
        while (count >= 8) {
            out.push_back(uint8_t(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    void PutCode(uint32_t code, int n) // Huffman codes go most significant bit first
    {
        uint32_t reversed = 0;
        for (int i = 0; i < n; ++i)
            reversed |= ((code >> i) & 1) << (n - 1 - i);
        Put(reversed, n);
    }
    void Flush()
    {
        if (count > 0)
            out.push_back(uint8_t(bits));
        bits = 0;
        count = 0;
    }
};

void PutLiteral(BitWriter& w, int v)
{
    if (v < 144) w.PutCode(0x30 + v, 8);
    else if (v < 256) w.PutCode(0x190 + (v - 144), 9);
    else if (v < 280) w.PutCode(v - 256, 7);
    else w.PutCode(0xC0 + (v - 280), 8);
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& data)
{
    static const int lengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                     31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int lengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    static const int distanceBase[] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                       193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
    static const int distanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
    std::vector<uint8_t> out = {0x78, 0x01}; // zlib header: deflate, 32 KB window
    BitWriter w{out};
    w.Put(1, 1); // the last block
    w.Put(1, 2); // fixed codes
    const size_t n = data.size();
    std::vector<int> head(1 << 15, -1), previous(n, -1);
    auto hash = [&](size_t i) { return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & 0x7FFF; };
    for (size_t i = 0; i < n;) {
        int bestLength = 0, bestDistance = 0;
        if (i + 2 < n) {
            const int h = hash(i);
            for (int candidate = head[size_t(h)], tries = 0; candidate >= 0 && i - size_t(candidate) <= 32768 && tries < 64;
                 candidate = previous[size_t(candidate)], ++tries) {
                int length = 0;
                while (length < 258 && i + size_t(length) < n && data[size_t(candidate) + size_t(length)] == data[i + size_t(length)])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = int(i - size_t(candidate));
                }
            }
        }
        const size_t step = bestLength >= 3 ? size_t(bestLength) : 1;
        if (bestLength >= 3) {
            int code = 28;
            while (lengthBase[code] > bestLength) --code;
            PutLiteral(w, 257 + code);
            w.Put(uint32_t(bestLength - lengthBase[code]), lengthExtra[code]);
            int dcode = 29;
            while (distanceBase[dcode] > bestDistance) --dcode;
            w.PutCode(uint32_t(dcode), 5);
            w.Put(uint32_t(bestDistance - distanceBase[dcode]), distanceExtra[dcode]);
        } else {
            PutLiteral(w, data[i]);
        }
        for (size_t k = 0; k < step; ++k, ++i)
            if (i + 2 < n) {
                const int h = hash(i);
                previous[i] = head[size_t(h)];
                head[size_t(h)] = int(i);
            }
    }
    PutLiteral(w, 256); // end of block
    w.Flush();
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    const uint32_t adler = (b << 16) | a;
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(adler >> shift));
    return out;
}

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0)
{
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PngChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& body)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        png.push_back(uint8_t(body.size() >> shift));
    const size_t start = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), body.begin(), body.end());
    const uint32_t crc = Crc32(png.data() + start, png.size() - start);
    for (int shift = 24; shift >= 0; shift -= 8)
        png.push_back(uint8_t(crc >> shift));
}

// `argb` (0xAARRGGBB, top row first) as a PNG file.
std::vector<uint8_t> EncodePng(const std::vector<uint32_t>& argb, int width, int height)
{
    std::vector<uint8_t> raw, row(size_t(width) * 4), above(size_t(width) * 4, 0), best, trial(row.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const uint32_t c = argb[size_t(y) * width + x];
            const uint8_t rgba[4] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), uint8_t(c >> 24)};
            std::copy(rgba, rgba + 4, row.begin() + x * 4);
        }
        long bestCost = -1;
        int bestFilter = 0;
        for (int filter = 0; filter < 3; ++filter) { // none, left, above
            long cost = 0;
            for (size_t i = 0; i < row.size(); ++i) {
                const uint8_t predicted = filter == 1 ? (i >= 4 ? row[i - 4] : 0) : filter == 2 ? above[i] : 0;
                trial[i] = uint8_t(row[i] - predicted);
                cost += std::abs(int(int8_t(trial[i])));
            }
            if (bestCost < 0 || cost < bestCost) {
                bestCost = cost;
                bestFilter = filter;
                best = trial;
            }
        }
        raw.push_back(uint8_t(bestFilter));
        raw.insert(raw.end(), best.begin(), best.end());
        above = row;
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, header;
    for (uint32_t v : {uint32_t(width), uint32_t(height)})
        for (int shift = 24; shift >= 0; shift -= 8)
            header.push_back(uint8_t(v >> shift));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, adaptive filters, no interlace
    PngChunk(png, "IHDR", header);
    PngChunk(png, "IDAT", Deflate(raw));
    PngChunk(png, "IEND", {});
    return png;
}

// ICO file: ICONDIR, one ICONDIRENTRY per image, then each image as a 32-bit DIB (BITMAPINFOHEADER
// with doubled height, bottom-up BGRA rows) followed by its 1-bit AND mask; with `largeAsPng` a 256-pixel image as
// PNG, which is how Windows keeps that size (a quarter of a megabyte uncompressed, about 9 KB so). The game's own
// icon reader takes DIBs only.
// One icon image as a 32-bit DIB with its AND mask.
std::vector<uint8_t> EncodeIconDib(const IconImage& im)
{
    std::vector<uint8_t> d;
    const uint32_t n = uint32_t(im.size);
    const uint32_t maskRow = ((n + 31) / 32) * 4;
    Put32(d, 40);
    Put32(d, n);
    Put32(d, n * 2);
    Put16(d, 1);
    Put16(d, 32);
    Put32(d, 0);
    Put32(d, n * n * 4 + maskRow * n);
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, 0);
    Put32(d, 0);
    for (int y = im.size - 1; y >= 0; --y)
        for (int x = 0; x < im.size; ++x) {
            uint32_t c = im.argb[size_t(y) * im.size + x];
            d.push_back(uint8_t(c));
            d.push_back(uint8_t(c >> 8));
            d.push_back(uint8_t(c >> 16));
            d.push_back(uint8_t(c >> 24));
        }
    for (int y = im.size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskRow, 0);
        for (int x = 0; x < im.size; ++x)
            if ((im.argb[size_t(y) * im.size + x] >> 24) == 0)
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        d.insert(d.end(), row.begin(), row.end());
    }
    return d;
}

std::vector<uint8_t> EncodeIco(const std::vector<IconImage>& images, bool largeAsPng = false)
{
    std::vector<uint8_t> b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    std::vector<std::vector<uint8_t>> dibs;
    for (const IconImage& im : images) {
        std::vector<uint8_t> d = largeAsPng && im.size >= 256 ? EncodePng(im.argb, im.size, im.size) : EncodeIconDib(im);
        b.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        b.push_back(uint8_t(im.size >= 256 ? 0 : im.size));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, 32);
        Put32(b, uint32_t(d.size()));
        Put32(b, offset);
        offset += uint32_t(d.size());
        dibs.push_back(std::move(d));
    }
    for (const auto& d : dibs)
        b.insert(b.end(), d.begin(), d.end());
    return b;
}

// ---- icon pictures ----

const Rgba Outl = C(30, 30, 40);
const Rgba Sky = C(16, 20, 56);
const Rgba Ground = C(150, 134, 110);
const Rgba GroundDark = C(96, 84, 70);

// Square "scene" frame used by the terrain, platform and view icons.
Shape SceneBox() { return RoundRect(2, 3, 30, 29, 3); }
void SceneBackground(IconCanvas& cv)
{
    Fill(cv, SceneBox(), Sky);
    const double stars[][2] = {{6, 7}, {12, 5.5}, {20, 8}, {26, 6}, {9, 12}, {23, 12.5}, {16, 10.5}};
    for (auto& s : stars)
        Fill(cv, Circle(s[0], s[1], 0.55), C(255, 255, 230));
}
void SceneFrame(IconCanvas& cv) { Fill(cv, Outline(SceneBox(), 1.0), C(70, 74, 90)); }

// Ground of a terrain icon: the profile's heights (rows) at evenly spaced points across the box.
void Terrain(IconCanvas& cv, const std::vector<double>& rows)
{
    std::vector<std::pair<double, double>> pts;
    double step = 28.0 / (rows.size() - 1);
    for (size_t i = 0; i < rows.size(); ++i)
        pts.push_back({2 + i * step, rows[i]});
    pts.push_back({30, 30});
    pts.push_back({2, 30});
    Shape ground = And(Polygon(pts), SceneBox());
    Fill(cv, ground, Ground);
    // Lit top edge and a darker band of rock below it.
    Fill(cv, And(ground, [pts](double x, double y) {
             for (size_t i = 0; i + 3 < pts.size(); ++i)
                 if (x >= pts[i].first && x <= pts[i + 1].first) {
                     double t = (x - pts[i].first) / (pts[i + 1].first - pts[i].first);
                     double top = pts[i].second + t * (pts[i + 1].second - pts[i].second);
                     return y > top + 3.0;
                 }
             return false;
         }),
         GroundDark);
}

void TerrainIcon(IconCanvas& cv, int roughness)
{
    SceneBackground(cv);
    std::vector<double> rows;
    switch (roughness) {
    case 0: rows = {20, 20, 19.6, 19.4, 19.6, 20, 20.3, 20.2, 20}; break; // smooth
    case 1: rows = {21, 19, 17.5, 18.5, 21, 22, 20, 18, 19}; break;      // gentle hills
    case 2: rows = {22, 16, 19, 13.5, 20, 23, 15, 18, 21, 17, 20}; break; // rough
    default: rows = {24, 12, 21, 7, 19, 25, 10, 22, 14, 24, 9, 20, 23}; break; // jagged peaks
    }
    Terrain(cv, rows);
    SceneFrame(cv);
}

void PlatformIcon(IconCanvas& cv, double width)
{
    SceneBackground(cv);
    Terrain(cv, {19, 18, 20, 22, 22, 22, 22, 22, 21, 19, 18});
    double x0 = 16 - width / 2, x1 = 16 + width / 2;
    Fill(cv, Rect(x0, 20.5, x1, 23), C(200, 200, 210));
    Fill(cv, Rect(x0, 22, x1, 23), C(120, 120, 135));
    Fill(cv, Rect(x0 + 0.5, 23, x0 + 1.5, 27), C(110, 110, 120));
    Fill(cv, Rect(x1 - 1.5, 23, x1 - 0.5, 27), C(110, 110, 120));
    Fill(cv, Circle(x0 + 0.8, 19.6, 1.0), C(40, 255, 60));
    Fill(cv, Circle(x1 - 0.8, 19.6, 1.0), C(255, 50, 40));
    SceneFrame(cv);
}

// Planet disc with a night side to the lower right.
void PlanetShade(IconCanvas& cv, const Shape& disc)
{
    Fill(cv, And(disc, Minus(Circle(16, 16, 20), Circle(12.2, 12.2, 14.6))), C(0, 0, 20, 0.45));
    Fill(cv, And(disc, Minus(Circle(16, 16, 20), Circle(13.2, 13.2, 14.0))), C(0, 0, 20, 0.35));
    Fill(cv, And(disc, Circle(10.5, 10, 3.2)), C(255, 255, 255, 0.18));
    Fill(cv, Outline(disc, 0.7), C(20, 20, 30, 0.8));
}

void PlanetIcon(IconCanvas& cv, int planet)
{
    Shape disc = Circle(16, 16, 13.5);
    switch (planet) {
    case 0: { // Earth: blue oceans, green land, white clouds
        Fill(cv, disc, C(40, 95, 205));
        Fill(cv, And(disc, Ellipse(11, 11, 5, 6.5)), C(60, 160, 70));
        Fill(cv, And(disc, Ellipse(14, 19, 3, 5)), C(60, 160, 70));
        Fill(cv, And(disc, Ellipse(22, 14, 4.5, 3.5)), C(90, 150, 60));
        Fill(cv, And(disc, Ellipse(23, 23, 3, 2.5)), C(70, 150, 70));
        Fill(cv, And(disc, Ellipse(16, 4.5, 7, 2)), C(245, 250, 255));
        Fill(cv, And(disc, Segment(6, 16, 13, 14, 1.6)), C(240, 245, 255, 0.9));
        Fill(cv, And(disc, Segment(17, 25, 26, 21, 1.6)), C(240, 245, 255, 0.9));
        Fill(cv, And(disc, Ellipse(16, 28, 6, 1.8)), C(245, 250, 255));
        break;
    }
    case 1: { // Jupiter: pale bands and the great red spot
        Fill(cv, disc, C(214, 180, 136));
        const double bands[][3] = {{7, 9, 0}, {11.5, 14, 1}, {18, 20.5, 1}, {23, 24.5, 0}, {26.5, 28, 1}};
        for (auto& bnd : bands)
            Fill(cv, And(disc, Rect(0, bnd[0], 32, bnd[1])), bnd[2] ? C(160, 100, 62) : C(186, 140, 100));
        Fill(cv, And(disc, Rect(0, 14, 32, 16)), C(236, 214, 180));
        Fill(cv, And(disc, Ellipse(20.5, 20.8, 3.2, 1.9)), C(196, 70, 44));
        Fill(cv, And(disc, Ellipse(20.5, 20.8, 1.6, 0.9)), C(220, 110, 80));
        break;
    }
    case 2: { // Mars: rusty red with dark plains and a white polar cap
        Fill(cv, disc, C(206, 96, 52));
        Fill(cv, And(disc, Ellipse(12, 15, 6, 2.5)), C(140, 62, 40));
        Fill(cv, And(disc, Ellipse(20, 20, 5, 3)), C(150, 68, 42));
        Fill(cv, And(disc, Ellipse(9, 22, 3, 2)), C(160, 74, 46));
        Fill(cv, And(disc, Ellipse(23, 11, 2.5, 1.5)), C(170, 80, 48));
        Fill(cv, And(disc, Ellipse(16, 3.5, 6, 2.2)), C(250, 245, 240));
        break;
    }
    default: { // Moon: grey with craters
        Fill(cv, disc, C(182, 182, 176));
        Fill(cv, And(disc, Ellipse(12, 12, 5, 3.5)), C(140, 140, 138));
        Fill(cv, And(disc, Ellipse(20, 19, 4, 3)), C(150, 150, 146));
        const double craters[][3] = {{9, 20, 2.2}, {19, 9, 1.8}, {23, 24, 1.5}, {15, 24, 1.2}, {25, 15, 1.3}, {8, 12, 1.0}};
        for (auto& cr : craters) {
            Fill(cv, And(disc, Circle(cr[0], cr[1], cr[2])), C(120, 120, 118));
            Fill(cv, And(disc, Minus(Circle(cr[0], cr[1], cr[2]), Circle(cr[0] + 0.5, cr[1] + 0.5, cr[2]))),
                 C(225, 225, 218));
        }
        break;
    }
    }
    PlanetShade(cv, disc);
}

// Wind sock on its pole; `strength` 0 hangs limp, 3 stands straight out.
void WindSockIcon(IconCanvas& cv, int strength)
{
    Fill(cv, Ellipse(7, 29, 4, 1.3), C(80, 80, 80));
    Fill(cv, Segment(7, 4, 7, 29, 1.6), C(150, 150, 160));
    Fill(cv, Circle(7, 3.8, 1.1), C(210, 210, 220));
    const double droop[] = {82, 55, 28, 4};   // degrees below the horizontal
    const double length[] = {15, 19, 21, 22};
    double a = droop[strength] * 3.14159265 / 180;
    double ux = std::cos(a), uy = std::sin(a); // along the sock
    double nx = -uy, ny = ux;                  // across it
    double ox = 8, oy = 6.5;
    const int segs = 5;
    for (int i = 0; i < segs; ++i) {
        double t0 = length[strength] * i / segs, t1 = length[strength] * (i + 1) / segs;
        double r0 = 3.6 - 2.0 * i / segs, r1 = 3.6 - 2.0 * (i + 1) / segs;
        // A limp sock crumples: wobble its sides a little.
        double w0 = strength == 0 ? 0.6 * ((i % 2) ? 1 : -1) : 0, w1 = -w0;
        Shape seg = Polygon({{ox + ux * t0 + nx * (r0 + w0), oy + uy * t0 + ny * (r0 + w0)},
                             {ox + ux * t1 + nx * (r1 + w1), oy + uy * t1 + ny * (r1 + w1)},
                             {ox + ux * t1 - nx * r1, oy + uy * t1 - ny * r1},
                             {ox + ux * t0 - nx * r0, oy + uy * t0 - ny * r0}});
        Fill(cv, seg, i % 2 ? C(245, 245, 245) : C(240, 100, 20));
    }
    Shape whole = Polygon({{ox + nx * 3.6, oy + ny * 3.6},
                           {ox + ux * length[strength] + nx * 1.6, oy + uy * length[strength] + ny * 1.6},
                           {ox + ux * length[strength] - nx * 1.6, oy + uy * length[strength] - ny * 1.6},
                           {ox - nx * 3.6, oy - ny * 3.6}});
    Fill(cv, Outline(whole, 0.7), C(90, 40, 20, 0.8));
    Fill(cv, Segment(ox - nx * 3.6, oy - ny * 3.6, ox + nx * 3.6, oy + ny * 3.6, 1.0), C(70, 70, 80));
    // Air lines behind a full sock.
    for (int k = 0; k < strength; ++k)
        Fill(cv, Segment(13.0 + 5 * k, 24.0 + (k % 2) * 2.5, 17.0 + 5 * k, 24.0 + (k % 2) * 2.5, 0.9),
             C(170, 200, 235));
}

void ChipIcon(IconCanvas& cv)
{
    for (int k = 0; k < 5; ++k) {
        double p = 8.6 + k * 3.7;
        Fill(cv, Rect(p - 0.9, 3, p + 0.9, 8), C(150, 120, 40));
        Fill(cv, Rect(p - 0.9, 24, p + 0.9, 29), C(150, 120, 40));
        Fill(cv, Rect(3, p - 0.9, 8, p + 0.9), C(150, 120, 40));
        Fill(cv, Rect(24, p - 0.9, 29, p + 0.9), C(150, 120, 40));
    }
    FillOutlined(cv, RoundRect(6.5, 6.5, 25.5, 25.5, 1.5), C(48, 50, 58), C(20, 20, 24));
    Fill(cv, Rect(11, 11, 21, 21), C(200, 165, 60));
    Fill(cv, Rect(12.5, 12.5, 19.5, 19.5), C(160, 120, 40));
    for (int k = 0; k < 3; ++k)
        Fill(cv, Rect(13.5 + k * 2, 13.5, 14.5 + k * 2, 18.5), C(230, 200, 100));
    Fill(cv, Circle(9.5, 9.5, 1.0), C(110, 112, 120));
}

void KeyboardIcon(IconCanvas& cv)
{
    FillOutlined(cv, RoundRect(1.5, 9, 30.5, 25, 2), C(205, 205, 210), C(80, 80, 90));
    for (int row = 0; row < 3; ++row)
        for (int k = 0; k < 7 - (row == 2 ? 0 : 0); ++k) {
            double x = 3.5 + k * 3.7 + row * 0.9, y = 11 + row * 3.4;
            if (x + 2.8 > 29)
                continue;
            Fill(cv, RoundRect(x, y, x + 2.8, y + 2.6, 0.6), C(90, 92, 104));
            Fill(cv, RoundRect(x + 0.3, y + 0.2, x + 2.5, y + 1.8, 0.5), C(130, 132, 146));
        }
    Fill(cv, RoundRect(8, 21.2, 24, 23.6, 0.6), C(90, 92, 104));
    Fill(cv, RoundRect(8.3, 21.4, 23.7, 22.9, 0.5), C(130, 132, 146));
}

void JoystickIcon(IconCanvas& cv, bool greyed)
{
    auto tone = [greyed](int r, int g, int b) {
        if (!greyed)
            return C(r, g, b);
        int grey = (r * 3 + g * 6 + b) / 10;
        grey = 150 + grey / 4;
        return C(grey, grey, grey, 0.75);
    };
    FillOutlined(cv, Polygon({{5, 29}, {27, 29}, {24, 22}, {8, 22}}), tone(60, 62, 72), tone(25, 25, 30));
    Fill(cv, Ellipse(16, 22.5, 4.5, 1.6), tone(30, 30, 36));
    Fill(cv, Segment(16, 22.5, 16, 10, 2.6), tone(40, 40, 46));
    Fill(cv, Segment(15.4, 21, 15.4, 11, 0.8), tone(100, 100, 110));
    FillOutlined(cv, Circle(16, 8, 4.5), tone(220, 30, 30), tone(110, 10, 10), 0.8);
    Fill(cv, Circle(14.5, 6.5, 1.4), tone(255, 170, 170));
    Fill(cv, Ellipse(24, 24.5, 1.8, 1.0), tone(230, 200, 40));
    if (greyed) // a slash says "not connected"
        Fill(cv, Segment(5, 27, 27, 5, 1.8), C(150, 40, 40, 0.55));
}

// Legged craft icon: silver cabin, gold body, four yellow legs.
void LeggedCraftIcon(IconCanvas& cv, bool flame)
{
    if (flame) {
        Fill(cv, Polygon({{13.5, 24}, {18.5, 24}, {16, 31.5}}), C(255, 90, 20));
        Fill(cv, Polygon({{14.6, 24}, {17.4, 24}, {16, 29}}), C(255, 230, 80));
    }
    const Rgba leg = C(240, 200, 30), edge = C(90, 70, 10);
    for (int s = -1; s <= 1; s += 2) {
        Fill(cv, Segment(16 + s * 5, 17, 16 + s * 12.5, 27, 1.6), leg);
        Fill(cv, Segment(16 + s * 3, 19, 16 + s * 7, 27.5, 1.4), leg);
        Fill(cv, Segment(16 + s * 14, 28, 16 + s * 11, 28, 1.5), leg);
        Fill(cv, Segment(16 + s * 8.5, 28, 16 + s * 5.5, 28, 1.5), leg);
    }
    FillOutlined(cv, Polygon({{13.5, 20}, {18.5, 20}, {20, 24}, {12, 24}}), C(150, 150, 160), C(60, 60, 70), 0.7);
    FillOutlined(cv, Polygon({{9, 12}, {23, 12}, {24, 15}, {23, 20.5}, {9, 20.5}, {8, 15}}), C(214, 170, 40), edge, 0.8);
    Fill(cv, Rect(10, 14, 22, 15), C(250, 220, 100));
    FillOutlined(cv, Polygon({{12, 3.5}, {20, 3.5}, {23, 6.5}, {23, 12}, {9, 12}, {9, 6.5}}), C(200, 202, 212),
                 C(70, 70, 80), 0.8);
    Fill(cv, Polygon({{11, 6}, {21, 6}, {20, 8.6}, {12, 8.6}}), C(30, 40, 100));
    Fill(cv, Polygon({{11.8, 6.4}, {14, 6.4}, {13.4, 7.6}, {12.2, 7.6}}), C(120, 200, 255));
    Fill(cv, Rect(14.6, 9.2, 17.4, 11.6), C(150, 152, 164));
    Fill(cv, Segment(16, 0.8, 16, 3.5, 0.8), C(230, 230, 240));
}

void RocketIcon(IconCanvas& cv)
{
    Fill(cv, Polygon({{13.5, 26}, {18.5, 26}, {16, 31.8}}), C(255, 110, 20));
    Fill(cv, Polygon({{14.7, 26}, {17.3, 26}, {16, 29.6}}), C(255, 235, 90));
    const Rgba red = C(215, 30, 30), dark = C(90, 10, 10);
    FillOutlined(cv, Polygon({{12.5, 17}, {12.5, 25}, {7.5, 27.5}, {8.5, 21.5}}), red, dark, 0.7);
    FillOutlined(cv, Polygon({{19.5, 17}, {19.5, 25}, {24.5, 27.5}, {23.5, 21.5}}), red, dark, 0.7);
    Shape body = Polygon({{16, 1}, {18.6, 5}, {19.6, 10}, {19.6, 26}, {12.4, 26}, {12.4, 10}, {13.4, 5}});
    FillOutlined(cv, body, C(245, 245, 248), C(80, 80, 96), 0.8);
    Fill(cv, And(body, Rect(17.8, 0, 21, 32)), C(200, 200, 210, 0.6));
    Fill(cv, And(body, Rect(0, 0, 32, 5.2)), red);
    Fill(cv, Circle(16, 9, 1.8), C(40, 70, 160));
    Fill(cv, Circle(15.5, 8.5, 0.6), C(160, 220, 255));
    for (int k = 0; k < 3; ++k)
        Fill(cv, Rect(15, 13 + k * 4, 17, 15.5 + k * 4), red);
    Fill(cv, Rect(13, 25, 19, 26.5), C(110, 110, 120));
}

// Fuel can with a window in its side showing how full it is (fraction 0..1).
void FuelCanIcon(IconCanvas& cv, double level)
{
    const Rgba red = C(205, 40, 32), dark = C(100, 16, 12);
    Fill(cv, Segment(10, 4, 17, 4, 2.2), dark);
    Fill(cv, Segment(10.4, 4, 16.6, 4, 1.0), red);
    Fill(cv, Polygon({{20, 7.5}, {23, 2}, {26, 3}, {24, 8}}), C(150, 150, 160));
    Shape can = RoundRect(6, 6, 26, 30, 2.5);
    FillOutlined(cv, can, red, dark, 0.9);
    Fill(cv, Segment(8.5, 9, 23.5, 27, 1.0), C(240, 80, 70));
    Fill(cv, Segment(23.5, 9, 8.5, 27, 1.0), C(240, 80, 70));
    Shape window = RoundRect(11, 9.5, 21, 27, 1.2);
    Fill(cv, window, C(30, 30, 40));
    double top = 27 - (27 - 9.5) * level;
    Fill(cv, And(window, Rect(0, top, 32, 32)), level < 0.2 ? C(230, 60, 40) : C(250, 210, 40));
    Fill(cv, And(window, Rect(0, top, 32, top + 0.8)), C(255, 245, 170));
    Fill(cv, Outline(window, 0.7), C(235, 235, 240));
}

// Astronaut in a bubble helmet; `face` draws what looks out of it.
void SpaceSuit(IconCanvas& cv, const std::function<void()>& face)
{
    FillOutlined(cv, Polygon({{5, 32}, {7, 24}, {12, 21.5}, {20, 21.5}, {25, 24}, {27, 32}}), C(236, 236, 240),
                 C(100, 100, 110), 0.8);
    Fill(cv, Rect(13, 25, 19, 29), C(80, 120, 200));
    Fill(cv, Circle(14.5, 26.5, 0.8), C(230, 60, 60));
    Fill(cv, Circle(17.5, 26.5, 0.8), C(60, 210, 80));
    Fill(cv, Ellipse(16, 22, 8, 2), C(150, 150, 160));
    Fill(cv, Circle(16, 12, 10.5), C(170, 210, 240, 0.35));
    face();
    Fill(cv, Outline(Circle(16, 12, 10.5), 0.9), C(200, 225, 245));
    Fill(cv, Segment(10.5, 6.5, 12.5, 4.5, 1.2), C(255, 255, 255, 0.85));
}

void InfantIcon(IconCanvas& cv)
{
    SpaceSuit(cv, [&] {
        const Rgba skin = C(250, 208, 176);
        Fill(cv, Circle(16, 12.8, 7.2), skin);
        Fill(cv, Circle(8.9, 13, 1.4), skin);
        Fill(cv, Circle(23.1, 13, 1.4), skin);
        Fill(cv, Segment(15, 5.8, 17.6, 4.8, 1.0), C(200, 140, 60)); // the curl of hair
        Fill(cv, Circle(17.8, 5.3, 0.9), C(200, 140, 60));
        Fill(cv, Circle(13.2, 12, 1.2), C(40, 40, 60));
        Fill(cv, Circle(18.8, 12, 1.2), C(40, 40, 60));
        Fill(cv, Circle(12.8, 11.6, 0.4), C(255, 255, 255));
        Fill(cv, Circle(18.4, 11.6, 0.4), C(255, 255, 255));
        Fill(cv, Circle(11.5, 15, 1.3), C(255, 150, 150, 0.6));
        Fill(cv, Circle(20.5, 15, 1.3), C(255, 150, 150, 0.6));
        Fill(cv, Ellipse(16, 16.6, 2.6, 1.3), C(120, 200, 240)); // dummy
        Fill(cv, Circle(16, 16.6, 0.9), C(250, 250, 255));
    });
}

void CreatureIcon(IconCanvas& cv)
{
    SpaceSuit(cv, [&] {
        const Rgba green = C(100, 205, 80), dark = C(40, 110, 30);
        Fill(cv, Segment(12.5, 7, 10.5, 3.2, 0.8), dark);
        Fill(cv, Segment(19.5, 7, 21.5, 3.2, 0.8), dark);
        Fill(cv, Circle(10.5, 3.2, 1.1), C(240, 240, 80));
        Fill(cv, Circle(21.5, 3.2, 1.1), C(240, 240, 80));
        FillOutlined(cv, Polygon({{9.5, 9}, {12, 6}, {20, 6}, {22.5, 9}, {21, 15}, {16, 20}, {11, 15}}), green, dark, 0.7);
        Fill(cv, Polygon({{10.8, 10.2}, {15, 11}, {14.6, 14}, {12.5, 13.2}}), C(15, 15, 20));
        Fill(cv, Polygon({{21.2, 10.2}, {17, 11}, {17.4, 14}, {19.5, 13.2}}), C(15, 15, 20));
        Fill(cv, Circle(12.8, 11.4, 0.5), C(255, 255, 255));
        Fill(cv, Circle(18.8, 11.4, 0.5), C(255, 255, 255));
        Fill(cv, Segment(15, 17, 17, 17, 0.6), dark);
    });
}

void HumanFaceIcon(IconCanvas& cv)
{
    const Rgba skin = C(240, 196, 160), hair = C(110, 66, 30), line = C(90, 50, 30);
    Fill(cv, Ellipse(16, 17, 10.5, 13), hair);
    Fill(cv, Circle(5.8, 17, 2), skin);
    Fill(cv, Circle(26.2, 17, 2), skin);
    FillOutlined(cv, Ellipse(16, 17.5, 9.6, 12), skin, C(170, 120, 90), 0.6);
    Fill(cv, Polygon({{6, 12}, {10, 5.5}, {17, 4.2}, {24, 6}, {26.5, 12}, {22, 9.5}, {14, 10}, {8.5, 13}}), hair);
    Fill(cv, Segment(10.5, 13.5, 14, 13, 0.9), line);
    Fill(cv, Segment(18, 13, 21.5, 13.5, 0.9), line);
    Fill(cv, Ellipse(12.5, 16, 1.6, 1.1), C(255, 255, 255));
    Fill(cv, Ellipse(19.5, 16, 1.6, 1.1), C(255, 255, 255));
    Fill(cv, Circle(12.7, 16, 0.8), C(60, 90, 150));
    Fill(cv, Circle(19.7, 16, 0.8), C(60, 90, 150));
    Fill(cv, Segment(16, 17, 15, 21, 0.8), C(200, 140, 110));
    Fill(cv, Segment(15, 21, 16.8, 21, 0.8), C(200, 140, 110));
    Fill(cv, And(Minus(Circle(16, 20.5, 4.6), Circle(16, 20, 4.0)), Rect(0, 22, 32, 32)), C(170, 50, 50));
}

// Small flight scene used by the view icons.
void ViewScene(IconCanvas& cv, const Shape& clip)
{
    Fill(cv, clip, Sky);
    const double stars[][2] = {{6, 7}, {12, 5.5}, {23, 8}, {26, 5.5}, {8, 13}, {25, 13}};
    for (auto& s : stars)
        Fill(cv, And(clip, Circle(s[0], s[1], 0.6)), C(255, 255, 230));
    Fill(cv, And(clip, Polygon({{0, 26}, {6, 21}, {10, 23}, {13, 24}, {19, 24}, {23, 20}, {28, 23}, {32, 20}, {32, 32}, {0, 32}})),
         Ground);
    Fill(cv, And(clip, Rect(12, 23.2, 20, 24.6)), C(210, 210, 220));
    Fill(cv, And(clip, Polygon({{14, 11}, {18, 11}, {19, 13.5}, {18, 16}, {14, 16}, {13, 13.5}})), C(210, 210, 222));
    Fill(cv, And(clip, Rect(14.5, 12.2, 17.5, 13.5)), C(40, 50, 110));
    Fill(cv, And(clip, Segment(14, 16, 11.5, 19.5, 1.0)), C(240, 200, 30));
    Fill(cv, And(clip, Segment(18, 16, 20.5, 19.5, 1.0)), C(240, 200, 30));
    Fill(cv, And(clip, Polygon({{15, 16.2}, {17, 16.2}, {16, 20}})), C(255, 170, 40));
}

void ViewIcon(IconCanvas& cv, int kind)
{
    Shape box = RoundRect(2, 3, 30, 29, 3);
    if (kind == 0) { // clear view: the whole scene
        ViewScene(cv, box);
    } else {
        Fill(cv, box, C(0, 0, 0));
        if (kind == 1) { // a round window of view around the craft
            Shape hole = And(box, Circle(16, 15.5, 8.5));
            ViewScene(cv, hole);
            Fill(cv, Outline(Circle(16, 15.5, 8.5), 0.6), C(120, 130, 160, 0.8));
        }
    }
    Fill(cv, Outline(box, 1.0), C(110, 114, 130));
}

// The program's own icon: the legged craft coming down over a lit platform.
void ProgramIcon(IconCanvas& cv, bool small)
{
    Shape box = RoundRect(0.5, 0.5, 31.5, 31.5, 4);
    Fill(cv, box, Sky);
    if (!small) {
        const double stars[][2] = {{5, 5}, {26, 4}, {24, 11}, {6, 14}, {11, 3}};
        for (auto& s : stars)
            Fill(cv, Circle(s[0], s[1], 0.6), C(255, 255, 230));
    }
    Fill(cv, And(box, Polygon({{0, 25}, {5, 22}, {9, 26}, {23, 26}, {27, 21}, {32, 24}, {32, 32}, {0, 32}})), Ground);
    Fill(cv, Rect(8, 25.5, 24, 27.5), C(215, 215, 225));
    Fill(cv, Circle(8.5, 24.8, 1.1), C(40, 255, 60));
    Fill(cv, Circle(23.5, 24.8, 1.1), C(40, 255, 60));
    // The craft, scaled into the upper part of the icon.
    IconCanvas craft;
    LeggedCraftIcon(craft, true);
    const double scale = small ? 0.7 : 0.62, ox = 16 - 16 * scale, oy = small ? 1.0 : 2.0;
    for (int y = 0; y < CanvasSize; ++y)
        for (int x = 0; x < CanvasSize; ++x) {
            double ux = (x + 0.5) / Super, uy = (y + 0.5) / Super;
            double sx = (ux - ox) / scale, sy = (uy - oy) / scale;
            if (sx < 0 || sy < 0 || sx >= IconUnits || sy >= IconUnits)
                continue;
            const Rgba& s = craft.px[size_t(sy * Super) * CanvasSize + size_t(sx * Super)];
            if (s.a > 0)
                Blend(cv.px[size_t(y) * CanvasSize + x], s);
        }
    Fill(cv, Outline(box, 1.0), C(120, 130, 170));
}

// Writes the program icon as an ICO file holding one SIZE x SIZE image, for the desktop's icon theme. The
// design is drawn afresh with at least four sub-samples per pixel, so a large icon is as sharp as a small
// one instead of an enlarged 32 x 32 picture; up to 24 px it is the small design (fewer, larger details).
bool WriteProgramIcon(int size, const std::string& path)
{
    if (size < 16 || size > 256)
        return false;
    const int f = std::max(4, 256 / size);
    CanvasSize = size * f;
    Super = CanvasSize / double(IconUnits);
    IconCanvas cv;
    ProgramIcon(cv, size <= 24);
    return WriteFile(path, EncodeIco({Downsample(cv, size)}));
}

// The installer's welcome and finish picture (164 x 314, the size those pages show): the legged craft with its
// engine lit coming down over a lit platform under the stars, the Earth in the sky, as a 24-bit BMP.
std::vector<uint8_t> InstallerPicture()
{
    constexpr int W = 164, H = 314;
    std::vector<uint32_t> px(size_t(W) * H);
    auto put = [&](int x, int y, uint32_t rgb) {
        if (x >= 0 && y >= 0 && x < W && y < H)
            px[size_t(y) * W + x] = rgb;
    };
    auto rgb = [](int r, int g, int b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b); };
    for (int y = 0; y < H; ++y) // night sky, a little lighter towards the horizon
        for (int x = 0; x < W; ++x)
            put(x, y, rgb(6 + 14 * y / H, 8 + 16 * y / H, 26 + 40 * y / H));
    Rng rng(3140);
    for (int i = 0; i < 90; ++i) {
        const int x = rng.Below(W), y = rng.Below(230), v = 140 + rng.Below(116);
        put(x, y, rgb(v, v, std::min(255, v + 20)));
    }
    // Ground: rocky slopes on both sides of a flat stretch that carries the platform.
    const double profile[][2] = {{0, 238}, {18, 250}, {30, 244}, {44, 266}, {120, 266}, {132, 248}, {146, 256}, {164, 236}};
    for (int x = 0; x < W; ++x) {
        int k = 0;
        while (k < 6 && profile[k + 1][0] <= x)
            ++k;
        const double t = (x - profile[k][0]) / (profile[k + 1][0] - profile[k][0]);
        const int top = int(profile[k][1] + t * (profile[k + 1][1] - profile[k][1]));
        for (int y = top; y < H; ++y) {
            const int shade = rng.Below(24) - 12 - (y - top) / 3;
            put(x, y, rgb(std::clamp(150 + shade, 0, 255), std::clamp(134 + shade, 0, 255), std::clamp(110 + shade, 0, 255)));
        }
    }
    for (int x = 46; x < 118; ++x)
        for (int y = 262; y < 266; ++y)
            put(x, y, y < 264 ? rgb(215, 215, 225) : rgb(120, 120, 135));
    // The game's own pictures, drawn at this size.
    auto paste = [&](const IconImage& im, int left, int top) {
        for (int y = 0; y < im.size; ++y)
            for (int x = 0; x < im.size; ++x) {
                const uint32_t c = im.argb[size_t(y) * im.size + x], a = c >> 24;
                if (!a || left + x >= W || top + y >= H)
                    continue;
                uint32_t& d = px[size_t(top + y) * W + left + x];
                uint32_t out = 0;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= (((c >> shift & 255) * a + (d >> shift & 255) * (255 - a)) / 255) << shift;
                d = out;
            }
    };
    for (auto [draw, size, left, top] : {std::tuple{0, 48, 104, 20}, {1, 96, 34, 146}}) {
        SetIconGrain(size / 8); // four sub-samples per pixel each way
        IconCanvas cv;
        if (draw == 0)
            PlanetIcon(cv, 0);
        else
            LeggedCraftIcon(cv, true);
        paste(Downsample(cv, size), left, top);
    }
    SetIconGrain(8);
    for (int y = 258; y < 262; ++y) // the platform's lights
        for (int x : {47, 48, 49, 114, 115, 116})
            put(x, y, rgb(40, 255, 60));
    // Bottom-up rows of blue, green, red, each padded to four bytes.
    std::vector<uint8_t> b = {'B', 'M'};
    const uint32_t rowBytes = (W * 3 + 3) / 4 * 4;
    Put32(b, 54 + rowBytes * H);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, W);
    Put32(b, H);
    Put16(b, 1);
    Put16(b, 24);
    Put32(b, 0);
    Put32(b, rowBytes * H);
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);
    for (int y = H - 1; y >= 0; --y) {
        for (int x = 0; x < W; ++x)
            for (int shift : {0, 8, 16})
                b.push_back(uint8_t(px[size_t(y) * W + x] >> shift));
        b.resize(b.size() + rowBytes - W * 3, 0);
    }
    return b;
}

struct IconDef {
    int id;
    const char* name;
    std::function<void(IconCanvas&)> draw;
};

std::vector<IconDef> IconDefs()
{
    return {
        {107, "program", [](IconCanvas& c) { ProgramIcon(c, false); }},
        {108, "program-small", [](IconCanvas& c) { ProgramIcon(c, true); }},
        {149, "terrain-gentle", [](IconCanvas& c) { TerrainIcon(c, 1); }},
        {150, "terrain-rough", [](IconCanvas& c) { TerrainIcon(c, 2); }},
        {151, "terrain-jagged", [](IconCanvas& c) { TerrainIcon(c, 3); }},
        {152, "terrain-smooth", [](IconCanvas& c) { TerrainIcon(c, 0); }},
        {153, "platform-wide", [](IconCanvas& c) { PlatformIcon(c, 22); }},
        {154, "platform-medium", [](IconCanvas& c) { PlatformIcon(c, 15); }},
        {155, "platform-small", [](IconCanvas& c) { PlatformIcon(c, 9.5); }},
        {156, "platform-narrow", [](IconCanvas& c) { PlatformIcon(c, 5.5); }},
        {157, "earth", [](IconCanvas& c) { PlanetIcon(c, 0); }},
        {158, "jupiter", [](IconCanvas& c) { PlanetIcon(c, 1); }},
        {159, "mars", [](IconCanvas& c) { PlanetIcon(c, 2); }},
        {160, "moon", [](IconCanvas& c) { PlanetIcon(c, 3); }},
        {161, "windsock-limp", [](IconCanvas& c) { WindSockIcon(c, 0); }},
        {162, "windsock-light", [](IconCanvas& c) { WindSockIcon(c, 1); }},
        {163, "windsock-strong", [](IconCanvas& c) { WindSockIcon(c, 2); }},
        {164, "windsock-full", [](IconCanvas& c) { WindSockIcon(c, 3); }},
        {165, "computer-chip", [](IconCanvas& c) { ChipIcon(c); }},
        {166, "keyboard", [](IconCanvas& c) { KeyboardIcon(c); }},
        {167, "joystick", [](IconCanvas& c) { JoystickIcon(c, false); }},
        {168, "legged-craft", [](IconCanvas& c) { LeggedCraftIcon(c, false); }},
        {169, "rocket", [](IconCanvas& c) { RocketIcon(c); }},
        {170, "fuel-nearly-empty", [](IconCanvas& c) { FuelCanIcon(c, 0.22); }},
        {171, "fuel-half", [](IconCanvas& c) { FuelCanIcon(c, 0.4); }},
        {172, "fuel-most", [](IconCanvas& c) { FuelCanIcon(c, 0.7); }},
        {173, "fuel-full", [](IconCanvas& c) { FuelCanIcon(c, 1.0); }},
        {174, "infant-astronaut", [](IconCanvas& c) { InfantIcon(c); }},
        {175, "creature-astronaut", [](IconCanvas& c) { CreatureIcon(c); }},
        {176, "view-round-window", [](IconCanvas& c) { ViewIcon(c, 1); }},
        {177, "view-black", [](IconCanvas& c) { ViewIcon(c, 2); }},
        {178, "view-clear", [](IconCanvas& c) { ViewIcon(c, 0); }},
        {179, "joystick-absent", [](IconCanvas& c) { JoystickIcon(c, true); }},
        {180, "legged-craft-firing", [](IconCanvas& c) { LeggedCraftIcon(c, true); }},
        {181, "human-face", [](IconCanvas& c) { HumanFaceIcon(c); }},
    };
}

// ---------------------------------------------------------------------------------------------
// Sounds: 8000 Hz, 8-bit unsigned, mono.

constexpr int SampleRate = 8000;
constexpr double Pi = 3.14159265358979;

std::vector<uint8_t> EncodeWav(const std::vector<double>& s)
{
    std::vector<uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, uint32_t(36 + s.size() + (s.size() & 1)));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, 1); // mono
    Put32(b, SampleRate);
    Put32(b, SampleRate); // bytes per second
    Put16(b, 1);          // block align
    Put16(b, 8);          // bits per sample
    PutTag(b, "data");
    Put32(b, uint32_t(s.size()));
    for (double v : s)
        b.push_back(uint8_t(std::clamp(std::lround(128 + 127 * v), 0L, 255L)));
    if (s.size() & 1)
        b.push_back(0); // chunks are padded to an even length
    return b;
}

// One-pole low-pass filter.
struct LowPass {
    double k, y = 0;
    explicit LowPass(double cutoff) : k(1 - std::exp(-2 * Pi * cutoff / SampleRate)) {}
    double Step(double x) { return y += k * (x - y); }
};

void Normalise(std::vector<double>& s, double peak)
{
    double m = 0;
    for (double v : s)
        m = std::max(m, std::abs(v));
    if (m > 0)
        for (double& v : s)
            v *= peak / m;
}

// Soft landing: a low thump as the legs take the weight, then the hiss of settling dust.
std::vector<double> TouchdownSound()
{
    const int n = 12132;
    std::vector<double> s(n);
    Rng rng(160);
    LowPass thumpNoise(300), hiss1(2500), hiss2(900);
    double phase = 0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        double f = 55 + 60 * std::exp(-t * 18); // the thump's pitch drops as it dies
        phase += 2 * Pi * f / SampleRate;
        double thump = std::sin(phase) * std::exp(-t * 9) * std::min(1.0, t * 400);
        double knock = thumpNoise.Step(rng.Signed()) * std::exp(-t * 30) * 2.5;
        // A second, smaller bump as the legs spring back.
        double t2 = t - 0.22;
        double bump = t2 > 0 ? std::sin(2 * Pi * 70 * t2) * std::exp(-t2 * 14) * 0.35 * std::min(1.0, t2 * 300) : 0;
        double h = hiss1.Step(rng.Signed()) - hiss2.Step(rng.Signed() * 0.5);
        double hissEnv = std::min(1.0, t * 8) * std::exp(-t * 2.2) * 1.1;
        double tail = std::min(1.0, (n - i) / 400.0); // fade to silence at the end
        s[i] = (thump * 0.8 + knock + bump + h * hissEnv) * tail;
    }
    Normalise(s, 0.85);
    return s;
}

// Explosion: a hard burst of noise with a deep rumble, crackling as it decays.
std::vector<double> ExplosionSound()
{
    const int n = 6393;
    std::vector<double> s(n);
    Rng rng(161);
    LowPass body(1800), rumble(160), rumble2(80);
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        double attack = std::min(1.0, t * 800);
        double bright = body.Step(rng.Signed()) * 2.2 * std::exp(-t * 5);
        double deep = rumble2.Step(rumble.Step(rng.Signed() * 3.0)) * 3.0 * std::exp(-t * 3.2);
        double crackle = (rng.Below(1000) < 6 ? rng.Signed() * 0.7 : 0) * std::exp(-t * 2.5);
        double tail = std::min(1.0, (n - i) / 600.0);
        s[i] = (bright + deep + crackle) * attack * tail;
    }
    Normalise(s, 0.95);
    return s;
}

// Engine rumble that loops without a seam: its noise is periodic over the sample and filtered in a
// circle, and every tone completes a whole number of cycles, so the last sample leads into the first.
std::vector<double> EngineSound()
{
    const int n = 4849;
    Rng rng(162);
    std::vector<double> noise(n);
    for (double& v : noise)
        v = rng.Signed();
    // Filter around the loop twice; the second pass starts from the state the first ended in.
    auto circularLowPass = [n](const std::vector<double>& in, double cutoff) {
        LowPass lp(cutoff);
        std::vector<double> out(n);
        for (int pass = 0; pass < 3; ++pass)
            for (int i = 0; i < n; ++i)
                out[i] = lp.Step(in[i]);
        return out;
    };
    std::vector<double> roar = circularLowPass(noise, 700);
    std::vector<double> low = circularLowPass(circularLowPass(noise, 120), 120);
    std::vector<double> s(n);
    const double loop = double(n) / SampleRate;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        // Tones and the throb both fit a whole number of times into the loop.
        double f1 = std::round(48 * loop) / loop, f2 = std::round(97 * loop) / loop, throb = std::round(11 * loop) / loop;
        double tone = 0.25 * std::sin(2 * Pi * f1 * t) + 0.12 * std::sin(2 * Pi * f2 * t);
        double am = 0.8 + 0.2 * std::sin(2 * Pi * throb * t);
        s[i] = (roar[i] * 1.3 + low[i] * 9.0 + tone) * am;
    }
    // Loud and even: bring it to a steady level and round off the rare peaks (sample by sample, so the
    // loop stays seamless).
    double power = 0;
    for (double v : s)
        power += v * v;
    const double gain = 0.4 / std::sqrt(power / n);
    for (double& v : s)
        v = 0.9 * std::tanh(v * gain / 0.9);
    return s;
}

// Tipping over: metal creaking under strain, then a falling whistle and scrape as the craft goes over.
std::vector<double> TippingSound()
{
    const int n = 10594;
    std::vector<double> s(n);
    Rng rng(163);
    LowPass scrape(1200), low(200);
    double creakPhase = 0, sweepPhase = 0, res = 0, resV = 0;
    for (int i = 0; i < n; ++i) {
        double t = double(i) / SampleRate;
        double dur = double(n) / SampleRate;
        // Creak: a train of clicks whose rate wavers, rung through a resonance.
        double rate = 28 + 18 * std::sin(2 * Pi * 1.3 * t) + 10 * std::sin(2 * Pi * 3.1 * t);
        creakPhase += rate / SampleRate;
        double click = 0;
        if (creakPhase >= 1) {
            creakPhase -= 1;
            click = 1.0;
        }
        double fr = 620 - 180 * t / dur; // resonance drops as the craft leans
        double w = 2 * Pi * fr / SampleRate;
        resV += -w * w * res - 0.035 * resV + click * 0.6;
        res += resV;
        double creakEnv = std::min(1.0, t * 20) * (t < 0.9 ? 1.0 : std::exp(-(t - 0.9) * 8));
        // Falling sweep as it goes over.
        double f = 900 * std::exp(-t * 1.9) + 90;
        sweepPhase += 2 * Pi * f / SampleRate;
        double sweepEnv = std::min(1.0, t * 3) * std::exp(-t * 1.2) * 0.25;
        double sweep = std::sin(sweepPhase) * sweepEnv;
        double sc = scrape.Step(rng.Signed()) * std::min(1.0, t * 1.5) * 0.4;
        double thud = low.Step(rng.Signed()) * (t > 1.0 ? std::exp(-(t - 1.0) * 10) * 3.0 : 0);
        double tail = std::min(1.0, (n - i) / 500.0);
        s[i] = (res * creakEnv * 0.5 + sweep + sc + thud) * tail;
    }
    Normalise(s, 0.85);
    return s;
}

// ---------------------------------------------------------------------------------------------
// Preview sheets (binary PPM), for looking at the pictures enlarged.

struct Sheet {
    int w, h;
    std::vector<uint8_t> rgb;
    Sheet(int width, int height, uint8_t grey) : w(width), h(height), rgb(size_t(width) * height * 3, grey) {}
    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b)
    {
        if (x < 0 || y < 0 || x >= w || y >= h)
            return;
        size_t i = (size_t(y) * w + x) * 3;
        rgb[i] = r;
        rgb[i + 1] = g;
        rgb[i + 2] = b;
    }
    // Draws a picture enlarged; black pixels shown as `bg` when transparent is set, with a faint grid.
    void Put(const Pic& p, int ox, int oy, int zoom, bool transparent)
    {
        for (int y = 0; y < p.h; ++y)
            for (int x = 0; x < p.w; ++x) {
                uint8_t c = p.Get(x, y);
                for (int sy = 0; sy < zoom; ++sy)
                    for (int sx = 0; sx < zoom; ++sx) {
                        bool grid = zoom >= 6 && (sx == 0 || sy == 0);
                        if (c == K && transparent)
                            Set(ox + x * zoom + sx, oy + y * zoom + sy, grid ? 40 : 24, grid ? 40 : 24, grid ? 56 : 40);
                        else
                            Set(ox + x * zoom + sx, oy + y * zoom + sy, Palette16[c][0], Palette16[c][1], Palette16[c][2]);
                    }
            }
    }
    void PutIcon(const IconImage& im, int ox, int oy, int zoom, int bgR, int bgG, int bgB)
    {
        for (int y = 0; y < im.size; ++y)
            for (int x = 0; x < im.size; ++x) {
                uint32_t c = im.argb[size_t(y) * im.size + x];
                double a = (c >> 24) / 255.0;
                uint8_t r = uint8_t(((c >> 16) & 255) * a + bgR * (1 - a));
                uint8_t g = uint8_t(((c >> 8) & 255) * a + bgG * (1 - a));
                uint8_t b = uint8_t((c & 255) * a + bgB * (1 - a));
                for (int sy = 0; sy < zoom; ++sy)
                    for (int sx = 0; sx < zoom; ++sx)
                        Set(ox + x * zoom + sx, oy + y * zoom + sy, r, g, b);
            }
    }
    bool Save(const std::string& path) const
    {
        std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
        std::vector<uint8_t> b(head.begin(), head.end());
        b.insert(b.end(), rgb.begin(), rgb.end());
        return WriteFile(path, b);
    }
};

// Overlays picture `top` onto `base` with black transparent.
Pic Overlay(Pic base, const Pic& top, int ox = 0, int oy = 0)
{
    for (int y = 0; y < top.h; ++y)
        for (int x = 0; x < top.w; ++x)
            if (top.Get(x, y))
                base.Set(ox + x, oy + y, top.Get(x, y));
    return base;
}

struct NamedPic {
    int id;
    const char* name;
    Pic pic;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: make-art RESOURCES_DIR [PREVIEW_DIR]\n");
        return 2;
    }
    if (std::string(argv[1]) == "--program-icon") {
        if (argc != 4 || !WriteProgramIcon(std::atoi(argv[2]), argv[3])) {
            std::fprintf(stderr, "usage: make-art --program-icon SIZE(16..256) OUTPUT_ICO\n");
            return 2;
        }
        return 0;
    }
    const std::string dir = argv[1];
    bool ok = true;

    // ---- pictures ----
    std::vector<NamedPic> pics;
    pics.push_back({109, "meteor", DrawMeteor()});
    pics.push_back({130, "legged-craft", DrawLeggedCraft(0)});
    const int sideLength[4] = {10, 12, 9, 11};
    const double sideWidth[4] = {2.0, 2.4, 1.7, 2.2};
    for (int k = 0; k < 4; ++k)
        pics.push_back({131 + k, "flame-push-right", DrawLeftSideFlame(sideLength[k], sideWidth[k], 1310 + k)});
    for (int k = 0; k < 4; ++k)
        pics.push_back({135 + k, "flame-push-left", MirrorX(DrawLeftSideFlame(sideLength[k], sideWidth[k], 1310 + k))});
    const int mainLength[4] = {12, 14, 11, 13};
    const double mainWidth[4] = {2.8, 3.2, 2.6, 3.0};
    for (int k = 0; k < 4; ++k)
        pics.push_back({139 + k, "flame-main", DrawMainFlame(mainLength[k], mainWidth[k], 1390 + k)});
    pics.push_back({143, "panel", DrawPanel()});
    Pic greenDown = DrawDownArrow(true), redDown = DrawDownArrow(false);
    pics.push_back({144, "arrow-left-red", TurnArrow(redDown, Turn::Left)});
    pics.push_back({145, "arrow-right-red", TurnArrow(redDown, Turn::Right)});
    pics.push_back({146, "arrow-up-red", TurnArrow(redDown, Turn::Up)});
    pics.push_back({147, "arrow-down-red", redDown});
    pics.push_back({148, "arrow-down-green", greenDown});
    pics.push_back({149, "arrow-left-green", TurnArrow(greenDown, Turn::Left)});
    pics.push_back({150, "arrow-right-green", TurnArrow(greenDown, Turn::Right)});
    pics.push_back({151, "arrow-up-green", TurnArrow(greenDown, Turn::Up)});
    pics.push_back({152, "turn-green", DrawTurningArrow(true)});
    pics.push_back({153, "turn-red", DrawTurningArrow(false)});
    for (int k = 0; k < 4; ++k)
        pics.push_back({154 + k, "dust", DrawDustCloud(k)});
    pics.push_back({158, "rocket", DrawRocket()});
    for (int k = 1; k <= 3; ++k)
        pics.push_back({158 + k, "touchdown", DrawLeggedCraft(k)});
    for (const NamedPic& np : pics)
        ok = WriteFile(dir + "/bitmaps/" + std::to_string(np.id) + "-" + np.name + ".bmp", EncodeBmp4(np.pic)) && ok;

    // ---- icons ----
    std::vector<std::pair<int, std::vector<IconImage>>> icons;
    for (const IconDef& def : IconDefs()) {
        IconCanvas cv;
        def.draw(cv);
        std::vector<IconImage> images = {Downsample(cv, 32), Downsample(cv, 16)};
        ok = WriteFile(dir + "/icons/" + std::to_string(def.id) + "-" + def.name + ".ico", EncodeIco(images)) && ok;
        icons.push_back({def.id, images});
    }
    // The program file's icons for the desktop, the Start menu and Explorer at every display scale: the full
    // picture from 32 px up, the simpler one (bigger craft, no stars) below. 107 and 108 differ only in that 108
    // keeps the simple picture at 32 px and up too.
    for (int id : {107, 108}) {
        std::vector<IconImage> images;
        const std::pair<int, int> sizeAndGrain[] = {{256, 32}, {48, 6}, {32, 8}, {24, 6}, {20, 10}, {16, 8}};
        for (auto [size, grain] : sizeAndGrain) {
            SetIconGrain(grain);
            IconCanvas cv;
            ProgramIcon(cv, id == 108 || size < 32);
            images.push_back(Downsample(cv, size));
        }
        SetIconGrain(8);
        const char* name = id == 107 ? "/windows/107-program.ico" : "/windows/108-program-small.ico";
        ok = WriteFile(dir + name, EncodeIco(images, true)) && ok;
    }
    ok = WriteFile(dir + "/windows/installer-picture.bmp", InstallerPicture()) && ok;

    // ---- sounds ----
    ok = WriteFile(dir + "/sounds/160-touchdown.wav", EncodeWav(TouchdownSound())) && ok;
    ok = WriteFile(dir + "/sounds/161-explosion.wav", EncodeWav(ExplosionSound())) && ok;
    ok = WriteFile(dir + "/sounds/162-engine.wav", EncodeWav(EngineSound())) && ok;
    ok = WriteFile(dir + "/sounds/163-tipping.wav", EncodeWav(TippingSound())) && ok;

    // ---- preview sheets ----
    if (argc >= 3) {
        const std::string pv = argv[2];
        const int z = 8, cell = 43 * z + 16;
        auto find = [&](int id) -> const Pic& {
            for (const NamedPic& np : pics)
                if (np.id == id)
                    return np.pic;
            return pics[0].pic;
        };
        // Every picture on its own, 8x.
        {
            const int cols = 6;
            Sheet sh(cols * cell, ((int(pics.size()) + cols - 1) / cols) * cell, 90);
            for (size_t i = 0; i < pics.size(); ++i)
                sh.Put(pics[i].pic, int(i % cols) * cell + 8, int(i / cols) * cell + 8, pics[i].id == 143 ? z / 2 : z,
                       pics[i].id != 143); // the wide panel at half zoom, to fit its cell
            ok = sh.Save(pv + "/pictures.ppm") && ok;
        }
        // The craft with their flames, the touch-down frames and dust, as the game layers them.
        {
            std::vector<Pic> comp;
            const Pic& legged = find(130);
            const Pic& rocket = find(158);
            comp.push_back(Overlay(legged, find(139)));
            comp.push_back(Overlay(Overlay(legged, find(131)), find(140)));
            comp.push_back(Overlay(legged, find(136)));
            comp.push_back(Overlay(rocket, find(141)));
            comp.push_back(Overlay(rocket, find(132)));
            comp.push_back(Overlay(Overlay(rocket, find(137)), find(142)));
            comp.push_back(Overlay(find(161), find(157), 0, 10)); // the cloud is centred on the feet
            comp.push_back(Overlay(find(160), find(155), 0, 10));
            Sheet sh(4 * cell, 2 * cell, 90);
            for (size_t i = 0; i < comp.size(); ++i)
                sh.Put(comp[i], int(i % 4) * cell + 8, int(i / 4) * cell + 8, z, true);
            ok = sh.Save(pv + "/craft-composed.ppm") && ok;
        }
        // The panel with arrows and turn indicators laid over it, 8x.
        {
            const int pw = 76 * z + 16, ph = 44 * z + 16;
            Sheet sh(2 * pw, 2 * ph, 90);
            Pic a = Overlay(Overlay(Overlay(find(143), find(152)), find(148)), find(150));
            Pic b = Overlay(Overlay(Overlay(find(143), find(153)), find(147)), find(144));
            Pic c = Overlay(Overlay(find(143), find(151)), find(149));
            Pic d = Overlay(Overlay(find(143), find(146)), find(145));
            // Fake gauge contents so the windows can be judged with something in them.
            for (Pic* p : {&a, &b, &c, &d}) {
                Box(*p, 45, 3, 46, 28, LG);
                Box(*p, 33, 15, 58, 16, LG);
                Box(*p, 63, 10, 71, 28, LG);
                Box(*p, 38, 36, 50, 36, LG);
            }
            sh.Put(a, 8, 8, z, false);
            sh.Put(b, pw + 8, 8, z, false);
            sh.Put(c, 8, ph + 8, z, false);
            sh.Put(d, pw + 8, ph + 8, z, false);
            ok = sh.Save(pv + "/panel-composed.ppm") && ok;
        }
        // Icons: 32 x 32 at 4x on dialog grey and on white, and the 16 x 16 images at 4x.
        {
            const int cols = 9, ic = 32 * 4 + 12;
            const int rows = (int(icons.size()) + cols - 1) / cols;
            Sheet sh(cols * ic, rows * ic * 2 + rows * (16 * 4 + 12), 240);
            for (size_t i = 0; i < icons.size(); ++i) {
                int cx = int(i % cols) * ic + 6, cy = int(i / cols) * ic + 6;
                sh.PutIcon(icons[i].second[0], cx, cy, 4, 240, 240, 240);
                sh.PutIcon(icons[i].second[0], cx, cy + rows * ic, 4, 212, 208, 200);
                sh.PutIcon(icons[i].second[1], cx, 2 * rows * ic + int(i / cols) * (16 * 4 + 12) + 6, 4, 240, 240, 240);
            }
            ok = sh.Save(pv + "/icons.ppm") && ok;
        }
    }
    return ok ? 0 : 1;
}
