// The two-player match as two machines play it: the rules of frame(), with
// the frame's number for a clock and the match's own generator for serves.
#include "game/step.h"

#include "game/match.h"
#include "game/state.h"

#include <cstring>

uint32_t ziarno;  // the serve generator's state, never 0
uint32_t klatka;  // the number of the frame being played

// The desktop plays a frame once more than 10 ms have gone, so every 11 ms:
// both machines see the same time on the same frame.
static Uint32 frameClock()
{
    return klatka * 11;
}

// xorshift32: the same numbers from the same seed in glibc's world, in
// msvcrt's and in the page's, which rand() is not.
static int ownDraw()
{
    ziarno ^= ziarno << 13;
    ziarno ^= ziarno >> 17;
    ziarno ^= ziarno << 5;
    return int(ziarno >> 1);
}

// The two-player match but for its clock and its serves.
static const Mode online = {twoPlayers.board, nullptr, leftByPosition, nullptr, frameClock, ownDraw};

MatchState saveMatch()
{
    return {p1y1,    p1y2,     p2y1,   p2y2,     pedp,   {pilka[1], pilka[2], pilka[3], pilka[4]},
            kat,     p1p,      p2p,    p1s,      p2s,    donegra,
            punkty,  poczatek, ziarno, klatka};
}

void restoreMatch(const MatchState& s)
{
    p1y1 = s.p1y1, p1y2 = s.p1y2, p2y1 = s.p2y1, p2y2 = s.p2y2;
    pedp = s.pedp;
    pilka[1] = s.pilka[0], pilka[2] = s.pilka[1], pilka[3] = s.pilka[2], pilka[4] = s.pilka[3];
    kat = s.kat;
    p1p = s.p1p, p2p = s.p2p;
    p1s = s.p1s, p2s = s.p2s;
    donegra = s.donegra;
    punkty = s.punkty;
    poczatek = s.poczatek;
    ziarno = s.ziarno;
    klatka = s.klatka;
}

MatchState onlineStart(uint32_t seed, int points)
{
    punkty = points;
    // xorshift never leaves 0, so 0 stands for a seed of its own.
    ziarno = seed ? seed : 0x9e3779b9u;
    klatka = 0;
    matchStart(online);
    return saveMatch();
}

MatchState step(const MatchState& s, unsigned right, unsigned left, uint32_t frame)
{
    restoreMatch(s);
    klatka = frame;
    rules(online, right, left);
    klatka = frame + 1;
    return saveMatch();
}

namespace {
struct Fnv {
    uint64_t h = 0xcbf29ce484222325u;
    void add(uint32_t v)
    {
        for (int i = 0; i < 4; i++) {
            h ^= (v >> (8 * i)) & 0xff;
            h *= 0x100000001b3u;
        }
    }
    void add(int32_t v) { add(uint32_t(v)); }
    void add(float f)
    {
        uint32_t bits;
        static_assert(sizeof bits == sizeof f);
        std::memcpy(&bits, &f, sizeof bits);
        add(bits);
    }
};
}  // namespace

uint64_t hashMatch(const MatchState& s)
{
    Fnv f;
    f.add(s.p1y1), f.add(s.p1y2), f.add(s.p2y1), f.add(s.p2y2);
    f.add(s.pedp);
    for (float e : s.pilka)
        f.add(e);
    f.add(s.kat), f.add(s.p1p), f.add(s.p2p), f.add(s.p1s), f.add(s.p2s);
    f.add(s.donegra), f.add(s.punkty);
    f.add(s.poczatek), f.add(s.ziarno), f.add(s.klatka);
    return f.h;
}
