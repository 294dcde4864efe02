// One-voice sound player for the game's embedded sounds.
#pragma once

constexpr unsigned SoundAsync = 0x0001;
constexpr unsigned SoundLoop = 0x0008;
constexpr unsigned SoundPurge = 0x0040;
constexpr unsigned SoundNoWait = 0x2000;
constexpr unsigned SoundResource = 0x40004;

// Plays sound resource `soundId` asynchronously (looping with SoundLoop), replacing whatever plays.
void PlatformPlaySound(int soundId, unsigned flags);
// Stops every sound.
void PlatformPurgeSounds();
