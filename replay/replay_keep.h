// Keeping finished flights: the file name says when, where, with what and how it ended; the folder keeps the last
// 20 flights and the 10 best scores.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int KeepLatestReplays = 20;
constexpr int KeepBestReplays = 10;

// "2026-12-06_19-30-05_Moon_rocket_landed_108.dvreplay" for a flight that ended at `recordedAt` (local time).
std::string ReplayFileName(int64_t recordedAt, int planet, int gameType, int outcome, int score);
// The score a kept replay's name states; false for a name the game did not give.
bool ReplayNameScore(const std::string& name, int* score);
// Which of `names` to remove so that the newest KeepLatestReplays and the KeepBestReplays best scores stay
// (names the game did not give are never chosen).
std::vector<std::string> ReplaysToRemove(std::vector<std::string> names);
// Writes `bytes` as replay `name` into the replay folder, then removes what the folder need not keep.
bool KeepReplay(const std::string& name, const std::vector<uint8_t>& bytes);
