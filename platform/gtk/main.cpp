// Entry of the Linux desktop game: GTK for the window and dialogs, SDL2 for sound and joysticks (no SDL video).
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A Wayland compositor without any input seat (a headless one) makes GTK's own start-up complain, once per keymap
// query, that there is no keyboard. Nothing the game does causes it and nothing is wrong with the game; that one
// complaint is dropped, every other message goes out as usual.
void FilterGdkLog(const gchar* domain, GLogLevelFlags level, const gchar* message, gpointer)
{
    if (message && strstr(message, "gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT (seat)' failed")) return;
    g_log_default_handler(domain, level, message, nullptr);
}

void PrintText(const char* text, bool error)
{
    std::fputs(text, error ? stderr : stdout);
}

// The whole file, at most 32 MiB (no replay is larger); false when it cannot be read.
bool ReadWholeFile(const char* path, uint8_t** bytes, size_t* size)
{
    FILE* file = std::fopen(path, "rb");
    if (!file) return false;
    constexpr size_t Limit = (size_t{32} << 20) + 1;
    uint8_t* buffer = static_cast<uint8_t*>(std::malloc(Limit));
    size_t got = buffer ? std::fread(buffer, 1, Limit, file) : 0;
    bool ok = buffer && !std::ferror(file);
    std::fclose(file);
    if (!ok) {
        std::free(buffer);
        return false;
    }
    *bytes = buffer;
    *size = got;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // Under X (XWayland in a Wayland session) the game can place its window where it was left and put the verdict
    // at the playfield's corner; natively on Wayland the compositor places every window. X is preferred when both
    // are there; GDK_BACKEND still chooses when set (set but empty it would leave GTK with no window system at all).
    if (const char* chosen = getenv("GDK_BACKEND"); chosen && !*chosen) unsetenv("GDK_BACKEND");
    gdk_set_allowed_backends("x11,wayland");
    g_log_set_handler("Gdk", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                      FilterGdkLog, nullptr);
    // GTK's own options first, without a display, so that --help and --version work anywhere.
    gtk_parse_args(&argc, &argv);
    if (int code = AppReadCommandLine(argc - 1, argv + 1, PrintText, ReadWholeFile); code >= 0) return code;
    gtk_init(&argc, &argv);
    OpenTestLog();
    InitSdlServices();
    int code = AppMain();
    ShutdownSound();
    SDL_Quit();
    return code;
}
