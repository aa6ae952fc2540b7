// The main menu driven through its real loop: scripted events and pointer,
// the matches replaced by recorders, frames read back from the GL.
#include "game/game.h"
#include "game/state.h"
#include "gfx/loader.h"
#include "shell/main.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using Batch = std::vector<SDL_Event>;

struct Stuck {};

// Runs the menu. batches[i] is what is waiting in the queue when frame i
// has been drawn; look(i) sees frame i in the back buffer. Once the batches
// are used up a click on "Quit" follows. Returns the number of frames drawn.
int runMenu(const std::vector<Batch>& batches, const std::function<void(int)>& look = nullptr)
{
    fake::scriptEvents = true;
    fake::scriptMouse = true;
    int frames = 0;
    fake::beforeSwap = [&] {
        const int i = frames++;
        if (look)
            look(i);
        if (i < int(batches.size()))
            fake::events.insert(fake::events.end(), batches[i].begin(), batches[i].end());
        else if (i == int(batches.size()))
            fake::events.push_back(fake::click(100, 515));
        else
            throw Stuck{};
    };
    try {
        menu();
    } catch (Stuck) {
        ADD_FAILURE() << "the menu did not end on a click on Quit";
    }
    fake::beforeSwap = nullptr;
    return frames;
}

// The line highlighted in k, -1 for none; k[2] belongs to no line.
int highlighted()
{
    int line = -1;
    for (int i : {0, 1, 3, 4}) {
        EXPECT_TRUE(k[i] == 0.0f || k[i] == 1.0f) << "k[" << i << "] = " << k[i];
        if (k[i] == 0.0f) {
            EXPECT_EQ(line, -1) << "two lines highlighted";
            line = i;
        }
    }
    return line;
}

class Menu : public testing::Test {
protected:
    void SetUp() override
    {
        punkty = 5;
        k[0] = k[1] = k[3] = k[4] = 1.0f;
        k[2] = 0.5f;
        x = y = 0;
    }
    void TearDown() override
    {
        punkty = 5;
        EXPECT_EQ(k[2], 0.5f) << "k[2] belongs to no line";
    }
};

const int P1vsCPU = 0, P1vsP2 = 1, Points = 3, Quit = 4;

}  // namespace

TEST_F(Menu, HighlightFollowsTheInclusiveBoxesAndTheGapsBelongToNoLine)
{
    struct Probe {
        int x, y, line;
    };
    const std::vector<Probe> probes = {
        {75, 440, -1}, {76, 440, P1vsCPU}, {184, 440, P1vsCPU}, {185, 440, -1},
        {100, 432, -1}, {100, 433, P1vsCPU}, {100, 449, P1vsCPU}, {100, 450, -1},
        {100, 457, -1}, {100, 458, P1vsP2}, {170, 472, P1vsP2}, {171, 465, -1},
        {100, 473, -1}, {100, 483, -1}, {76, 484, Points}, {202, 500, Points},
        {180, 490, Points},  // over the value, not the label
        {203, 490, -1}, {100, 501, -1}, {100, 507, -1}, {76, 508, Quit},
        {120, 526, Quit}, {121, 515, -1}, {100, 527, -1}, {400, 300, -1},
    };
    std::vector<Batch> batches;
    for (const Probe& p : probes)
        batches.push_back({fake::motion(p.x, p.y)});
    runMenu(batches, [&](int frame) {
        if (frame == 0 || frame > int(probes.size()))
            return;
        const Probe& p = probes[frame - 1];
        EXPECT_EQ(highlighted(), p.line) << "pointer at " << p.x << ", " << p.y;
        EXPECT_EQ(x, p.x);
        EXPECT_EQ(y, p.y);
    });
}

TEST_F(Menu, HighlightChangesOnlyWhenSomeEventArrives)
{
    std::vector<int> seen;
    runMenu({{fake::motion(100, 465)}, {}, {}, {fake::key(SDLK_a)}, {}, {fake::key(SDLK_ESCAPE)}, {}},
            [&](int frame) {
                seen.push_back(highlighted());
                // The pointer slides over "Quit" without a motion event: the
                // highlight waits for the next event of any kind.
                if (frame == 1)
                    fake::mouseX = 100, fake::mouseY = 515;
                if (frame == 4)
                    fake::mouseX = 150, fake::mouseY = 440;
            });
    // Escape is no way out: the menu draws on until "Quit" is clicked.
    EXPECT_EQ(seen, (std::vector<int>{-1, P1vsP2, P1vsP2, P1vsP2, Quit, Quit, P1vsCPU, P1vsCPU}));
}

TEST_F(Menu, PointsRiseByFiveToAHundredThenStartAgainAtFive)
{
    std::vector<Batch> clicks(21, Batch{fake::click(180, 490)});
    std::vector<std::string> shown;
    runMenu(clicks, [&](int) { shown.push_back(tekst); });
    std::vector<std::string> want;
    for (int i = 0; i < 22; i++)
        want.push_back(std::to_string(i % 20 * 5 + 5));
    EXPECT_EQ(shown, want);  // 105 is never drawn
    EXPECT_EQ(punkty, 10);
}

TEST_F(Menu, LeftRightAndWheelDownActMiddleAndWheelUpDoNot)
{
    for (Uint8 button : {1, 2, 3, 4, 5}) {
        SCOPED_TRACE(int(button));
        punkty = 5;
        int cpu = 0, two = 0;
        fake::gra2 = [&] { return ++cpu, 0; };
        fake::gra1 = [&] { return ++two, 0; };
        const int frames =
            runMenu({{fake::click(100, 490, button)}, {fake::click(100, 440, button)},
                     {fake::click(100, 465, button)}, {fake::click(100, 515, button)}});
        const bool acts = button % 2 == 1;
        EXPECT_EQ(punkty, acts ? 10 : 5);
        EXPECT_EQ(cpu, acts ? 1 : 0);
        EXPECT_EQ(two, acts ? 1 : 0);
        // An acting click on "Quit" ends the menu before the frame the
        // closing left click would otherwise need.
        EXPECT_EQ(frames, acts ? 4 : 5);
    }
}

TEST_F(Menu, EachLineStartsItsOwnMatchWithTheReactionLineAtTheCentre)
{
    // Each frame puts the line back at the centre, whatever the last match
    // or anything before the menu left in it.
    std::vector<std::string> calls;
    fake::gra2 = [&] {
        calls.push_back("gra2 " + std::to_string(reakcja));
        reakcja = 6.0f;
        return 0;
    };
    fake::gra1 = [&] {
        calls.push_back("gra1 " + std::to_string(reakcja));
        reakcja = -6.0f;
        return 0;
    };
    reakcja = 3.5f;
    runMenu({{fake::click(100, 440)}, {fake::click(100, 465)}, {fake::click(150, 440, SDL_BUTTON_RIGHT)}});
    EXPECT_EQ(calls, (std::vector<std::string>{"gra2 0.000000", "gra1 0.000000", "gra2 0.000000"}));
}

TEST_F(Menu, AfterAMatchTheClickKeepsThePositionItWasMadeAtAndItsLineStaysRed)
{
    // The match ends with the pointer over "Quit": that must not quit, and
    // the highlight waits for the next event.
    fake::gra2 = [] {
        fake::mouseX = 100, fake::mouseY = 515;
        x = 100, y = 515;
        return 0;
    };
    int redAfterMatch = -2;
    const int frames = runMenu({{fake::click(100, 440)}, {}}, [&](int frame) {
        if (frame == 1)
            redAfterMatch = highlighted();
    });
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(redAfterMatch, P1vsCPU);

    // Likewise with the pointer left over "Punkty:".
    fake::gra1 = [] {
        fake::mouseX = 100, fake::mouseY = 490;
        x = 100, y = 490;
        return 0;
    };
    runMenu({{fake::click(100, 465)}});
    EXPECT_EQ(punkty, 5);
}

TEST_F(Menu, EventsBehindAQuitClickStillAct)
{
    int two = 0;
    fake::gra1 = [&] { return ++two, 0; };
    const int frames = runMenu({{fake::click(100, 515), fake::click(100, 490), fake::click(100, 465),
                                 fake::motion(100, 440)}});
    EXPECT_EQ(frames, 1);  // no frame after the quitting one
    EXPECT_EQ(punkty, 10);
    EXPECT_EQ(two, 1);
    EXPECT_EQ(highlighted(), P1vsCPU);
}

TEST_F(Menu, EveryButtonPressBringsATargetAboveAHundredBackToFive)
{
    // 100 is the highest target the menu offers; whatever left a larger one
    // behind, the next press of any button, even one that does nothing
    // else, restores 5. Other events leave it.
    punkty = 120;
    std::vector<int> seen;
    runMenu({{fake::motion(100, 440), fake::key(SDLK_SPACE)}, {fake::click(400, 300, SDL_BUTTON_MIDDLE)}},
            [&](int) { seen.push_back(punkty); });
    EXPECT_EQ(seen, (std::vector<int>{120, 120, 5}));
}

// Each case runs in a child process, which the browser build cannot start.
#if GTEST_HAS_DEATH_TEST
TEST_F(Menu, ClosingTheWindowEndsTheProgramWithStatusZeroBeforeAnotherFrame)
{
    EXPECT_EXIT(
        {
            fake::scriptEvents = fake::scriptMouse = true;
            bool closed = false;
            fake::beforeSwap = [&] {
                if (closed)
                    _exit(3);  // drew after SDL was shut down
                fake::events.push_back(fake::quit());
                fake::events.push_back(fake::click(100, 515));
                closed = true;
            };
            menu();
            _exit(4);  // the queued Quit click was reached
        },
        testing::ExitedWithCode(0), "");
}
#endif

// Colours as drawn: over a black background the title and the lines show
// their own colour; the font adds onto whatever lies beneath.
namespace {

GLuint blackTexture()
{
    const unsigned char texel[4] = {0, 0, 0, 255};
    GLuint t;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    return t;
}

struct Ink {
    int yellow = 0, red = 0, other = 0;
};

// Lit pixels of the text at text-space (tx, ty), n characters long: each
// glyph cell is 16 units square and the pen moves 10 per character.
Ink inkOf(const std::vector<unsigned char>& w, int tx, int ty, int n)
{
    Ink ink;
    const int left = int(1.25 * tx), right = int(1.25 * (tx + 10 * (n - 1) + 16));
    const int top = int(600 - 1.25 * (ty + 16)), bottom = int(600 - 1.25 * ty);
    for (int wy = top; wy <= bottom; wy++)
        for (int wx = left; wx <= right; wx++) {
            const unsigned char* p = &w[3 * (wy * 800 + wx)];
            if (p[0] < 120)
                continue;
            if (p[1] > p[0] * 3 / 4 && p[2] < 40)
                ink.yellow++;
            else if (p[1] < 40 && p[2] < 40)
                ink.red++;
            else
                ink.other++;
        }
    return ink;
}

}  // namespace

TEST_F(Menu, TitleIsYellowAndTheLineUnderThePointerRed)
{
    const GLuint real = tapetka;
    tapetka = blackTexture();
    punkty = 35;
    std::vector<std::vector<unsigned char>> shots;
    runMenu({{fake::motion(100, 440)}, {fake::motion(150, 492)}, {fake::motion(100, 520)}},
            [&](int) { shots.push_back(grabWindow()); });
    glDeleteTextures(1, &tapetka);
    tapetka = real;
    ASSERT_EQ(shots.size(), 4u);

    struct Label {
        int tx, ty, n, line;
    };
    const Label labels[] = {{20, 450, 6, -1},     {54, 120, 9, P1vsCPU}, {54, 100, 8, P1vsP2},
                            {54, 80, 7, Points},  {130, 80, 2, Points},  {54, 60, 4, Quit}};
    const int hovered[] = {-1, P1vsCPU, Points, Quit};
    for (int f = 0; f < 4; f++)
        for (const Label& l : labels) {
            SCOPED_TRACE(testing::Message() << "frame " << f << ", text at " << l.tx << ", " << l.ty);
            const Ink ink = inkOf(shots[f], l.tx, l.ty, l.n);
            const bool red = l.line >= 0 && l.line == hovered[f];
            EXPECT_GT(red ? ink.red : ink.yellow, 8 * l.n);
            EXPECT_EQ(red ? ink.yellow : ink.red, 0);
            EXPECT_EQ(ink.other, 0);
        }
    // Nothing is drawn between the lines.
    const std::vector<unsigned char>& w = shots[0];
    for (int wy : {452, 477, 503})
        for (int wx = 60; wx < 260; wx++)
            ASSERT_LT(w[3 * (wy * 800 + wx)], 120) << wx << ", " << wy;
}
