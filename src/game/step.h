#pragma once
// The two-player match as a step from one frame's state to the next, given
// both sides' controls: what two machines play alike, frame for frame, in an
// online match. It runs the very rules of frame(); the one-keyboard matches
// play as they always have.
#include <cstdint>

// One side's controls in one frame, four bits.
constexpr unsigned goUp = 1, goDown = 2, goSmash = 4, goEnd = 8;

// Everything the rules carry from one frame to the next. A plain value: it
// copies, compares field by field and hashes without a byte of padding.
struct MatchState {
    float p1y1, p1y2, p2y1, p2y2;
    float pedp;
    float pilka[4];  // the ball's right, left, top and bottom edge
    int32_t kat;
    int32_t p1p, p2p;
    int32_t p1s, p2s;
    int32_t donegra;
    int32_t punkty;
    uint32_t poczatek;
    uint32_t ziarno;  // the serve generator's state
    uint32_t klatka;  // frames played
};
static_assert(sizeof(MatchState) == 19 * 4, "no padding in the state");

// A fresh online match to `points`, its first serve drawn from `seed`.
MatchState onlineStart(uint32_t seed, int points);
// Frame number `frame` (the state's klatka) played with the right and the left
// side's controls. Its clock reads frame * 11 ms; the globals of the match
// are left holding the new state, ready to draw.
MatchState step(const MatchState& s, unsigned right, unsigned left, uint32_t frame);
// The globals of the match as one value, and back.
MatchState saveMatch();
void restoreMatch(const MatchState& s);
// 64-bit FNV-1a over the fields in declaration order, each little-endian.
uint64_t hashMatch(const MatchState& s);
