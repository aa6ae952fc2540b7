// The online match's rollback: play now on a guess, correct when the truth
// arrives. Both sides run this same code on their own machines; the step is
// the same arithmetic everywhere, so the same inputs give the same states.
#include "online/rollback.h"

#include "game/heard.h"

#include <algorithm>

void Rollback::start(proto::Side side, uint32_t seed, int points)
{
    *this = Rollback();
    me = side;
    confirmed = current = onlineStart(seed, points);
    // Nobody has pressed anything before the first input can count: the
    // first inputDelay frames of both sides are known to be idle.
    mineKnown = theirsKnown = inputDelay;
}

// Until the other's input for a frame is here, it is taken to be what it
// last was: a held key is mostly held on.
unsigned Rollback::guess(uint32_t frame) const
{
    return theirs[(frame < theirsKnown ? frame : theirsKnown - 1) % ring];
}

// The next frame of current, with the own input known and the other's
// guessed.
void Rollback::play()
{
    const uint32_t f = current.klatka;
    const unsigned own = mine[f % ring], other = guess(f);
    guessed[f % ring] = uint8_t(other);
    current = me == proto::right ? step(current, own, other, f) : step(current, other, own, f);
}

// The confirmed state goes on over every frame whose inputs are now all
// here, up to the newest. Should any of them, or the guesses since, differ
// from what current was played with, current is played again from there.
void Rollback::settle()
{
    const uint32_t newest = current.klatka;
    const uint32_t known = std::min(theirsKnown, newest);
    bool wrong = false;
    while (confirmed.klatka < known && !confirmed.donegra) {
        const uint32_t f = confirmed.klatka;
        const unsigned own = mine[f % ring], other = theirs[f % ring];
        wrong |= guessed[f % ring] != other;
        confirmed = me == proto::right ? step(confirmed, own, other, f) : step(confirmed, other, own, f);
        if (confirmed.klatka % hashEvery == 0) {
            const Hashed h = {confirmed.klatka, hashMatch(confirmed)};
            myHashes[h.frame / hashEvery % hashes] = h;
            // What was hashed before a reload has been sent already.
            if (!replaying)
                out.push_back(proto::Hash{h.frame, h.hash});
            compare(h.frame);
        }
    }
    for (uint32_t f = std::max(confirmed.klatka, known); f < newest; f++)
        wrong |= guessed[f % ring] != guess(f);
    if (wrong) {
        current = confirmed;
        uint32_t n = 0;
        // A match that turns out to have ended earlier ends there.
        for (; current.klatka < newest && !current.donegra; n++)
            play();
        rollbacks++;
        replayed += n;
        longestReplay = std::max(longestReplay, n);
    }
    // The picture shows the newest state.
    restoreMatch(current);
}

void Rollback::compare(uint32_t frame)
{
    const Hashed& mine = myHashes[frame / hashEvery % hashes];
    const Hashed& theirs = theirHashes[frame / hashEvery % hashes];
    if (mine.frame != frame || theirs.frame != frame || mine.hash == theirs.hash)
        return;
    if (!desyncs)
        desyncFrame = frame;
    desyncs++;
}

Sound Rollback::frame(unsigned bits)
{
    settle();
    // An end that current reached waits to be confirmed, or played again.
    if (over() || current.donegra)
        return noSound;
    if (current.klatka - confirmed.klatka >= maxAhead) {
        waits++;
        return noSound;
    }
    const uint32_t f = current.klatka + inputDelay;
    mine[f % ring] = uint8_t(bits & 15);
    mineKnown = f + 1;
    out.push_back(proto::Input{f, uint8_t(bits & 15), theirsKnown});
    const Course before = course();
    play();
    const Sound heardNow = heard(before, course());
    settle();
    return heardNow;
}

bool Rollback::theirInput(const proto::Input& in)
{
    if (in.frame != theirsKnown || in.frame - confirmed.klatka >= ring || in.bits > 15)
        return false;
    theirs[in.frame % ring] = in.bits;
    theirsKnown++;
    if (replaying)
        return true;
    // How far ahead each side sees itself: this side of the frame the other
    // sent from, the other of the last own input it had then. Each lead
    // holds the time the message took; half their difference is how far
    // this side truly runs ahead, whatever the latency, if it is the same
    // both ways.
    const double mineLead = double(current.klatka) - double(in.frame - inputDelay);
    const double theirLead = double(in.frame) - double(in.ack) + 1;
    lead += ((mineLead - theirLead) / 2 - lead) / 32;
    return true;
}

void Rollback::theirHash(const proto::Hash& h)
{
    if (h.frame == 0 || h.frame % hashEvery)
        return;
    theirHashes[h.frame / hashEvery % hashes] = {h.frame, h.hash};
    compare(h.frame);
}

bool Rollback::ownInput(const proto::Input& in)
{
    if (in.frame != mineKnown || in.frame - confirmed.klatka >= ring || in.bits > 15)
        return false;
    replaying = true;
    mine[in.frame % ring] = in.bits;
    mineKnown++;
    // The frame this input was sent in.
    while (current.klatka + inputDelay < mineKnown && !current.donegra)
        play();
    settle();
    return true;
}

void Rollback::endReplay()
{
    replaying = false;
    settle();
}

int Rollback::pace() const
{
    if (lead > 1)
        return 1;
    if (lead < -1)
        return -1;
    return 0;
}
