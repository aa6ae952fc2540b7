#pragma once
#include <SDL.h>

// Starts SDL's audio and opens the device for wanted; false when there is
// none. The sound libraries under SDL may have their say on standard error
// when they find no device: a game without sound says nothing.
bool openAudioQuietly(SDL_AudioSpec* wanted);
