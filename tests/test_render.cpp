// Frame painting: what the player sees of the craft, crater, dust, lights, visibility, each zoom mode and the
// instrument panel.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>

#include "sim/options.h"
#include "platform/headless/headless.h"
#include "platform/window.h"
#include "render/composed_frame.h"
#include "render/paint_frame.h"
#include "render/panel.h"
#include "render/rotate.h"
#include "render/sprites.h"
#include "sim/game_state.h"
#include "sim/random.h"
#include "world/background_scene.h"
#include "world/world.h"

namespace {

constexpr Color Sky = 0x402010, Ground = 0x208040, Plate = 0x808080, Margin = 0x404040, Dust = 0xA0A0A0;
constexpr int W = 640, H = 480, Surface0 = 100; // flat ground 100 high: its top row is 380

// Distinct colours tell which picture was drawn.
Color CraftTag(int row) { return MakeColor(250, row, 7); }
Color FlameTag(int row) { return MakeColor(7, row % 250, 250 - row / 250); }

// A 43 x 43 picture, black but for an 11 x 11 square at (15, 15) in `color`.
void MakePicture(Surface& picture, Color color)
{
    CreateSurface(picture, 43, 43);
    FillRect(picture, 15, 15, 26, 26, color);
}

class RenderTest : public ::testing::Test {
protected:
    Surface client;

    void SetUp() override
    {
        HeadlessReset();
        PlatformCreateMainWindow("Dravolinex");
        gameOptions = {};
        gameOptions.gameWidth = W;
        gameOptions.gameHeight = H;
        gameOptions.zoom = 1;
        gameState = {};
        gameState.visibilityMargin = -1;
        gameState.blinkPhase = -1;
        gameState.craft.intact = true;
        recordCount = 0;
        std::fill(std::begin(stars), std::end(stars), Star{});
        std::fill(TerrainProfile, TerrainProfile + W + 1, Surface0);

        ReleaseBackgroundScene();
        CreateSurface(backgroundScene, W, H);
        FillRect(backgroundScene, 0, 0, W, H - Surface0, Sky);
        FillRect(backgroundScene, 0, H - Surface0, W, H, Ground);

        for (int row = 0; row < 120; ++row)
            MakePicture(RotatedSprites[row].picture, CraftTag(row));
        for (int row = 120; row < RotatedCount; ++row)
            MakePicture(RotatedSprites[row].picture, FlameTag(row));
        for (int row = 4; row < 16; ++row)
            MakePicture(SpriteTable[row].picture, FlameTag(row));
        for (int row : {2, 31, 32, 33})
            MakePicture(SpriteTable[row].picture, CraftTag(200 + row));
        for (int row : DustCloudRows) {
            CreateSurface(SpriteTable[row].picture, 43, 43);
            FillRect(SpriteTable[row].picture, 0, 0, 43, 43, Dust);
        }
        CreateSurface(SpriteTable[16].picture, 76, 44);
        FillRect(SpriteTable[16].picture, 0, 0, 76, 44, Plate);
    }
    void TearDown() override { ReleaseGraphics(), ReleaseBackgroundScene(); }

    void PlaceCraft(double x, double y) { gameState.craft.x = x, gameState.craft.y = y; }
    Color Paint(int x, int y, int clientWidth = W, int clientHeight = H)
    {
        ComposeClientPicture(client, clientWidth, clientHeight, false);
        return GetPixel(client, x, y);
    }
    Color FrameAt(int x, int y) { return GetPixel(ComposedFrame(), x, y); }
    // Paints a frame and checks the given pixels of it.
    void ExpectFrame(std::initializer_list<std::tuple<int, int, Color>> pixels)
    {
        Paint(0, 0);
        for (auto [x, y, c] : pixels)
            EXPECT_EQ(FrameAt(x, y), c) << x << "," << y;
    }
};

// The output rectangle (x0, y0, dw, dh) in a clientWidth x clientHeight window: the frame's corners at its
// corners, dark grey just outside it.
void ExpectOutput(const Surface& client, int x0, int y0, int dw, int dh)
{
    int x1 = x0 + dw - 1, y1 = y0 + dh - 1;
    EXPECT_EQ(GetPixel(client, x0, y0), Sky);
    EXPECT_EQ(GetPixel(client, x1, y1), Ground);
    for (auto [x, y] : {std::pair{x0 - 1, y0}, {x0, y0 - 1}, {x1 + 1, y1}, {x1, y1 + 1}})
        if (x >= 0 && y >= 0 && x < client.width && y < client.height) {
            EXPECT_EQ(GetPixel(client, x, y), Margin) << x << "," << y;
        }
}

TEST_F(RenderTest, ZoomModesPlaceTheOutputInTheWindow)
{
    struct Case {
        int zoom, x0, y0, dw, dh;
    } cases[] = {{0, 160, 0, 960, 720}, {-2, 480, 240, 320, 240}, {-3, 533, 280, 213, 160}, {1, 320, 120, 640, 480},
                 {-1, 0, 0, 1280, 720}};
    for (const Case& c : cases) {
        gameOptions.zoom = c.zoom;
        Paint(0, 0, 1280, 720);
        SCOPED_TRACE(c.zoom);
        ExpectOutput(client, c.x0, c.y0, c.dw, c.dh);
    }
    EXPECT_EQ(GetPixel(client, 0, 0), Sky); // full window: no margins

    // Zoom 2: double size, larger than the window, its middle shows (client row 639 is frame row
    // (639 + 120) / 2 = 379); one row less, the origin (719 - 960) / 2 truncates toward zero to -120, so the
    // same rows show. Any larger zoom multiplies alike: 3 gives 1920 x 1440 at (-320, 30), frame row (r - 30) / 3.
    for (auto [zoom, height, row, c] : {std::tuple{2, 720, 639, Sky}, {2, 720, 640, Ground}, {2, 719, 639, Sky},
                                        {2, 719, 640, Ground}, {3, 1500, 29, Margin}, {3, 1500, 1169, Sky},
                                        {3, 1500, 1170, Ground}}) {
        gameOptions.zoom = zoom;
        EXPECT_EQ(Paint(0, row, 1280, height), c) << zoom << ": " << height << ", " << row;
    }
}

TEST_F(RenderTest, WindowWithoutClientAreaShowsNothing)
{
    gameOptions.zoom = 0;
    HeadlessSetClientSize(0, 0);
    PaintFrame();
    ComposeClientPicture(client, 0, 0, false);
    EXPECT_EQ(std::pair(HeadlessLastFrame().count, client.width), std::pair(0, 0));

    // The window's picture is reused: a new layout leaves no trace of the old one.
    HeadlessSetClientSize(800, 700);
    for (auto [zoom, x0, y0, dw, dh] :
         {std::tuple{0, 0, 50, 800, 600}, {-2, 240, 230, 320, 240}, {0, 0, 50, 800, 600}}) {
        gameOptions.zoom = zoom;
        PaintFrame();
        const HeadlessFrame& shown = HeadlessLastFrame();
        ASSERT_EQ(shown.pixels.size(), 800u * 700u);
        Surface picture;
        picture.width = shown.width, picture.height = shown.height, picture.pixels = shown.pixels;
        ExpectOutput(picture, x0, y0, dw, dh);
    }
    EXPECT_EQ(HeadlessLastFrame().count, 3);
}

TEST_F(RenderTest, WindowPictureShowsEveryFrameWhenOnlyItsChangedPartsAreCopied)
{
    // Zoom 1 in an 800 x 700 window: the frame at (80, 110), dark grey around. The craft moves and fires, a star
    // changes, and a picture composed for something else comes between: the window's picture must equal the frame,
    // and every pixel that differs from the picture shown before must lie in the parts the backend is told of.
    HeadlessSetClientSize(800, 700);
    std::vector<uint32_t> before;
    auto expectWindowShowsFrame = [&before](int step) {
        const HeadlessFrame& shown = HeadlessLastFrame();
        const Surface& frame = ComposedFrame();
        ASSERT_EQ(shown.width * 1000 + shown.height, 800700);
        EXPECT_EQ(shown.changedKnown, step != 0 && step != 3) << "frame " << step;
        int wrong = 0, untold = 0;
        for (int y = 0; y < 700; ++y)
            for (int x = 0; x < 800; ++x) {
                bool inside = x >= 80 && x < 80 + W && y >= 110 && y < 110 + H;
                Color expected = inside ? GetPixel(frame, x - 80, y - 110) : Margin;
                size_t i = size_t(y) * 800 + x;
                wrong += shown.pixels[i] != expected;
                if (shown.changedKnown && shown.pixels[i] != before[i])
                    untold += std::none_of(shown.changed.begin(), shown.changed.end(), [x, y](const FrameArea& a) {
                        return x >= a.left && x < a.right && y >= a.top && y < a.bottom;
                    });
            }
        EXPECT_EQ(wrong, 0) << "frame " << step;
        EXPECT_EQ(untold, 0) << "frame " << step;
        before = shown.pixels;
    };
    stars[0] = Star{100, 400, 0xFFFFFF, 2};
    for (int step = 0; step < 6; ++step) {
        PlaceCraft(100 + 50 * step, 400 - 40 * step);
        gameState.craft.mainEngineOn = step % 2 == 0;
        stars[0].color = step % 3 ? 0xFFFFFF : 0x808080;
        if (step == 3)
            Paint(0, 0, 800, 700), PlaceCraft(500, 150); // composed for something else, then the craft moves on
        PaintFrame();
        expectWindowShowsFrame(step);
    }
}

TEST_F(RenderTest, CraftPictureFollowsAngleAndTouchdown)
{
    PlaceCraft(300, 300); // top-left on row 180; black pixels of a picture are never drawn
    ExpectFrame({{315, 195, CraftTag(60 + 30)}, {302, 182, Sky}, {330, 210, Sky}}); // the upright rocket

    gameOptions.gameType = 1; // the legged craft uses the first block
    gameState.craft.angle = 3;
    ExpectFrame({{320, 200, CraftTag(31)}});
    gameState.postLandingFrame = 4; // touch-down frames: row 33
    ExpectFrame({{320, 200, CraftTag(233)}});
    gameState.postLandingFrame = 99; // past the table: the last frame
    ExpectFrame({{320, 200, CraftTag(202)}});
    gameState.craft.intact = false; // a wreck is not drawn
    ExpectFrame({{320, 200, Sky}});

    ReleaseGraphics(); // missing pictures draw nothing and do not stop the frame
    gameState.craft.intact = gameState.craft.mainEngineOn = gameState.craft.jetLeftOn = true;
    EXPECT_EQ(Paint(320, 200), Sky);

    // 89.5 degrees shows the 87-degree image, -91 the -90-degree one.
    for (auto [angle, row] : {std::pair{2.9, 30}, {3.0, 31}, {89.5, 59}, {95.0, 59}, {-91.0, 0}, {-95.0, 0},
                              {std::nan(""), 0}, {1e300, 59}})
        EXPECT_EQ(RotatedRowOfAngle(angle), row) << angle;
}

TEST_F(RenderTest, FlamesAndDustFlickerFromTheGenerator)
{
    PlaceCraft(300, 300);
    gameState.craft.jetRightOn = gameState.craft.jetLeftOn = gameState.craft.mainEngineOn = true;
    uint64_t before = RandomDrawCount();
    Paint(0, 0);
    EXPECT_EQ(RandomDrawCount() - before, 3u); // one variant per burning flame
    Color flame = FrameAt(320, 200); // the main flame is drawn last
    EXPECT_TRUE(flame == FlameTag(4) || flame == FlameTag(5) || flame == FlameTag(6) || flame == FlameTag(7));

    // A wrecked legged craft burns its main flame upright (k = 30).
    gameOptions.gameType = 1;
    gameState.craft = {};
    PlaceCraft(300, 300);
    gameState.craft.angle = 60, gameState.craft.mainEngineOn = gameState.crashed = true;
    Paint(0, 0);
    flame = FrameAt(320, 200);
    EXPECT_TRUE(flame == FlameTag(150) || flame == FlameTag(210) || flame == FlameTag(270) || flame == FlameTag(330));

    // Dust after a landing: a cloud of about dustSize centred on the feet (row 480 - (300 - 31) = 211).
    gameState.crashed = gameState.craft.mainEngineOn = false;
    gameState.landed = true, gameState.dustSize = 18;
    before = RandomDrawCount();
    ExpectFrame({{321, 211, Dust}, {321 - 12, 211, Sky}, {321 + 12, 211, Sky}});
    EXPECT_EQ(RandomDrawCount() - before, 2u);
    gameState.dustSize = 0;
    before = RandomDrawCount();
    Paint(0, 0);
    EXPECT_EQ(RandomDrawCount(), before);
}

TEST_F(RenderTest, LimitedVisibilityShowsACircleAndThePanel)
{
    PlaceCraft(300, 300); // centre (321, 196)
    gameState.visibilityMargin = 0; // all dark but the panel at (640 / 125, 640 / 125)
    ExpectFrame({{321, 196, 0u}, {600, 50, 0u}, {5, 5, Plate}, {80, 48, Plate}, {81, 48, 0u}});
    gameState.visibilityMargin = 40;
    ExpectFrame({{321, 196, CraftTag(90)}, {321 + 35, 196, Sky}, {321 + 45, 196, 0u}, {321, 196 - 45, 0u},
                 {600, 50, 0u}});
    gameState.visibilityMargin = -1; // unlimited again: nothing black remains
    ExpectFrame({{600, 50, Sky}});
}

TEST_F(RenderTest, CraterIsABowlUnderTheWreck)
{
    const GameTypeInfo& rocket = GameTypeTable[0];
    int half = rocket.craterHalfWidth, centre = 121;
    PlaceCraft(100, 131);
    gameState.craft.intact = false;
    int top = H - Surface0;
    ExpectFrame({{centre - half - 1, top, Ground}, {centre + half, top, Ground}});
    for (int col = centre - half; col < centre + half; ++col) {
        int depth = static_cast<int>(std::cos(std::numbers::pi * (col - centre) / half / 2.5) * rocket.craterDepth);
        EXPECT_TRUE(FrameAt(col, top + depth - 1) == 0u && FrameAt(col, top + depth) == Ground) << col;
    }
    EXPECT_EQ(FrameAt(centre, top - 1), Sky);

    PlaceCraft(-18, 131); // a wreck at the left edge never digs column 0
    ExpectFrame({{0, top, Ground}, {1, top, 0u}});
}

TEST_F(RenderTest, CloseUpAndLandingLightsNearAPlatform)
{
    gameState.platformCount = 2;
    platforms[0] = {100, 100, 40, 10}, platforms[1] = {300, 100, 40, 10};
    PlaceCraft(299, 31 + 105); // centred over platform 1, feet 5 above: offset 0, height 0
    Paint(0, 0);
    FrameView v = ComposedView(); // 144 rows above the surface, 28 below, 229 / 2 columns either side
    EXPECT_EQ((std::vector<int>{v.left, v.top, v.right, v.bottom}),
              (std::vector<int>{320 - 114, H - 100 - 144, 320 + 114, H - 100 + 28}));
    // The panel rides in the close-up's corner; the locator marks cross at its centre.
    EXPECT_EQ(std::pair(FrameAt(v.left + 5, v.top + 5), FrameAt(v.left + 50, v.top + 20)), std::pair(Plate, LocatorColor));

    // Lights on rows H - y - 5 and H - y - 4 at both ends, green left and red right: lit in the first phase after
    // coming near.
    EXPECT_EQ(std::pair(LightGreen, LightRed), std::pair(MakeColor(0, 255, 0), MakeColor(255, 0, 0)));
    for (int row : {375, 376})
        for (auto [x, c] : {std::pair{300, LightGreen}, {301, LightGreen}, {338, LightRed}, {339, LightRed}})
            EXPECT_EQ(FrameAt(x, row), c) << x << "," << row;
    for (auto [x, y] : {std::pair{300, 374}, {300, 377}, {302, 375}})
        EXPECT_EQ(FrameAt(x, y), Sky) << x << "," << y;
    for (Color expected : {Sky, Sky, LightGreen}) { // the next two 250 ms phases are dark
        HeadlessAdvance(251);
        Paint(0, 0);
        EXPECT_EQ(FrameAt(300, 375), expected);
    }
    HeadlessSetClock((1ull << 32) - 100); // across the wrap of the 32-bit tick count the phases go on
    for (Color expected : {Sky, Sky, Sky, Sky, LightGreen, LightGreen, Sky}) {
        Paint(0, 0);
        EXPECT_EQ(FrameAt(300, 375), expected);
        HeadlessAdvance(130);
    }

    // Drifting sideways out of the close-up returns to the full view; far away the lights go out.
    PlaceCraft(299 + 100, 31 + 105);
    Paint(0, 0);
    v = ComposedView();
    EXPECT_EQ(std::tuple(v.left, v.right, gameState.blinkPhase), std::tuple(0, W, -1));

    // Of two equally near platforms the first in the table wins.
    platforms[0] = {200, 100, 40, 10}, platforms[1] = {300, 200, 40, 10};
    PlaceCraft(249, 31 + 105); // centre 270: 50 from both
    Paint(0, 0);
    EXPECT_EQ(ComposedView().top, H - 100 - 144);
}

TEST_F(RenderTest, OnlyFramesOfAFlightAreRecorded)
{
    HeadlessSetClientSize(W, H);
    PaintFrame();
    PaintFrame();
    EXPECT_EQ(recordCount, 2);
    ComposeClientPicture(client, W, H, false); // a picture composed for anything but the window records nothing
    for (bool* flag : {&gameState.landed, &gameState.crashed, &gameState.halted}) {
        *flag = true;
        PaintFrame();
        *flag = false;
    }
    EXPECT_EQ(recordCount, 2);
}

TEST(LoadGraphicsTest, TurnedImagesAndTheMeteorPicture)
{
    HeadlessReset();
    PlatformCreateMainWindow("Dravolinex");
    gameState.meteorX = gameState.meteorY = 7;
    LoadGraphics();
    EXPECT_EQ(std::pair(gameState.meteorX, gameState.meteorY), std::pair(0, 0));
    EXPECT_EQ(HeadlessTimerPeriod(1008), 500);

    // The upright images are the pictures themselves (missing pictures give empty rows alike).
    for (auto [turned, row] : {std::pair{30, 2}, {90, 3}, {150, 4}})
        EXPECT_EQ(TurnedPicture(turned).pixels, SpriteTable[row].picture.pixels) << turned;

    // Each image turned on first use is the one turned ahead of time: legged craft, rocket, then the four flames
    // in the first flame's frame, at -90 + 3k degrees.
    const Surface& flameFrame = SpriteTable[MainFlameRows[0]].picture;
    for (int row = 0; row < RotatedCount; ++row) {
        const int k = row % 60;
        const Surface& source = SpriteTable[row < 60 ? 2 : row < 120 ? 3 : MainFlameRows[row / 60 - 2]].picture;
        const Surface& frame = row < 120 ? source : flameFrame;
        Surface eager;
        CreateSurface(eager, frame.width, frame.height);
        RotateSprite(&eager, source.width / 2, source.height / 2, &source, source.width, source.height, -90 + 3 * k);
        ASSERT_EQ(TurnedPicture(row).pixels, eager.pixels) << row;
    }
    LoadGraphics(); // pictures loaded again drop the images turned from the earlier ones
    EXPECT_FALSE(SurfaceExists(RotatedSprites[0].picture));

    // The meteor as drawn is its own picture: turning it leaves the upright source alone.
    std::vector<Color> upright = SpriteTable[0].picture.pixels;
    RedrawMeteorPicture(45);
    EXPECT_EQ(SpriteTable[0].picture.pixels, upright);
    RedrawMeteorPicture(0); // unturned, the drawn picture is the source's copy
    EXPECT_EQ(SpriteTable[1].picture.pixels, upright);
    ReleaseGraphics();
    RedrawMeteorPicture(30); // no pictures: nothing to do
    EXPECT_FALSE(SurfaceExists(SpriteTable[1].picture));
}

// Frames after frames restore only what the last one drew over the scene: the result must equal a frame
// painted from a fresh copy of the scene.
TEST_F(RenderTest, SuccessiveFramesMatchAFreshlyPaintedOne)
{
    gameState.platformCount = 1;
    platforms[0] = {300, 100, 40, 10};
    for (int i = 0; i < StarCount; ++i)
        stars[i] = {i * 6, 200 + i, MakeColor(200, 200, 255), 1 + i % 2};
    struct Moment {
        double x, y;
        bool intact, landed;
        int meteorX, meteorY, dust, visibility;
    } moments[] = {
        {100, 400, true, false, 0, 0, 0, -1},      {150, 380, true, false, 500, 300, 0, -1},
        {299, 140, true, false, 520, 290, 0, -1},  {299, 136, true, true, 0, 0, 30, -1},
        {150, 380, true, false, 0, 0, 0, -1},
        {299, 136, true, true, 0, 0, 30, 40},      {250, 300, true, false, 500, 300, 0, 40},
        {299, 140, true, false, 0, 0, 0, 40},      {299, 140, true, false, 0, 0, 0, 0},
        {100, 300, true, false, 0, 0, 0, 0},       {299, 136, false, false, 0, 0, 0, -1},
        {10, 300, true, false, 0, 0, 0, -1},
    };
    for (const Moment& m : moments) {
        PlaceCraft(m.x, m.y);
        gameState.craft.intact = m.intact, gameState.landed = m.landed, gameState.dustSize = m.dust;
        gameState.meteorX = m.meteorX, gameState.meteorY = m.meteorY, gameState.visibilityMargin = m.visibility;
        gameState.blinkPhase = -1, gameState.blinkTime = 0;
        RandomSnapshot generator = SaveRandom();
        Paint(0, 0);
        std::vector<Color> painted = ComposedFrame().pixels;

        Surface scene = backgroundScene; // the same scene, drawn anew
        ReleaseBackgroundScene();
        backgroundScene = scene;
        RestoreRandom(generator);
        gameState.blinkPhase = -1, gameState.blinkTime = 0;
        Paint(0, 0);
        ASSERT_EQ(painted, ComposedFrame().pixels) << m.x << "," << m.y;
    }
}

constexpr int Px = 10, Py = 20;

// Each arrow or turn indicator picture is black but for one pixel at (row, 31) in a colour of its own.
Color TagOf(int row) { return MakeColor(200, row, 100); }

// ---- the instrument panel: arrows, turn indicator, locator marks, fuel bar and wind gauge ----

class PanelTest : public RenderTest {
protected:
    Surface frame;

    void SetUp() override
    {
        RenderTest::SetUp();
        for (int row = 17; row <= 26; ++row) {
            CreateSurface(SpriteTable[row].picture, 32, 32);
            SetPixel(SpriteTable[row].picture, row, 31, TagOf(row));
        }
    }

    void Draw(int nearest = NoPlatform, int offset = 0, int height = 0)
    {
        CreateSurface(frame, 120, 80);
        DrawInstrumentPanel(frame, Px, Py, nearest, offset, height);
    }
    // The pictures among rows 17..26 that were drawn.
    std::vector<int> Drawn()
    {
        std::vector<int> rows;
        for (int row = 17; row <= 26; ++row)
            if (GetPixel(frame, Px + row, Py + 31) == TagOf(row))
                rows.push_back(row);
        return rows;
    }
    Color At(int x, int y) { return GetPixel(frame, Px + x, Py + y); }
};

TEST_F(PanelTest, ArrowsAndTurnIndicator)
{
    struct Case {
        double vx, vy, angle;
        int gameType;
        std::vector<int> drawn;
    } cases[] = {
        // Red down, green right; standing still: both arrows of each axis, green; exactly 40 is fast; the rocket never
        // shows the turn indicator; the legged craft's is green below 3 degrees.
        {10, -45, 0, 0, {18, 21}},     {0, 0, 0, 0, {17, 19, 21, 23}},  {-40, 40, 0, 0, {20, 24}},
        {-40, -1, 2.9, 0, {17, 20}},   {-40, -1, 2.9, 1, {17, 20, 25}}, {-40, -1, -3, 1, {17, 20, 26}},
    };
    for (const Case& c : cases) {
        gameState.craft.vx = c.vx;
        gameState.craft.vy = c.vy;
        gameState.craft.angle = c.angle;
        gameOptions.gameType = c.gameType;
        Draw();
        EXPECT_EQ(Drawn(), c.drawn) << c.vx << ", " << c.vy << ", " << c.angle << ", " << c.gameType;
    }
}

TEST_F(PanelTest, LocatorMarksFuelBarAndWindGauge)
{
    // No platform near, an empty tank and calm: no marks, no bar, one green pixel in the gauge's middle row.
    Draw();
    for (int y = 3; y <= 39; ++y)
        for (int x = 4; x <= 71; ++x) {
            const bool window = (x >= 33 && x <= 58 && y <= 29) || (x >= 63 && y <= 28) || y >= 33;
            ASSERT_EQ(At(x, y), x == 37 && y == 36 ? GaugeGreen : window ? Plate : At(x, y)) << x << "," << y;
        }
    const struct {
        int nearest, offset, height;
        double fuel, wind, gust;
        std::vector<std::tuple<int, int, Color>> pixels;
    } cases[] = {
        // Locator: centred and feet 5 above the platform the marks cross at (45, 15); far left and high they pin
        // to the left and top edges, far right and below to the others; -3 x 25 / 16 truncates toward zero to -4.
        {0, 0, 0, 0, 0, 0, {{45, 15, LocatorColor}, {45, 3, LocatorColor}, {46, 28, LocatorColor}, {33, 16, LocatorColor},
                            {58, 15, LocatorColor}, {44, 3, Plate}, {47, 3, Plate}, {45, 2, Plate}, {45, 29, Plate},
                            {32, 15, Plate}, {59, 15, Plate}, {40, 14, Plate}, {40, 17, Plate}}},
        {0, -100, 100, 0, 0, 0, {{33, 10, LocatorColor}, {34, 10, LocatorColor}, {35, 10, Plate}, {50, 4, LocatorColor},
                                 {50, 5, Plate}}},
        {0, 100, -100, 0, 0, 0, {{57, 10, LocatorColor}, {58, 10, LocatorColor}, {56, 10, Plate}, {50, 29, LocatorColor}}},
        {0, -3, 0, 0, 0, 0, {{41, 10, LocatorColor}, {40, 10, Plate}}},
        // Fuel: red below 15, top row trunc(28 - 3.725) = 24; a full tank or more: 25 rows from row 3, never beyond.
        {NoPlatform, 0, 0, 14.9, 0, 0, {{63, 28, GaugeRed}, {71, 24, GaugeRed}, {71, 23, Plate}, {72, 28, Plate}}},
        {NoPlatform, 0, 0, 15, 0, 0, {{63, 28, GaugeGreen}}},
        {NoPlatform, 0, 0, 500, 0, 0, {{67, 3, GaugeGreen}, {67, 2, Plate}}},
        // Wind to the left: 0.2 reaches 11 columns, with the gust 0.25 reaches 14; the outer rows end three columns
        // short, an arrow head pointing downwind. To the right, mirrored. The reach is wind x 75 x 0.5 / WindScale in
        // that order: -0.468 reaches exactly 27 columns; a gale stays inside the window.
        {NoPlatform, 0, 0, 0, -0.2, -0.05, {{37, 36, GaugeGreen}, {25, 36, GaugeGreen}, {24, 36, GaugeRed},
                                            {22, 36, GaugeRed}, {21, 36, Plate}, {38, 36, Plate}, {28, 33, GaugeGreen},
                                            {27, 39, GaugeRed}, {24, 39, Plate}}},
        {NoPlatform, 0, 0, 0, 0.2, 0.05, {{38, 36, GaugeGreen}, {47, 36, GaugeGreen}, {48, 36, GaugeRed},
                                          {50, 36, GaugeRed}, {51, 36, Plate}, {37, 36, Plate}, {45, 39, GaugeRed}}},
        {NoPlatform, 0, 0, 0, -0.468, 0, {{10, 36, GaugeGreen}, {9, 36, Plate}}},
        {NoPlatform, 0, 0, 0, 50, 0, {{70, 36, GaugeGreen}, {72, 36, Plate}}},
    };
    for (const auto& c : cases) {
        gameState.craft.fuel = c.fuel;
        gameState.wind = c.wind;
        gameState.windGust = c.gust;
        Draw(c.nearest, c.offset, c.height);
        for (auto [x, y, colour] : c.pixels)
            EXPECT_EQ(At(x, y), colour) << c.offset << " " << c.fuel << " " << c.wind << ": " << x << "," << y;
    }
}

} // namespace
