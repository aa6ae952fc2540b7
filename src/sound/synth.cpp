// The game's sounds, made at start-up rather than loaded: short tones, each
// one or two notes that rise from silence in a few milliseconds, die away,
// and fall back to silence before they end, so that none starts or stops
// with a click. Pitch and length tell them apart: a low knock for a wall, a
// higher one for a paddle, a bright buzz for a smash, a rising chime for a
// point and a short tick for the menu.
#include "sound/synth.h"

#include <cmath>

namespace {
struct Note {
    double from, to;  // pitch in Hz, gliding from one to the other
    int ms;
    double bright;  // how much of the odd overtones: 0 a pure tone
    double decayMs;
};
struct Recipe {
    Note notes[2];  // the second is played only when it has a length
};

constexpr Recipe recipes[soundCount] = {
    {},                                                         // noSound
    {{{620, 540, 90, 0.15, 45}}},                               // paddleSound
    {{{310, 280, 70, 0.1, 35}}},                                // wallSound
    {{{1050, 820, 160, 0.7, 80}}},                              // smashSound
    {{{660, 660, 150, 0.3, 90}, {990, 990, 230, 0.3, 120}}},    // pointSound
    {{{1600, 1600, 22, 0, 10}}},                                // clickSound
};

const int rise = soundRate * 3 / 1000;  // samples from silence to the full note
const int fall = soundRate * 8 / 1000;  // and back to silence at its end

constexpr int storeLength()
{
    int samples = 0;
    for (const Recipe& r : recipes)
        for (const Note& n : r.notes)
            samples += soundRate * n.ms / 1000;
    return samples;
}
Sint16 store[storeLength()];  // every sound's samples, one after the other
Samples made[soundCount];

// A note into out; its number of samples.
int note(const Note& n, Sint16* out)
{
    const int length = soundRate * n.ms / 1000;
    const double loudest = 1 + n.bright / 3 + n.bright / 5;
    double phase = 0;
    for (int i = 0; i < length; i++) {
        double envelope = std::exp(-1000.0 * i / (n.decayMs * soundRate));
        if (i < rise)
            envelope *= 0.5 - 0.5 * std::cos(M_PI * i / rise);
        const int toEnd = length - 1 - i;
        if (toEnd < fall)
            envelope *= 0.5 - 0.5 * std::cos(M_PI * toEnd / fall);
        const double wave =
            std::sin(phase) + n.bright * std::sin(3 * phase) / 3 + n.bright * std::sin(5 * phase) / 5;
        out[i] = Sint16(std::lround(soundPeak * envelope * wave / loudest));
        phase += 2 * M_PI * (n.from + (n.to - n.from) * i / length) / soundRate;
    }
    return length;
}
}  // namespace

void makeSounds()
{
    int used = 0;
    for (int s = 0; s < soundCount; s++) {
        made[s] = {store + used, 0};
        for (const Note& n : recipes[s].notes)
            if (n.ms)
                made[s].length += note(n, store + used + made[s].length);
        used += made[s].length;
    }
}

Samples soundSamples(Sound sound)
{
    return made[sound];
}
