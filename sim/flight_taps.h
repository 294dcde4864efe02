// Taps on what steers a flight from outside the game's own state: the player's demands of each step, the held
// verdict, the clock and the client size the painter reads; and on the building of a round's world and on the
// verdict. The flight recorder notes what passes through them; a replay answers them from its file. All null in a
// plain game (and in the simulator), where the values are read directly.
#pragma once
#include <cstdint>

#include "sim/tick.h"

// A step's demands: `read` gives them from the computer pilot, keyboard or joystick.
extern ControlInput (*stepInputTap)(ControlInput (*read)());
// Whether the verdict waits (Space held, a dialog of the game open): `ask` gives it from the keys and dialogs.
extern bool (*resultHeldTap)(bool (*ask)());
// The tick count the landing lights blink by: `tick` is the platform's.
extern uint32_t (*paintClockTap)(uint32_t (*tick)());
// The client size a repaint paints for, as the platform reported it.
extern void (*paintClientSizeTap)(int* width, int* height);
// A round's world is about to be built (the generator and options in force are those of the new round).
extern void (*worldBuildTap)();
// The flight's verdict, just before the result dialog shows it.
extern void (*verdictTap)(int outcome, int score, const char* title, const char* message, const char* details);
