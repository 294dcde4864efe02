// Joystick device, modelled on the classic two-axis joystick driver.
#pragma once
#include <cstdint>

struct JoystickPosition {
    uint32_t x, y, z;
    uint32_t buttons; // bit per button held
};

struct JoystickCaps {
    uint32_t xMin, xMax, yMin, yMax;
    uint32_t periodMin; // shortest useful polling period in ms
};

// Number of device slots the driver supports (may be more than are plugged in).
int PlatformJoystickCount();
// Reads device `id`; false when it does not answer (not plugged in).
bool PlatformJoystickGetPosition(int id, JoystickPosition* position);
// Reads the axis ranges of device `id`; false on failure.
bool PlatformJoystickGetCaps(int id, JoystickCaps* caps);
// Movement threshold of device `id` in axis units; false leaves `threshold` unset.
bool PlatformJoystickGetThreshold(int id, uint32_t* threshold);
// Sends device `id`'s button presses to the main window (AppJoystickButton) from now on.
void PlatformJoystickCapture(int id, uint32_t periodMs, bool changedOnly);
