// The game's sound effects over the platform's one-voice player, with the guard flags that keep stops cheap.
#pragma once

enum SoundId { SoundTouchdown = 160, SoundExplosion = 161, SoundEngine = 162, SoundTipping = 163 };

extern bool engineSoundOn;  // the engine loop is playing
extern bool tippingSoundOn; // the tipping sound was started in this tipping sequence

void StopAllSounds();
void UpdateEngineSound(bool mainThrust, bool sideThrust);
void PlayTouchdownSound();
void PlayTippingSound();
void PlayExplosionSound();
// Start-up priming: engine, tipping, explosion in turn, then an unconditional purge with both flags cleared.
void PrimeSounds();
