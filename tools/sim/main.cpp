// dravolinex-sim: worlds and flights of the game from a seed, one JSON object per run.
#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "app/shell.h"
#include "dialogs/dialogs.h"
#include "tools/sim/sim.h"
#include "world/world.h"

bool SnapshotAvailable();

static int Fail(const std::string& message)
{
    std::string line = message;
    for (char& ch : line)
        if (ch == '\n' || ch == '\r')
            ch = ' ';
    std::fprintf(stderr, "dravolinex-sim: %s\n", line.c_str());
    return 2;
}

static bool ParseClient(const std::string& text, int& width, int& height)
{
    int w = 0, h = 0;
    char x = 0, extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 0 || h < 0 || w > 100000 || h > 100000)
        return false;
    width = w;
    height = h;
    return true;
}

int main(int argc, char** argv)
{
    CLI::App app{"Worlds and flights of Dravolinex from a seed, headlessly; one JSON object per run."};
    SimSettings settings;
    std::string client = "640x480";
    int difficulty = -1;
    std::vector<std::string> sets;
    std::string scriptPath;
    app.add_option("--seed", settings.seed, "seed of the first run (default 1)");
    app.add_option("--runs", settings.runs, "number of runs, seeds N, N+1, ...")->check(CLI::Range(1u, 100000000u));
    app.add_option("--client", client, "client size WxH of the main window (default 640x480)");
    app.add_option("--difficulty", difficulty, "apply the Difficulty slider at P")->check(CLI::Range(0, 100));
    app.add_option("--set", sets, "FIELD=VALUE of the options record, in order")->allow_extra_args(false);
    app.add_option("--script", scriptPath, "the human pilot's demands: lines STEP THRUST LEFT RIGHT");
    app.add_option("--max-steps", settings.maxSteps, "longest flight in steps (default 100000)")
        ->check(CLI::Range(int64_t(0), int64_t(INT64_MAX)));
    app.add_flag("--world", settings.world, "print the world's tables");
    app.add_flag("--trace", settings.trace, "print the craft after every step");
    app.add_option("--snapshot", settings.snapshotPath, "write the first run's client picture as PNG");
    app.add_option("--snapshot-step", settings.snapshotStep, "take the snapshot after step K (default: last)")
        ->check(CLI::Range(int64_t(0), int64_t(INT64_MAX)));
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        return Fail(e.what());
    }

    if (!ParseClient(client, settings.clientWidth, settings.clientHeight))
        return Fail("--client: expected WxH with sizes 0..100000, got '" + client + "'");

    // The options of a first run, then the Difficulty slider, then each --set in order.
    gameOptions = {};
    SetDefaultOptions();
    if (difficulty >= 0)
        ApplyDifficulty(difficulty);
    std::string error;
    for (const std::string& assignment : sets) {
        std::string::size_type eq = assignment.find('=');
        if (eq == std::string::npos)
            return Fail("--set: expected FIELD=VALUE, got '" + assignment + "'");
        if (!SetOptionField(gameOptions, assignment.substr(0, eq), assignment.substr(eq + 1), error))
            return Fail(error);
    }
    if ((gameOptions.gameWidth == 0) != (gameOptions.gameHeight == 0))
        return Fail("--set: gameWidth and gameHeight must both be 0 (the client size) or both 16..5000");
    settings.options = gameOptions;

    if (!scriptPath.empty() && !ReadScript(scriptPath, settings.script, error))
        return Fail(error);
    if (!settings.snapshotPath.empty() && !SnapshotAvailable())
        return Fail("--snapshot: not available in this build");

    PrepareSimulator(settings);
    for (uint32_t i = 0; i < settings.runs; ++i) {
        bool snapshot = i == 0 && !settings.snapshotPath.empty();
        // Only a run whose picture is taken needs the painted scene; the others take the same draws without it.
        worldPictures = snapshot;
        if (!RunFlight(settings, settings.seed + i, snapshot, error))
            return Fail(error);
    }
    FinishSimulator();
    return 0;
}
