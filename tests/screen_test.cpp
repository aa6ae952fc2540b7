// The match on screen: where paddles, ball, labels and scores land in the
// window, and the closing fade, read back from the frame before its swap.
#include "game/match.h"
#include "game/state.h"
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

using Frame = std::vector<unsigned char>;

// Court space on the plane z = -15 seen through the game's projection:
// 48.28 window pixels per court unit from the window's centre.
const double scale = 400 * (1 / std::tan(M_PI / 8)) / (800.0 / 600) / 15;
double windowX(double x)
{
    return 400 + scale * x;
}
double windowY(double y)
{
    return 300 - scale * y;
}

struct Box {
    int left = 800, top = 600, right = -1, bottom = -1;
};

Box boxOf(const Frame& f, Rgb colour, int fromY = 0, int toY = 599, int fromX = 0, int toX = 799)
{
    Box b;
    for (int y = fromY; y <= toY; y++)
        for (int x = fromX; x <= toX; x++) {
            const unsigned char* p = &f[3 * (y * 800 + x)];
            if (p[0] == colour[0] && p[1] == colour[1] && p[2] == colour[2]) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        }
    return b;
}

// The pixels whose centres a court rectangle covers, give or take one.
void expectCovers(const Box& b, double right, double left, double top, double bottom)
{
    EXPECT_NEAR(b.left, windowX(left), 1);
    EXPECT_NEAR(b.right + 1, windowX(right), 1);
    EXPECT_NEAR(b.top, windowY(top), 1);
    EXPECT_NEAR(b.bottom + 1, windowY(bottom), 1);
}

Rgb at(const Frame& f, int x, int y)
{
    const unsigned char* p = &f[3 * (y * 800 + x)];
    return {p[0], p[1], p[2]};
}

// A texture of w x h texels given bottom row first, RGBA.
GLuint texture(int w, int h, const std::vector<unsigned>& rgba)
{
    std::vector<unsigned char> bytes;
    for (unsigned v : rgba)
        for (int shift : {24, 16, 8, 0})
            bytes.push_back((v >> shift) & 255);
    GLuint name;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    return name;
}

struct Screen : testing::Test {
    GLuint saved[4] = {p1, p2, texpilka, font};
    void SetUp() override
    {
        p1y1 = p2y1 = 0.7f;
        p1y2 = p2y2 = -0.7f;
        pilka[1] = 0.2f, pilka[2] = -0.2f, pilka[3] = 0.2f, pilka[4] = -0.2f;
        p1p = p2p = 0;
    }
    void TearDown() override
    {
        p1 = saved[0], p2 = saved[1], texpilka = saved[2], font = saved[3];
    }
    // The play screen as it is about to be shown.
    static Frame shown(const Board& board)
    {
        Frame f;
        fake::beforeSwap = [&] { f = grabWindow(); };
        playScreen(board);
        fake::beforeSwap = nullptr;
        return f;
    }
};

const Rgb green = {0, 255, 0}, blue = {0, 0, 255}, yellow = {255, 255, 0}, white = {255, 255, 255};

}  // namespace

TEST_F(Screen, PaddlesAndBallLandWhereTheProjectionPutsThem)
{
    // Each paddle green on the picture's left half and blue on its right,
    // so the pictures' outer edge shows too.
    p1 = p2 = texture(2, 1, {0x00FF00FF, 0x0000FFFF});
    texpilka = texture(1, 1, {0xFFFF00FF});

    for (int round = 0; round < 2; round++) {
        SCOPED_TRACE(round);
        if (round == 1) {
            p1y1 = 4.8999963f, p1y2 = 3.4999976f;
            p2y1 = -4.6999965f, p2y2 = -6.0999951f;
            pilka[1] = -3.0f, pilka[2] = -3.4f, pilka[3] = 2.5f, pilka[4] = 2.1f;
        }
        const Frame f = shown(computer.board);
        const Box rightOuter = boxOf(f, blue, 0, 599, 400, 799);
        const Box rightInner = boxOf(f, green, 0, 599, 400, 799);
        const Box leftOuter = boxOf(f, blue, 0, 599, 0, 399);
        const Box leftInner = boxOf(f, green, 0, 599, 0, 399);
        expectCovers({rightInner.left, rightInner.top, rightOuter.right, rightOuter.bottom}, 8.0, 7.8, p1y1, p1y2);
        expectCovers({leftOuter.left, leftOuter.top, leftInner.right, leftInner.bottom}, -7.8, -8.0, p2y1, p2y2);
        EXPECT_GT(rightOuter.left, rightInner.right) << "s = 1 at the outer edge";
        EXPECT_LT(leftOuter.right, leftInner.left) << "s = 1 at the outer edge";
        expectCovers(boxOf(f, yellow), pilka[1], pilka[2], pilka[3], pilka[4]);
    }
}

TEST_F(Screen, LabelsAndScoresStandWhereEachModePutsThem)
{
    font = 0;  // every glyph a plain white quad, 16 text units square
    // Text-space units are 1.25 window pixels; (tx, ty) is pixel (1.25 tx, 600 - 1.25 ty).
    const struct {
        const Mode* mode;
        int leftEnd, rightStart, rightEnd, scoreLeft, scoreRight;
    } modes[] = {{&computer, 101, 550, 606, 40, 573}, {&twoPlayers, 71, 550, 616, 30, 575}};
    for (const auto& m : modes) {
        SCOPED_TRACE(m.mode->board.left);
        p1p = 7, p2p = 100;
        const Frame f = shown(m.mode->board);
        const Box leftLabel = boxOf(f, white, 0, 20, 0, 399);
        EXPECT_NEAR(leftLabel.left, 6.25, 1);
        EXPECT_NEAR(leftLabel.right + 1, 1.25 * m.leftEnd, 1);
        EXPECT_NEAR(leftLabel.top, 5, 1);
        const Box rightLabel = boxOf(f, white, 0, 20, 400, 799);
        EXPECT_NEAR(rightLabel.left, 1.25 * m.rightStart, 1);
        EXPECT_NEAR(rightLabel.right + 1, 1.25 * m.rightEnd, 1);

        // Below the labels' band: one digit on the left, three on the right,
        // both from their left positions.
        const Box leftScore = boxOf(f, white, 30, 50, 0, 399);
        EXPECT_NEAR(leftScore.left, 1.25 * m.scoreLeft, 1);
        EXPECT_NEAR(leftScore.right + 1, 1.25 * (m.scoreLeft + 16), 1);
        EXPECT_NEAR(leftScore.bottom + 1, 600 - 1.25 * 445, 1);
        const Box rightScore = boxOf(f, white, 30, 50, 400, 799);
        EXPECT_NEAR(rightScore.left, 1.25 * m.scoreRight, 1);
        EXPECT_NEAR(rightScore.right + 1, 1.25 * (m.scoreRight + 36), 1);
    }
}

namespace {
// One record per pass of the fade: the clock and the veil's alpha as drawn.
struct Pass {
    Uint32 time;
    float alpha;
};
Uint32 now;

std::vector<Pass> fade(const Board& board, Uint32 msPerPass, Frame* last = nullptr, Frame* first = nullptr,
                       Frame* half = nullptr)
{
    std::vector<Pass> passes;
    now = 20000;
    fake::clock = [] { return now; };
    fake::scriptEvents = true;
    fake::scriptKeys = true;
    fake::keyState[SDLK_ESCAPE] = 1;  // keys mean nothing to the fade
    fake::beforeSwap = [&] {
        passes.push_back({now, przy2});
        if (last)
            *last = grabWindow();
        if (first && passes.size() == 1)
            *first = grabWindow();
        if (half && przy2 > 0.45f && przy2 < 0.55f)
            *half = grabWindow();
        now += msPerPass;
    };
    closingFade(board);
    fake::beforeSwap = nullptr;
    return passes;
}
}  // namespace

TEST_F(Screen, TheFadeDarkensTheFinalPictureWithoutTheBallToBlack)
{
    pilka[1] = 30.0f, pilka[2] = 29.6f;  // out of sight
    const Frame noBall = shown(twoPlayers.board);
    pilka[1] = 0.2f, pilka[2] = -0.2f;

    Frame first, half, last;
    const std::vector<Pass> passes = fade(twoPlayers.board, 5, &last, &first, &half);
    EXPECT_EQ(first, noBall) << "the first pass: no ball, no darkening";
    ASSERT_FALSE(half.empty());
    for (auto [x, y] : {std::pair{300, 200}, {781, 300}, {60, 15}}) {
        const Rgb before = at(noBall, x, y), mid = at(half, x, y);
        for (int c = 0; c < 3; c++)
            EXPECT_NEAR(mid[c], before[c] / 2.0, 2) << x << "," << y;
    }
    EXPECT_EQ(last, Frame(800 * 600 * 3, 0)) << "ends black";
    EXPECT_EQ(przy2, 1.0000001f);
}

TEST_F(Screen, TheTwoFadesKeepTimeDifferently)
{
    // Two players, a pass every 5 ms: the timer is set once, so after 150 ms
    // every pass steps; the first pass ending more than 300 ms in is the last.
    std::vector<Pass> p = fade(twoPlayers.board, 5);
    ASSERT_EQ(p.size(), 61u);
    for (int k = 0; k <= 60; k++)
        EXPECT_NEAR(p[k].alpha, std::clamp(k - 30, 0, 10) / 10.0, 1e-6) << k;
    EXPECT_EQ(p[40].alpha, 1.0000001f);  // ten rounded steps of 0.1
    // With slow passes the 300 ms are up before the veil is full: it ends
    // on the pass that makes the tenth step, at 520 ms.
    EXPECT_EQ(fade(twoPlayers.board, 40).size(), 13u);

    // Against the computer, a pass every 10 ms: the timer restarts after
    // each step, so a step comes every 16th pass.
    p = fade(computer.board, 10);
    std::vector<Uint32> steps;
    for (size_t k = 1; k < p.size(); k++)
        if (p[k].alpha != p[k - 1].alpha)
            steps.push_back(p[k].time - 20000);
    EXPECT_EQ(steps, std::vector<Uint32>({160, 320, 480, 640, 800, 960, 1120, 1280, 1440, 1600}));
    EXPECT_EQ(p.back().time, 20000u + 1600 + 300);
}

TEST_F(Screen, TheFadeVeilTakesItsStrengthFromTheLeftPaddlesCorner)
{
    // Our paddle picture is opaque at its corners and the fade ends black
    // (above). A left paddle that is transparent there leaves the veil
    // invisible; opaque corners alone are enough for full black.
    std::vector<unsigned> clear(16, 0xFF00FF00), corners = clear;
    for (int i : {0, 3, 12, 15})
        corners[i] = 0x102030FF;
    Frame last;
    p2 = texture(4, 4, clear);
    fade(computer.board, 40, &last);
    EXPECT_GT(at(last, 300, 200)[1], 40) << "the court still shows";
    p2 = texture(4, 4, corners);
    fade(computer.board, 40, &last);
    EXPECT_EQ(at(last, 300, 200), (Rgb{0, 0, 0}));
}
