// The options record: first-run defaults, range clamping, and the round trip through the settings store.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/options.h"
#include "platform/headless/headless.h"

namespace {

// Every field off its default, word 13 and the spare bytes included.
const GameOptions Sample = {0, 1, 1, 63, 3, 6, 100, 33, 2, 50, 1024, 768, -1, 0x12345678, 1, 0, {0xAB, 0xCD}};

void PutValue(const char* name, const void* data, uint32_t size, uint32_t type = StoreTypeBinary)
{
    HeadlessStorePut(SettingsKeyPath, name, type, data, size);
}

std::vector<uint8_t> StoredValue(const char* name)
{
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!HeadlessStoreGet(SettingsKeyPath, name, &type, &bytes) || type != StoreTypeBinary)
        return {};
    return bytes;
}

bool SameRecord(const GameOptions& a, const GameOptions& b) { return std::memcmp(&a, &b, 60) == 0; }

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
    std::vector<uint8_t> stored = StoredValue(OptionsValueName);
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_EQ(std::memcmp(stored.data(), &Sample, 60), 0);
    ScreenRect window = PlatformGetWindowRect();
    std::vector<uint8_t> placement = StoredValue(WindowValueName);
    ASSERT_EQ(placement.size(), 16u);
    EXPECT_EQ(std::memcmp(placement.data(), &window, 16), 0);

    gameOptions = {};
    LoadOptions();
    EXPECT_TRUE(SameRecord(gameOptions, Sample));
    ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
    ScreenRect moved = HeadlessLastSetWindowRect();
    EXPECT_EQ(std::memcmp(&moved, &window, 16), 0);
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);

    HeadlessFailStoreCreate(StoreAccessDenied);
    EXPECT_EQ(SaveOptions(), StoreAccessDenied);
}

TEST_F(OptionsTest, FirstRunGivesDefaultsAndLeavesTheWindowAlone)
{
    LoadOptions();
    EXPECT_TRUE(SameRecord(gameOptions, Defaults));
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, RejectedOptionsGiveDefaultsButAValidPlacementStillMovesTheWindow)
{
    uint8_t bytes[61] = {};
    std::memcpy(bytes, &Sample, 60);
    const WindowPlacement placement = {30, 40, 830, 640};
    struct Case {
        const char* name;
        uint32_t size, type;
    };
    for (const Case& c : {Case{"59 bytes", 59, StoreTypeBinary}, Case{"61 bytes", 61, StoreTypeBinary},
                          Case{"not binary", 60, StoreTypeDword}, Case{"missing", 0, StoreTypeNone}}) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.type != StoreTypeNone)
            PutValue(OptionsValueName, bytes, c.size, c.type);
        PutValue(WindowValueName, &placement, 16);
        LoadOptions();
        EXPECT_TRUE(SameRecord(gameOptions, Defaults));
        ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
        ScreenRect moved = HeadlessLastSetWindowRect();
        EXPECT_EQ(std::memcmp(&moved, &placement, 16), 0);
        EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    }
}

TEST_F(OptionsTest, ShortOrMissingPlacementIsIgnoredWhileTheOptionsLoad)
{
    const WindowPlacement placement = {30, 40, 830, 640};
    PutValue(OptionsValueName, &Sample, 60);
    PutValue(WindowValueName, &placement, 12);
    LoadOptions();
    EXPECT_TRUE(SameRecord(gameOptions, Sample));
    HeadlessStoreDeleteValue(SettingsKeyPath, WindowValueName);
    LoadOptions();
    EXPECT_TRUE(SameRecord(gameOptions, Sample));
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, OutOfRangeStoredFieldsAreClampedOnLoad)
{
    const GameOptions wild = {-3, 2, 5, 101, 0, 99, 60, 100, 7, 74, 9000, 5, -9, 77, 7, 255, {1, 2}};
    PutValue(OptionsValueName, &wild, 60);
    LoadOptions();
    const GameOptions clamped = {0, 1, 1, 100, 1, 10, 50, 99, 3, 50, 5000, 16, -2, 77, 1, 1, {1, 2}};
    EXPECT_TRUE(SameRecord(gameOptions, clamped));

    // Half a playfield size is no size; fuel 125 (only the difficulty slider sets it) is kept.
    GameOptions half = Sample;
    half.gameWidth = 0;
    half.fuelAmount = 125;
    ClampOptions(half);
    EXPECT_EQ(half.gameHeight, 0);
    EXPECT_EQ(half.fuelAmount, 125);
}

} // namespace
