// On Windows SDL 1.2 opens DirectSound or waveOut, which say nothing when
// there is no device.
#include "sound/quiet.h"

bool openAudioQuietly(SDL_AudioSpec* wanted)
{
    return SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && SDL_OpenAudio(wanted, nullptr) == 0;
}
