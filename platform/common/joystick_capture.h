// A captured joystick's button presses for the backends that poll the device: a button counts when it goes down,
// not while it is held, and buttons already held when the joystick is captured count only once released.
#pragma once
#include <cstdint>

#include "platform/joystick.h"

struct JoystickCapture {
    int slot = -1;        // the captured joystick, -1 for none
    uint32_t buttons = 0; // the buttons held at the last poll
};

inline void CaptureJoystick(JoystickCapture& capture, int id)
{
    capture.slot = id;
    capture.buttons = 0;
    JoystickPosition position;
    if (PlatformJoystickGetPosition(id, &position)) capture.buttons = position.buttons;
}

// True when a button of the captured joystick went down since the last poll; a joystick that cannot be read holds
// no buttons.
inline bool CapturedButtonWentDown(JoystickCapture& capture)
{
    if (capture.slot < 0) return false;
    JoystickPosition position;
    if (!PlatformJoystickGetPosition(capture.slot, &position)) {
        capture.buttons = 0;
        return false;
    }
    uint32_t pressed = position.buttons & ~capture.buttons;
    capture.buttons = position.buttons;
    return pressed != 0;
}
