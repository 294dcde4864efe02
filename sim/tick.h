// The simulation step and the end-of-flight animations, callable by the timer dispatcher and the simulator tool.
#pragma once
#include <cstdint>

// The demands of one simulation step, in percent; only values above 0 act.
struct ControlInput {
    int32_t thrust;
    int32_t left;
    int32_t right;
};

// The new-game routine the result timer calls after the verdict: set by the program's shell at start-up, so the
// step never calls up into the shell.
extern void (*newGameHook)();

// The demands of this step from the computer pilot (player 0) or the player's keyboard or joystick.
ControlInput ReadControlInput();
// The rest of a step once the demands are known: wind, engines, fuel, gravity, movement and the contact tests.
// Thrust is held to 0..100, the side demands to 0..100 (side jets) or 0..471 (turning).
void StepFlight(const ControlInput& input);
// One step of the craft tipping over onto its side (timer 1007).
void StepTipOver();
