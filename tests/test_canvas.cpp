// Drawing on surfaces, decoding pictures, turning them, and the embedded pictures, icons and sounds.
#include "gfx/bmp.h"
#include "gfx/canvas.h"
#include "resources/icon_decode.h"
#include "resources/resources.h"
#include "render/rotate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr Color kRed = MakeColor(255, 0, 0);
constexpr Color kGreen = MakeColor(0, 255, 0);
constexpr Color kBlue = MakeColor(0, 0, 255);
constexpr Color kGrey = MakeColor(90, 90, 90);
constexpr Color kYellow = MakeColor(255, 255, 0);
constexpr Color kWhite = MakeColor(255, 255, 255);
constexpr Color kBackground = MakeColor(1, 2, 3);

int CountColor(const Surface& s, Color c)
{
    return int(std::count(s.pixels.begin(), s.pixels.end(), c));
}

// A picture whose every pixel has its own colour (never black), so any mapping error shows.
Surface Numbered(int width, int height)
{
    Surface s;
    CreateSurface(s, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            SetPixel(s, x, y, Color(1 + x + y * 4096));
    return s;
}

// Destination pixel (x, y) of a stretch of a whole Numbered(sw, sh) picture comes from the source pixels that
// the destination pixel covers: corners map onto corners, and an exact doubling makes 2 x 2 blocks.
bool SampledFromBlock(const Surface& dst, int x, int y, int sw, int sh)
{
    Color c = GetPixel(dst, x, y) - 1;
    int64_t sx = c % 4096, sy = c / 4096;
    return sx * dst.width <= int64_t(x + 1) * sw - 1 && (sx + 1) * dst.width > int64_t(x) * sw &&
           sy * dst.height <= int64_t(y + 1) * sh - 1 && (sy + 1) * dst.height > int64_t(y) * sh;
}


Surface Filled(int width, int height, Color color)
{
    Surface s;
    CreateSurface(s, width, height);
    FillRect(s, 0, 0, width, height, color);
    return s;
}

// A 43 x 43 craft-sized picture: a few coloured strokes on black, asymmetric so every turn shows.
Surface Craft()
{
    Surface s = Filled(43, 43, 0);
    FillRect(s, 19, 4, 24, 30, kWhite);
    FillRect(s, 24, 10, 32, 13, kYellow);
    FillRect(s, 8, 31, 36, 33, MakeColor(200, 0, 0));
    return s;
}

Surface Turned(const Surface& source, int angle)
{
    Surface d = Filled(source.width, source.height, kBackground);
    EXPECT_EQ(RotateSprite(&d, source.width / 2, source.height / 2, &source, source.width, source.height, angle), 1);
    return d;
}

} // namespace

TEST(Canvas, SurfacesAndFillRectLeaveOutRightAndBottomEdges)
{
    Surface s;
    CreateSurface(s, 0, 10);
    EXPECT_FALSE(SurfaceExists(s));
    FillRect(s, 0, 0, 5, 5, kRed); // no surface: nothing happens
    CreateSurface(s, 10, 10);
    EXPECT_EQ(CountColor(s, 0), 100);
    EXPECT_TRUE(GetPixel(s, 10, 0) == ColorInvalid && GetPixel(s, 0, -1) == ColorInvalid);
    SetPixel(s, 10, 0, kRed);

    FillRect(s, 2, 3, 5, 7, kRed);
    EXPECT_EQ(CountColor(s, kRed), 3 * 4);
    for (auto [x, y, c] : {std::tuple{2, 3, kRed}, {4, 6, kRed}, {5, 6, 0u}, {4, 7, 0u}})
        EXPECT_EQ(GetPixel(s, x, y), c) << x << "," << y;
    FillRect(s, 8, 8, 3, 3, kBlue);      // inverted: nothing
    FillRect(s, -20, 8, 40, 40, kGreen); // trimmed to the surface
    EXPECT_EQ(std::pair(CountColor(s, kBlue), CountColor(s, kGreen)), std::pair(0, 20));
}

TEST(Canvas, RegionsOfRectEllipsePolygonAndUnion)
{
    Region rect;
    RegionFromRect(rect, 2, 3, 6, 5);
    EXPECT_TRUE(RegionContains(rect, 5, 4) && !RegionContains(rect, 6, 4) && !RegionContains(rect, 5, 5));

    // The ellipse inscribed in [10, 30) x [10, 30): symmetric, inside its box, corners cut off.
    Region ellipse;
    RegionFromEllipse(ellipse, 10, 10, 30, 30);
    for (auto [x, y, in] : {std::tuple{10, 20, true}, {29, 19, true}, {9, 20, false}, {30, 20, false}, {10, 10, false}})
        EXPECT_EQ(RegionContains(ellipse, x, y), in) << x << "," << y;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            ASSERT_EQ(RegionContains(ellipse, x, y), RegionContains(ellipse, 39 - x, 39 - y)) << x << "," << y;
    Region none;
    RegionFromEllipse(none, 7, 7, 7, 7); // zero visibility radius: nothing at all
    EXPECT_FALSE(RegionContains(none, 7, 7));

    Region both;
    RegionUnion(both, ellipse, rect);
    for (int y = -2; y < 40; ++y)
        for (int x = -2; x < 40; ++x)
            ASSERT_EQ(RegionContains(both, x, y), RegionContains(ellipse, x, y) || RegionContains(rect, x, y));
    RegionUnion(both, both, none); // in place, with an empty region
    EXPECT_TRUE(RegionContains(both, 20, 20) && RegionContains(both, 2, 3));
}

TEST(Canvas, EveryDrawingFunctionHonoursTheClip)
{
    Region ellipse, panel, clip;
    RegionFromEllipse(ellipse, 8, 6, 28, 22);
    RegionFromRect(panel, 0, 0, 7, 5);
    RegionUnion(clip, ellipse, panel);
    const CanvasPoint triangle[] = {{3, 2}, {30, 9}, {12, 23}};
    Surface src = Numbered(32, 24);
    // Nothing outside the clip changes; a fill over everything covers exactly the clip.
    auto check = [&](const char* what, auto draw, bool fillsClip = false) {
        Surface s;
        CreateSurface(s, 32, 24);
        s.clip = &clip;
        draw(s);
        for (int y = 0; y < 24; ++y)
            for (int x = 0; x < 32; ++x)
                if (bool in = RegionContains(clip, x, y); !in || fillsClip) {
                    ASSERT_EQ(GetPixel(s, x, y), in ? kRed : 0u) << what << " at " << x << "," << y;
                }
        EXPECT_GT(32 * 24 - CountColor(s, 0), 0) << what << " drew nothing";
    };
    check("fill", [&](Surface& s) { FillRect(s, -5, -5, 37, 29, kRed); }, true);
    check("copy", [&](Surface& s) { CopySurface(s, 0, 0, src, 0, 0, 32, 24); });
    check("stretch", [&](Surface& s) { StretchCopy(s, 0, 0, 32, 24, src, 0, 0, 16, 12); });
    check("transparent", [&](Surface& s) { CopyTransparent(s, 0, 0, 32, 24, src, 0, 0, 32, 24); });
    check("polygon", [&](Surface& s) { FillPolygon(s, triangle, 3, kRed, kBlue); });
    check("pixels", [&](Surface& s) {
        for (int i = 0; i < 32; ++i)
            SetPixel(s, i, i * 3 / 4, kRed);
    });
    check("text", [&](Surface& s) { DrawText(s, 0, 2, "8888", kRed); });
}

TEST(Canvas, PolygonWindingOutlineAndSharedEdges)
{
    // A five-pointed star drawn in one stroke overlaps itself around the centre: the winding rule fills it.
    const CanvasPoint star[] = {{20, 2}, {31, 36}, {2, 15}, {38, 15}, {9, 36}};
    Surface s;
    CreateSurface(s, 40, 40);
    FillPolygon(s, star, 5, kRed, kBlue);
    // The centre and a point filled, nothing between the two lower points, the top vertex on the outline.
    for (auto [x, y, c] : {std::tuple{20, 20, kRed}, {20, 6, kRed}, {20, 35, 0u}, {20, 2, kBlue}})
        EXPECT_EQ(GetPixel(s, x, y), c) << x << "," << y;

    // Rectangle: interior in the fill colour, all four sides (right and bottom included) in the pen.
    const CanvasPoint box[] = {{2, 2}, {8, 2}, {8, 6}, {2, 6}};
    Surface b;
    CreateSurface(b, 12, 10);
    FillPolygon(b, box, 4, kRed, kBlue);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 12; ++x) {
            bool onSide = (x >= 2 && x <= 8 && (y == 2 || y == 6)) || (y >= 2 && y <= 6 && (x == 2 || x == 8));
            bool inside = x > 2 && x < 8 && y > 2 && y < 6;
            ASSERT_EQ(GetPixel(b, x, y), onSide ? kBlue : inside ? kRed : 0u) << x << "," << y;
        }

    // Slanted outline has no gaps: every pixel of the pen touches the next one (8-connected ring).
    const CanvasPoint slant[] = {{1, 1}, {17, 6}, {5, 14}};
    Surface t;
    CreateSurface(t, 20, 16);
    FillPolygon(t, slant, 3, kRed, kBlue);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            if (GetPixel(t, x, y) != kBlue)
                continue;
            int neighbours = 0;
            for (int v = -1; v <= 1; ++v)
                for (int u = -1; u <= 1; ++u)
                    neighbours += (u || v) && GetPixel(t, x + u, y + v) == kBlue;
            ASSERT_GE(neighbours, 2) << x << "," << y;
        }

    // Two triangles sharing a diagonal cover their square exactly once.
    const CanvasPoint upper[] = {{0, 0}, {10, 0}, {10, 7}};
    const CanvasPoint lower[] = {{0, 0}, {10, 7}, {0, 7}};
    Region ru, rl;
    RegionFromPolygon(ru, upper, 3);
    RegionFromPolygon(rl, lower, 3);
    for (int y = -1; y < 9; ++y)
        for (int x = -1; x < 12; ++x) {
            bool inSquare = x >= 0 && x < 10 && y >= 0 && y < 7;
            ASSERT_EQ(int(RegionContains(ru, x, y)) + int(RegionContains(rl, x, y)), inSquare ? 1 : 0) << x << "," << y;
        }

    // Degenerate and absurdly large polygons draw no stray interior and do not fail.
    const CanvasPoint huge[] = {{-2147483647, -5}, {2147483647, 3}, {0, 2147483647}};
    Region far;
    RegionFromPolygon(far, huge, 3);
    EXPECT_TRUE(RegionContains(far, 0, 100) && !RegionContains(far, 0, -100));
    FillPolygon(t, slant, 1, kGreen, kGreen);
    FillPolygon(t, nullptr, 3, kGreen, kGreen);
    EXPECT_EQ(CountColor(t, kGreen), 0);
}

TEST(Canvas, CopiesTrimToBothSurfacesAndHandleOverlap)
{
    Surface src = Numbered(8, 6);
    Surface dst;
    CreateSurface(dst, 5, 5);
    CopySurface(dst, -2, 3, src, 1, 1, 8, 8);
    EXPECT_EQ(std::pair(GetPixel(dst, 0, 3), GetPixel(dst, 4, 4)), std::pair(GetPixel(src, 3, 1), GetPixel(src, 7, 2)));
    EXPECT_EQ(GetPixel(dst, 0, 2), 0u);
    CopySurface(dst, 0, 0, src, -2147483647, 0, 2147483647, 6); // far outside the source: nothing
    EXPECT_EQ(GetPixel(dst, 0, 0), 0u);

    // Scrolling a surface by one pixel within itself.
    Surface s = Numbered(8, 6);
    Surface before = s;
    CopySurface(s, 1, 1, s, 0, 0, 8, 6);
    for (auto [x, y, fromX, fromY] : {std::tuple{1, 1, 0, 0}, {7, 5, 6, 4}, {0, 0, 0, 0}})
        EXPECT_EQ(GetPixel(s, x, y), GetPixel(before, fromX, fromY)) << x << "," << y;
}

TEST(Canvas, TransparentCopySkipsBlackAndStretches)
{
    Surface cloud;
    CreateSurface(cloud, 43, 43);
    FillRect(cloud, 10, 10, 33, 33, kGrey);
    FillRect(cloud, 15, 15, 18, 18, 0); // a black hole in the cloud
    // Unscaled, shrunk, grown and to one pixel: only cloud or background colours, never black.
    for (int size : {43, 10, 86, 1}) {
        Surface f;
        CreateSurface(f, 100, 100);
        FillRect(f, 0, 0, 100, 100, kBlue);
        CopyTransparent(f, 7, 3, size, size, cloud, 0, 0, 43, 43);
        EXPECT_EQ(CountColor(f, kGrey) + CountColor(f, kBlue), 100 * 100) << size;
        EXPECT_TRUE(size != 43 || CountColor(f, kGrey) == 23 * 23 - 9) << "the hole shows the background";
        EXPECT_GT(CountColor(f, kGrey), 0) << size;
    }
}

TEST(Canvas, StretchSamplesTheCoveredPixelsForGrowAndShrink)
{
    struct Case {
        int sw, sh, dw, dh;
    };
    for (Case c : {Case{640, 480, 960, 720}, Case{64, 48, 128, 96}, Case{64, 48, 32, 24}, Case{1024, 768, 1440, 1080},
                   Case{229, 172, 640, 480}, Case{64, 48, 64, 48}, Case{10, 8, 64, 48}, Case{96, 72, 32, 24},
                   Case{100, 75, 33, 31}}) {
        Surface src = Numbered(c.sw, c.sh);
        Surface dst;
        CreateSurface(dst, c.dw, c.dh);
        StretchCopy(dst, 0, 0, c.dw, c.dh, src, 0, 0, c.sw, c.sh);
        for (int y = 0; y < c.dh; ++y)
            for (int x = 0; x < c.dw; ++x)
                ASSERT_TRUE(SampledFromBlock(dst, x, y, c.sw, c.sh)) << c.dw << ": " << x << "," << y;
        EXPECT_EQ(CountColor(dst, 0), 0) << c.dw;

        // The row-reusing fast path agrees with the clipped path pixel for pixel.
        Region all;
        RegionFromRect(all, 0, 0, c.dw, c.dh);
        Surface slow;
        CreateSurface(slow, c.dw, c.dh);
        slow.clip = &all;
        StretchCopy(slow, 0, 0, c.dw, c.dh, src, 0, 0, c.sw, c.sh);
        EXPECT_EQ(slow.pixels, dst.pixels) << c.dw;
    }

    Surface src = Numbered(5, 4);
    // An output larger than the window shows its middle; a view rectangle reaching past the frame only
    // draws where there is picture.
    Surface window;
    CreateSurface(window, 6, 4);
    StretchCopy(window, -2, -2, 10, 8, src, 0, 0, 5, 4);
    EXPECT_EQ(std::pair(GetPixel(window, 0, 0), GetPixel(window, 5, 3)), std::pair(GetPixel(src, 1, 1), GetPixel(src, 3, 2)));
    Surface partial;
    CreateSurface(partial, 10, 8);
    StretchCopy(partial, 0, 0, 10, 8, src, 3, 0, 5, 4);
    EXPECT_EQ(std::pair(GetPixel(partial, 0, 0), GetPixel(partial, 3, 0)), std::pair(GetPixel(src, 3, 0), GetPixel(src, 4, 0)));
    EXPECT_EQ(GetPixel(partial, 4, 0), 0u);
    Surface same; // unscaled, from (3, 1): only the source's 2 x 3 corner lands
    CreateSurface(same, 5, 4);
    StretchCopy(same, 0, 0, 5, 4, src, 3, 1, 5, 4);
    EXPECT_EQ(GetPixel(same, 1, 2), GetPixel(src, 4, 3));
    EXPECT_EQ(CountColor(same, 0), 5 * 4 - 2 * 3);
}

TEST(Canvas, TextMeasuresAndDrawsInsideItsBox)
{
    EXPECT_EQ(MeasureText("") + MeasureText(nullptr), 0);
    int w1 = MeasureText("1"), w0 = MeasureText("0");
    EXPECT_GT(w1, 3);
    EXPECT_EQ(MeasureText("100"), w1 + 2 * w0);
    EXPECT_EQ(MeasureText("\x01"), MeasureText("?")); // unknown characters still take room

    Surface s;
    CreateSurface(s, 40, 30);
    FillRect(s, 0, 0, 40, 30, kBlue);
    DrawText(s, 10, 5, "10", kRed);
    int ink = 0, partial = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) {
            Color c = GetPixel(s, x, y);
            if (c == kBlue)
                continue;
            ASSERT_TRUE(x >= 10 && x < 10 + MeasureText("10") && y >= 5 && y < 5 + TextHeight()) << x << "," << y;
            ASSERT_EQ(ColorGreen(c), 0); // a blend of the two colours only
            ink += c == kRed;
            partial += c != kRed;
        }
    EXPECT_GT(ink, 10);
    EXPECT_GT(partial, 0); // antialiased edges

    DrawText(s, -100, -100, "12345", kGreen); // off the surface, and partly off: nothing wraps round
    DrawText(s, 35, 25, "10", kGreen);
    EXPECT_EQ(GetPixel(s, 0, 0), kBlue);
}

namespace {

// A BMP file image with a 40-byte info header.
std::vector<uint8_t> MakeBmp(int width, int height, int bits, const std::vector<uint8_t>& palette,
                             const std::vector<uint8_t>& rows, uint32_t colorsUsed = 0)
{
    const uint32_t offset = 14 + 40 + uint32_t(palette.size());
    // Field values and their sizes in bytes: file header, then the info header.
    const std::pair<uint32_t, int> fields[] = {
        {'B' | 'M' << 8, 2}, {offset + uint32_t(rows.size()), 4}, {0, 4}, {offset, 4}, {40, 4},
        {uint32_t(width), 4}, {uint32_t(height), 4}, {1, 2}, {uint32_t(bits), 2}, {0, 4},
        {uint32_t(rows.size()), 4}, {0, 4}, {0, 4}, {colorsUsed, 4}, {0, 4}};
    std::vector<uint8_t> f;
    for (auto [value, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            f.push_back(uint8_t(value >> (8 * i)));
    f.insert(f.end(), palette.begin(), palette.end());
    f.insert(f.end(), rows.begin(), rows.end());
    return f;
}

} // namespace

TEST(Bmp, DecodesPaletteAndTrueColourPictures)
{
    Surface s;
    // 24-bit, 2 x 2, bottom-up: the first stored row is the bottom one; rows padded to 4 bytes.
    auto b24 = MakeBmp(2, 2, 24, {}, {0, 0, 255, 0, 255, 0, 0, 0, /* bottom: red, green */
                                      255, 0, 0, 255, 255, 255, 0, 0 /* top: blue, white */});
    ASSERT_TRUE(DecodeBmp(b24.data(), b24.size(), s) && s.width == 2);
    EXPECT_EQ(s.pixels, (std::vector<Color>{kBlue, MakeColor(255, 255, 255), kRed, kGreen}));

    // 4-bit, 3 x 2, top-down (negative height), two palette entries only.
    std::vector<uint8_t> pal = {0, 0, 0, 0, 0, 0, 255, 0};
    auto b4 = MakeBmp(3, -2, 4, pal, {0x01, 0x00, 0, 0, /* row 0: black, red, black */
                                      0x11, 0x10, 0, 0 /* row 1: red, red, red */}, 2);
    ASSERT_TRUE(DecodeBmp(b4.data(), b4.size(), s) && s.height == 2);
    EXPECT_EQ(s.pixels, (std::vector<Color>{0, kRed, 0, kRed, kRed, kRed}));

    // 8-bit with an index past the palette reads as black rather than past the table.
    auto b8 = MakeBmp(2, 1, 8, {0, 255, 0, 0}, {0, 200, 0, 0}, 1);
    ASSERT_TRUE(DecodeBmp(b8.data(), b8.size(), s));
    EXPECT_EQ(s.pixels, (std::vector<Color>{kGreen, 0}));

    // 32-bit: the fourth byte is ignored.
    auto b32 = MakeBmp(1, 1, 32, {}, {10, 20, 30, 99});
    ASSERT_TRUE(DecodeBmp(b32.data(), b32.size(), s));
    EXPECT_EQ(GetPixel(s, 0, 0), MakeColor(30, 20, 10));
}

TEST(Bmp, RejectsTruncatedAndGarbledData)
{
    std::vector<uint8_t> pal(16 * 4, 0x40);
    auto good = MakeBmp(5, 3, 4, pal, std::vector<uint8_t>(3 * 4, 0x12));
    Surface s;
    ASSERT_TRUE(DecodeBmp(good.data(), good.size(), s));
    for (size_t n = 0; n < good.size(); ++n) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n); // exact-size copy so tools catch over-reads
        EXPECT_FALSE(DecodeBmp(cut.data(), cut.size(), s)) << n;
        EXPECT_FALSE(SurfaceExists(s));
    }
    EXPECT_FALSE(DecodeBmp(nullptr, 100, s));

    auto garble = [&](size_t at, uint32_t value, int bytes) {
        std::vector<uint8_t> g = good;
        for (int i = 0; i < bytes; ++i)
            g[at + i] = uint8_t(value >> (8 * i));
        return DecodeBmp(g.data(), g.size(), s);
    };
    EXPECT_FALSE(garble(0, 'X', 1));             // signature
    EXPECT_FALSE(garble(10, 0xFFFFFFF0u, 4));    // pixel offset past the end
    EXPECT_FALSE(garble(14, 0x7FFFFFFFu, 4));    // header size past the end
    EXPECT_FALSE(garble(14, 20, 4));             // header too small
    EXPECT_FALSE(garble(18, 0, 4));              // zero width
    EXPECT_FALSE(garble(18, 0x80000000u, 4));    // most negative width
    EXPECT_FALSE(garble(22, 0x80000000u, 4));    // most negative height
    EXPECT_FALSE(garble(18, 100000, 4));         // width beyond the data
    EXPECT_FALSE(garble(28, 16, 2));             // unsupported depth
    EXPECT_FALSE(garble(30, 2, 4));              // run-length compressed
    EXPECT_FALSE(garble(46, 17, 4));             // more palette colours than 4 bits can index
    EXPECT_FALSE(SurfaceExists(s));
}

// ---- turning pictures ----

// Nothing before this test turns a picture: the table starts unfilled and a call without surfaces still fills it.
TEST(Rotate, SineTableIsFilledOnFirstUseEvenWithoutSurfaces)
{
    EXPECT_EQ(SineTable[0], -1);
    Surface s = Craft();
    EXPECT_EQ(RotateSprite(nullptr, 21, 21, &s, 43, 43, 10), 0);
    for (auto [degrees, sine] : {std::pair{0, 0}, {45, 181}, {90, 256}, {180, 0}, {270, -256}})
        EXPECT_EQ(SineTable[degrees], sine) << degrees;
    Surface empty;
    EXPECT_EQ(RotateSprite(&s, 21, 21, &empty, 43, 43, 10) + RotateSprite(&s, 21, 21, nullptr, 43, 43, 10), 0);
}

TEST(Rotate, RotatePointTurnsClockwiseOnScreenForAnyAngle)
{
    struct Case {
        int angle, x, y; // where the point straight above the centre, (21, 5), ends up
    };
    // Angles a full turn or more below zero reduce like any other.
    for (Case c : {Case{90, 37, 21}, Case{-90, 5, 21}, Case{0, 21, 5}, Case{-450, 5, 21}, Case{810, 37, 21}}) {
        int x, y;
        RotatePoint(c.angle, 21, 21, 21, 5, &x, &y);
        EXPECT_EQ(std::pair(x, y), std::pair(c.x, c.y)) << c.angle;
    }
    // A point far outside the 32-bit range after turning pins at its ends instead of wrapping.
    int x, y;
    RotatePoint(225, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, &x, &y);
    EXPECT_EQ(std::pair(x, y), std::pair(INT32_MAX, INT32_MAX));
    RotatePoint(45, INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, &x, &y);
    EXPECT_EQ(y, INT32_MIN);
}

// Angle 0 copies all but black; equivalent angles give the same picture.
TEST(Rotate, TurnedCraft)
{
    const Surface src = Craft();
    const Surface d = Turned(src, 0);
    for (int y = 0; y < 43; ++y)
        for (int x = 0; x < 43; ++x) {
            Color c = GetPixel(src, x, y);
            ASSERT_EQ(GetPixel(d, x, y), c == 0 ? kBackground : c) << x << "," << y;
        }
    EXPECT_EQ(Turned(src, -90).pixels, Turned(src, 270).pixels);
    EXPECT_EQ(Turned(src, 87).pixels, Turned(src, -273).pixels);
    EXPECT_NE(Turned(src, 87).pixels, Turned(src, 0).pixels);

    // A quarter turn moves the top of the body to the right of the centre.
    const Surface q = Turned(src, 90);
    EXPECT_EQ(std::pair(GetPixel(q, 37, 21), GetPixel(q, 21, 5)), std::pair(kWhite, kBackground));
}

TEST(Rotate, BlackSourceAndOversizedStatedSizeLeaveDestinationAlone)
{
    const Surface black = Filled(43, 43, 0);
    const std::vector<Color> untouched(43 * 43, kBackground);
    for (int angle : {0, 33, -90, 87})
        EXPECT_EQ(Turned(black, angle).pixels, untouched) << angle;

    // A source smaller than the stated size: the missing part draws nothing (never an invalid colour).
    const Surface small = Filled(10, 10, kYellow);
    Surface d = Filled(43, 43, 0);
    EXPECT_EQ(RotateSprite(&d, 21, 21, &small, 43, 43, 30), 1);
    for (Color c : d.pixels)
        ASSERT_TRUE(c == 0 || c == kYellow);

    // Corners that turn past the destination's edge are cut off, not written elsewhere.
    EXPECT_EQ(GetPixel(Turned(Filled(43, 43, kWhite), 45), 21, 21), kWhite);
}

namespace {

// ---- the embedded pictures, icons and sounds: present, well-formed, and showing what the game relies on ----

Surface LoadPicture(int id)
{
    Surface s;
    ResourceData r = FindResource(ResourceBitmap, id);
    EXPECT_NE(r.data, nullptr) << "bitmap " << id;
    EXPECT_TRUE(r.data && DecodeBmp(r.data, r.size, s)) << "bitmap " << id;
    return s;
}

struct Extent {
    int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};

// Bounding box of the picture's non-black pixels (black is transparent when drawn).
Extent Drawn(const Surface& s)
{
    Extent e;
    for (int y = 0; y < s.height; ++y)
        for (int x = 0; x < s.width; ++x)
            if (GetPixel(s, x, y) != 0u) {
                e.left = std::min(e.left, x), e.right = std::max(e.right, x);
                e.top = std::min(e.top, y), e.bottom = std::max(e.bottom, y);
            }
    return e;
}

bool HasColour(const Surface& s, Color c) { return std::find(s.pixels.begin(), s.pixels.end(), c) != s.pixels.end(); }
bool Grey(Color c) { return ColorRed(c) == ColorGreen(c) && ColorGreen(c) == ColorBlue(c); }

TEST(Pictures, EveryPictureOfTheSpriteTableIsEmbeddedAtItsSize)
{
    for (auto [first, last, w, h] : {std::array{109, 109, 23, 23}, {143, 143, 76, 44}, {152, 153, 25, 24},
                                     {130, 142, 43, 43}, {144, 151, 32, 32}, {154, 161, 43, 43}})
        for (int id = first; id <= last; ++id) {
            Surface s = LoadPicture(id);
            EXPECT_EQ(std::pair(s.width, s.height), std::pair(w, h)) << "bitmap " << id;
            EXPECT_TRUE(id == 143 || !Drawn(s).Empty()) << "bitmap " << id << " draws nothing";
            if (id >= 154 && id <= 157) { // dust clouds are grey
                EXPECT_TRUE(std::all_of(s.pixels.begin(), s.pixels.end(), Grey)) << "bitmap " << id;
            }
        }
}

TEST(Pictures, CraftStandOnRow31AndTouchDownOnTheirFeet)
{
    Surface rocketPic = LoadPicture(158);
    Extent rocket = Drawn(rocketPic); // inside the contact box x + 14 .. x + 28, standing on row 31
    EXPECT_TRUE(rocket.left >= 14 && rocket.right <= 28 && rocket.bottom == 31);
    EXPECT_TRUE(HasColour(rocketPic, kWhite) && HasColour(rocketPic, kRed));

    Surface legged = LoadPicture(130);
    Extent e = Drawn(legged);
    EXPECT_EQ((std::array{e.left, e.top, e.right, e.bottom}), (std::array{7, 1, 35, 31}));
    // Both feet of the outer legs rest on row 31, in yellow.
    EXPECT_TRUE(GetPixel(legged, 7, 31) == kYellow && GetPixel(legged, 35, 31) == kYellow);

    // The touch-down frames lower the body (the cabin moves down k rows) but keep the feet.
    for (int k = 1; k <= 3; ++k) {
        Surface frame = LoadPicture(158 + k);
        EXPECT_EQ(std::pair(Drawn(frame).top, Drawn(frame).bottom), std::pair(1 + k, 31)) << "frame " << 158 + k;
        EXPECT_TRUE(GetPixel(frame, 7, 31) == kYellow && GetPixel(frame, 35, 31) == kYellow) << "frame " << 158 + k;
    }
}

TEST(Panel, WindowsAreDarkAtTheirPlacesAndFramed)
{
    Surface p = LoadPicture(143);
    // Black inside each window (locator, fuel, wind); framed: the ring just outside it is not black.
    for (auto [x0, y0, x1, y1] : {std::array{33, 3, 58, 28}, {63, 3, 71, 28}, {4, 33, 71, 39}})
        for (int y = y0 - 1; y <= y1 + 1; ++y)
            for (int x = x0 - 1; x <= x1 + 1; ++x) {
                bool inside = x >= x0 && x <= x1 && y >= y0 && y <= y1;
                ASSERT_EQ(GetPixel(p, x, y) == 0u, inside) << x << "," << y;
            }
}

TEST(Panel, EachArrowReachesTheDiamondCornerItPointsTo)
{
    // id, colour, the diamond corner (one of its two tip pixels): down, left, right and up, slow and fast.
    for (auto [id, colour, x, y] : {std::tuple{148, kGreen, 15, 31}, {147, kRed, 15, 31}, {149, kGreen, 0, 15},
                                    {144, kRed, 0, 15}, {150, kGreen, 31, 15}, {145, kRed, 31, 15},
                                    {151, kGreen, 15, 0}, {146, kRed, 15, 0}})
        EXPECT_EQ(GetPixel(LoadPicture(id), x, y), colour) << id;
    for (int id : {152, 153}) // the turn indicator: upright in green, tilted in red
        EXPECT_TRUE(HasColour(LoadPicture(id), id == 152 ? kGreen : kRed)) << id;
}

TEST(Icons, EveryDialogIconDecodesAt32x32)
{
    for (int id = 107; id <= 181; id = id == 108 ? 149 : id + 1) {
        ResourceData r = FindResource(ResourceIcon, id);
        ASSERT_NE(r.data, nullptr) << "icon " << id;
        std::vector<uint32_t> argb;
        int w = 0, h = 0;
        ASSERT_TRUE(DecodeIcon(r.data, r.size, 32, argb, &w, &h)) << "icon " << id;
        EXPECT_TRUE(w == 32 && h == 32) << w << " x " << h;
        const auto visible = std::count_if(argb.begin(), argb.end(), [](uint32_t c) { return (c >> 24) >= 0x80; });
        EXPECT_GT(visible, 50) << "icon " << id << " is nearly empty";
        ASSERT_TRUE(DecodeIcon(r.data, r.size, 16, argb, &w, &h)) << "icon " << id;
        EXPECT_EQ(w, 16);
    }
}

// A hand-made 2 x 2 icon with a 4-bit palette and an AND mask, for the decoder's other path.
std::vector<uint8_t> TinyPaletteIcon()
{
    std::vector<uint8_t> f(6 + 16 + 40 + 16 * 4 + 2 * 4 + 2 * 4, 0);
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
    f[2] = 1, f[4] = 1;                 // icon, one image
    f[6] = 2, f[7] = 2;                 // 2 x 2
    put32(6 + 8, uint32_t(f.size() - 22));
    put32(6 + 12, 22);
    size_t d = 22;
    put32(d, 40), put32(d + 4, 2), put32(d + 8, 4);
    f[d + 12] = 1, f[d + 14] = 4;
    f[d + 40 + 4 * 1 + 2] = 0xFF;       // palette entry 1: red
    f[d + 40 + 4 * 2 + 1] = 0xFF;       // palette entry 2: green
    size_t px = d + 40 + 64;
    f[px] = 0x12;                       // bottom row: red, green
    f[px + 4] = 0x21;                   // top row: green, red
    f[px + 8 + 4] = 0x40;               // mask of the top row: second pixel transparent
    return f;
}

TEST(Icons, DecoderReadsPalettesAndMasks)
{
    std::vector<uint8_t> tiny = TinyPaletteIcon();
    std::vector<uint32_t> argb;
    int w = 0, h = 0;
    ASSERT_TRUE(DecodeIcon(tiny.data(), tiny.size(), 32, argb, &w, &h));
    ASSERT_EQ(argb.size(), 4u);
    EXPECT_EQ(argb[0], 0xFF00FF00u); // top left green
    EXPECT_EQ(argb[1] >> 24, 0u);    // masked out
    EXPECT_EQ(argb[2], 0xFFFF0000u); // bottom left red

    // Garbled icons are the fuzz target's work; a missing one is refused and leaves nothing.
    EXPECT_FALSE(DecodeIcon(nullptr, 0, 32, argb, &w, &h));
    EXPECT_TRUE(argb.empty());
}

TEST(Sounds, FourAudibleMonoClipsAt8000Hz)
{
    for (int id = 160; id <= 163; ++id) {
        const ResourceData r = FindResource(ResourceSound, id);
        ASSERT_TRUE(r.data && r.size > 44) << "sound " << id;
        // The plain 44-byte header: a 16-byte fmt chunk (PCM, mono, 8000 Hz, 8 bits) and then the samples.
        auto read16 = [&](size_t at) { return int(r.data[at] | r.data[at + 1] << 8); };
        EXPECT_TRUE(!std::memcmp(r.data, "RIFF", 4) && !std::memcmp(r.data + 8, "WAVEfmt ", 8) &&
                    !std::memcmp(r.data + 36, "data", 4)) << "sound " << id;
        EXPECT_EQ((std::array{read16(20), read16(22), read16(24), read16(34)}), (std::array{1, 1, 8000, 8})) << id;
        const auto [lo, hi] = std::minmax_element(r.data + 44, r.data + r.size);
        EXPECT_GT(*hi - *lo, 120) << "sound " << id << " is too quiet";
    }
}

TEST(Resources, MissingResourcesAreReportedAsMissing)
{
    EXPECT_EQ(FindResource(ResourceBitmap, 999).data, nullptr);
    EXPECT_EQ(FindResource(ResourceIcon, 130).data, nullptr);
    EXPECT_EQ(FindResource(ResourceSound, 109).size, 0u);
}

} // namespace
