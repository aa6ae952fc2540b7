// The page's sound: the game makes its sounds as on the desktop and hands
// each to the page once; the page plays them through Web Audio, mixes them
// there, and mutes them (page.js). Under node, with no page, nothing plays.
#include "sound/sound.h"
#include "sound/synth.h"

#include <emscripten.h>

EM_JS(void, handToThePage, (int sound, const Sint16* samples, int length, int rate), {
    if (Module.sound)
        Module.sound.keep(sound, HEAP16.slice(samples >> 1, (samples >> 1) + length), rate);
});

EM_JS(void, playOnThePage, (int sound), {
    if (Module.sound)
        Module.sound.play(sound);
});

void soundStart()
{
    makeSounds();
    for (int s = noSound + 1; s < soundCount; s++) {
        const Samples samples = soundSamples(Sound(s));
        handToThePage(s, samples.data, samples.length, soundRate);
    }
}

void playSound(Sound sound)
{
    if (sound != noSound)
        playOnThePage(sound);
}
