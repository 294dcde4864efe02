// Watching a replay in the window instead of playing: the recorded flight at its real speed, one 10 ms slice per
// step of the window's clock, with the verdict at the end. Space and P pause and resume, Escape leaves.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

// Reads the replay to watch; false with `error` in one line when it is refused.
bool ChoosePlayback(const char* name, const uint8_t* data, size_t size, std::string& error);
// Whether the program watches a replay (chosen on the command line).
bool PlaybackChosen();
// The window's title while watching.
const char* PlaybackTitle(const char* gameTitle);
// Puts the recorded round in force in the new window (instead of a new game).
void StartPlayback();
// The window's deliveries while watching.
void PlaybackTimer(int timerId);
void PlaybackPaint();
void PlaybackCommand(int id);
