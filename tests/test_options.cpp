// The options record: first-run defaults, range clamping, and the round trip through the settings store.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "app/options.h"
#include "platform/headless/headless.h"

namespace {

GameOptions SampleOptions()
{
    GameOptions o{};
    o.player = 0;
    o.inputDevice = 1;
    o.gameType = 1;
    o.difficulty = 63;
    o.surfaceRoughness = 3;
    o.platformSize = 6;
    o.fuelAmount = 100;
    o.windStrength = 33;
    o.planet = 2;
    o.visibility = 50;
    o.gameWidth = 1024;
    o.gameHeight = 768;
    o.zoom = -1;
    o.reserved = 0x12345678;
    o.flipVertical = 1;
    o.flipHorizontal = 0;
    o.spare[0] = 0xAB;
    o.spare[1] = 0xCD;
    return o;
}

void PutOptions(const void* data, uint32_t size, uint32_t type = StoreTypeBinary)
{
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, type, data, size);
}

void PutPlacement(const WindowPlacement& placement, uint32_t size = sizeof(WindowPlacement))
{
    HeadlessStorePut(SettingsKeyPath, WindowValueName, StoreTypeBinary, &placement, size);
}

std::vector<uint8_t> StoredValue(const char* name)
{
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    if (!HeadlessStoreGet(SettingsKeyPath, name, &type, &bytes))
        return {};
    EXPECT_EQ(type, StoreTypeBinary);
    return bytes;
}

// The defaults as the first run sees them, with word 13 and the spare bytes as they were before.
void ExpectDefaults(int32_t reserved, uint8_t spare0, uint8_t spare1)
{
    const GameOptions& o = gameOptions;
    EXPECT_EQ(o.player, 1);
    EXPECT_EQ(o.inputDevice, 0);
    EXPECT_EQ(o.gameType, 0);
    EXPECT_EQ(o.difficulty, 0);
    EXPECT_EQ(o.surfaceRoughness, 1);
    EXPECT_EQ(o.platformSize, 5);
    EXPECT_EQ(o.fuelAmount, 25);
    EXPECT_EQ(o.windStrength, 0);
    EXPECT_EQ(o.planet, 0);
    EXPECT_EQ(o.visibility, 0);
    EXPECT_EQ(o.gameWidth, 0);
    EXPECT_EQ(o.gameHeight, 0);
    EXPECT_EQ(o.zoom, 0);
    EXPECT_EQ(o.flipVertical, 0);
    EXPECT_EQ(o.flipHorizontal, 0);
    EXPECT_EQ(o.reserved, reserved);
    EXPECT_EQ(o.spare[0], spare0);
    EXPECT_EQ(o.spare[1], spare1);
}

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        HeadlessReset();
        gameOptions = {};
        // Leftovers that the defaults must not touch.
        gameOptions.reserved = 4242;
        gameOptions.spare[0] = 7;
        gameOptions.spare[1] = 9;
        ASSERT_TRUE(PlatformCreateMainWindow("Dravolinex"));
    }
};

TEST_F(OptionsTest, SaveThenLoadGivesTheSameBytesAndPlacement)
{
    GameOptions sample = SampleOptions();
    gameOptions = sample;
    EXPECT_EQ(SaveOptions(), StoreOk);
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);

    std::vector<uint8_t> stored = StoredValue(OptionsValueName);
    ASSERT_EQ(stored.size(), 60u);
    EXPECT_EQ(std::memcmp(stored.data(), &sample, 60), 0);

    ScreenRect window = PlatformGetWindowRect();
    std::vector<uint8_t> placement = StoredValue(WindowValueName);
    ASSERT_EQ(placement.size(), 16u);
    EXPECT_EQ(std::memcmp(placement.data(), &window, 16), 0);

    gameOptions = {};
    LoadOptions();
    EXPECT_EQ(std::memcmp(&gameOptions, &sample, 60), 0);
    EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
    ScreenRect moved = HeadlessLastSetWindowRect();
    EXPECT_EQ(std::memcmp(&moved, &window, 16), 0);
}

TEST_F(OptionsTest, SaveWithoutWindowWritesOnlyTheOptions)
{
    PlatformDestroyMainWindow();
    gameOptions = SampleOptions();
    SaveOptions();
    EXPECT_EQ(StoredValue(OptionsValueName).size(), 60u);
    EXPECT_TRUE(StoredValue(WindowValueName).empty());
}

TEST_F(OptionsTest, SaveReportsAStoreThatCannotBeCreated)
{
    HeadlessFailStoreCreate(StoreAccessDenied);
    EXPECT_EQ(SaveOptions(), StoreAccessDenied);
    EXPECT_EQ(HeadlessStoreWrites(), 0);
}

TEST_F(OptionsTest, FirstRunGivesDefaultsAndLeavesTheWindowAlone)
{
    LoadOptions();
    ExpectDefaults(4242, 7, 9);
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, RejectedOptionsGiveDefaultsButAValidPlacementStillMovesTheWindow)
{
    GameOptions sample = SampleOptions();
    uint8_t bytes[61];
    std::memcpy(bytes, &sample, 60);
    bytes[60] = 0;
    const WindowPlacement placement = {30, 40, 830, 640};

    struct Case {
        const char* name;
        uint32_t size;
        uint32_t type;
    };
    const Case cases[] = {
        {"59 bytes", 59, StoreTypeBinary},
        {"61 bytes", 61, StoreTypeBinary},
        {"not binary", 60, StoreTypeDword},
        {"missing", 0, StoreTypeNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        if (c.type != StoreTypeNone)
            PutOptions(bytes, c.size, c.type);
        PutPlacement(placement);
        LoadOptions();
        ExpectDefaults(4242, 7, 9);
        ASSERT_EQ(HeadlessSetWindowRectCount(), 1);
        ScreenRect moved = HeadlessLastSetWindowRect();
        EXPECT_EQ(moved.left, 30);
        EXPECT_EQ(moved.top, 40);
        EXPECT_EQ(moved.right, 830);
        EXPECT_EQ(moved.bottom, 640);
        EXPECT_EQ(HeadlessOpenStoreKeys(), 0);
    }
}

TEST_F(OptionsTest, ShortOrMissingPlacementIsIgnoredWhileTheOptionsLoad)
{
    GameOptions sample = SampleOptions();
    PutOptions(&sample, 60);
    PutPlacement({30, 40, 830, 640}, 12);
    LoadOptions();
    EXPECT_EQ(std::memcmp(&gameOptions, &sample, 60), 0);
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);

    HeadlessStoreDeleteValue(SettingsKeyPath, WindowValueName);
    gameOptions = {};
    LoadOptions();
    EXPECT_EQ(std::memcmp(&gameOptions, &sample, 60), 0);
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, PlacementIsNotReadBeforeTheWindowExists)
{
    HeadlessReset();
    PutPlacement({30, 40, 830, 640});
    LoadOptions();
    EXPECT_EQ(HeadlessSetWindowRectCount(), 0);
}

TEST_F(OptionsTest, OutOfRangeStoredFieldsAreClampedOnLoad)
{
    GameOptions wild = SampleOptions();
    wild.player = -3;
    wild.inputDevice = 2;
    wild.gameType = 5;
    wild.difficulty = 101;
    wild.surfaceRoughness = 0;
    wild.platformSize = 99;
    wild.fuelAmount = 60;
    wild.windStrength = 100;
    wild.planet = 7;
    wild.visibility = 74;
    wild.gameWidth = 9000;
    wild.gameHeight = 5;
    wild.zoom = -9;
    wild.flipVertical = 7;
    wild.flipHorizontal = 255;
    PutOptions(&wild, 60);
    LoadOptions();

    const GameOptions& o = gameOptions;
    EXPECT_EQ(o.player, 0);
    EXPECT_EQ(o.inputDevice, 1);
    EXPECT_EQ(o.gameType, 1);
    EXPECT_EQ(o.difficulty, 100);
    EXPECT_EQ(o.surfaceRoughness, 1);
    EXPECT_EQ(o.platformSize, 10);
    EXPECT_EQ(o.fuelAmount, 50);
    EXPECT_EQ(o.windStrength, 99);
    EXPECT_EQ(o.planet, 3);
    EXPECT_EQ(o.visibility, 50);
    EXPECT_EQ(o.gameWidth, 5000);
    EXPECT_EQ(o.gameHeight, 16);
    EXPECT_EQ(o.zoom, -2);
    EXPECT_EQ(o.flipVertical, 1);
    EXPECT_EQ(o.flipHorizontal, 1);
    EXPECT_EQ(o.reserved, wild.reserved);
    EXPECT_EQ(o.spare[0], 0xAB);
    EXPECT_EQ(o.spare[1], 0xCD);
}

TEST(ClampOptions, KeepsValidRecordsAndMendsHalfAPlayfieldSize)
{
    GameOptions valid = SampleOptions();
    GameOptions copy = valid;
    ClampOptions(copy);
    EXPECT_EQ(std::memcmp(&copy, &valid, 60), 0);

    // Fuel 125 only comes from the difficulty slider but is a real setting.
    copy.fuelAmount = 125;
    copy.gameWidth = 0;
    copy.gameHeight = 0;
    ClampOptions(copy);
    EXPECT_EQ(copy.fuelAmount, 125);
    EXPECT_EQ(copy.gameWidth, 0);
    EXPECT_EQ(copy.gameHeight, 0);

    copy.gameWidth = 0;
    copy.gameHeight = 480;
    ClampOptions(copy);
    EXPECT_EQ(copy.gameWidth, 0);
    EXPECT_EQ(copy.gameHeight, 0);

    copy.fuelAmount = INT32_MIN;
    copy.windStrength = INT32_MAX;
    ClampOptions(copy);
    EXPECT_EQ(copy.fuelAmount, 25);
    EXPECT_EQ(copy.windStrength, 99);
}

} // namespace
