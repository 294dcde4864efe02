// Watching a replay in the window.
#include "app/playback.h"

#include <cstdio>
#include <cstring>

#include "platform/commands.h"
#include "platform/keys.h"
#include "platform/msgbox.h"
#include "platform/timer.h"
#include "platform/window.h"
#include "render/paint_frame.h"
#include "replay/replayer.h"
#include "resources/commands.h"

namespace {

// The replay's own clock: the game's timers are the file's, and the game stops its step when the craft is down.
constexpr int PlaybackTimerId = 1020;
constexpr int PlaybackPeriodMs = 10;

bool chosen = false;
int aheadMs = 0; // time the replay has been played ahead of the clock
bool paused = false;
bool ended = false;
char title[300];
std::string fileName;

} // namespace

bool ChoosePlayback(const char* name, const uint8_t* data, size_t size, std::string& error)
{
    if (!LoadReplay(data, size, error))
        return false;
    chosen = true;
    const char* slash = std::strrchr(name, '/');
    const char* backslash = std::strrchr(name, '\\');
    if (backslash > slash)
        slash = backslash;
    fileName = slash ? slash + 1 : name;
    return true;
}

bool PlaybackChosen()
{
    return chosen;
}

const char* PlaybackTitle(const char* gameTitle)
{
    std::snprintf(title, sizeof title, "%s - replay %s", gameTitle, fileName.c_str());
    return title;
}

void StartPlayback()
{
    // The window takes the recorded client size, so the flight looks as it did (the frames are the same anyway).
    const ReplayFile& f = LoadedReplay();
    int width = 0, height = 0;
    PlatformGetClientSize(&width, &height);
    if (f.clientWidth > 0 && f.clientHeight > 0 && (width != f.clientWidth || height != f.clientHeight)) {
        ScreenRect outer = PlatformGetWindowRect();
        outer.right += f.clientWidth - width;
        outer.bottom += f.clientHeight - height;
        PlatformSetWindowRect(outer);
    }
    BeginReplay(nullptr, nullptr);
    PlatformSetTimer(PlaybackTimerId, PlaybackPeriodMs);
}

void PlaybackTimer(int timerId)
{
    // The replay's clock paces it; the recorded deliveries of the game's timers come from the file.
    if (timerId != PlaybackTimerId || ended)
        return;
    if (PlatformKeyState(KeySpace) & KeyStatePressed)
        paused = !paused;
    if (paused)
        return;
    aheadMs -= PlaybackPeriodMs;
    while (aheadMs < 0) {
        int elapsed = 0;
        if (!AdvanceReplay(&elapsed))
            break;
        aheadMs += elapsed;
    }
    if (ReplayResult().state == ReplayPlaying)
        return;
    ended = true;
    PlatformKillTimer(PlaybackTimerId);
    const ReplayReport& r = ReplayResult();
    if (r.state == ReplayFailed) {
        std::fprintf(stderr, "dravolinex: %s: %s\n", fileName.c_str(), r.error.c_str());
        PlatformErrorBox(("This replay cannot be shown to its end: " + r.error).c_str(), "Replay");
    } else if (!r.matched) {
        std::fprintf(stderr, "dravolinex: %s: the replay differs from its recording: %s\n", fileName.c_str(),
                     r.mismatch.c_str());
    }
}

void PlaybackPaint()
{
    // Composing a frame takes the flight's random draws: the window shows the last recorded frame again instead.
    PresentLastFrame();
}

void PlaybackCommand(int id)
{
    switch (id) {
    case CmdPause:
        paused = !paused;
        break;
    case CmdLeaveReplay:
    case CmdExit:
        EndReplay();
        PlatformDestroyMainWindow();
        break;
    default:
        // New games and settings belong to playing.
        break;
    }
}
