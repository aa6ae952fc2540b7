#pragma once
#include "sound/sound.h"

#include <SDL.h>

// The desktop's mixer. SDL's audio thread calls mixSounds with the audio
// lock held; startVoice is called under the same lock.
void startVoice(Sound sound);
// The next count samples of everything playing, at soundRate.
void mixSounds(Sint16* out, int count);
// M: the mix fades to silence within a few milliseconds, or back.
void toggleMute();
bool soundMuted();
