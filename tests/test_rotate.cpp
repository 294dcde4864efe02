#include "render/rotate.h"

#include <gtest/gtest.h>

namespace {

constexpr Color kYellow = MakeColor(255, 255, 0);
constexpr Color kWhite = MakeColor(255, 255, 255);
constexpr Color kBackground = MakeColor(1, 2, 3);

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

// Runs first in this program: the table starts unfilled and a call without surfaces still fills it.
TEST(Rotate, SineTableIsFilledOnFirstUseEvenWithoutSurfaces)
{
    EXPECT_EQ(SineTable[0], -1);
    Surface s = Craft();
    EXPECT_EQ(RotateSprite(nullptr, 21, 21, &s, 43, 43, 10), 0);
    for (auto [degrees, sine] : {std::pair{0, 0}, {45, 181}, {90, 256}, {180, 0}, {270, -256}})
        EXPECT_EQ(SineTable[degrees], sine) << degrees;
    Surface empty;
    EXPECT_EQ(RotateSprite(&s, 21, 21, &empty, 43, 43, 10), 0);
    EXPECT_EQ(RotateSprite(&s, 21, 21, nullptr, 43, 43, 10), 0);
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
    EXPECT_EQ(Turned(src, -450).pixels, Turned(src, -90).pixels);
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
