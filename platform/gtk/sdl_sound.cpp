// One-voice player for the embedded WAVE sounds on an SDL2 audio device (8000 Hz, unsigned 8-bit, mono). Without a
// device the game runs silently.
#include "platform/gtk/gtk_backend.h"
#include "platform/gtk/sdl_library.h"
#include "platform/sound.h"
#include "resources/resources.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <cstring>
#include <map>
#include <vector>

namespace {

constexpr int DeviceRate = 8000;
constexpr Uint8 Silence = 0x80;

SDL_AudioDeviceID device = 0;
bool deviceFailed = false;
std::map<int, std::vector<Uint8>> decodedSounds; // sound id → samples in the device format

// What the audio thread plays; changed only with the device locked.
const std::vector<Uint8>* voice = nullptr;
size_t voicePosition = 0;
bool voiceLoops = false;

// A sound played before the device is open (SDL is not even loaded then): the device starts with it.
int waitingSound = -1;
bool waitingLoops = false;

const std::vector<Uint8>* DecodedSound(int soundId);

void FillAudio(void*, Uint8* stream, int length)
{
    int written = 0;
    while (written < length && voice && !voice->empty()) {
        size_t left = voice->size() - voicePosition;
        size_t chunk = std::min(left, size_t(length - written));
        memcpy(stream + written, voice->data() + voicePosition, chunk);
        written += int(chunk);
        voicePosition += chunk;
        if (voicePosition >= voice->size()) {
            voicePosition = 0;
            if (!voiceLoops) voice = nullptr;
        }
    }
    if (written < length) memset(stream + written, Silence, size_t(length - written));
}

// The device opens once the main window is on the screen (SDL and the sound server's client take a while to load
// and start, and the window comes first); sounds played before that only set what the device will play.
bool OpenDevice()
{
    if (device) return true;
    if (deviceFailed || !MainGtkWindow()) return false;
    if (!LoadSdl()) {
        deviceFailed = true;
        return false;
    }
    SDL_AudioSpec wanted{}, obtained{};
    wanted.freq = DeviceRate;
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = 256;
    wanted.callback = FillAudio;
    // The sound library of the system may print several lines when no card exists; the game prints none.
    fflush(stderr);
    int savedStderr = dup(STDERR_FILENO);
    int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) dup2(quiet, STDERR_FILENO);
    if (sdl.InitSubSystem(SDL_INIT_AUDIO) == 0) device = sdl.OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (savedStderr >= 0) dup2(savedStderr, STDERR_FILENO);
    if (quiet >= 0) close(quiet);
    if (savedStderr >= 0) close(savedStderr);
    if (!device) {
        // Without a sound device the game plays silently, as it does when any other platform service fails. SDL's
        // sound part is ended too: it would go on looking for new devices in a thread of its own.
        sdl.QuitSubSystem(SDL_INIT_AUDIO);
        deviceFailed = true;
        return false;
    }
    if (waitingSound >= 0) {
        voice = DecodedSound(waitingSound); // the audio thread is not running yet
        voicePosition = 0;
        voiceLoops = waitingLoops;
        waitingSound = -1;
    }
    sdl.PauseAudioDevice(device, 0);
    return true;
}

// The sound resource converted to the device format, decoded once.
const std::vector<Uint8>* DecodedSound(int soundId)
{
    auto found = decodedSounds.find(soundId);
    if (found != decodedSounds.end()) return found->second.empty() ? nullptr : &found->second;
    std::vector<Uint8>& samples = decodedSounds[soundId];
    ResourceData wave = FindResource(ResourceSound, soundId);
    if (!wave.data || wave.size == 0 || wave.size > 0x7FFFFFFF) return nullptr;
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!sdl.LoadWAV_RW(sdl.RWFromConstMem(wave.data, int(wave.size)), 1, &spec, &buffer, &length)) return nullptr;
    SDL_AudioCVT convert;
    int needed = sdl.BuildAudioCVT(&convert, spec.format, spec.channels, spec.freq, AUDIO_U8, 1, DeviceRate);
    if (needed == 0) {
        samples.assign(buffer, buffer + length);
    } else if (needed > 0) {
        std::vector<Uint8> work(size_t(length) * size_t(convert.len_mult));
        memcpy(work.data(), buffer, length);
        convert.buf = work.data();
        convert.len = int(length);
        if (sdl.ConvertAudio(&convert) == 0) samples.assign(work.begin(), work.begin() + convert.len_cvt);
    }
    sdl.FreeWAV(buffer);
    return samples.empty() ? nullptr : &samples;
}


gboolean OpenDeviceWhenIdle(gpointer)
{
    OpenDevice();
    return G_SOURCE_REMOVE;
}

} // namespace

void StartSoundSoon()
{
    g_idle_add_full(G_PRIORITY_LOW, OpenDeviceWhenIdle, nullptr, nullptr);
}

void PlatformPlaySound(int soundId, unsigned flags)
{
    if (deviceFailed) return;
    bool loops = (flags & SoundLoop) != 0;
    if (!OpenDevice()) {
        waitingSound = soundId;
        waitingLoops = loops;
        return;
    }
    const std::vector<Uint8>* sound = DecodedSound(soundId);
    sdl.LockAudioDevice(device);
    voice = sound; // a sound that cannot be read still silences the one before
    voicePosition = 0;
    voiceLoops = loops;
    sdl.UnlockAudioDevice(device);
}

void PlatformPurgeSounds()
{
    waitingSound = -1;
    if (device) sdl.LockAudioDevice(device);
    voice = nullptr;
    voicePosition = 0;
    if (device) sdl.UnlockAudioDevice(device);
}

void ShutdownSound()
{
    if (!device) return;
    sdl.CloseAudioDevice(device);
    device = 0;
}

void ShutdownSdl()
{
    ShutdownSound();
    if (SdlLoaded()) sdl.Quit();
}
