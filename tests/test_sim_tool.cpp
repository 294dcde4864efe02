// The dravolinex-sim command line: reproducible output, the JSON fields, scripts, step limits and errors; and
// its --paint flight against the game's own flight on the headless backend's loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <tuple>

#include <nlohmann/json.hpp>

#include "sim/options.h"
#include "platform/app_entry.h"
#include "platform/headless/headless.h"
#include "platform/store.h"
#include "scoring/landing_report.h"
#include "sim/game_state.h"
#include "sim/timers.h"

namespace {

struct Result {
    int status;
    std::string out;
};

std::string SimulatorPath()
{
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
    return (self.parent_path().parent_path() / "tools" / "dravolinex-sim").string();
}

// Runs the simulator after the shell commands `before`, ended should it hang; `streams` picks stdout
// ("2>/dev/null") or stderr ("2>&1 >/dev/null").
Result RunSimulator(const std::string& arguments, const std::string& streams = "2>/dev/null",
                    const std::string& before = "")
{
    std::string command = before + "timeout 30 " + SimulatorPath() + " " + arguments + " " + streams;
    Result result{-1, ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return result;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.out.append(buffer, n);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

constexpr auto Parse = [](const std::string& line) { return nlohmann::json::parse(line); };

class SimToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!std::filesystem::exists(SimulatorPath()))
            GTEST_SKIP() << "dravolinex-sim is not built";
    }
};

TEST_F(SimToolTest, SameArgumentsGiveSameBytesAndRunsFollowTheSeeds)
{
    Result world = RunSimulator("--client 800x600 --world --set player=0 --difficulty 40");
    nlohmann::json j = Parse(world.out);
    EXPECT_EQ(j["options"]["gameWidth"], 800);
    EXPECT_EQ(j["options"]["fuelAmount"], 50);
    EXPECT_EQ(j["world"]["terrain"].size(), 801u);
    EXPECT_EQ(j["world"]["pilot"]["funnel"].size(), 600u);
    EXPECT_GT(j["draws"]["world"].get<int>(), 1000); // the background scene's draws are part of the world
    EXPECT_TRUE(Parse(RunSimulator("--world").out)["world"]["pilot"].is_null());

    Result three = RunSimulator("--seed 40 --runs 3 --set player=0 --trace");
    ASSERT_EQ(three.status, 0);
    EXPECT_EQ(RunSimulator("--seed 40 --runs 3 --set player=0 --trace").out, three.out);
    std::string second = three.out.substr(three.out.find('\n') + 1);
    second = second.substr(0, second.find('\n') + 1);
    EXPECT_EQ(RunSimulator("--seed 41 --set player=0 --trace").out, second);
    EXPECT_EQ(Parse(second)["seed"], 41);
    // Under the game's timers too: nothing of one flight's end animations carries into the next run.
    Result painted = RunSimulator("--paint --seed 7 --runs 2");
    EXPECT_EQ(painted.out.substr(painted.out.find('\n') + 1), RunSimulator("--paint --seed 8").out);
}

TEST_F(SimToolTest, WorkersPrintTheSameBytesInSeedOrderAndAFailureIsNotDropped)
{
    for (const char* arguments : {"--seed 100 --runs 300 --set player=0", "--runs 7 --trace --world --set player=0"}) {
        Result alone = RunSimulator(std::string(arguments) + " --jobs 1");
        ASSERT_EQ(alone.status, 0) << arguments;
        for (const char* jobs : {" --jobs 2", " --jobs 3"}) {
            Result shared = RunSimulator(arguments + std::string(jobs));
            EXPECT_EQ(shared.status, 0) << arguments << jobs;
            EXPECT_TRUE(shared.out == alone.out) << arguments << jobs; // whole output, not printed on failure
        }
    }
    // The first run's snapshot cannot be written: no result line for it, only the error; the later runs are
    // not printed.
    const std::string bad = "--runs 4 --snapshot " + testing::TempDir() + "no/such/dir/x.png";
    Result alone = RunSimulator(bad + " --jobs 1");
    Result shared = RunSimulator(bad + " --jobs 2");
    EXPECT_EQ(alone.status, 2);
    EXPECT_EQ(shared.status, 2);
    EXPECT_EQ(shared.out, "");
    EXPECT_EQ(shared.out, alone.out);
}

TEST_F(SimToolTest, ScriptDrivesTheHumanPilotAndTheStepLimitEndsTheFlight)
{
    const std::string path = testing::TempDir() + "sim_script.txt";
    std::ofstream(path) << "# full thrust, then a left jet from step 3\n2 100 0 0\n3 0 100 0  # jet\n";
    Result r = RunSimulator("--script " + path + " --max-steps 10 --trace");
    ASSERT_EQ(r.status, 0);
    nlohmann::json j = Parse(r.out);
    const auto& trace = j["trace"];
    ASSERT_EQ(trace.size(), 10u);
    EXPECT_EQ(trace[0][9], 0); // nothing before the first line
    EXPECT_EQ(trace[1][9], 100);
    EXPECT_NEAR(trace[1][4].get<double>() - trace[0][4].get<double>(), 1.0 - 0.17, 1e-6);
    EXPECT_EQ(trace[2][10], 100);
    EXPECT_EQ(j["flight"]["steps"], 10);
    EXPECT_EQ(j["flight"]["outcome"], 0);
    EXPECT_EQ(j["flight"]["platform"], -1);
    EXPECT_EQ(j["flight"]["recordCount"], 2); // one frame every five flying steps
    EXPECT_EQ(j["report"]["title"], "Landing Attempt");
}

TEST_F(SimToolTest, BadArgumentsGiveOneLineAndStatusTwo)
{
    const std::string path = testing::TempDir() + "sim_bad_script.txt", fifo = testing::TempDir() + "sim_fifo",
                      longLine = testing::TempDir() + "sim_long_line.txt";
    std::ofstream(path) << "1 100 0 0\n5 x 0 0\n";
    std::ofstream(longLine) << "1 " << std::string(5000, '0') << " 0 0\n";
    std::filesystem::remove(fifo);
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The scripts: a directory, one that never ends, a FIFO without a writer, a read error, a line too long.
    for (const std::string& arguments : std::vector<std::string>{
             "--set nosuchfield=1", "--set player=2", "--set fuelAmount=30", "--set windStrength=50",
             "--set gameWidth=8 --set gameHeight=8", "--set player", "--client 640", "--difficulty 101", "--jobs 0",
             "--seed abc", "--runs 0", "--bogus", "--client 99999x99999", "--client 16385x16", "--client 10000x10000",
             "--client -5x5", "--snapshot ''", "--max-steps 99999999999999999999", "--max-steps -1",
             "--max-steps 0x10", "--snapshot-step 1e3", "--script /tmp", "--script /dev/zero", "--script " + fifo,
             "--script /proc/self/mem", "--script " + longLine}) {
        Result r = RunSimulator(arguments, "2>&1 >/dev/null");
        EXPECT_EQ(r.status, 2) << arguments;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << arguments << ": " << r.out;
    }
    Result r = RunSimulator("--script " + path, "2>&1 >/dev/null");
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.out.find(":2:"), std::string::npos) << r.out;
    // The widest client accepted.
    EXPECT_EQ(RunSimulator("--client 16384x16 --max-steps 1").status, 0);
}

// Output on a full disk (cut off mid-line by a file size limit, with one worker and several) and a snapshot that
// cannot be written: one line and status 2, and the picture already there is kept whole.
TEST_F(SimToolTest, FailedWritesGiveOneLineAndStatusTwo)
{
    const std::string cut = testing::TempDir() + "sim_cut.txt", png = testing::TempDir() + "sim_kept.png";
    const std::string limit = "ulimit -f 8; trap '' XFSZ; "; // 4 KiB, and a write beyond it fails
    std::ofstream(png) << "an earlier picture";
    const std::string cases[][3] = {
        {"", "--seed 7", "/dev/full"},
        {"", "--runs 3 --jobs 2", "/dev/full"},
        {limit, "--runs 100 --jobs 1", cut},
        {limit, "--runs 100 --jobs 3", cut},
        {limit, "--client 1024x768 --snapshot " + png, "/dev/null"},
    };
    for (const auto& [before, arguments, output] : cases) {
        Result r = RunSimulator(arguments, "2>&1 >" + output, before);
        EXPECT_EQ(r.status, 2) << arguments;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << arguments << ": " << r.out;
    }
    std::ifstream kept(png);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "an earlier picture");
}

TEST_F(SimToolTest, OptionsDrawsRecordingAndTipOverFollowTheContract)
{
    // The difficulty mapping first, then each --set in order; doubles come back exactly.
    nlohmann::json j = Parse(RunSimulator("--client 1024x768 --difficulty 100 --set planet=0 --set fuelAmount=50").out);
    EXPECT_EQ(j["options"]["difficulty"], 100);
    EXPECT_EQ(j["options"]["windStrength"], 66);
    EXPECT_EQ(j["options"]["planet"], 0);
    EXPECT_EQ(j["options"]["fuelAmount"], 50);
    EXPECT_EQ(j["start"]["windMax"].get<double>(), 66 * 0.65 * 0.6 / 100);
    EXPECT_EQ(std::fabs(j["start"]["wind"].get<double>()), 66 * 0.65 * 0.6 / 100);
    EXPECT_EQ(j["start"]["fuel"].get<double>(), 75);
    const double x = j["start"]["x"].get<double>();
    EXPECT_EQ(x, 1024 * 0.15 + std::round(x - 1024 * 0.15)); // 15 % of the width and a whole column

    // Without wind every step retargets it: four draws per step. A frame is recorded after every fifth step
    // that leaves the craft flying, so not after the step of the contact (seed 5 crashes at step 500).
    for (uint32_t seed : {3u, 4u, 5u}) {
        j = Parse(RunSimulator("--seed " + std::to_string(seed)).out);
        const int steps = j["flight"]["steps"];
        EXPECT_EQ(j["flight"]["outcome"], 2);
        EXPECT_EQ(j["draws"]["end"].get<int>() - j["draws"]["world"].get<int>(), 4 * steps);
        EXPECT_EQ(j["flight"]["recordCount"], (steps - 1) / 5);
    }

    // A script is ignored when the computer flies.
    const std::string path = testing::TempDir() + "sim_ignored_script.txt";
    std::ofstream(path) << "1 100 100 0\n";
    EXPECT_EQ(RunSimulator("--seed 9 --set player=0 --script " + path).out, RunSimulator("--seed 9 --set player=0").out);

    // An edge tip runs to its end: the craft lies on its side where the tip-over began.
    j = Parse(RunSimulator("--seed 5 --set player=0 --set windStrength=99 --set surfaceRoughness=4 --trace").out);
    ASSERT_EQ(j["flight"]["outcome"], 3);
    EXPECT_EQ(std::fabs(j["flight"]["angle"].get<double>()), 90);
    const auto& contact = j["trace"].back();
    EXPECT_EQ(j["flight"]["x"], contact[1]);
    EXPECT_EQ(j["flight"]["y"], contact[2]);
    EXPECT_GE(j["flight"]["platform"].get<int>(), 0);
    EXPECT_EQ(j["report"]["title"], "Unsuccessful Landing Attempt");
}

struct PaintCase {
    uint32_t seed;
    int gameType, windStrength, fuelAmount, outcome;
};

// The game started with the case's options stored and seeded by the clock, settings cancelled, pause continued, no
// other window event: the flight at the verdict, and whether each repaint while it flew left exactly one record.
nlohmann::json FlyGame(const PaintCase& c, bool& oneRecordPerRepaint)
{
    HeadlessReset();
    SetDefaultOptions();
    std::tie(gameOptions.player, gameOptions.gameType, gameOptions.windStrength, gameOptions.fuelAmount) =
        std::tuple(0, c.gameType, c.windStrength, c.fuelAmount);
    HeadlessStorePut(SettingsKeyPath, OptionsValueName, StoreTypeBinary, &gameOptions, sizeof gameOptions);
    HeadlessSetClock(c.seed);
    nlohmann::json flight;
    HeadlessQueueDialog(144, {PressEscape()});
    HeadlessQueueDialog(166, {PressEnter()});
    HeadlessQueueDialog(164, {CallInDialog([&](Dialog*) {
        std::string details(ReportBufferSize, 0), title = details, message = details;
        const int score = BuildLandingReport(&details[0], &title[0], &message[0], LandingOutcome());
        const Craft& k = gameState.craft;
        flight = {{"steps", HeadlessTimerExpiries(TimerStep)}, {"outcome", LandingOutcome()}, {"x", k.x}, {"y", k.y},
                  {"fuel", k.fuel}, {"angle", k.angle}, {"recordCount", recordCount}, {"score", score},
                  {"details", details.c_str()}};
    })});
    EXPECT_TRUE(AppStartup());
    for (oneRecordPerRepaint = true; flight.is_null() && HeadlessNow() < c.seed + 600000;) {
        HeadlessAdvance(10);
        const GameState& g = gameState;
        if (flight.is_null() && !g.halted && !g.landed && !g.crashed && LandingOutcome() == 0)
            oneRecordPerRepaint &= static_cast<uint64_t>(recordCount) == HeadlessTimerExpiries(TimerRepaint);
    }
    AppShutdown();
    return flight;
}

TEST_F(SimToolTest, PaintedFlightIsTheGamesFlightOneRecordPerRepaint)
{
    // Landings and crashes of both craft; in the last flight the paint's draws move the wind enough to matter.
    const PaintCase cases[] = {{3, 0, 0, 25, 1}, {8, 1, 0, 25, 2}, {21, 0, 66, 100, 1}, {34, 1, 99, 75, 2}};
    for (const PaintCase& c : cases) {
        bool oneRecordPerRepaint = false;
        const nlohmann::json game = FlyGame(c, oneRecordPerRepaint);
        EXPECT_TRUE(oneRecordPerRepaint) << c.seed;
        EXPECT_EQ(game["outcome"], c.outcome) << c.seed;
        nlohmann::json sim = Parse(RunSimulator("--paint --set player=0 --seed " + std::to_string(c.seed) +
                                                " --set gameType=" + std::to_string(c.gameType) + " --set windStrength=" +
                                                std::to_string(c.windStrength) + " --set fuelAmount=" +
                                                std::to_string(c.fuelAmount)).out);
        sim["flight"].update(sim["report"]);
        for (const char* field : {"steps", "outcome", "x", "y", "fuel", "angle", "recordCount", "score", "details"})
            EXPECT_EQ(sim["flight"][field], game[field]) << c.seed << ": " << field;
    }
}

} // namespace
