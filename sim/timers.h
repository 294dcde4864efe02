// The main window's timers and their dispatcher.
#pragma once

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

// Runs the handler of timer `timerId`; ids outside 1000..1010 are ignored.
void OnTimer(int timerId);
