// Entry of the Linux desktop game: GTK for the window and dialogs, SDL2 for sound and joysticks (no SDL video,
// loaded once the window is up: platform/gtk/sdl_library.h).
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

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

// The base directories of the XDG rules must be absolute paths: a relative one is invalid and the game's own
// settings store ignores it. The libraries the game loads (the sound server's client among them) are given the same
// view, so that none of them makes folders relative to whatever the current directory happens to be.
void DropRelativeBaseDirectories()
{
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
        if (const char* value = getenv(name); value && value[0] != '/') unsetenv(name);
}

} // namespace

int main(int argc, char** argv)
{
    // Under X (XWayland in a Wayland session) the game can place its window where it was left and put the verdict
    // at the playfield's corner; natively on Wayland the compositor places every window. X is preferred when both
    // are there; GDK_BACKEND still chooses when set (set but empty it would leave GTK with no window system at all).
    if (const char* chosen = getenv("GDK_BACKEND"); chosen && !*chosen) unsetenv("GDK_BACKEND");
    gdk_set_allowed_backends("x11,wayland");
    DropRelativeBaseDirectories();
    // Nothing is drawn with GL: without it GTK leaves the GL driver (and its shader compiler, tens of megabytes)
    // unloaded, and the window opens sooner.
    setenv("GDK_GL", "disable", 1);
    g_log_set_handler("Gdk", GLogLevelFlags(G_LOG_LEVEL_CRITICAL | G_LOG_FLAG_FATAL | G_LOG_FLAG_RECURSION),
                      FilterGdkLog, nullptr);
    // GTK's own options first, without a display, so that --help and --version work anywhere.
    gtk_parse_args(&argc, &argv);
    if (int code = AppReadCommandLine(argc - 1, argv + 1, PrintText, ReadWholeFile); code >= 0) return code;
    gtk_init(&argc, &argv);
    OpenTestLog();
    int code = AppMain();
    ShutdownSdl();
    return code;
}
