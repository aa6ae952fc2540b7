// The two-player match as a step: the same numbers on every machine from the
// same seed and inputs, a state that saves and restores whole, and the two
// ways an online match keeps time and serves.
#include "game/match.h"
#include "game/state.h"
#include "game/step.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Both sides' controls frame by frame, as two people press them: each holds
// what it holds for a few frames, then changes its mind. The script's own
// generator, so that every platform plays the same log.
struct Players {
    uint32_t x;
    unsigned bits[2] = {0, 0};
    int hold[2] = {0, 0};
    uint32_t next()
    {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    }
    void frame(unsigned& right, unsigned& left)
    {
        for (int side = 0; side < 2; side++) {
            if (hold[side]-- > 0)
                continue;
            hold[side] = int(next() % 25);
            bits[side] = next() % 8;  // up, down and smash in any mix; never end
        }
        right = bits[0], left = bits[1];
    }
};

// A whole match from its log; the final state.
MatchState play(uint32_t seed, int points, uint32_t script, uint32_t endAt = 0)
{
    MatchState s = onlineStart(seed, points);
    Players p{script};
    while (!s.donegra) {
        unsigned right, left;
        p.frame(right, left);
        if (endAt && s.klatka == endAt)
            left |= goEnd;
        s = step(s, right, left, s.klatka);
    }
    return s;
}

}  // namespace

TEST(Step, RecordedMatchesEndInTheSameStateOnEveryMachine)
{
    // Played once and written down; x86-64 Linux, 32- and 64-bit Windows and
    // the page's WebAssembly must all come to these very states.
    const struct {
        uint32_t seed;
        int points;
        uint32_t script, endAt;
        uint32_t frames;
        int left, right;
        uint64_t hash;
    } logs[] = {
        {1, 5, 7, 0, 955, 5, 1, 0xbab6ae39b041156eu},
        {0xdeadbeef, 10, 42, 0, 4000, 8, 10, 0xf5704f5ce4b677b3u},
        {0, 5, 3, 0, 1648, 1, 5, 0xd210e5f38f25c775u},
        {12345, 100, 99, 4000, 4001, 11, 6, 0x5b94095c8be02293u},  // ended by the left side
    };
    for (const auto& log : logs) {
        SCOPED_TRACE(log.seed);
        const MatchState s = play(log.seed, log.points, log.script, log.endAt);
        EXPECT_EQ(s.klatka, log.frames);
        EXPECT_EQ(s.p1p, log.left);
        EXPECT_EQ(s.p2p, log.right);
        EXPECT_EQ(hashMatch(s), log.hash);
    }
}

TEST(Step, AStateSavedAndRestoredPlaysOnAsBefore)
{
    for (uint32_t seed = 1; seed <= 40; seed++) {
        SCOPED_TRACE(seed);
        Players p{seed * 7};
        MatchState s = onlineStart(seed, 10);
        const uint32_t n = seed * 37, m = 200 + seed * 11;
        unsigned r, l;
        for (uint32_t i = 0; i < n && !s.donegra; i++)
            p.frame(r, l), s = step(s, r, l, s.klatka);
        const MatchState saved = s;
        const Players script = p;
        for (uint32_t i = 0; i < m; i++)
            p.frame(r, l), s = step(s, r, l, s.klatka);
        const uint64_t first = hashMatch(s);

        // Back through the match's globals, which now hold the later state.
        restoreMatch(saved);
        MatchState again = saveMatch();
        EXPECT_EQ(std::memcmp(&again, &saved, sizeof saved), 0);
        p = script;
        for (uint32_t i = 0; i < m; i++)
            p.frame(r, l), again = step(again, r, l, again.klatka);
        EXPECT_EQ(hashMatch(again), first);
    }
}

TEST(Step, TheClockIsTheFrameNumberAndTheServesTheSeeds)
{
    // Nothing of the online match may ask the C library: its rand differs
    // from one platform to the next.
    fake::roll = [] {
        ADD_FAILURE() << "rand called";
        return 0;
    };
    MatchState s = onlineStart(5, 100);
    EXPECT_EQ(s.poczatek, 0u);
    // Frame 455 reads 5005 ms, the first past 5000: the speed-up, counted
    // from there, comes again on frame 910 (10010 > 10005).
    std::vector<uint32_t> speedUps;
    while (s.klatka < 1000) {
        const uint32_t before = s.poczatek;
        s = step(s, 0, 0, s.klatka);
        if (s.poczatek != before)
            speedUps.push_back(s.klatka - 1);
    }
    EXPECT_EQ(speedUps, (std::vector<uint32_t>{455, 910}));
    EXPECT_EQ(s.poczatek, 10010u);

    // The serves follow the seed: the same seed the same ones, another seed
    // others, and a seed of 0 does not stick.
    auto serves = [](uint32_t seed) {
        std::vector<int> k;
        MatchState s = onlineStart(seed, 5);
        for (int i = 0; i < 24; i++) {
            k.push_back(s.kat);
            s.pilka[0] = 9.0f, s.pilka[1] = 8.6f;  // past the right end: a point and a new serve
            s = step(s, 0, 0, s.klatka);
        }
        return k;
    };
    EXPECT_EQ(serves(77), serves(77));
    EXPECT_NE(serves(77), serves(78));
    const std::vector<int> zero = serves(0);
    EXPECT_NE(std::count(zero.begin(), zero.end(), zero[0]), long(zero.size()));
    fake::roll = nullptr;
}

TEST(Step, EitherSideEndsTheMatchForBothAfterTheFramePlaysOut)
{
    for (unsigned side = 0; side < 2; side++) {
        MatchState s = onlineStart(9, 5);
        s = step(s, side == 0 ? goEnd | goUp : 0, side == 1 ? goEnd | goUp : 0, 0);
        EXPECT_EQ(s.donegra, 1);
        EXPECT_EQ(s.klatka, 1u);
        EXPECT_NE(s.pilka[0], 0.2f);  // the ball moved on
        EXPECT_GT(side == 0 ? s.p1y1 : s.p2y1, 0.7f);
    }
}

TEST(Step, TheHashSeesEveryBitOfTheState)
{
    const MatchState s = onlineStart(3, 20);
    const uint64_t h = hashMatch(s);
    for (size_t word = 0; word < sizeof s / 4; word++)
        for (int bit : {0, 13, 31}) {
            MatchState t = s;
            uint32_t w;
            std::memcpy(&w, reinterpret_cast<char*>(&t) + 4 * word, 4);
            w ^= 1u << bit;
            std::memcpy(reinterpret_cast<char*>(&t) + 4 * word, &w, 4);
            EXPECT_NE(hashMatch(t), h) << "word " << word << " bit " << bit;
        }
}
