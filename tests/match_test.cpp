// The rules of a match, frame by frame through the real frame code, with
// the clock, the keys and rand scripted.
#include "game/game.h"
#include "game/match.h"
#include "game/state.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

Uint32 now;  // the scripted clock stands still unless a test moves it

struct Match : testing::Test {
    void SetUp() override
    {
        fake::scriptKeys = true;
        fake::scriptEvents = true;
        fake::roll = [] { return 0; };
        now = 1000;
        fake::clock = [] { return now; };
        punkty = 5;
        reakcja = 0.0f;
        matchStart();
    }
    void TearDown() override { punkty = 5; }

    static void hold(SDLKey key, bool down = true) { fake::keyState[key] = down ? 1 : 0; }
    static void run(const Mode& mode, int frames)
    {
        for (int i = 0; i < frames; i++)
            frame(mode);
    }
    // The ball as a 0.4 square by its right and top edges.
    static void ball(float right, float top, int direction)
    {
        pilka[1] = right;
        pilka[2] = right - 0.4f;
        pilka[3] = top;
        pilka[4] = top - 0.4f;
        kat = direction;
    }
    static void rightPaddle(float top) { p1y1 = top, p1y2 = top - 1.4f; }
    static void leftPaddle(float top) { p2y1 = top, p2y2 = top - 1.4f; }
};

float nextUp(float v)
{
    return std::nextafter(v, 100.0f);
}

}  // namespace

TEST_F(Match, StartResetsTheMatchAndServesDiagonallyFromTheCentre)
{
    p1p = 4, p2p = 3, pedp = 0.7f, p1s = p2s = 1, donegra = 1, przy2 = 0.5f;
    p1y1 = 3, p2y2 = -5;
    fake::roll = [] { return 7; };
    now = 4321;
    matchStart();
    EXPECT_EQ(kat, 3);
    EXPECT_EQ(poczatek, 4321u);
    EXPECT_EQ(ftps, 0u);
    EXPECT_EQ(p1p + p2p + p1s + p2s + donegra, 0);
    EXPECT_EQ(pedp, 0.05f);
    EXPECT_EQ(przy2, 0.0f);
    EXPECT_EQ(std::vector<float>({p1y1, p1y2, p2y1, p2y2}), std::vector<float>({0.7f, -0.7f, 0.7f, -0.7f}));

    // The first frame draws the ball still at the centre; its first step
    // comes at the end of that frame.
    std::vector<float> drawn;
    fake::beforeSwap = [&] { drawn.assign(pilka + 1, pilka + 5); };
    frame(computer);
    EXPECT_EQ(drawn, std::vector<float>({0.2f, -0.2f, 0.2f, -0.2f}));
    EXPECT_EQ(std::vector<float>(pilka + 1, pilka + 5),
              std::vector<float>({0.2f + 0.05f, -0.2f + 0.05f, 0.2f - 0.05f, -0.2f - 0.05f}));
    EXPECT_EQ(ftps, 4321u);
}

TEST_F(Match, PaddlesStopJustShortOfTheLimitsOnTheRoundedEdge)
{
    hold(SDLK_UP);
    hold(SDLK_w);
    run(twoPlayers, 69);
    EXPECT_LT(p1y1, 4.85f);
    run(twoPlayers, 1);
    EXPECT_EQ(p1y1, 4.8999963f);
    EXPECT_EQ(p2y1, 4.8999963f);
    const float bottom = p1y2;
    run(twoPlayers, 5);  // every further step is made and taken back
    EXPECT_EQ(p1y1, 4.8999963f);
    EXPECT_EQ(p1y2, bottom);

    matchStart();
    hold(SDLK_UP, false);
    hold(SDLK_w, false);
    hold(SDLK_DOWN);
    hold(SDLK_s);
    run(twoPlayers, 90);
    EXPECT_EQ(p1y2, -6.0999951f);
    EXPECT_EQ(p2y2, -6.0999951f);
    run(twoPlayers, 3);
    EXPECT_EQ(p1y2, -6.0999951f);
    EXPECT_NEAR(p1y1 - p1y2, 1.4, 1e-5);

    // Against the computer w and s steer nothing (the ball stays on the
    // person's half, so the computer keeps still too).
    matchStart();
    hold(SDLK_DOWN, false);
    hold(SDLK_w);
    run(computer, 10);
    hold(SDLK_w, false);
    run(computer, 10);
    EXPECT_EQ(p2y1, 0.7f);
    EXPECT_EQ(p2y2, -0.7f);
}

TEST_F(Match, TheRightPaddleJudgesTheTopEdgeAndTheLeftOneTheBottomEdge)
{
    // A ball passing 0.3 below the paddles: its top edge at -1.0.
    ball(7.9f, -1.0f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 2) << "the right paddle takes it";
    ball(-7.5f, -1.0f, 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 5) << "the left paddle misses it";

    // A ball passing 0.3 above: its bottom edge at 1.0.
    ball(7.9f, 1.4f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 4) << "the right paddle misses it";
    ball(-7.5f, 1.4f, 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 0) << "the left paddle takes it, upwards";

    // Outside the x windows nothing is hit.
    ball(8.0f, 0.2f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 4);
    ball(-7.6f, 0.2f, 5);  // left edge exactly -8.0
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 5);
}

TEST_F(Match, WhereTheBallMeetsThePaddleChoosesUpOrDown)
{
    ball(7.9f, 0.3f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 1);
    ball(7.9f, 0.1f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 2);

    // Centre lines equal (2.0 - 0.7 == 1.5 - 0.2 in double): down on both sides.
    rightPaddle(2.0f);
    ball(7.9f, 1.5f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 2);
    ball(7.9f, nextUp(1.5f), 4);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 1);

    leftPaddle(2.0f);
    ball(-7.5f, 1.5f, 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 3);
    ball(-7.5f, nextUp(1.5f), 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 0);
}

TEST_F(Match, ASmashSpeedsTheBallUpUntilTheOtherSideAnswersIt)
{
    hold(SDLK_KP0);
    hold(SDLK_LSHIFT);
    run(twoPlayers, 3);  // held with no ball near: no smash
    EXPECT_EQ(pedp, 0.05f);
    EXPECT_EQ(p1s + p2s, 0);

    ball(7.9f, 0.2f, 0);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 5);
    EXPECT_EQ(p1s, 1);
    EXPECT_EQ(pedp, 0.15000001f);

    hold(SDLK_LSHIFT, false);
    ball(-7.5f, 0.2f, 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 0);
    EXPECT_EQ(p1s, 0);
    EXPECT_EQ(pedp, 0.050000004f) << "not the 0.05 it started from";

    // Both smash keys held: each smash pays for the other's.
    hold(SDLK_LSHIFT);
    ball(7.9f, 0.2f, 0);
    run(twoPlayers, 1);
    const float once = pedp;
    ball(-7.5f, 0.2f, 5);
    run(twoPlayers, 1);
    EXPECT_EQ(kat, 4);
    EXPECT_EQ(p2s, 1);
    EXPECT_EQ(p1s, 0);
    EXPECT_NEAR(pedp, once, 1e-6);
}

TEST_F(Match, ABallStillInAWindowIsHitAgainOnTheNextFrame)
{
    // Smashed at 7.99 it is still inside at 7.84: smashed again, and the
    // other side's answer takes only one of the two gains back.
    hold(SDLK_KP0);
    ball(7.99f, 0.2f, 0);
    run(twoPlayers, 1);
    EXPECT_NEAR(pilka[1], 7.84, 1e-5);
    run(twoPlayers, 1);
    EXPECT_NEAR(pedp, 0.25, 1e-6);
    hold(SDLK_KP0, false);
    ball(-7.5f, 0.2f, 5);
    run(twoPlayers, 1);
    EXPECT_NEAR(pedp, 0.15, 1e-6);

    // A plain return is hit on every frame it stays inside, each time anew.
    pedp = 0.05f;
    rightPaddle(0.7f);
    ball(7.99f, 0.25f, 4);  // centre 0.05: upwards
    int hits = 0;
    for (int i = 0; i < 5; i++) {
        kat = 4;
        run(twoPlayers, 1);
        hits += kat == 1;
    }
    EXPECT_EQ(hits, 4);  // at 7.99, 7.94, 7.89 and 7.84; gone at 7.79
}

TEST_F(Match, TheBallMovesItsSpeedAlongEachOfTheSixDirections)
{
    // Signs of the x and y steps for codes 0 to 5.
    const int dx[] = {1, -1, -1, 1, 1, -1}, dy[] = {1, 1, -1, -1, 0, 0};
    for (int code = 0; code < 6; code++) {
        SCOPED_TRACE(code);
        pedp = 0.3f;
        ball(1.2f, 2.2f, code);
        run(twoPlayers, 1);
        EXPECT_EQ(pilka[1], 1.2f + dx[code] * 0.3f);
        EXPECT_EQ(pilka[2], (1.2f - 0.4f) + dx[code] * 0.3f);
        EXPECT_EQ(pilka[3], 2.2f + dy[code] * 0.3f);
        EXPECT_EQ(pilka[4], (2.2f - 0.4f) + dy[code] * 0.3f);
    }
}

TEST_F(Match, WallsTurnDiagonalBallsAndNeverFlatOnes)
{
    const struct {
        float top;
        int before, after;
    } cases[] = {{4.95f, 0, 3}, {4.95f, 1, 2}, {4.95f, 3, 3}, {4.95f, 4, 4}, {-5.75f, 2, 1},
                 {-5.75f, 3, 0}, {-5.75f, 0, 0}, {-5.75f, 5, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.top << " " << c.before);
        ball(3.0f, c.top, c.before);
        run(twoPlayers, 1);
        EXPECT_EQ(kat, c.after);
    }
    // A flat ball beyond a wall keeps its height.
    ball(-3.0f, 5.5f, 5);
    run(twoPlayers, 10);
    EXPECT_EQ(pilka[3], 5.5f);
    EXPECT_EQ(kat, 5);
}

TEST_F(Match, APointIsScoredPastTheEndsAndTheRallyStartsAfresh)
{
    // 8.2 as a float lies below the double 8.2: no point yet.
    pilka[1] = 8.2f, pilka[2] = 7.8f, pilka[3] = 3.0f, pilka[4] = 2.6f;
    kat = 4;
    pedp = 0.35f;
    p1s = 1;
    rightPaddle(-3.0f);
    now = 3000;
    run(twoPlayers, 1);
    EXPECT_EQ(p1p, 0);

    fake::roll = [] { return 6; };
    std::vector<float> drawn;
    fake::beforeSwap = [&] { drawn.assign(pilka + 1, pilka + 5); };
    run(twoPlayers, 1);
    EXPECT_EQ(p1p, 1);
    EXPECT_EQ(p2p, 0);
    EXPECT_EQ(kat, 2);
    EXPECT_EQ(pedp, 0.05f);
    EXPECT_EQ(p1s, 0);
    EXPECT_EQ(poczatek, 1000u) << "the speed-up interval runs on";
    run(twoPlayers, 1);
    // Served in the frame of the point: the first picture after it is one step out.
    EXPECT_EQ(drawn, std::vector<float>({0.2f - 0.05f, -0.2f - 0.05f, 0.2f - 0.05f, -0.2f - 0.05f}));

    p2s = 1;
    pilka[1] = -7.8f, pilka[2] = -8.2f, pilka[3] = 3.0f, pilka[4] = 2.6f;
    kat = 5;
    run(twoPlayers, 1);
    EXPECT_EQ(p2p, 0);
    run(twoPlayers, 1);
    EXPECT_EQ(p2p, 1);
    EXPECT_EQ(p2s, 0);

    // One point per frame at most, even for a ball past both ends.
    pilka[1] = 8.3f, pilka[2] = -8.3f;
    run(twoPlayers, 1);
    EXPECT_EQ(p1p, 2);
    EXPECT_EQ(p2p, 1);
}

TEST_F(Match, TheBallSpeedsUpEveryFiveSecondsAcrossPoints)
{
    now = 6000;  // 5000 after the start: not yet
    run(computer, 1);
    EXPECT_EQ(pedp, 0.05f);
    now = 6001;
    run(computer, 1);
    EXPECT_EQ(pedp, 0.055f);
    EXPECT_EQ(poczatek, 6001u);
    now = 9000;
    run(computer, 1);
    EXPECT_EQ(pedp, 0.055f);

    ball(8.5f, 0.2f, 4);  // a point: back to 0.05, interval untouched
    run(computer, 1);
    EXPECT_EQ(pedp, 0.05f);
    now = 11001;
    run(computer, 1);
    EXPECT_EQ(pedp, 0.05f);
    now = 11002;
    run(computer, 1);
    EXPECT_EQ(pedp, 0.055f);
}

TEST_F(Match, EscapeEndsTheMatchButItsFrameStillPlaysOut)
{
    hold(SDLK_ESCAPE);
    hold(SDLK_UP);
    ball(8.5f, 0.2f, 4);
    run(twoPlayers, 1);
    EXPECT_EQ(donegra, 1);
    EXPECT_EQ(p1p, 1);
    EXPECT_NE(pilka[1], 0.2f) << "the ball still moved";
    EXPECT_GT(p1y1, 0.7f);
}

TEST_F(Match, TheMatchEndsOnTheFrameAScoreReachesTheTarget)
{
    for (int point = 1; point <= 5; point++) {
        EXPECT_EQ(donegra, 0);
        ball(-7.9f, 3.0f, 5);
        run(computer, 1);
        EXPECT_EQ(p2p, point);
    }
    EXPECT_EQ(donegra, 1);

    matchStart();
    punkty = 10;
    p1p = 9;
    ball(8.5f, 0.2f, 4);
    run(computer, 1);
    EXPECT_EQ(donegra, 1);
}

TEST_F(Match, TheComputerFollowsTheBallOnlyOnItsHalf)
{
    // The ball's right edge exactly on the line does not set it moving.
    ball(0.0f, 3.0f, 4);
    run(computer, 1);
    EXPECT_EQ(p2y1, 0.7f);
    ball(std::nextafter(0.0f, -1.0f), 3.0f, 4);
    run(computer, 1);
    EXPECT_EQ(p2y1, float(0.7f + 0.06));

    // Downwards just the same, whichever way the ball flies.
    leftPaddle(2.0f);
    ball(-1.0f, 0.0f, 0);
    run(computer, 1);
    EXPECT_EQ(p2y1, float(2.0f - 0.06));

    // Level with the ball it keeps still; a step past the ball is undone at once.
    leftPaddle(1.0f);
    ball(-1.0f, 1.4f, 5);
    pilka[4] = 1.0f;
    run(computer, 1);
    EXPECT_EQ(p2y1, 1.0f);
    ball(-1.0f, 1.43f, 5);
    run(computer, 1);
    EXPECT_NEAR(p2y1, 1.0f, 1e-6);

    // A reaction line set elsewhere moves with it.
    reakcja = 2.0f;
    leftPaddle(0.7f);
    ball(1.5f, 3.0f, 4);
    run(computer, 1);
    EXPECT_GT(p2y1, 0.7f);
}

TEST_F(Match, TheComputerReturnsAtRandomAndSmashesOnATwo)
{
    // The ball high on the paddle: the position rule would send it up.
    for (int draw = 0; draw < 6; draw++) {
        SCOPED_TRACE(draw);
        pedp = 0.05f;
        p2s = 0;
        fake::roll = [draw] { return draw; };
        leftPaddle(0.7f);
        ball(-7.5f, 1.0f, 5);
        hold(SDLK_LSHIFT);  // means nothing here
        run(computer, 1);
        EXPECT_EQ(los, draw % 3);
        EXPECT_EQ(kat, draw % 3 == 0 ? 0 : draw % 3 == 1 ? 3 : 4);
        EXPECT_EQ(p2s, draw % 3 == 2 ? 1 : 0);
        EXPECT_EQ(pedp, draw % 3 == 2 ? 0.15000001f : 0.05f);
    }

    // Drawn anew on every frame the ball stays inside: two twos add 0.2.
    fake::roll = [] { return 2; };
    pedp = 0.05f;
    p2s = 0;
    ball(-7.59f, 1.0f, 5);  // left edge -7.99
    run(computer, 1);
    EXPECT_NEAR(pilka[2], -7.84, 1e-5);
    run(computer, 1);
    EXPECT_NEAR(pedp, 0.25, 1e-6);
    // The person's next plain return takes off only one of them.
    ball(7.9f, 0.2f, 4);
    run(computer, 1);
    EXPECT_NEAR(pedp, 0.15, 1e-6);
    EXPECT_EQ(p2s, 0);
}

namespace {
// A clock that moves on by 1 ms on every look, as a fast machine's would.
void tickingClock(Uint32 start)
{
    now = start;
    fake::clock = [] { return now++; };
}
}  // namespace

TEST_F(Match, FramesRunOnlyWhenMoreThanTenMillisecondsHavePassed)
{
    tickingClock(50000);
    std::vector<Uint32> starts;
    bool playing = true;
    fake::beforeSwap = [&] {
        if (!playing) {
            now += 40;  // hurry the fade along
            return;
        }
        starts.push_back(ftps);
        if (starts.size() == 5)
            now += 95;  // a late frame
        if (starts.size() == 9) {
            hold(SDLK_ESCAPE);
            playing = false;
        }
    };
    gra2();
    ASSERT_EQ(starts.size(), 9u);
    // The first frame runs at once; then the first look that finds 11 ms
    // gone starts one, reading the clock once more for itself.
    EXPECT_EQ(starts[0], 50002u);
    // The late frame is not made up: the next one starts at once after it,
    // and the one after that 12 ms later again.
    const std::vector<Uint32> gaps = {12, 12, 12, 12, 98, 12, 12, 12};
    for (size_t i = 1; i < starts.size(); i++)
        EXPECT_EQ(starts[i] - starts[i - 1], gaps[i - 1]) << i;
}

// Closing the window shuts SDL down; nothing may draw after that, so the
// program ends there, whether in play or in the fade.
TEST(MatchQuit, ClosingTheWindowDuringPlayEndsTheProgram)
{
    EXPECT_EXIT(
        {
            fake::scriptEvents = true;
            fake::scriptKeys = true;
            fake::events.push_back(fake::quit());
            gra2();
            fprintf(stderr, "still playing");
        },
        testing::ExitedWithCode(0), "^$");
}

TEST(MatchQuit, ClosingTheWindowDuringTheFadeEndsTheProgram)
{
    EXPECT_EXIT(
        {
            fake::scriptEvents = true;
            fake::scriptKeys = true;
            fake::keyState[SDLK_ESCAPE] = 1;
            int swapsSeen = 0;
            fake::beforeSwap = [&] {
                if (++swapsSeen == 3)  // the second pass of the fade
                    fake::events.push_back(fake::quit());
            };
            gra1();
            fprintf(stderr, "the menu came back");
        },
        testing::ExitedWithCode(0), "^$");
}
