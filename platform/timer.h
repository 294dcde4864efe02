// Timer service of the main window, keyed by the game's timer ids.
#pragma once

// The game's timers; a backend knows them only to pace and log the simulation step.
enum TimerId {
    TimerStarTwinkle = 1000, // 200 ms
    TimerMeteorLaunch = 1001,
    TimerMeteorFlight = 1002, // 20 ms
    TimerStep = 1003,         // 10 ms simulation step
    TimerRepaint = 1004,      // 50 ms
    TimerResult = 1005,       // 200 ms
    TimerDust = 1006,         // 100 ms
    TimerTipOver = 1007,      // 100 ms
    TimerJoystick = 1008,     // 500 ms
    TimerPostLanding = 1009,  // 70 ms
    TimerEngineStop = 1010,   // 250 ms
};

// Starts timer `timerId` with the given period in milliseconds; a running timer is restarted with the new period.
void PlatformSetTimer(int timerId, int periodMs);
// Stops timer `timerId`; harmless when it is not running.
void PlatformKillTimer(int timerId);
