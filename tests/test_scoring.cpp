// The verdict texts, the multiplier formatting and the score breakdown of each outcome.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "sim/options.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "world/world.h"

namespace {

struct Report {
    std::string title, message, details;
    int score;
    bool Has(const char* line) const { return details.find(line) != std::string::npos; }
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
        platforms[0] = {100, 50, 30, 20};
        platforms[1] = {300, 60, 20, 30};
        gameState.touchdownPlatform = 0;
        gameState.tipPlatform = -1;
        gameState.craft.fuel = 43.7;
        gameState.craft.x = 100 + 15 - 21 + 40; // far from the centre: centring bonus 1
        std::memset(flightRecord, 0, sizeof flightRecord);
        recordCount = finalRecord = 0;
        recordWrapped = false;
    }
};

TEST(FormatMultiplier, TruncatesToThreeDecimals)
{
    // Wind bonuses 1 + 0.33 k and platform size bonuses 1 + 0.1 p as the game computes them, stray and wild
    // values, and negatives, which keep the whole part's sign only.
    const struct {
        double value;
        const char* text;
    } rows[] = {{1.25, "1.250"}, {1.9999, "1.999"}, {1.0004, "1.000"}, {1e300, "2147483647"}, {1.0, "1"},
                {1.33, "1.330"}, {1.66, "1.659"},   {1.1, "1.100"},    {1.2, "1.199"},      {1.9, "1.899"},
                {2.0, "2"},      {-1.25, "-1.250"}, {-0.5, "0.500"},   {-3.0, "-3"}};
    for (const auto& row : rows)
        EXPECT_STREQ(FormatMultiplier(row.value), row.text) << row.value;
}

TEST_F(ScoringTest, LandingFollowsTheWorkedExample)
{
    for (int i = 0; i < 100; ++i) // falling straight down, never turning back
        flightRecord[i].x = 100, flightRecord[i].y = 400 - i;
    recordCount = 100;
    finalRecord = 99;
    Report r = Build(1);
    EXPECT_EQ(r.title, "Successful Landing");
    EXPECT_EQ(r.details, "    Total Planetary Score: 10\n"
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
                         "\n");
    // Continuity 10; vy 0 and upright: precision 2 x 1.5 x 1.
    EXPECT_EQ(r.score, 10 + 30 + 4 + 30);
    EXPECT_EQ(r.message, "Congratulations!\nYou successfully landed your spaceship.\nScore: 74");

    flightRecord[99].y = flightRecord[98].y + 1; // rose in the very last frame: rise term 5/N
    flightRecord[50].x = 101;                    // right, then back left at 51: reversal age 49
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 2.500\n"));

    // A wrapped ring falling straight down, the next frame going to 300: N = 10000, the scan starts at the
    // oldest frame (300), which never turned back.
    for (int i = 0; i < FlightRecordSize; ++i)
        flightRecord[i].x = 100, flightRecord[i].y = 20000 - (i - 300 + FlightRecordSize) % FlightRecordSize;
    recordCount = 300;
    recordWrapped = true;
    finalRecord = 299;
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 10\n"));
    // A rise written at 9000 counts across the wrap: rise age 300 - 9000 + 10000 = 1300, reversal age 10000.
    flightRecord[9000].y = flightRecord[8999].y + 5;
    EXPECT_TRUE(Build(1).Has("Landing Continuity Base Score: 5.650\n"));
}

TEST_F(ScoringTest, PerfectTouchdownWithoutRecordedFrames)
{
    gameState.craft.x = 100 + 15 - 21; // contact-box centre on the platform centre
    Report r = Build(1);
    EXPECT_TRUE(r.Has("Landing Continuity Base Score: 0\n"));
    EXPECT_TRUE(r.Has("Total Landing Ergonomics Score: 0\n"));
    EXPECT_TRUE(r.Has("Landing Precision Bonus: 6 x\n"));
}

TEST_F(ScoringTest, CrashTipOverAndUnknownOutcomes)
{
    gameOptions.windStrength = 66;
    Report r = Build(2); // sections printed, totals zero
    EXPECT_EQ(r.title, "Unsuccessful Landing Attempt");
    EXPECT_EQ(r.message, "Sorry, you crashed!\nOnly thing left of you is a bunch of burned pieces on the bottom of a "
                         "big black crater.\nScore: 0");
    for (const char* line : {"    Total Planetary Score: 0\n", "Requested Wind Bonus: 1.659 x\n",
                             "Leftover Fuel Base Score: 4\n", "Requested Fuel Amount Bonus: 0 x\n"})
        EXPECT_TRUE(r.Has(line)) << line;
    EXPECT_FALSE(r.Has("Ergonomics"));
    EXPECT_EQ(r.score, 0);

    // A tip-over scores a tenth of the tipped platform (30: 3), not the last landing's.
    gameOptions.windStrength = 0;
    gameState.tipPlatform = 1;
    const char* whys[] = {"You landed on the edge of the platform and tipped your spaceship over.",
                          "You landed with too much horizontal speed and tipped your spaceship over.",
                          "You landed but your spaceship was rolling to the side too much and tipped over."};
    for (int outcome = 3; outcome <= 5; ++outcome) {
        r = Build(outcome);
        EXPECT_EQ(r.message, std::string("Sorry, you crashed!\n") + whys[outcome - 3] + "\nScore: 5");
        EXPECT_TRUE(r.Has("Landing Platform Base Score: 3\n"));
        EXPECT_TRUE(r.Has("        Planet Base Score: 1\n"));
    }
    // The legged craft doubles the planet base before truncation: on Mars 15 x 0.1 x 2 = 3, not 1 x 2.
    gameOptions.gameType = 1;
    gameState.planetIndex = 1;
    EXPECT_TRUE(Build(3).Has("        Planet Base Score: 3\n"));

    r = Build(7);
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
    EXPECT_TRUE(r.Has("    Total Planetary Score: 24\n"));
    EXPECT_TRUE(r.Has("    Total Landing Platform Score: 27\n"));
    EXPECT_EQ(r.score, 56);
}

} // namespace
