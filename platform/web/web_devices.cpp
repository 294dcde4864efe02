// The sound player on Web Audio, the joystick slots on the Gamepad API, and the counts of the test hook.
#include "platform/web/web_backend.h"
#include "platform/app_entry.h"
#include "platform/common/joystick_capture.h"
#include "platform/joystick.h"
#include "platform/sound.h"
#include "resources/resources.h"

#include <emscripten.h>

#include <algorithm>

namespace {

constexpr int GamepadSlots = 4; // the Gamepad API's usual number of slots
constexpr uint32_t AxisMaximum = 65535;
constexpr uint32_t PeriodMin = 10;
constexpr uint32_t Threshold = AxisMaximum / 10; // dead zone: centre ± a tenth of the range

JoystickCapture capture;
long long stepsDelivered = 0;
long long framesPresented = 0;

EM_JS(void, WebPlaySound, (int id, const uint8_t* wave, int size, int loop), {
    Dravolinex.playSound(id, wave ? HEAPU8.subarray(wave, wave + size) : null, !!loop);
});
EM_JS(void, WebStopSound, (), { Dravolinex.stopSound(); });
// Fills x, y, z, buttons of gamepad `slot`; 0 when nothing is plugged in there.
EM_JS(int, WebGamepad, (int slot, uint32_t* out), {
    const p = Dravolinex.gamepad(slot);
    if (!p) return 0;
    for (let i = 0; i < 4; i++) HEAPU32[(out >> 2) + i] = p[i];
    return 1;
});
#ifdef DRAVOLINEX_TEST_HOOKS
EM_JS(int, WebTestMode, (), { return Dravolinex.testMode() ? 1 : 0; });
#else
int WebTestMode() { return 0; }
#endif
EM_JS(void, WebTestCounts, (double steps, double frames), { Dravolinex.testCounts(steps, frames); });

} // namespace

void PlatformPlaySound(int soundId, unsigned flags)
{
    ResourceData wave = FindResource(ResourceSound, soundId);
    if (!wave.data) {
        WebStopSound();
        return;
    }
    WebPlaySound(soundId, wave.data, int(wave.size), (flags & SoundLoop) ? 1 : 0);
}

void PlatformPurgeSounds()
{
    WebStopSound();
}

int PlatformJoystickCount()
{
    return GamepadSlots;
}

bool PlatformJoystickGetPosition(int id, JoystickPosition* position)
{
    uint32_t values[4];
    if (id < 0 || id >= GamepadSlots || !position || !WebGamepad(id, values)) return false;
    *position = JoystickPosition{values[0], values[1], values[2], values[3]};
    return true;
}

bool PlatformJoystickGetCaps(int id, JoystickCaps* caps)
{
    uint32_t values[4];
    if (id < 0 || id >= GamepadSlots || !caps || !WebGamepad(id, values)) return false;
    *caps = JoystickCaps{0, AxisMaximum, 0, AxisMaximum, PeriodMin};
    return true;
}

bool PlatformJoystickGetThreshold(int id, uint32_t* threshold)
{
    uint32_t values[4];
    if (id < 0 || id >= GamepadSlots || !threshold || !WebGamepad(id, values)) return false;
    *threshold = Threshold;
    return true;
}

void PlatformJoystickCapture(int id, uint32_t periodMs, bool)
{
    if (id < 0 || id >= GamepadSlots) return;
    CaptureJoystick(capture, id);
    StartJoystickPoll(int(std::max<uint32_t>(periodMs, PeriodMin)));
}

void PollJoystickCapture()
{
    if (CapturedButtonWentDown(capture)) AppJoystickButton();
}

// The page's test hook exists once this has been asked (at start-up) in a build with the test hooks.
bool TestMode()
{
    static const bool on = WebTestMode();
    return on;
}

void CountStep()
{
    stepsDelivered++;
    if (TestMode()) WebTestCounts(double(stepsDelivered), double(framesPresented));
}

void CountFrame()
{
    framesPresented++;
    if (TestMode()) WebTestCounts(double(stepsDelivered), double(framesPresented));
}
