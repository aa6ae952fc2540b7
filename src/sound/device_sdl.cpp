// The desktop's sound: SDL 1.2's audio device, fed by the mixer from SDL's
// audio thread, and M seen in every event as SDL queues it, whichever
// screen is up.
#include "sound/mixer.h"
#include "sound/quiet.h"
#include "sound/synth.h"

#include <SDL.h>

#include <cstdlib>

namespace {
bool opened;
SDL_EventFilter passOn;  // a filter installed before ours, called after it

void fill(void*, Uint8* stream, int bytes)
{
    mixSounds(reinterpret_cast<Sint16*>(stream), bytes / 2);
}

int watchForM(const SDL_Event* event)
{
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_m)
        toggleMute();
    return passOn ? passOn(event) : 1;
}
}  // namespace

void soundStart()
{
    makeSounds();
    // A filter set before ours still sees every event, after ours.
    if (SDL_GetEventFilter() != watchForM) {
        passOn = SDL_GetEventFilter();
        SDL_SetEventFilter(watchForM);
    }

    // 512 samples, 23 ms: a sound starts within a buffer or two of the
    // frame that made it. SDL converts to whatever the device takes.
    SDL_AudioSpec wanted = {};
    wanted.freq = soundRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = 512;
    wanted.callback = fill;
    opened = openAudioQuietly(&wanted);
    if (!opened)
        return;
    SDL_PauseAudio(0);
    // The game ends with exit() and leaves SDL running; its audio thread
    // would go on calling into libraries that are being taken down.
    atexit(SDL_CloseAudio);
}

void playSound(Sound sound)
{
    if (!opened || sound == noSound)
        return;
    SDL_LockAudio();
    startVoice(sound);
    SDL_UnlockAudio();
}
