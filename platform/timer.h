// Timer service of the main window, keyed by the game's timer ids.
#pragma once

// Starts timer `timerId` with the given period in milliseconds; a running timer is restarted with the new period.
void PlatformSetTimer(int timerId, int periodMs);
// Stops timer `timerId`; harmless when it is not running.
void PlatformKillTimer(int timerId);
