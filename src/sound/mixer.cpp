// Up to four sounds at once, summed. No sound is louder than a quarter of
// full scale, so the sum never clips; a fifth sound while four play is let
// go rather than cutting another one short, which would click.
#include "sound/mixer.h"

#include "sound/synth.h"

#include <atomic>

namespace {
struct Voice {
    const Sint16* next;
    int left;  // samples still to play; 0 when the voice is free
};
Voice voices[4];
// Set from the event filter, read by the audio thread.
std::atomic<bool> muted;
// Of 256: walks one step a sample towards 0 when muted, towards 256 when
// not, so that muting in the middle of a sound does not click either.
int gain = 256;
}  // namespace

void startVoice(Sound sound)
{
    const Samples samples = soundSamples(sound);
    for (Voice& v : voices)
        if (!v.left) {
            v = {samples.data, samples.length};
            return;
        }
}

void mixSounds(Sint16* out, int count)
{
    const int target = muted ? 0 : 256;
    for (int i = 0; i < count; i++) {
        int sum = 0;
        for (Voice& v : voices)
            if (v.left) {
                sum += *v.next++;
                v.left--;
            }
        if (gain != target)
            gain += gain < target ? 1 : -1;
        out[i] = Sint16(sum * gain / 256);
    }
}

void toggleMute()
{
    muted = !muted;
}

bool soundMuted()
{
    return muted;
}
