// SDL2 (sound and joysticks) is loaded when the game first needs it, after the window's first frame: linked at
// start-up, it and the thirty libraries it brings (the sound server's client, codecs) would be loaded and relocated
// before the window could open. Without the library the game runs silently and sees no joystick.
#pragma once
#define SDL_MAIN_HANDLED
#include <SDL.h>

#define DRAVOLINEX_SDL_FUNCTIONS(X)                                                                                 \
    X(SetHint) X(InitSubSystem) X(QuitSubSystem) X(Quit) X(GetError) X(FlushEvents)                                                  \
    X(OpenAudioDevice) X(PauseAudioDevice) X(LockAudioDevice) X(UnlockAudioDevice) X(CloseAudioDevice)              \
    X(LoadWAV_RW) X(RWFromConstMem) X(BuildAudioCVT) X(ConvertAudio) X(FreeWAV)                                     \
    X(JoystickEventState) X(JoystickUpdate) X(NumJoysticks) X(JoystickOpen) X(JoystickClose) X(JoystickGetAttached) \
    X(JoystickNumAxes) X(JoystickGetAxis) X(JoystickNumButtons) X(JoystickGetButton) X(JoystickAttachVirtual)       \
    X(JoystickSetVirtualAxis) X(JoystickSetVirtualButton)

// The SDL functions the game calls, each named without its SDL_ prefix (sdl.JoystickUpdate()).
struct SdlLibrary {
#define DRAVOLINEX_SDL_POINTER(name) decltype(&SDL_##name) name;
    DRAVOLINEX_SDL_FUNCTIONS(DRAVOLINEX_SDL_POINTER)
#undef DRAVOLINEX_SDL_POINTER
};
extern SdlLibrary sdl;

// Loads SDL2 once (later calls return the first answer); false when it or one of its functions is missing.
bool LoadSdl();
// Whether SDL2 has been loaded (nothing of it needs shutting down otherwise).
bool SdlLoaded();
