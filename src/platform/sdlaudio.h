#pragma once

// The audio library, SDL2_mixer with SDL2 beneath it, loaded on first use
// rather than at start: the program starts as fast with sound as without it,
// and a machine without the library simply stays silent.

#include <SDL.h>
#include <SDL_mixer.h>

#define VIMBRA_SDL_AUDIO_FUNCTIONS(X)                                                                                  \
    X(SDL_SetHint)                                                                                                     \
    X(SDL_GetError)                                                                                                    \
    X(SDL_InitSubSystem)                                                                                               \
    X(SDL_QuitSubSystem)                                                                                               \
    X(SDL_Quit)                                                                                                        \
    X(SDL_GetCurrentAudioDriver)                                                                                       \
    X(SDL_RWFromConstMem)                                                                                              \
    X(SDL_LoadWAV_RW)                                                                                                  \
    X(SDL_FreeWAV)                                                                                                     \
    X(SDL_BuildAudioCVT)                                                                                               \
    X(SDL_ConvertAudio)                                                                                                \
    X(Mix_OpenAudioDevice)                                                                                             \
    X(Mix_CloseAudio)                                                                                                  \
    X(Mix_AllocateChannels)                                                                                            \
    X(Mix_QuickLoad_RAW)                                                                                               \
    X(Mix_FreeChunk)                                                                                                   \
    X(Mix_PlayChannelTimed)                                                                                            \
    X(Mix_GroupOldest)                                                                                                 \
    X(Mix_HaltChannel)                                                                                                 \
    X(Mix_Playing)

struct SdlAudio {
#define VIMBRA_SDL_FIELD(name) decltype(&::name) name = nullptr;
    VIMBRA_SDL_AUDIO_FUNCTIONS(VIMBRA_SDL_FIELD)
#undef VIMBRA_SDL_FIELD
};

// The library's functions, or nothing when it cannot be loaded. Loaded once,
// by whichever thread asks first; kept until the program ends.
const SdlAudio *LoadSdlAudio();
