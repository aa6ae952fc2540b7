// Fingers and gamepads as the match's keys: what each control holds, and a
// finger's half of the picture steering its paddle to the finger through
// the rules' own steps.
#include "game/match.h"
#include "game/state.h"
#include "web/layer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

const Controls none = {0, -1, -1};

// The court height on the paddles' plane, 15 units away, that a window row
// shows through gluPerspective(45, 4 / 3, ...): row 300 is height 0, and
// the top of the window is 15 tan 22.5 up.
double courtY(double row)
{
    return (1 - row / 300) * 15 * std::tan(M_PI / 8);
}

std::vector<Uint8> keysFor(const Controls& c)
{
    std::vector<Uint8> keys(0x10000);
    addControls(keys.data(), c);
    return keys;
}

// Frames of a match's right paddle steered by a finger: until no key is
// held, at most 300 frames. How many steps it took, and whether it turned.
struct Steered {
    int steps = 0;
    bool turned = false;
};
Steered steer(float& top, float& bottom, SDLKey up, SDLKey down, Controls c)
{
    Steered s;
    int last = 0;
    for (int frame = 0; frame < 300; frame++) {
        const std::vector<Uint8> keys = keysFor(c);
        const int way = keys[up] ? 1 : keys[down] ? -1 : 0;
        if (way == 0)
            break;
        s.turned |= last != 0 && way != last;
        last = way;
        if (way > 0)
            paddleUp(top, bottom);
        else
            paddleDown(top, bottom);
        s.steps++;
    }
    return s;
}

struct FingerOnAHalf : testing::Test {
    void SetUp() override { p1y1 = p2y1 = 0.7f, p1y2 = p2y2 = -0.7f; }
};

}  // namespace

TEST(Controls, EachHeldControlIsItsKeyAndTheKeyboardsOwnKeysStay)
{
    std::vector<Uint8> keys(0x10000);
    keys[SDLK_a] = 1;
    addControls(keys.data(), {RightSmash | LeftUp | End, -1, -1});
    EXPECT_EQ(keys[SDLK_KP0], 1);
    EXPECT_EQ(keys[SDLK_w], 1);
    EXPECT_EQ(keys[SDLK_ESCAPE], 1);
    EXPECT_EQ(keys[SDLK_a], 1);
    for (SDLKey k : {SDLK_UP, SDLK_DOWN, SDLK_s, SDLK_LSHIFT})
        EXPECT_EQ(keys[k], 0) << k;

    const std::vector<Uint8> pad = keysFor({RightUp | RightDown | LeftDown | LeftSmash, -1, -1});
    for (SDLKey k : {SDLK_UP, SDLK_DOWN, SDLK_s, SDLK_LSHIFT})
        EXPECT_EQ(pad[k], 1) << k;
    EXPECT_EQ(pad[SDLK_ESCAPE], 0);

    const std::vector<Uint8> idle = keysFor(none);
    EXPECT_EQ(std::count(idle.begin(), idle.end(), 1), 0);
}

TEST(Controls, PadsOfTheStandardMappingHoldTheKeysOfTheirSideTheStickBeyondAThird)
{
    // The first: the d-pad up and A, its stick inside; the second: Start,
    // buttons of no use, its stick beyond.
    Controls c = none;
    c.pads[0] = standardPad(1 << 12 | 1 << 0, 0.32);
    c.pads[1] = standardPad(1 << 9 | 1 << 1 | 1 << 8, 0.34);
    const std::vector<Uint8> keys = keysFor(c);
    for (SDLKey k : {SDLK_UP, SDLK_KP0, SDLK_s, SDLK_ESCAPE})
        EXPECT_EQ(keys[k], 1) << k;
    EXPECT_EQ(std::count(keys.begin(), keys.end(), 1), 4);
    c.pads[0] = standardPad(1 << 13, -0.34), c.pads[1] = standardPad(1 << 12 | 1 << 0, 0);
    const std::vector<Uint8> more = keysFor(c);
    for (SDLKey k : {SDLK_UP, SDLK_DOWN, SDLK_w, SDLK_LSHIFT})
        EXPECT_EQ(more[k], 1) << k;
}

TEST_F(FingerOnAHalf, AboveThePaddlesMiddleIsUpBelowIsDownAndWithinAStepIsNeither)
{
    // The paddles' middle, court height 0, is row 300; a step is 2.9 rows.
    EXPECT_EQ(keysFor({0, -1, 295})[SDLK_UP], 1);
    EXPECT_EQ(keysFor({0, -1, 305})[SDLK_DOWN], 1);
    for (float row : {298.0f, 300.0f, 302.0f}) {
        const std::vector<Uint8> k = keysFor({0, row, row});
        EXPECT_EQ(k[SDLK_UP] + k[SDLK_DOWN] + k[SDLK_w] + k[SDLK_s], 0) << row;
    }
    // The left half steers the left paddle with w and s, and only it.
    const std::vector<Uint8> left = keysFor({0, 100, -1});
    EXPECT_EQ(left[SDLK_w], 1);
    EXPECT_EQ(left[SDLK_UP] + left[SDLK_DOWN], 0);
    EXPECT_EQ(keysFor({0, 500, -1})[SDLK_s], 1);
}

TEST_F(FingerOnAHalf, ThePaddleGoesToTheFingerAtOneStepAFrameAndStopsThere)
{
    const Steered up = steer(p1y1, p1y2, SDLK_UP, SDLK_DOWN, {0, -1, 120});
    EXPECT_FALSE(up.turned);
    EXPECT_NEAR((p1y1 + p1y2) / 2, courtY(120), 0.06);
    EXPECT_EQ(up.steps, int(std::ceil((courtY(120) - 0.06) / 0.06)));

    const Steered down = steer(p2y1, p2y2, SDLK_w, SDLK_s, {0, 540, -1});
    EXPECT_FALSE(down.turned);
    EXPECT_NEAR((p2y1 + p2y2) / 2, courtY(540), 0.06);

    // A finger beyond the court's edge: the paddle stops at the limit, the
    // rules' own, and the key stays held.
    steer(p1y1, p1y2, SDLK_UP, SDLK_DOWN, {0, -1, 10});
    EXPECT_LE(p1y1, 4.9f);
    EXPECT_GT(p1y1, 4.8f);
    EXPECT_EQ(keysFor({0, -1, 10})[SDLK_UP], 1);
}
