// Keyboard and joystick input: the three control demands of a simulation step, and the joystick's status.
#pragma once
#include <cstdint>
#include "platform/joystick.h"

extern int32_t joystickId; // captured device, -1 none
extern JoystickCaps joystickCaps;
extern uint32_t stickCentreX, stickCentreY;
extern uint32_t deadZoneLeft, deadZoneRight, deadZoneTop, deadZoneBottom;
extern bool joystickAvailable;

constexpr int IconJoystick = 167;
constexpr int IconNoJoystick = 179;
constexpr int JoystickStatusControl = 1016;

bool SetUpJoystick();
void ReadJoystick(int32_t* up, int32_t* down, int32_t* left, int32_t* right);
void ReadPlayerInput(int32_t* thrust, int32_t* left, int32_t* right);
void OnJoystickButton();
bool PollJoystickStatus();
