// Keyboard and joystick: the player's control demands, the joystick's capture, status icon and button.
#include "io/input.h"

#include <cstdint>

#include "sim/options.h"
#include "platform/dialog.h"
#include "platform/keys.h"

int32_t joystickId = -1;
JoystickCaps joystickCaps = {};
uint32_t stickCentreX = 0, stickCentreY = 0;
uint32_t deadZoneLeft = 0, deadZoneRight = 0, deadZoneTop = 0, deadZoneBottom = 0;
bool joystickAvailable = false;

static bool FindAnsweringJoystick(int* id)
{
    const int count = PlatformJoystickCount();
    JoystickPosition position;
    for (int i = 0; i < count; ++i) {
        if (PlatformJoystickGetPosition(i, &position)) {
            *id = i;
            return true;
        }
    }
    return false;
}

bool SetUpJoystick()
{
    joystickId = -1;
    int id = -1;
    if (!FindAnsweringJoystick(&id))
        return false;
    joystickId = id;
    if (!PlatformJoystickGetCaps(id, &joystickCaps)) {
        joystickId = -1;
        return false;
    }
    // The middle of the reported range: a device whose axes do not start at 0 rests there too.
    stickCentreX = static_cast<uint32_t>((uint64_t{joystickCaps.xMin} + joystickCaps.xMax) / 2);
    stickCentreY = static_cast<uint32_t>((uint64_t{joystickCaps.yMin} + joystickCaps.yMax) / 2);
    uint32_t threshold = 0;
    PlatformJoystickGetThreshold(id, &threshold);
    deadZoneLeft = stickCentreX - threshold;
    deadZoneRight = stickCentreX + threshold;
    deadZoneTop = stickCentreY - threshold;
    deadZoneBottom = stickCentreY + threshold;
    PlatformJoystickCapture(id, joystickCaps.periodMin, true);
    return true;
}

// Deflection beyond the dead zone as a percentage of the room up to the axis end (full when there is no room).
static int32_t Deflection(uint32_t beyond, uint32_t room)
{
    if (room == 0)
        return 100;
    uint64_t percent = static_cast<uint64_t>(beyond) * 100 / room;
    return percent > 100 ? 100 : static_cast<int32_t>(percent);
}

void ReadJoystick(int32_t* up, int32_t* down, int32_t* left, int32_t* right)
{
    JoystickPosition position;
    if (joystickId == -1 || !PlatformJoystickGetPosition(joystickId, &position))
        return;
    const int64_t x = static_cast<int32_t>(position.x);
    const int64_t y = static_cast<int32_t>(position.y);
    if (x < static_cast<int32_t>(deadZoneLeft))
        *left = Deflection(deadZoneLeft - position.x, deadZoneLeft - joystickCaps.xMin);
    else if (x > static_cast<int32_t>(deadZoneRight))
        *right = Deflection(position.x - deadZoneRight, joystickCaps.xMax - deadZoneRight);
    if (y < static_cast<int32_t>(deadZoneTop)) {
        *up = Deflection(deadZoneTop - position.y, deadZoneTop - joystickCaps.yMin);
        return;
    }
    if (y > static_cast<int32_t>(deadZoneBottom))
        *down = Deflection(position.y - deadZoneBottom, joystickCaps.yMax - deadZoneBottom);
}

void ReadPlayerInput(int32_t* thrust, int32_t* left, int32_t* right)
{
    if (gameOptions.inputDevice != 1) {
        if (PlatformKeyState(KeySpace) & KeyStateDown)
            *thrust = 100;
        if (PlatformKeyState(KeyLeft) & KeyStateDown)
            *left = 100;
        if (PlatformKeyState(KeyRight) & KeyStateDown)
            *right = 100;
    } else {
        int32_t down = 0;
        ReadJoystick(thrust, &down, left, right);
        // Flipped: pulling the stick toward the player is thrust.
        if (gameOptions.flipVertical)
            *thrust = down;
    }
    if (gameOptions.flipHorizontal) {
        int32_t swap = *left;
        *left = *right;
        *right = swap;
    }
}

void OnJoystickButton()
{
    JoystickPosition position;
    if (joystickId == -1 || !PlatformJoystickGetPosition(joystickId, &position) || position.buttons == 0)
        return;
    // Any button acts as the OK button of the dialog in front; the main window has no use for it.
    if (Dialog* dialog = PlatformForegroundDialog())
        DialogSendCommand(dialog, IdOk);
}

static void ShowJoystickIcon(int iconId)
{
    if (Dialog* dialog = PlatformForegroundDialog())
        DialogSetIcon(dialog, JoystickStatusControl, iconId);
}

bool PollJoystickStatus()
{
    if (joystickId == -1) {
        int id = -1;
        if (!FindAnsweringJoystick(&id))
            return false;
        bool captured = SetUpJoystick();
        ShowJoystickIcon(joystickId != -1 ? IconJoystick : IconNoJoystick);
        return captured;
    }
    JoystickPosition position;
    if (!PlatformJoystickGetPosition(joystickId, &position)) {
        joystickId = -1;
        ShowJoystickIcon(IconNoJoystick);
        return false;
    }
    return true;
}
