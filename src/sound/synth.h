#pragma once
#include "sound/sound.h"

#include <SDL.h>

// The sounds as samples: mono, 16 bits, soundRate a second, each starting
// and ending on silence and never above a quarter of full scale, so that
// four at once still fit.
const int soundRate = 22050;
const int soundPeak = 32767 / 4;

struct Samples {
    const Sint16* data;
    int length;
};

void makeSounds();  // once, before the first soundSamples
Samples soundSamples(Sound sound);
