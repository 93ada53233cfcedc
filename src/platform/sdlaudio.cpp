#include "platform/sdlaudio.h"

#include <dlfcn.h>

namespace {
const SdlAudio *load()
{
    // The mixer brings SDL2 with it; both are looked up through its handle.
    void *library = dlopen("libSDL2_mixer-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
    if (!library)
        return nullptr;
    static SdlAudio sdl;
#define VIMBRA_SDL_LOAD(name)                                                                                          \
    sdl.name = reinterpret_cast<decltype(sdl.name)>(dlsym(library, #name));                                            \
    if (!sdl.name)                                                                                                     \
        return nullptr;
    VIMBRA_SDL_AUDIO_FUNCTIONS(VIMBRA_SDL_LOAD)
#undef VIMBRA_SDL_LOAD
    return &sdl;
}
} // namespace

const SdlAudio *LoadSdlAudio()
{
    static const SdlAudio *const sdl = load();
    return sdl;
}
