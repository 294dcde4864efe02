// Joystick slots on SDL2 joysticks: positions mapped to 0..65535, buttons as bits, plugging noticed on every read,
// and the captured device's button presses delivered to the game.
#include "platform/common/test_hooks.h"
#include "platform/gtk/gtk_backend.h"
#include "platform/app_entry.h"
#include "platform/common/joystick_capture.h"
#include "platform/gtk/sdl_library.h"
#include "platform/joystick.h"

#include <glib-unix.h>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int SlotCount = 16;
constexpr uint32_t AxisMaximum = 65535;
constexpr uint32_t PeriodMin = 10;
constexpr uint32_t Threshold = AxisMaximum / 10; // dead zone: centre ± a tenth of the range

SDL_Joystick* opened[SlotCount];
JoystickCapture capture;
int virtualIndex = -1;
int virtualPressTicks = 0; // polls left with the virtual button held

void AttachVirtualJoystick();

// SDL's joystick part starts when the game first asks for a joystick (after the window's first frame), not before
// the window: its device scan would only delay the window. False when there is no SDL (and so no joystick).
bool StartJoysticks()
{
    static bool started = false, running = false;
    if (started) return running;
    started = true;
    running = LoadSdl() && sdl.InitSubSystem(SDL_INIT_JOYSTICK) == 0;
    if (!running) return false;
    sdl.JoystickEventState(SDL_IGNORE);
    AttachVirtualJoystick();
    return true;
}

bool Refresh()
{
    if (!StartJoysticks()) return false;
    // The game asks the sixteen slots in turn: one look at SDL's devices (a few system calls) serves the round.
    static gint64 lastUpdateUs = -1;
    gint64 now = g_get_monotonic_time();
    if (lastUpdateUs >= 0 && now - lastUpdateUs < 1000) return true;
    lastUpdateUs = now;
    sdl.JoystickUpdate();
    sdl.FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    return true;
}

// The open joystick of `slot` (slot n is the n-th device SDL knows), or null when nothing is plugged in there.
SDL_Joystick* SlotJoystick(int slot)
{
    if (slot < 0 || slot >= SlotCount || !StartJoysticks()) return nullptr;
    if (opened[slot] && !sdl.JoystickGetAttached(opened[slot])) {
        sdl.JoystickClose(opened[slot]);
        opened[slot] = nullptr;
    }
    if (!opened[slot] && slot < sdl.NumJoysticks()) opened[slot] = sdl.JoystickOpen(slot);
    return opened[slot];
}

uint32_t AxisValue(SDL_Joystick* joystick, int axis)
{
    if (axis >= sdl.JoystickNumAxes(joystick)) return AxisMaximum / 2;
    return uint32_t(int32_t(sdl.JoystickGetAxis(joystick, axis)) + 32768);
}

// SIGUSR1 presses the test joystick's first button for a moment.
gboolean PressVirtualButton(gpointer)
{
    virtualPressTicks = 3;
    return G_SOURCE_CONTINUE;
}

// DRAVOLINEX_VIRTUAL_JOYSTICK_AXES names a file "X Y" (-32768..32767) that a test rewrites to move the stick.
void ReadVirtualAxes(SDL_Joystick* joystick)
{
    const char* path = TEST_HOOK_SETTING("DRAVOLINEX_VIRTUAL_JOYSTICK_AXES");
    FILE* file = path ? fopen(path, "r") : nullptr;
    if (!file) return;
    int x = 0, y = 0;
    if (fscanf(file, "%d %d", &x, &y) == 2) {
        sdl.JoystickSetVirtualAxis(joystick, 0, Sint16(std::clamp(x, -32768, 32767)));
        sdl.JoystickSetVirtualAxis(joystick, 1, Sint16(std::clamp(y, -32768, 32767)));
    }
    fclose(file);
}

void DriveVirtualJoystick()
{
    if (virtualIndex < 0) return;
    SDL_Joystick* joystick = SlotJoystick(virtualIndex);
    if (!joystick) return;
    sdl.JoystickSetVirtualButton(joystick, 0, virtualPressTicks > 0 ? SDL_PRESSED : SDL_RELEASED);
    ReadVirtualAxes(joystick);
    if (virtualPressTicks > 0) virtualPressTicks--;
}

void AttachVirtualJoystick()
{
    const char* wanted = TEST_HOOK_SETTING("DRAVOLINEX_VIRTUAL_JOYSTICK");
    if (!wanted || strcmp(wanted, "1") != 0) return;
    virtualIndex = sdl.JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
    if (virtualIndex < 0) {
        fprintf(stderr, "dravolinex: no virtual joystick (%s)\n", sdl.GetError());
        return;
    }
    g_unix_signal_add(SIGUSR1, PressVirtualButton, nullptr);
}

} // namespace

int PlatformJoystickCount()
{
    return SlotCount;
}

bool PlatformJoystickGetPosition(int id, JoystickPosition* position)
{
    if (!Refresh()) return false;
    DriveVirtualJoystick();
    if (virtualIndex >= 0) sdl.JoystickUpdate();
    SDL_Joystick* joystick = SlotJoystick(id);
    if (!joystick || !position) return false;
    position->x = AxisValue(joystick, 0);
    position->y = AxisValue(joystick, 1);
    position->z = AxisValue(joystick, 2);
    position->buttons = 0;
    int buttons = std::min(sdl.JoystickNumButtons(joystick), 32);
    for (int b = 0; b < buttons; b++)
        if (sdl.JoystickGetButton(joystick, b)) position->buttons |= 1u << b;
    return true;
}

bool PlatformJoystickGetCaps(int id, JoystickCaps* caps)
{
    if (!Refresh() || !SlotJoystick(id) || !caps) return false;
    *caps = JoystickCaps{0, AxisMaximum, 0, AxisMaximum, PeriodMin};
    return true;
}

bool PlatformJoystickGetThreshold(int id, uint32_t* threshold)
{
    if (!SlotJoystick(id) || !threshold) return false;
    *threshold = Threshold;
    return true;
}

void PlatformJoystickCapture(int id, uint32_t periodMs, bool)
{
    if (id < 0 || id >= SlotCount) return;
    CaptureJoystick(capture, id);
    StartJoystickPoll(int(std::max<uint32_t>(periodMs, PeriodMin)));
}

void PollJoystickCapture()
{
    if (CapturedButtonWentDown(capture)) AppJoystickButton();
}
