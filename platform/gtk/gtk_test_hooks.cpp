// Hooks for the scripts that play the game where no input device exists (a Wayland compositor without a seat):
// DRAVOLINEX_TEST_LOG names a file that gets a line for the window system in use, for each window shown and, once a
// second, the number of frames presented so far; SIGUSR2 then chooses File > Exit. DRAVOLINEX_FLIGHT_LOG names a file
// that gets, for each frame presented, the craft's state ("craft SECONDS x y vx vy angle fuel flying") and, whenever
// it changed, the world's platforms and terrain ("world ..."), for the recording scripts' player. Without the
// variables, or in a build without test hooks (platform/common/test_hooks.h), nothing happens.
#include "platform/app_entry.h"
#include "platform/common/test_hooks.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/commands.h"
#include "resources/shell_tables.h"

#include <glib-unix.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

FILE* testLog = nullptr;
FILE* flightLog = nullptr;
char worldText[80000];
char lastWorldText[sizeof worldText];
long framesPresented = 0;
gint64 lastFrameLine = 0;

// The command of the File menu's Exit item.
int ExitCommand()
{
    for (int i = 0; i < MainMenuCount; i++)
        if (MainMenu[i].kind == MenuCommandItem && MainMenu[i].text && strcmp(MainMenu[i].text, "E&xit") == 0)
            return MainMenu[i].command;
    return -1;
}

gboolean ChooseExit(gpointer)
{
    if (MainGtkWindow()) PlatformPostCommand(ExitCommand());
    return G_SOURCE_CONTINUE;
}

} // namespace

void OpenTestLog()
{
    const char* flightPath = TEST_HOOK_SETTING("DRAVOLINEX_FLIGHT_LOG");
    if (flightPath && *flightPath && !flightLog && (flightLog = fopen(flightPath, "w")))
        setvbuf(flightLog, nullptr, _IOLBF, 0);
    const char* path = TEST_HOOK_SETTING("DRAVOLINEX_TEST_LOG");
    if (!path || !*path || testLog) return;
    testLog = fopen(path, "w");
    if (!testLog) return;
    setvbuf(testLog, nullptr, _IOLBF, 0);
    fprintf(testLog, "window system %s\n", WindowSystemPlacesWindows() ? "x11" : "wayland");
    g_unix_signal_add(SIGUSR2, ChooseExit, nullptr);
}

void LogWindowShown(const char* title)
{
    if (testLog) fprintf(testLog, "window %s\n", title ? title : "");
}

// The craft as this frame shows it, and the world when it is new.
static void LogFlight()
{
    AppDescribeWorld(worldText, sizeof worldText);
    if (strcmp(worldText, lastWorldText) != 0) {
        memcpy(lastWorldText, worldText, sizeof worldText);
        fprintf(flightLog, "world %s\n", worldText);
    }
    char craft[200];
    AppDescribeCraft(craft, sizeof craft);
    fprintf(flightLog, "craft %.3f %s\n", g_get_monotonic_time() / 1e6, craft);
}

void LogFramePresented()
{
    if (flightLog) LogFlight();
    if (!testLog) return;
    framesPresented++;
    gint64 now = g_get_monotonic_time();
    if (framesPresented == 1 || now - lastFrameLine >= 1000000) {
        lastFrameLine = now;
        fprintf(testLog, "frames %ld\n", framesPresented);
    }
}
