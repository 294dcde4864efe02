#include "platform/gtk/sdl_library.h"

#include <cstdio>
#include <dlfcn.h>

SdlLibrary sdl;

namespace {

enum class Load { NotTried, Loaded, Missing };
Load state = Load::NotTried;

} // namespace

bool LoadSdl()
{
    if (state != Load::NotTried) return state == Load::Loaded;
    state = Load::Missing;
    void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "dravolinex: no sound and no joystick (%s)\n", dlerror());
        return false;
    }
    bool complete = true;
#define DRAVOLINEX_SDL_RESOLVE(name)                                                                  \
    sdl.name = reinterpret_cast<decltype(sdl.name)>(dlsym(library, "SDL_" #name));                   \
    complete = complete && sdl.name;
    DRAVOLINEX_SDL_FUNCTIONS(DRAVOLINEX_SDL_RESOLVE)
#undef DRAVOLINEX_SDL_RESOLVE
    if (!complete) {
        // An SDL2 older than the game needs (virtual joysticks came with 2.0.14).
        std::fprintf(stderr, "dravolinex: no sound and no joystick (libSDL2 is too old)\n");
        dlclose(library);
        return false;
    }
    // SDL would turn SIGINT and SIGTERM into events that nobody reads here; let them end the game as usual.
    sdl.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    state = Load::Loaded;
    return true;
}

bool SdlLoaded()
{
    return state == Load::Loaded;
}
