// Hooks for the scripts that play the game where no input device exists (a Wayland compositor without a seat):
// DRAVOLINEX_TEST_LOG names a file that gets a line for the window system in use, for each window shown and, once a
// second, the number of frames presented so far; SIGUSR2 then chooses File > Exit. DRAVOLINEX_FLIGHT_LOG names the
// flight log of platform/common/flight_log.h. Without the variables, or in a build without test hooks
// (platform/common/test_hooks.h), nothing happens.
#include "platform/common/flight_log.h"
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
    OpenFlightLog(TEST_HOOK_SETTING("DRAVOLINEX_FLIGHT_LOG"));
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

void LogFramePresented()
{
    LogFlightFrame();
    if (!testLog) return;
    framesPresented++;
    gint64 now = g_get_monotonic_time();
    if (framesPresented == 1 || now - lastFrameLine >= 1000000) {
        lastFrameLine = now;
        fprintf(testLog, "frames %ld\n", framesPresented);
    }
}
