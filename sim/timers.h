// The main window's timers and their dispatcher.
#pragma once
#include "platform/timer.h"

// Runs the handler of timer `timerId`; ids outside 1000..1010 are ignored.
void OnTimer(int timerId);
