// The verdict texts, the multiplier formatting and the score breakdown of each outcome.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/options.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "world/world.h"

namespace {

struct Report {
    std::string title, message, details;
    int score;
};

Report Build(int outcome)
{
    std::vector<char> details(ReportBufferSize, 0), title(ReportBufferSize, 0), message(ReportBufferSize, 0);
    int score = BuildLandingReport(details.data(), title.data(), message.data(), outcome);
    return {title.data(), message.data(), details.data(), score};
}

// The example flight: a rocket on the Moon, roughness 1, visibility 0, wind 0, platform size 5, fuel
// amount 25, on a platform worth 20 points with 43.7 units of fuel left.
class ScoringTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gameState = {};
        gameOptions = {};
        gameOptions.surfaceRoughness = 1;
        gameOptions.platformSize = 5;
        gameOptions.fuelAmount = 25;
        gameOptions.gameWidth = 640;
        gameOptions.gameHeight = 480;
        gameState.platformCount = 3;
        platforms[0] = {100, 50, 30, 20};
        platforms[1] = {300, 60, 20, 30};
        gameState.touchdownPlatform = 0;
        gameState.tipPlatform = -1;
        gameState.craft.fuel = 43.7;
        gameState.craft.x = 100 + 15 - 21 + 40; // far from the centre: centring bonus 1
        std::memset(flightRecord, 0, sizeof flightRecord);
        recordCount = 0;
        recordWrapped = false;
        finalRecord = 0;
    }
    void Record(int count)
    {
        for (int i = 0; i < count; ++i) {
            flightRecord[i].x = 100;
            flightRecord[i].y = 400 - i; // falling straight down
        }
        recordCount = count;
        finalRecord = count - 1;
    }
};

TEST(FormatMultiplier, TruncatesToThreeDecimals)
{
    // The wind bonuses 1 + 0.33 k and the platform size bonuses 1 + 0.1 p as the game computes them, stray and
    // wild values, and negatives, which keep the whole part's sign only.
    const struct {
        double value;
        const char* text;
    } rows[] = {{1.25, "1.250"}, {1.9999, "1.999"}, {1.0004, "1.000"}, {1e300, "2147483647"},
                {1.0, "1"},      {1.33, "1.330"},   {1.66, "1.659"},   {1.99, "1.990"},
                {1.1, "1.100"},  {1.2, "1.199"},    {1.3, "1.300"},    {1.4, "1.399"},
                {1.5, "1.500"},  {1.6, "1.600"},    {1.7, "1.700"},    {1.8, "1.800"},
                {1.9, "1.899"},  {2.0, "2"},        {-1.25, "-1.250"}, {-0.5, "0.500"},
                {-3.0, "-3"}};
    for (const auto& row : rows)
        EXPECT_STREQ(FormatMultiplier(row.value), row.text) << row.value;
}

TEST_F(ScoringTest, LandingFollowsTheWorkedExample)
{
    Record(100);
    Report r = Build(1);
    EXPECT_EQ(r.title, "Successful Landing");
    const std::string expected = "    Total Planetary Score: 10\n"
                                 "        Planet Base Score: 10\n"
                                 "        Requested Planet Surface Bonus: 1 x\n"
                                 "        Requested Visibility Bonus: 1 x\n"
                                 "        Requested Wind Bonus: 1 x\n"
                                 "\n"
                                 "    Total Landing Platform Score: 30\n"
                                 "        Landing Platform Base Score: 20\n"
                                 "        Requested Landing Platform Size Bonus: 1.500 x\n"
                                 "\n"
                                 "    Total Fuel Score: 4\n"
                                 "        Leftover Fuel Base Score: 4\n"
                                 "        Requested Fuel Amount Bonus: 1 x\n"
                                 "\n"
                                 "    Total Landing Ergonomics Score: 30\n"
                                 "        Landing Continuity Base Score: 10\n"
                                 "        Landing Precision Bonus: 3 x\n"
                                 "\n";
    EXPECT_EQ(r.details, expected);
    // Never rose, never turned back: continuity 10; vy 0 and upright: 2 x 1.5 x 1.
    EXPECT_EQ(r.score, 10 + 30 + 4 + 30);
    EXPECT_EQ(r.message, "Congratulations!\nYou successfully landed your spaceship.\nScore: 74");
}

TEST_F(ScoringTest, ContinuityMeasuresTheFlightSinceTheLastRiseAndTurn)
{
    Record(100);
    flightRecord[99].y = flightRecord[98].y + 1; // rose in the very last frame: rise term 5/N
    flightRecord[50].x = 101;                    // right, then back left at 51: reversal age 49
    EXPECT_NE(Build(1).details.find("Landing Continuity Base Score: 2.500\n"), std::string::npos);

    // A wrapped ring falling straight down, the next frame going to 300: N = 10000, the scan starts at the
    // oldest frame (300), which never turned back.
    for (int i = 0; i < FlightRecordSize; ++i) {
        flightRecord[i].x = 100;
        flightRecord[i].y = 20000 - ((i - 300 + FlightRecordSize) % FlightRecordSize);
    }
    recordCount = 300;
    recordWrapped = true;
    finalRecord = 299;
    EXPECT_NE(Build(1).details.find("Landing Continuity Base Score: 10\n"), std::string::npos);
    // A rise written at 9000 counts across the wrap: rise age 300 - 9000 + 10000 = 1300, reversal age 10000.
    flightRecord[9000].y = flightRecord[8999].y + 5;
    EXPECT_NE(Build(1).details.find("Landing Continuity Base Score: 5.650\n"), std::string::npos);
}

TEST_F(ScoringTest, PerfectTouchdownWithoutRecordedFrames)
{
    gameState.craft.x = 100 + 15 - 21; // contact-box centre on the platform centre
    Report r = Build(1);
    EXPECT_NE(r.details.find("Landing Continuity Base Score: 0\n"), std::string::npos);
    EXPECT_NE(r.details.find("Total Landing Ergonomics Score: 0\n"), std::string::npos);
    EXPECT_NE(r.details.find("Landing Precision Bonus: 6 x\n"), std::string::npos);
}

TEST_F(ScoringTest, CrashPrintsSectionsWithZeroTotals)
{
    gameOptions.windStrength = 66;
    Report r = Build(2);
    EXPECT_EQ(r.title, "Unsuccessful Landing Attempt");
    EXPECT_EQ(r.message, "Sorry, you crashed!\nOnly thing left of you is a bunch of burned pieces on the bottom of a "
                         "big black crater.\nScore: 0");
    EXPECT_NE(r.details.find("    Total Planetary Score: 0\n"), std::string::npos);
    EXPECT_NE(r.details.find("Requested Wind Bonus: 1.659 x\n"), std::string::npos);
    EXPECT_NE(r.details.find("Leftover Fuel Base Score: 4\n"), std::string::npos);
    EXPECT_NE(r.details.find("Requested Fuel Amount Bonus: 0 x\n"), std::string::npos);
    EXPECT_EQ(r.details.find("Ergonomics"), std::string::npos);
    EXPECT_EQ(r.score, 0);
}

TEST_F(ScoringTest, TipOverScoresATenthOfTheTippedPlatform)
{
    const char* messages[] = {
        "Sorry, you crashed!\nYou landed on the edge of the platform and tipped your spaceship over.",
        "Sorry, you crashed!\nYou landed with too much horizontal speed and tipped your spaceship over.",
        "Sorry, you crashed!\nYou landed but your spaceship was rolling to the side too much and tipped over.",
    };
    gameState.tipPlatform = 1; // worth 30: a tenth is 3; the last landing's platform does not count
    for (int outcome = 3; outcome <= 5; ++outcome) {
        Report r = Build(outcome);
        EXPECT_EQ(r.message, std::string(messages[outcome - 3]) + "\nScore: 5");
        EXPECT_NE(r.details.find("Landing Platform Base Score: 3\n"), std::string::npos);
        EXPECT_NE(r.details.find("        Planet Base Score: 1\n"), std::string::npos);
    }
    // The legged craft doubles the planet base before truncation: 10 x 0.1 x 2 = 2.
    gameOptions.gameType = 1;
    EXPECT_NE(Build(3).details.find("        Planet Base Score: 2\n"), std::string::npos);
}

TEST_F(ScoringTest, UnknownOutcomeAndMissingBuffers)
{
    Report r = Build(7);
    EXPECT_EQ(r.title, "Landing Attempt");
    EXPECT_EQ(r.message, "What has just happened???\nScore: 0");

    // Without a title the verdict is not written and the factor is 0; the score is still computed.
    std::vector<char> details(ReportBufferSize, 0), message(ReportBufferSize, 0);
    EXPECT_EQ(BuildLandingReport(details.data(), nullptr, message.data(), 1), 0);
    EXPECT_STREQ(message.data(), "\nScore: 0");
    EXPECT_EQ(BuildLandingReport(nullptr, nullptr, nullptr, 1), 0);
}

TEST_F(ScoringTest, TotalAddsTheUntruncatedSections)
{
    // Planetary 10 x 1.25 x 1.5 x 1.33 = 24.94 (shown 24), platform 25 x 1.1 = 27.5 (shown 27), fuel 4:
    // the shown totals add up to 55, the score is trunc(56.44) = 56.
    gameOptions.surfaceRoughness = 2;
    gameOptions.visibility = 50;
    gameOptions.windStrength = 33;
    gameOptions.platformSize = 1;
    platforms[0].points = 25;
    Report r = Build(1);
    EXPECT_NE(r.details.find("    Total Planetary Score: 24\n"), std::string::npos);
    EXPECT_NE(r.details.find("    Total Landing Platform Score: 27\n"), std::string::npos);
    EXPECT_EQ(r.score, 56);
}

} // namespace
