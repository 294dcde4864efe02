// The options record: first-run defaults, range clamping, and the round trip through the settings store.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

#include "sim/options.h"
#include "platform/headless/headless.h"
#include "sim/game_state.h"

namespace {

// Every field off its default, word 13 and the spare bytes included.
const GameOptions Sample = {0, 1, 1, 63, 3, 6, 100, 33, 2, 50, 1024, 768, -1, 0x12345678, 1, 0, {0xAB, 0xCD}};
const WindowPlacement Placement = {30, 40, 830, 640};

void PutValue(const char* name, const void* data, uint32_t size, uint32_t type = StoreTypeBinary)
{
    HeadlessStorePut(SettingsKeyPath, name, type, data, size);
}

bool SameBytes(const void* a, const void* b, size_t size) { return std::memcmp(a, b, size) == 0; }

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        // Leftovers in word 13 and the spare bytes, which the defaults must not touch.
        gameOptions = {};
        gameOptions.reserved = 4242;
        gameOptions.spare[0] = 7;
        gameOptions.spare[1] = 9;
        ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    }
    const GameOptions Defaults = {1, 0, 0, 0, 1, 5, 25, 0, 0, 0, 0, 0, 0, 4242, 0, 0, {7, 9}};
};

TEST_F(OptionsTest, SaveThenLoadGivesTheSameBytesAndPlacement)
{
    gameOptions = Sample;
    EXPECT_EQ(SaveOptions(), StoreOk);
    const ScreenRect window = PlatformGetWindowRect();
    for (auto [name, data, size] : {std::tuple<const char*, const void*, size_t>{OptionsValueName, &Sample, 60},
                                    {WindowValueName, &window, 16}}) {
        uint32_t type = 0;
        std::vector<uint8_t> stored;
        ASSERT_TRUE(HeadlessStoreGet(SettingsKeyPath, name, &type, &stored)) << name;
        EXPECT_EQ(type, StoreTypeBinary);
        ASSERT_EQ(stored.size(), size);
        EXPECT_TRUE(SameBytes(stored.data(), data, size)) << name;
    }

    gameOptions = {};
    LoadOptions();
    EXPECT_TRUE(SameBytes(&gameOptions, &Sample, 60));
    ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
    const ScreenRect moved = HeadlessLastSetWindowRect();
    EXPECT_TRUE(SameBytes(&moved, &window, 16));
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);

    HeadlessFailStoreCreate(StoreAccessDenied);
    EXPECT_EQ(SaveOptions(), StoreAccessDenied);
}

TEST_F(OptionsTest, RejectedOptionsGiveDefaultsButAValidPlacementStillMovesTheWindow)
{
    uint8_t bytes[61] = {};
    std::memcpy(bytes, &Sample, 60);
    // size, type: 59 bytes, 61 bytes, not binary, missing
    for (auto [size, type] : {std::pair<uint32_t, uint32_t>{59, StoreTypeBinary}, {61, StoreTypeBinary},
                              {60, StoreTypeDword}, {0, StoreTypeNone}}) {
        SCOPED_TRACE(testing::Message() << size << " bytes of type " << type);
        SetUp();
        if (type != StoreTypeNone)
            PutValue(OptionsValueName, bytes, size, type);
        PutValue(WindowValueName, &Placement, 16);
        LoadOptions();
        EXPECT_TRUE(SameBytes(&gameOptions, &Defaults, 60));
        ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
        const ScreenRect moved = HeadlessLastSetWindowRect();
        EXPECT_TRUE(SameBytes(&moved, &Placement, 16));
        EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    }
}

TEST_F(OptionsTest, NoPlacementOrAShortOneLeavesTheWindowAlone)
{
    PutValue(OptionsValueName, &Sample, 60);
    PutValue(WindowValueName, &Placement, 12);
    LoadOptions();
    EXPECT_TRUE(SameBytes(&gameOptions, &Sample, 60));
    HeadlessStoreDeleteValue(SettingsKeyPath, WindowValueName);
    LoadOptions();
    EXPECT_TRUE(SameBytes(&gameOptions, &Sample, 60));
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, OutOfRangeStoredFieldsAreClampedOnLoad)
{
    const GameOptions wild = {-3, 2, 5, 101, 0, 99, 60, 100, 7, 74, 9000, 5, -9, 77, 7, 255, {1, 2}};
    PutValue(OptionsValueName, &wild, 60);
    LoadOptions();
    const GameOptions clamped = {0, 1, 1, 100, 1, 10, 50, 99, 3, 50, 5000, 16, -2, 77, 1, 1, {1, 2}};
    EXPECT_TRUE(SameBytes(&gameOptions, &clamped, 60));

    // Half a playfield size is no size; fuel 125 (only the difficulty slider sets it) is kept.
    GameOptions half = Sample;
    half.gameWidth = 0;
    half.fuelAmount = 125;
    ClampOptions(half);
    EXPECT_EQ(half.gameHeight, 0);
    EXPECT_EQ(half.fuelAmount, 125);
}

TEST_F(OptionsTest, APlayfieldTakenFromTheWindowKeepsTheLoadedLimitsAndSurvivesReload)
{
    // client width, height -> playfield width, height
    const int cases[][4] = {{2047, 1, 2047, 16}, {9000, 5, 5000, 16}, {8, 6000, 16, 5000}, {0, 0, 320, 200}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c[0] << " x " << c[1]);
        SetDefaultOptions();
        HeadlessSetClientSize(c[0], c[1]);
        FillPlayfieldSizeFromClient();
        EXPECT_EQ(gameOptions.gameWidth, c[2]);
        EXPECT_EQ(gameOptions.gameHeight, c[3]);
        const GameOptions taken = gameOptions;
        ASSERT_EQ(SaveOptions(), StoreOk);
        gameOptions = {};
        LoadOptions();
        EXPECT_TRUE(SameBytes(&gameOptions, &taken, 60));
    }
}

} // namespace
