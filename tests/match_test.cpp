// The rules of a match, frame by frame through the real frame code, with
// the clock, the keys and rand scripted.
#include "scripted_match.h"

#include <cmath>
#include <vector>

namespace {

void hold(SDLKey key, bool down = true)
{
    fake::keyState[key] = down;
}
void run(const Mode& mode, int frames = 1)
{
    while (frames--)
        frame(mode);
}
// The ball as a 0.4 square by its right and top edges.
void ball(float right, float top, int direction)
{
    pilka[1] = right, pilka[2] = right - 0.4f, pilka[3] = top, pilka[4] = top - 0.4f;
    kat = direction;
}
void paddles(float top)
{
    p1y1 = p2y1 = top;
    p1y2 = p2y2 = top - 1.4f;
}
std::vector<float> ballNow()
{
    return {pilka + 1, pilka + 5};
}

}  // namespace

TEST_F(Match, PaddlesStopJustShortOfTheLimitsOnTheRoundedEdge)
{
    hold(SDLK_UP), hold(SDLK_w);
    run(twoPlayers, 69);
    EXPECT_LT(p1y1, 4.85f);
    run(twoPlayers, 1);
    EXPECT_EQ(p1y1, 4.8999963f);
    EXPECT_EQ(p2y1, 4.8999963f);
    run(twoPlayers, 5);  // every further step is made and taken back
    EXPECT_EQ(p1y1, 4.8999963f);

    matchStart();
    hold(SDLK_UP, false), hold(SDLK_w, false), hold(SDLK_DOWN), hold(SDLK_s);
    run(twoPlayers, 93);
    EXPECT_EQ(p1y2, -6.0999951f);
    EXPECT_EQ(p2y2, -6.0999951f);
    EXPECT_NEAR(p1y1 - p1y2, 1.4, 1e-5);
}

TEST_F(Match, HitWindowsAndTheReturnByPosition)
{
    // The right paddle judges height by the ball's top edge, the left one
    // by its bottom edge: a ball 0.3 below the paddles is the right one's,
    // a ball 0.3 above is the left one's. 2.0 - 0.7 == 1.5 - 0.2 in double:
    // a tie, which goes down on both sides.
    const float tieAndAbit = std::nextafter(1.5f, 2.0f);
    const struct {
        float paddle, right, top;
        int after;  // 4 or 5: not hit
    } cases[] = {
        {0.7f, 7.9f, -1.0f, 2}, {0.7f, 7.9f, 1.4f, 4},  {0.7f, 7.9f, 0.3f, 1},    {0.7f, 7.9f, 0.1f, 2},
        {2.0f, 7.9f, 1.5f, 2},  {2.0f, 7.9f, tieAndAbit, 1}, {0.7f, 8.0f, 0.2f, 4},
        {0.7f, -7.5f, -1.0f, 5}, {0.7f, -7.5f, 1.4f, 0}, {2.0f, -7.5f, 1.5f, 3}, {2.0f, -7.5f, tieAndAbit, 0},
        {0.7f, -7.6f, 0.2f, 5},  // left edge exactly -8.0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.paddle << " " << c.right << " " << c.top);
        paddles(c.paddle);
        ball(c.right, c.top, c.right > 0 ? 4 : 5);
        run(twoPlayers);
        EXPECT_EQ(kat, c.after);
    }
}

TEST_F(Match, SmashesAndTheirUndoOnEveryFrameTheBallStaysInAWindow)
{
    hold(SDLK_KP0), hold(SDLK_LSHIFT);
    run(twoPlayers, 3);  // no ball near: no smash
    EXPECT_EQ(pedp, 0.05f);

    ball(7.9f, 0.2f, 0);
    run(twoPlayers);
    EXPECT_EQ(kat, 5);
    EXPECT_EQ(pedp, 0.15000001f);
    hold(SDLK_LSHIFT, false);
    ball(-7.5f, 0.2f, 5);
    run(twoPlayers);
    EXPECT_EQ(p1s, 0);
    EXPECT_EQ(pedp, 0.050000004f) << "not quite the 0.05 it started from";

    // Smashed at 7.99 it is still inside at 7.84: smashed again; the other
    // side's answer takes only one of the two gains back.
    ball(7.99f, 0.2f, 0);
    run(twoPlayers, 2);
    EXPECT_NEAR(pedp, 0.250000004, 1e-6);
    hold(SDLK_KP0, false);
    ball(-7.5f, 0.2f, 5);
    run(twoPlayers);
    EXPECT_NEAR(pedp, 0.150000004, 1e-6);

    // A plain return just the same: four frames inside, four hits.
    pedp = 0.05f;
    ball(7.99f, 0.25f, 4);
    int hits = 0;
    for (int i = 0; i < 5; i++, kat = 4) {
        run(twoPlayers);
        hits += kat == 1;
    }
    EXPECT_EQ(hits, 4);
}

TEST_F(Match, TheBallMovesItsSpeedEachWayAndOnlyDiagonalsMeetTheWalls)
{
    const int dx[] = {1, -1, -1, 1, 1, -1}, dy[] = {1, 1, -1, -1, 0, 0};
    for (int code = 0; code < 6; code++) {
        pedp = 0.3f;
        ball(1.2f, 2.2f, code);
        const std::vector<float> b = ballNow();
        run(twoPlayers);
        EXPECT_EQ(ballNow(), std::vector<float>({b[0] + dx[code] * 0.3f, b[1] + dx[code] * 0.3f,
                                                 b[2] + dy[code] * 0.3f, b[3] + dy[code] * 0.3f}))
            << code;
    }
    pedp = 0.05f;
    const int top[] = {3, 2, 2, 3, 4, 5}, bottom[] = {0, 1, 1, 0, 4, 5};
    for (int code = 0; code < 6; code++) {
        ball(3.0f, 4.95f, code);
        run(twoPlayers);
        EXPECT_EQ(kat, top[code]) << code;
        ball(3.0f, -5.75f, code);
        run(twoPlayers);
        EXPECT_EQ(kat, bottom[code]) << code;
    }
}

TEST_F(Match, APointStartsTheRallyAfreshButNotTheSpeedUpClock)
{
    // 8.2 and -8.2 as floats lie inside the doubles 8.2 and -8.2.
    ball(8.2f, 3.0f, 4);
    pedp = 0.35f;
    p1s = 1;
    now = 6000;
    run(twoPlayers);
    EXPECT_EQ(p1p, 0);
    fake::roll = [] { return 6; };
    std::vector<float> drawn;
    fake::beforeSwap = [&] { drawn = ballNow(); };
    run(twoPlayers, 2);
    EXPECT_EQ(p1p, 1);
    EXPECT_EQ(pedp, 0.05f);
    EXPECT_EQ(p1s, 0);
    EXPECT_EQ(poczatek, 1000u);
    // Served in the frame of the point: the first picture after it is one step out.
    EXPECT_EQ(drawn, std::vector<float>({0.15f, -0.25f, 0.15f, -0.25f}));

    ball(-7.8f, 3.0f, 5);  // left edge -8.2
    p2s = 1;
    run(twoPlayers, 2);
    EXPECT_EQ(p2p, 1);
    EXPECT_EQ(p2s, 0);
    pilka[1] = 8.3f, pilka[2] = -8.3f;  // past both ends: one point a frame
    run(twoPlayers);
    EXPECT_EQ(p1p + p2p, 3);

    // Speed-ups: strictly more than 5000 ms after the last, across points.
    const struct {
        Uint32 at;
        float speed;
    } steps[] = {{6000, 0.05f}, {6001, 0.055f}, {11001, 0.05f}, {11002, 0.055f}};
    now = 1000;
    matchStart();
    for (const auto& s : steps) {
        now = s.at;
        if (s.at == 11001)
            ball(8.5f, 0.2f, 4);
        run(computer);
        EXPECT_EQ(pedp, s.speed) << s.at;
    }
}

TEST_F(Match, EscapeAndTheTargetEndTheMatchAfterTheFrameHasPlayedOut)
{
    hold(SDLK_ESCAPE), hold(SDLK_UP);
    ball(8.5f, 0.2f, 4);
    run(twoPlayers);
    EXPECT_EQ(donegra, 1);
    EXPECT_EQ(p1p, 1);
    EXPECT_EQ(pilka[1], 0.25f) << "served and moved";
    EXPECT_GT(p1y1, 0.7f);

    hold(SDLK_ESCAPE, false);
    matchStart();
    for (int point = 1; point <= 5; point++) {
        EXPECT_EQ(donegra, 0);
        ball(-7.9f, 3.0f, 5);
        run(computer);
    }
    EXPECT_EQ(p2p, 5);
    EXPECT_EQ(donegra, 1);
}

TEST_F(Match, TheComputerFollowsTheBallOnItsHalfAndReturnsItAtRandom)
{
    const struct {
        float right, bottom, paddle, after;
    } follows[] = {
        {0.0f, 2.6f, 0.7f, 0.7f},                          // on the line: still
        {-1e-7f, 2.6f, 0.7f, float(0.7f + 0.06)},          // just left of it: up
        {-1.0f, -0.4f, 2.0f, float(2.0f - 0.06)},          // down
        {-1.0f, 1.0f, 1.0f, 1.0f},                         // level: still
    };
    for (const auto& f : follows) {
        paddles(f.paddle);
        ball(f.right, f.bottom + 0.4f, 5);
        pilka[4] = f.bottom;
        run(computer);
        EXPECT_EQ(p2y1, f.after) << f.right << " " << f.bottom;
    }

    // The draw decides, not where the ball meets the paddle (high here, which
    // the position rule would send up); w, s and left shift mean nothing.
    hold(SDLK_w), hold(SDLK_LSHIFT);
    const int returns[] = {0, 3, 4};
    for (int draw = 0; draw < 6; draw++) {
        fake::roll = [draw] { return draw; };
        pedp = 0.05f;
        p2s = 0;
        paddles(0.7f);
        ball(-7.5f, 1.0f, 5);
        run(computer);
        EXPECT_EQ(los, draw % 3);
        EXPECT_EQ(kat, returns[draw % 3]) << draw;
        EXPECT_EQ(pedp, draw % 3 == 2 ? 0.15000001f : 0.05f) << draw;
    }
    // A two on each of two frames inside the window adds 0.2.
    fake::roll = [] { return 2; };
    pedp = 0.05f;
    ball(-7.59f, 1.0f, 5);
    run(computer, 2);
    EXPECT_NEAR(pedp, 0.25, 1e-6);
}

TEST_F(Match, FramesRunOnlyWhenMoreThanTenMillisecondsHavePassed)
{
    // A clock that moves on by 1 ms on every look, as a fast machine's would.
    now = 50000;
    fake::clock = [] { return now++; };
    std::vector<Uint32> starts;
    fake::beforeSwap = [&] {
        if (fake::keyState[SDLK_ESCAPE]) {
            now += 40;  // the fade: hurry it along
            return;
        }
        starts.push_back(ftps);
        if (starts.size() == 5)
            now += 95;  // a late frame
        hold(SDLK_ESCAPE, starts.size() == 9);
    };
    gra2();
    // The first frame at once; then the first look finding 11 ms gone
    // starts one, which reads the clock once more for itself. The late
    // frame is not made up.
    EXPECT_EQ(starts, std::vector<Uint32>({50002, 50014, 50026, 50038, 50050, 50148, 50160, 50172, 50184}));
}

// Each case runs in a child process, which the browser build cannot start.
#if GTEST_HAS_DEATH_TEST
// Closing the window shuts SDL down; nothing may draw after that, so the
// program ends there, in play or in the fade. A match that went on would
// return here and fail to die.
TEST(MatchQuit, ClosingTheWindowEndsTheProgram)
{
    fake::scriptEvents = fake::scriptKeys = true;
    EXPECT_EXIT(
        {
            fake::events.push_back(fake::quit());
            gra2();
        },
        testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            fake::keyState[SDLK_ESCAPE] = 1;
            fake::beforeSwap = [] {
                if (fake::swaps == 3)  // the fade's second pass
                    fake::events.push_back(fake::quit());
            };
            gra1();
        },
        testing::ExitedWithCode(0), "");
}
#endif
