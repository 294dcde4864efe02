// The flight log of the test hooks: for each frame shown, the craft's state, and the world whenever it is new, so
// that the recording scripts' player can fly by exact instruments while its keys go through the real window.
#pragma once

// Opens the log at `path` (null or empty: no log); the backends pass the DRAVOLINEX_FLIGHT_LOG test hook's value.
void OpenFlightLog(const char* path);
// After a frame was shown: "craft SECONDS x y vx vy angle fuel flying" (SECONDS of a steady clock; flying 1 while
// the craft flies), before it "world ..." when the world changed (see AppDescribeWorld). Nothing without a log.
void LogFlightFrame();
