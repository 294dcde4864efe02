// The flight recorder of the desktop game: every round is noted from the building of its world to its verdict,
// and each finished flight is kept as a replay file in the player's replay folder.
#pragma once
#include <cstdint>
#include <vector>

// Installs the taps; from the next world built on, every flight is recorded. `backend` names the recording one
// ("gtk", "win32", "web", "headless").
void StartFlightRecorder(const char* backend);
// Removes the taps; a flight being recorded is dropped.
void StopFlightRecorder();
// What the window delivered, noted by the shell around the game's handlers: a timer expiry and a paint request
// before their handlers run, and after a handler that composed a frame (the repaint timer, a paint), that frame.
void RecordTimer(int timerId);
void RecordPaint();
void RecordFrame();
// The file of the last finished flight (empty before the first); it is also written to the replay folder.
const std::vector<uint8_t>& LastRecordedReplay();
const char* LastRecordedReplayName();
