// The logo splash on a scripted clock: the veil's values, when its steps
// fall due, and what the window shows.
#include "shell/intro.h"
#include "host.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <vector>

namespace {

struct Frame {
    int time;    // the frame's own clock reading
    float veil;  // the opacity it was drawn with
    int phase;
};

struct Stuck {};

// Plays the splash. The clock starts at `start` and each frame takes
// frameMs from its first reading to its swap; the rest of the frame takes
// no time. look(i) sees frame i in the back buffer.
std::vector<Frame> play(int frameMs, Uint32 start = 1000, const std::function<void(int)>& look = nullptr)
{
    Uint32 now = start;
    fake::clock = [&] { return now; };
    std::vector<Frame> frames;
    fake::beforeSwap = [&] {
        if (look)
            look(int(frames.size()));
        frames.push_back({intro::time, intro::przy1, intro::zmiennik});
        now += Uint32(frameMs);
        if (frames.size() > 5000)
            throw Stuck{};
    };
    try {
        intro::intro();
    } catch (Stuck) {
        ADD_FAILURE() << "the splash did not end";
    }
    fake::beforeSwap = nullptr;
    fake::clock = nullptr;
    glDeleteTextures(1, reinterpret_cast<const GLuint*>(&intro::introtex));
    return frames;
}

// The frames on which the drawn opacity differs from the frame before.
std::vector<int> changes(const std::vector<Frame>& frames)
{
    std::vector<int> at;
    for (size_t i = 1; i < frames.size(); i++)
        if (frames[i].veil != frames[i - 1].veil)
            at.push_back(int(i));
    return at;
}

std::vector<int> every(int first, int step, int count)
{
    std::vector<int> v;
    for (int i = 0; i < count; i++)
        v.push_back(first + i * step);
    return v;
}

class Intro : public testing::Test {
protected:
    // The game plays the splash once; each test starts it afresh.
    void SetUp() override
    {
        intro::przy1 = 1.0f;
        intro::zmiennik = 0;
        intro::done2 = 0;
        intro::time = intro::czas1 = 0;
        fake::scriptEvents = true;
    }
};

}  // namespace

TEST_F(Intro, VeilStepsDownInTenSingleStepsAndBackUpThroughTheSameValues)
{
    const std::vector<Frame> frames = play(10);
    std::vector<float> drawn;
    for (const Frame& f : frames)
        if (drawn.empty() || drawn.back() != f.veil)
            drawn.push_back(f.veil);
    // 1, ten steps down, nine of the ten back up: the last one is never drawn.
    ASSERT_EQ(drawn.size(), 20u);
    EXPECT_EQ(drawn[0], 1.0f);
    for (int i = 1; i <= 9; i++)
        EXPECT_NEAR(drawn[i], 1.0 - 0.1 * i, 1e-6) << i;
    EXPECT_EQ(double(drawn[10]), -7.450580596923828e-08);
    for (int i = 1; i <= 9; i++)
        EXPECT_EQ(drawn[10 + i], drawn[10 - i]) << i;
    EXPECT_EQ(intro::przy1, 1.0f);
    EXPECT_EQ(intro::done2, 1);
    EXPECT_EQ(intro::zmiennik, 2);
    // About 2.9 s: the nominal waits plus the part of a frame each fell due in.
    const int length = frames.back().time - frames.front().time + 10;
    EXPECT_GE(length, 2900);
    EXPECT_LE(length, 2900 + 21 * 2 * 10);
}

TEST_F(Intro, EachWaitRunsFromTheReadingTakenAfterTheStepBeforeIt)
{
    // 60 ms frames: a step's reading comes 60 ms after its frame's start, so
    // the 125 ms wait for the next ends four frames on, not three; the
    // hold's 500 ms take ten frames, the 115 ms of the rise three.
    const std::vector<Frame> frames = play(60, 0);
    ASSERT_EQ(frames.size(), 80u);
    std::vector<int> want = every(4, 4, 10);                      // frames 3, 7, ... 39 step down
    const std::vector<int> rise = every(53, 3, 9);                // hold ends on frame 49
    want.insert(want.end(), rise.begin(), rise.end());
    EXPECT_EQ(changes(frames), want);
    EXPECT_EQ(frames[39].phase, 0);
    EXPECT_EQ(frames[40].phase, 1);
    EXPECT_EQ(frames[49].phase, 1);
    EXPECT_EQ(frames[50].phase, 2);
}

TEST_F(Intro, FramesSlowerThanAStepMakeOneStepEverySecondFrame)
{
    const std::vector<Frame> frames = play(130);
    const std::vector<int> at = changes(frames);
    ASSERT_EQ(at.size(), 19u);
    for (size_t i = 1; i < at.size(); i++) {
        if (i != 10) {  // across the hold
            EXPECT_EQ(at[i] - at[i - 1], 2) << i;
        }
    }
    EXPECT_EQ(at[0], 2);
    EXPECT_EQ(at[10] - at[9], 5 + 2);  // 500 ms of hold in five frames, then a rising step
}

TEST_F(Intro, KeysAndClicksChangeNothing)
{
    const std::vector<Frame> quiet = play(60, 0);
    SetUp();
    Uint32 now = 0;
    std::vector<Frame> busy;
    fake::clock = [&] { return now; };
    fake::beforeSwap = [&] {
        busy.push_back({intro::time, intro::przy1, intro::zmiennik});
        now += 60;
        for (SDL_Event e : {fake::key(SDLK_ESCAPE), fake::key(SDLK_RETURN), fake::click(400, 300),
                            fake::click(100, 515), fake::motion(10, 10)})
            fake::events.push_back(e);
    };
    intro::intro();
    fake::beforeSwap = nullptr;
    ASSERT_EQ(busy.size(), quiet.size());
    EXPECT_EQ(changes(busy), changes(quiet));
    EXPECT_TRUE(fake::events.empty());  // every frame takes all that is waiting
}

TEST_F(Intro, ClockReadingsPastTheTopOfTheirRangeKeepTheRhythm)
{
    // Tick counts are compared as signed 32-bit numbers, so the count
    // running past 2^32 and starting again from 0 changes nothing.
    const std::vector<Frame> plain = play(10, 0);
    SetUp();
    const std::vector<Frame> wrapped = play(10, 0xFFFFFFFFu - 1500);
    ASSERT_EQ(wrapped.size(), plain.size());
    EXPECT_EQ(changes(wrapped), changes(plain));
    EXPECT_LT(wrapped.front().time, 0);
    EXPECT_GT(wrapped.back().time, 0);
}

// Each case runs in a child process, which the browser build cannot start.
#if GTEST_HAS_DEATH_TEST
TEST_F(Intro, ClosingTheWindowEndsTheProgramWithStatusZeroAtOnce)
{
    EXPECT_EXIT(
        {
            int frames = 0;
            fake::beforeSwap = [&] {
                if (frames++ == 3)
                    fake::events.push_back(fake::quit());
                else if (frames > 4)
                    _exit(3);  // drew after SDL was shut down
            };
            intro::intro();
            _exit(4);
        },
        testing::ExitedWithCode(0), "");
}
#endif

// What the window shows, with logos of our own made for the purpose.
namespace {

const int logoGreen = 0x00C000;

// A 64 x 64 logo: green, a colour-keyed block in its middle, the four
// corner pixels in `corner`. Plays the splash with it and hands each frame
// to look.
std::vector<Frame> playLogo(uint32_t corner, const std::function<void(int)>& look)
{
    Bmp logo;
    logo.width = logo.height = 64;
    logo.pixels.assign(64 * 64, logoGreen);
    for (int r = 28; r < 36; r++)
        for (int c = 28; c < 36; c++)
            logo.pixels[r * 64 + c] = 0xFF00FF;
    for (int i : {0, 63, 63 * 64, 64 * 64 - 1})
        logo.pixels[i] = corner;
    const std::string dir = tempPath("logo" + std::to_string(corner));
    makeFolder(dir);
    makeFolder(dir + "/gfx");
    writeFile(dir + "/gfx/qor.bmp", encodeBmp(logo));

    char here[4096];
    EXPECT_TRUE(getcwd(here, sizeof here));
    EXPECT_EQ(chdir(dir.c_str()), 0);
    const std::vector<Frame> frames = play(60, 0, look);
    EXPECT_EQ(chdir(here), 0);
    return frames;
}

// Frames at the start, in the hold and the last one, as the played
// sequence of 60 ms frames has them.
const int firstFrame = 0, holdFrame = 45, lastFrame = 79;

struct Box {
    int left = 800, top = 600, right = -1, bottom = -1;
};

Box greenBox(const std::vector<unsigned char>& w)
{
    Box b;
    for (int wy = 0; wy < 600; wy++)
        for (int wx = 0; wx < 800; wx++)
            if (w[3 * (wy * 800 + wx) + 1] > 96) {
                b.left = std::min(b.left, wx);
                b.right = std::max(b.right, wx);
                b.top = std::min(b.top, wy);
                b.bottom = std::max(b.bottom, wy);
            }
    return b;
}

}  // namespace

TEST_F(Intro, LogoLiesCentredUnderAVeilOfItsCornerColour)
{
    std::vector<unsigned char> first, hold;
    Rgb lastPixel{}, holdKeyed{};
    const std::vector<Frame> frames = playLogo(0x000000, [&](int f) {
        if (f == firstFrame)
            first = grabWindow();
        if (f == holdFrame) {
            hold = grabWindow();
            holdKeyed = pixelAt(400, 276);
        }
        if (f == lastFrame)
            lastPixel = pixelAt(300, 250);
    });
    ASSERT_EQ(frames.size(), 80u);
    ASSERT_EQ(frames[holdFrame].phase, 1);

    // Black corners, a black veil: the first frame is black all over.
    for (size_t i = 0; i < first.size(); i++)
        ASSERT_LT(first[i], 8) << "pixel " << i / 3 % 800 << ", " << i / 2400;

    // In the hold the veil is gone: about 386 x 241 pixels of logo, centred,
    // from 155 to 397 pixels below the top, its keyed middle showing black.
    const Box b = greenBox(hold);
    EXPECT_NEAR(b.left, 207, 2);
    EXPECT_NEAR(b.right + 1, 593, 2);
    EXPECT_NEAR(b.top, 155, 2);
    EXPECT_NEAR(b.bottom + 1, 397, 2);
    EXPECT_EQ(hold[3 * (250 * 800 + 300) + 1], 0xC0);
    EXPECT_EQ(holdKeyed, (Rgb{0, 0, 0}));

    // The last frame shown has the veil at about 0.9: a tenth of the green.
    EXPECT_NEAR(lastPixel[1], 0xC0 / 10, 3);
    EXPECT_EQ(lastPixel[0], 0);
}

TEST_F(Intro, LogoWithKeyedCornersShowsUnveiledThroughout)
{
    std::vector<Rgb> seen;
    playLogo(0xFF00FF, [&](int f) {
        if (f == firstFrame || f == holdFrame || f == lastFrame)
            seen.push_back(pixelAt(300, 250));
    });
    EXPECT_EQ(seen, (std::vector<Rgb>(3, Rgb{0, 0xC0, 0})));
}
