// The four sound effects and the guard flags that decide when a stop is needed.
#include "io/sound.h"

#include "platform/sound.h"

bool engineSoundOn = false;
bool tippingSoundOn = false;

constexpr unsigned EngineFlags = SoundResource | SoundAsync | SoundLoop | SoundNoWait; // 0x4200D
constexpr unsigned ShortSoundFlags = SoundResource | SoundAsync | SoundNoWait;         // 0x42005
constexpr unsigned ExplosionFlags = SoundResource | SoundAsync;                        // 0x40005

// Stops the player only when something stoppable may be playing.
static void StopStep()
{
    if (engineSoundOn || tippingSoundOn) {
        engineSoundOn = tippingSoundOn = false;
        PlatformPurgeSounds();
    }
}

void StopAllSounds()
{
    StopStep();
}

void UpdateEngineSound(bool mainThrust, bool sideThrust)
{
    const bool on = mainThrust || sideThrust;
    if (on == engineSoundOn)
        return;
    StopStep();
    engineSoundOn = on;
    if (on)
        PlatformPlaySound(SoundEngine, EngineFlags);
}

void PlayTouchdownSound()
{
    StopStep();
    PlatformPlaySound(SoundTouchdown, ShortSoundFlags);
}

void PlayTippingSound()
{
    if (tippingSoundOn)
        return;
    if (engineSoundOn) {
        engineSoundOn = tippingSoundOn = false;
        PlatformPurgeSounds();
    }
    tippingSoundOn = true;
    PlatformPlaySound(SoundTipping, ShortSoundFlags);
}

void PlayExplosionSound()
{
    StopStep();
    PlatformPlaySound(SoundExplosion, ExplosionFlags);
}

void PrimeSounds()
{
    UpdateEngineSound(true, true);
    PlayTippingSound();
    PlayExplosionSound();
    PlatformPurgeSounds();
    engineSoundOn = tippingSoundOn = false;
}
