// The embedded pictures, icons and sounds: present, well-formed, and showing what the game relies on.
#include "gfx/bmp.h"
#include "resources/icon_decode.h"
#include "resources/resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const Color Black = MakeColor(0, 0, 0), Yellow = MakeColor(255, 255, 0), Green = MakeColor(0, 255, 0),
            Red = MakeColor(255, 0, 0), White = MakeColor(255, 255, 255);

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
            if (GetPixel(s, x, y) != Black) {
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
    Extent rocket = Drawn(rocketPic);
    EXPECT_GE(rocket.left, 14);
    EXPECT_LE(rocket.right, 28);
    EXPECT_EQ(rocket.bottom, 31);
    EXPECT_TRUE(HasColour(rocketPic, White) && HasColour(rocketPic, Red));

    Surface legged = LoadPicture(130);
    Extent e = Drawn(legged);
    EXPECT_EQ((std::array{e.left, e.top, e.right, e.bottom}), (std::array{7, 1, 35, 31}));
    // Both feet of the outer legs rest on row 31, in yellow.
    EXPECT_TRUE(GetPixel(legged, 7, 31) == Yellow && GetPixel(legged, 35, 31) == Yellow);

    // The touch-down frames lower the body (the cabin moves down k rows) but keep the feet.
    for (int k = 1; k <= 3; ++k) {
        Surface frame = LoadPicture(158 + k);
        EXPECT_EQ(std::pair(Drawn(frame).top, Drawn(frame).bottom), std::pair(1 + k, 31)) << "frame " << 158 + k;
        EXPECT_TRUE(GetPixel(frame, 7, 31) == Yellow && GetPixel(frame, 35, 31) == Yellow) << "frame " << 158 + k;
    }
}

TEST(Panel, WindowsAreDarkAtTheirPlacesAndFramed)
{
    Surface p = LoadPicture(143);
    struct Window {
        int x0, y0, x1, y1;
    };
    const Window windows[] = {{33, 3, 58, 28}, {63, 3, 71, 28}, {4, 33, 71, 39}};
    // Black inside each window; framed: the ring just outside it is not black.
    for (const Window& w : windows)
        for (int y = w.y0 - 1; y <= w.y1 + 1; ++y)
            for (int x = w.x0 - 1; x <= w.x1 + 1; ++x) {
                bool inside = x >= w.x0 && x <= w.x1 && y >= w.y0 && y <= w.y1;
                ASSERT_EQ(GetPixel(p, x, y) == Black, inside) << x << "," << y;
            }
}

TEST(Panel, EachArrowReachesTheDiamondCornerItPointsTo)
{
    struct Arrow {
        int id;
        Color colour;
        int x, y; // the diamond corner (one of its two tip pixels)
    };
    const Arrow arrows[] = {
        {148, Green, 15, 31}, {147, Red, 15, 31}, // down
        {149, Green, 0, 15},  {144, Red, 0, 15},  // left
        {150, Green, 31, 15}, {145, Red, 31, 15}, // right
        {151, Green, 15, 0},  {146, Red, 15, 0},  // up
    };
    for (const Arrow& a : arrows)
        EXPECT_EQ(GetPixel(LoadPicture(a.id), a.x, a.y), a.colour) << a.id;
    for (int id : {152, 153}) // the turn indicator: upright in green, tilted in red
        EXPECT_TRUE(HasColour(LoadPicture(id), id == 152 ? Green : Red)) << id;
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
