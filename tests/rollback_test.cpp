// Two sides of an online match in one process, each on a clock of its own,
// joined through a scripted server by links that delay, jitter, hold back
// and stall what they carry, as a real network does. Whatever the link
// does, both must end in the very same state.
#include "game/step.h"
#include "online/rollback.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <variant>

namespace {

struct Dice {
    uint32_t x;
    uint32_t next()
    {
        x = x * 1664525u + 1013904223u;
        return x >> 8;
    }
    bool chance(uint32_t in) { return next() % in == 0; }
};

// What a link does to the messages it carries, one way, from a player to
// the server or back: TCP's order always, and a message held back holds
// back all behind it.
struct Weather {
    int delay = 0;    // ms, one way end to end (half of it each hop)
    int jitter = 0;   // ms more, at random
    int holdEvery = 0;  // now and then (one message in this many) 200 ms of loss and resending
    int stallAt = -1;   // a second from this ms on in which nothing gets through
};

struct Hop {
    Weather w;
    Dice dice;
    struct Parcel {
        int at;
        proto::ToServer m;
    };
    std::deque<Parcel> queue;
    int last = 0;
    void send(int now, const proto::ToServer& m)
    {
        int at = now + w.delay / 2 + (w.jitter ? int(dice.next() % unsigned(w.jitter / 2 + 1)) : 0);
        if (w.holdEvery && dice.chance(unsigned(w.holdEvery)))
            at += 200;
        if (w.stallAt >= 0 && at >= w.stallAt && at < w.stallAt + 1000)
            at = w.stallAt + 1000;
        last = std::max(last, at);
        queue.push_back({last, m});
    }
    template <typename F>
    void deliver(int now, F&& to)
    {
        while (!queue.empty() && queue.front().at <= now) {
            to(queue.front().m);
            queue.pop_front();
        }
    }
};

// Both sides' controls as two people press them: each holds what it holds
// for a while, then changes its mind; now and then one ends the match.
struct Hands {
    Dice dice;
    unsigned bits = 0;
    int hold = 0;
    int endOneIn = 0;
    unsigned next()
    {
        if (hold-- <= 0) {
            hold = int(dice.next() % 25);
            bits = dice.next() % 8;
        }
        return bits | (endOneIn && dice.chance(unsigned(endOneIn)) ? goEnd : 0);
    }
};

// One side's machine: its engine, its hands, when its next frame is due.
struct Player {
    std::unique_ptr<Rollback> game = std::make_unique<Rollback>();
    Hands hands;
    double due = 0;
    double tick = 11;  // a clock of its own, a little fast or slow
    bool away = false;
    uint32_t frames = 0;  // frames due, played or waited
};

// The match as a whole: two players, the server between them that keeps the
// log, and the four hops. Time runs a millisecond a turn.
struct Online {
    Player side[2];
    Hop up[2], down[2];
    struct Logged {
        int side;
        proto::Input in;
    };
    std::vector<Logged> log;
    int now = 0;

    Online(uint32_t seed, int points, Weather toServer, Weather toPlayer, uint32_t dice, int startGap = 0)
    {
        for (int s = 0; s < 2; s++) {
            side[s].game->start(proto::Side(s), seed, points);
            side[s].hands.dice.x = dice * 2 + s;
            up[s].w = toServer, down[s].w = toPlayer;
            up[s].dice.x = dice * 4 + s, down[s].dice.x = dice * 4 + 2 + s;
        }
        side[1].due = startGap;  // the second heard of the start later
        side[1].tick = 11 * 1.002;
    }

    void turn()
    {
        for (int s = 0; s < 2; s++) {
            up[s].deliver(now, [&](const auto& m) {
                if (auto* in = std::get_if<proto::Input>(&m))
                    log.push_back({s, *in});
                // A player away is sent nothing; the log has it all.
                if (!side[1 - s].away)
                    down[1 - s].send(now, m);
            });
            Player& p = side[s];
            if (p.away)
                continue;
            down[s].deliver(now, [&](const auto& m) {
                if (auto* in = std::get_if<proto::Input>(&m))
                    ASSERT_TRUE(p.game->theirInput(*in)) << "frame " << in->frame;
                else
                    p.game->theirHash(std::get<proto::Hash>(m));
            });
            if (now >= p.due && !p.game->over()) {
                p.game->frame(p.hands.next());
                p.frames++;
                p.due += p.tick + p.game->pace();
                for (const auto& m : p.game->out)
                    up[s].send(now, m);
                p.game->out.clear();
            }
        }
        now++;
    }
    bool over() const { return side[0].game->over() && side[1].game->over(); }
    void playOut(int limit = 60 * 60 * 1000)
    {
        while (!over() && now < limit)
            turn();
    }
};

struct Figures {
    uint64_t frames = 0, rollbacks = 0, replayed = 0, waits = 0;
    uint32_t longest = 0;
    int matches = 0;
    void add(const Online& o)
    {
        for (const Player& p : o.side) {
            frames += p.frames;
            rollbacks += p.game->rollbacks;
            replayed += p.game->replayed;
            waits += p.game->waits;
            longest = std::max(longest, p.game->longestReplay);
        }
        matches++;
    }
    // A minute of one side's play is 60000 / 11 frames.
    double perMinute(uint64_t n) const { return frames ? n * (60000.0 / 11) / frames : 0; }
};

// The inputs a side has sent since last asked, its hashes left out.
std::vector<proto::Input> sent(Rollback& r)
{
    std::vector<proto::Input> inputs;
    for (const proto::ToServer& m : r.out)
        if (auto* in = std::get_if<proto::Input>(&m))
            inputs.push_back(*in);
    r.out.clear();
    return inputs;
}

void expectSameEnd(const Online& o)
{
    const MatchState& a = o.side[0].game->confirmed;
    const MatchState& b = o.side[1].game->confirmed;
    ASSERT_TRUE(o.over()) << "still playing after " << o.now << " ms";
    EXPECT_EQ(o.side[0].game->desyncs + o.side[1].game->desyncs, 0u);
    EXPECT_EQ(a.donegra, 1);
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0) << "frames " << a.klatka << " and " << b.klatka;
    EXPECT_EQ(hashMatch(a), hashMatch(b));
    // Once over, each shows the end itself, not a guess past it.
    EXPECT_EQ(std::memcmp(&o.side[0].game->current, &a, sizeof a), 0);
    EXPECT_EQ(std::memcmp(&o.side[1].game->current, &b, sizeof b), 0);
}

}  // namespace

TEST(Rollback, BothSidesEndAlikeWhateverTheLinkDoes)
{
    const struct {
        const char* name;
        Weather w;
        int matches;
    } links[] = {
        {"0 ms", {0, 0, 0, -1}, 150},
        {"50 ms round trip, 10 ms jitter", {25, 10, 0, -1}, 300},
        {"100 ms round trip, 10 ms jitter", {50, 10, 0, -1}, 300},
        {"100 ms round trip, 200 ms holds", {50, 10, 40, -1}, 300},
        {"200 ms round trip, 10 ms jitter", {100, 10, 0, -1}, 300},
        {"400 ms round trip, 10 ms jitter", {200, 10, 0, -1}, 200},
        {"100 ms round trip, a 1 s stall", {50, 10, 0, 3000}, 300},
        {"0 to 200 ms, holds, both stall", {0, 200, 60, 2000}, 150},
    };
    for (const auto& link : links) {
        SCOPED_TRACE(link.name);
        Figures f;
        for (int m = 0; m < link.matches; m++) {
            Online o(uint32_t(m * 7919 + 1), 5, link.w, link.w, uint32_t(m), m % 5 * 9);
            // Some matches ended by a player, most played to the points.
            if (m % 4 == 0)
                o.side[m / 4 % 2].hands.endOneIn = 1500;
            o.playOut();
            expectSameEnd(o);
            if (HasFatalFailure() || HasFailure())
                return;
            f.add(o);
        }
        printf("  %-32s %3d matches; a minute: %5.1f rollbacks, %6.1f frames played again (at most %2u at once), "
               "%6.1f waits\n",
               link.name, f.matches, f.perMinute(f.rollbacks), f.perMinute(f.replayed), f.longest,
               f.perMinute(f.waits));
        EXPECT_LE(f.longest, maxAhead);
        if (link.w.delay <= 50 && !link.w.holdEvery && link.w.stallAt < 0) {
            EXPECT_EQ(f.waits, 0u);  // the input delay and the guesses cover such a link whole
        }
    }
}

TEST(Rollback, AnOwnInputCountsThreeFramesLaterAndTheOthersIsGuessedUntilItComes)
{
    Rollback a;
    a.start(proto::right, 11, 5);
    // Up from the first frame: the paddle starts moving on the fourth.
    std::vector<float> tops;
    for (int i = 0; i < 6; i++) {
        a.frame(goUp);
        tops.push_back(a.current.p1y1);
    }
    EXPECT_EQ(tops[2], 0.7f);
    EXPECT_GT(tops[3], 0.7f);
    // Every frame sent its input for three frames on, with what it had of the other's.
    ASSERT_EQ(a.out.size(), 6u);
    EXPECT_EQ(std::get<proto::Input>(a.out[0]).frame, 3u);
    EXPECT_EQ(std::get<proto::Input>(a.out[5]).frame, 8u);
    EXPECT_EQ(std::get<proto::Input>(a.out[5]).ack, 3u);
    EXPECT_EQ(a.confirmed.klatka, 3u);  // the three idle frames of both

    // The other held its paddle up from frame 3 on: guessed idle until told,
    // then frames 3 to 5 are played again, and it goes on up on the guess.
    ASSERT_TRUE(a.theirInput({3, goUp, 4}));
    a.frame(0);
    EXPECT_EQ(a.confirmed.klatka, 4u);
    EXPECT_EQ(a.replayed, 2u);  // frames 4 and 5, from the state frame 3 confirmed
    EXPECT_GT(a.current.p2y1, 0.7f + 3 * 0.059f);  // frames 3..6 all up
    const float guessedTop = a.current.p2y1;
    // A guess that holds is not played again.
    ASSERT_TRUE(a.theirInput({4, goUp, 5}));
    a.frame(0);
    EXPECT_EQ(a.replayed, 2u);
    EXPECT_GT(a.current.p2y1, guessedTop);

    // Out of order or from too far ahead is not a true player's.
    EXPECT_FALSE(a.theirInput({6, 0, 5}));
    EXPECT_FALSE(a.theirInput({5, 16, 5}));
    // A side that has played nothing yet takes no more than its inputs
    // kept from the start.
    Rollback b;
    b.start(proto::left, 11, 5);
    for (uint32_t f = 3; f < Rollback::ring; f++)
        ASSERT_TRUE(b.theirInput({f, 0, 3}));
    EXPECT_FALSE(b.theirInput({Rollback::ring, 0, 3}));
}

TEST(Rollback, ItWaitsTwelveFramesAheadAndCountsEachWait)
{
    Rollback a;
    a.start(proto::left, 5, 5);
    for (int i = 0; i < 40; i++)
        a.frame(0);
    EXPECT_EQ(a.current.klatka, 3u + maxAhead);  // the idle frames are confirmed
    EXPECT_EQ(a.waits, 40u - 15u);
    EXPECT_EQ(a.out.size(), 15u);  // no input for a frame not played
    ASSERT_TRUE(a.theirInput({3, 0, 3}));
    a.frame(0);
    EXPECT_EQ(a.current.klatka, 16u);
    EXPECT_EQ(a.waits, 25u);
}

TEST(Rollback, SidesThatDisagreeFindItOutAtTheFirstHashAndStop)
{
    Online o(77, 5, {20, 5, 0, -1}, {20, 5, 0, -1}, 3);
    o.side[1].game->start(proto::left, 78, 5);  // another seed: another first serve
    o.playOut(20000);
    ASSERT_TRUE(o.over());
    for (const Player& p : o.side) {
        EXPECT_EQ(p.game->desyncFrame, hashEvery);
        EXPECT_GE(p.game->desyncs, 1u);
        EXPECT_LE(p.game->confirmed.klatka, hashEvery + maxAhead);
    }
    // Sides that agree never do, over a whole match.
    Online fine(77, 5, {20, 5, 0, -1}, {20, 5, 0, -1}, 3);
    fine.playOut();
    expectSameEnd(fine);
}

TEST(Rollback, AReloadedPagePlaysTheServersLogThroughAndTheMatchGoesOn)
{
    for (int when : {700, 4000, 9000}) {
        SCOPED_TRACE(when);
        Online o(31337, 10, {40, 10, 0, -1}, {40, 10, 0, -1}, uint32_t(when));
        while (o.now < when)
            o.turn();
        // The left side's page goes away with all it had, unsent and unheard
        // messages too; it comes back two seconds later.
        Player& left = o.side[1];
        left.away = true;
        o.up[1].queue.clear();
        o.down[1].queue.clear();
        while (o.now < when + 2000)
            o.turn();
        EXPECT_GT(o.side[0].game->waits, 100u);  // the right side waited for it
        const uint32_t rightAt = o.side[0].game->current.klatka;

        left.game = std::make_unique<Rollback>();
        left.game->start(proto::left, 31337, 10);
        for (const Online::Logged& l : o.log)
            ASSERT_TRUE(l.side == 1 ? left.game->ownInput(l.in) : left.game->theirInput(l.in));
        left.game->endReplay();
        EXPECT_TRUE(left.game->out.empty());  // nothing sent again
        // Back at the frame it had reached, never more than twelve behind the other.
        EXPECT_GE(left.game->current.klatka + inputDelay + maxAhead, rightAt);
        EXPECT_EQ(left.game->current.klatka + inputDelay, left.game->mineKnown);
        left.away = false;
        left.due = o.now;
        o.playOut();
        expectSameEnd(o);
    }
}

TEST(Rollback, AFramePlayedAgainIsNotHeardAgainAndTheNewestStateIsLeftToDraw)
{
    // For its first 140 frames the ball meets no paddle, only a wall once,
    // whichever the serve: up or down from the middle at 0.05 a frame. The
    // left side's paddle changes its way every third frame, and its news
    // comes eight frames late, so the right side plays every frame again,
    // the bounce's among them.
    for (uint32_t seed = 1; seed <= 4; seed++) {
        SCOPED_TRACE(seed);
        Rollback a, b;
        a.start(proto::right, seed, 5);
        b.start(proto::left, seed, 5);
        std::deque<proto::Input> late;
        std::vector<Sound> heardByA;
        for (int i = 0; i < 140; i++) {
            if (Sound s = a.frame(0))
                heardByA.push_back(s);
            // What is left in the match's globals to draw is the newest state.
            const MatchState shown = saveMatch();
            EXPECT_EQ(std::memcmp(&a.current, &shown, sizeof shown), 0);
            b.frame(i / 3 % 2 ? goUp : goDown);
            for (const proto::Input& in : sent(b))
                late.push_back(in);
            while (!late.empty() && late.front().frame + 8 <= uint32_t(i) + inputDelay) {
                ASSERT_TRUE(a.theirInput(late.front()));
                late.pop_front();
            }
            for (const proto::Input& in : sent(a))
                ASSERT_TRUE(b.theirInput(in));
        }
        EXPECT_GT(a.replayed, 140u);
        EXPECT_EQ(heardByA, std::vector<Sound>{wallSound});
    }
}

TEST(Rollback, EachSideKeepsItsPaceToTheOthers)
{
    // One machine's clock 2% slow, the other started 100 ms late. Without
    // pacing the fast one would run into its limit every fiftieth frame.
    Online o(9, 100, {30, 4, 0, -1}, {30, 4, 0, -1}, 5, 100);
    o.side[1].tick = 11 * 1.02;
    int apart = 0;
    while (o.now < 120000 && !o.over()) {
        o.turn();
        if (o.now > 20000 && o.now % 1000 == 0)
            apart = std::max(apart, std::abs(int(o.side[0].game->current.klatka) - int(o.side[1].game->current.klatka)));
    }
    ASSERT_FALSE(o.over());
    EXPECT_LE(apart, 2);
    EXPECT_LT(o.side[0].game->waits + o.side[1].game->waits, 20u);
}

TEST(Rollback, TheStepAndTheWorstFrameCostLittle)
{
    MatchState s = onlineStart(4, 100);
    Hands h{{8}};
    const int n = 200000;
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < n; i++)
        s = step(s, h.next() & 7, h.next() & 7, s.klatka);
    const double stepNs = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count() / n;
    // The most a frame can cost: twelve frames ahead on a guess that the
    // other's first input proves wrong, eleven of them played again and the
    // new one.
    Rollback ahead;
    ahead.start(proto::right, 4, 100);
    while (ahead.current.klatka < inputDelay + maxAhead)
        ahead.frame(goUp);
    const int rounds = 5000;
    std::vector<Rollback> copies(rounds, ahead);
    const auto t1 = std::chrono::steady_clock::now();
    for (Rollback& c : copies) {
        c.theirInput({3, goDown, 4});
        c.frame(0);
    }
    const double worstUs =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t1).count() / rounds;
    printf("  a step %.0f ns; the worst frame, 11 frames played again and a new one, %.2f us\n", stepNs, worstUs);
    EXPECT_EQ(copies[0].longestReplay, maxAhead - 1);
    EXPECT_EQ(copies[0].current.klatka, inputDelay + maxAhead + 1);
    EXPECT_LT(worstUs, 1000.0);  // a frame is 11 ms
}
