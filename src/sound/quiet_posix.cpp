// On Linux SDL goes through SDL2 to PipeWire, PulseAudio or ALSA, and
// libasound prints lines of its own when there is no sound card. While the
// device is opened, standard error goes nowhere.
#include "sound/quiet.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

bool openAudioQuietly(SDL_AudioSpec* wanted)
{
    fflush(stderr);
    const int saved = dup(2);
    const int nowhere = open("/dev/null", O_WRONLY);
    if (saved >= 0 && nowhere >= 0)
        dup2(nowhere, 2);
    const bool opened = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && SDL_OpenAudio(wanted, nullptr) == 0;
    if (saved >= 0 && nowhere >= 0)
        dup2(saved, 2);
    if (nowhere >= 0)
        close(nowhere);
    if (saved >= 0)
        close(saved);
    return opened;
}
