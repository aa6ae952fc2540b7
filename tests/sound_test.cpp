// The sounds: what each one is, how they mix, which frame makes which, and
// a scripted match heard through SDL's disk audio driver.
#include "game/game.h"
#include "game/heard.h"
#include "game/match.h"
#include "game/state.h"
#include "shell/main.h"
#include "sound/mixer.h"
#include "sound/synth.h"
#include "host.h"
#include "scripted_match.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Length in ms and pitch in Hz of a sound in samples at rate: the pitch
// counted from the zero crossings of its fundamental.
struct Heard {
    double ms, hz;
};
Heard measure(const std::vector<double>& s, int rate)
{
    int crossings = 0;
    for (size_t i = 1; i < s.size(); i++)
        crossings += (s[i - 1] < 0) != (s[i] < 0);
    const double seconds = double(s.size()) / rate;
    return {1000 * seconds, crossings / (2 * seconds)};
}

std::vector<double> samplesOf(Sound sound)
{
    const Samples s = soundSamples(sound);
    return {s.data, s.data + s.length};
}

// What the sound sounds like, by its length, then its pitch.
Sound tell(const Heard& h)
{
    if (h.ms < 45)
        return clickSound;
    if (h.ms > 250)
        return pointSound;
    if (h.hz < 420)
        return wallSound;
    return h.hz < 780 ? paddleSound : smashSound;
}

const Sound allSounds[] = {paddleSound, wallSound, smashSound, pointSound, clickSound};

void drainMixer()
{
    static Sint16 away[soundRate];
    mixSounds(away, soundRate);
}

}  // namespace

TEST(Sounds, ShortSoftAtBothEndsWithHeadroomForFour)
{
    makeSounds();
    for (Sound sound : allSounds) {
        SCOPED_TRACE(sound);
        const std::vector<double> s = samplesOf(sound);
        ASSERT_FALSE(s.empty());
        const double ms = 1000.0 * s.size() / soundRate;
        EXPECT_LE(ms, sound == pointSound ? 400 : 200);
        double peak = 0;
        for (double v : s)
            peak = std::max(peak, std::fabs(v));
        EXPECT_LE(peak, soundPeak);
        EXPECT_LE(4 * peak, 32767);
        EXPECT_GT(peak, soundPeak / 2);  // and loud enough to hear
        // From silence and back to it: nothing in the first and the last
        // millisecond comes near the sound's own loudness.
        EXPECT_EQ(s.front(), 0);
        EXPECT_EQ(s.back(), 0);
        const int ms1 = soundRate / 1000;
        for (int i = 0; i < ms1; i++) {
            EXPECT_LT(std::fabs(s[i]), peak / 4) << "sample " << i;
            EXPECT_LT(std::fabs(s[s.size() - 1 - i]), peak / 4) << "sample " << i << " from the end";
        }
    }
}

TEST(Sounds, EachIsToldApartByPitchOrLengthAndTheSmashIsBrighter)
{
    makeSounds();
    for (Sound sound : allSounds)
        EXPECT_EQ(tell(measure(samplesOf(sound), soundRate)), sound) << sound;
    // Brightness as the share of fast change: the smash's overtones make its
    // wave steeper than a plain hit's for the same loudness.
    auto steepness = [](const std::vector<double>& s) {
        double change = 0, level = 0;
        for (size_t i = 1; i < s.size(); i++)
            change += std::fabs(s[i] - s[i - 1]), level += std::fabs(s[i]);
        return change / level;
    };
    EXPECT_GT(steepness(samplesOf(smashSound)), 1.5 * steepness(samplesOf(paddleSound)));
    // The point rises: a second note above the first.
    const std::vector<double> point = samplesOf(pointSound);
    const size_t half = point.size() / 2;
    EXPECT_GT(measure({point.begin() + half, point.end()}, soundRate).hz,
              1.3 * measure({point.begin(), point.begin() + half / 2}, soundRate).hz);
}

TEST(Mixer, FourAtOnceAreTheirExactSumAFifthWaitsForNobody)
{
    makeSounds();
    drainMixer();
    const Sound four[] = {paddleSound, wallSound, smashSound, pointSound};
    for (Sound sound : four)
        startVoice(sound);
    startVoice(clickSound);  // all four voices busy: not played
    std::vector<Sint16> out(soundRate / 2);
    mixSounds(out.data(), int(out.size()));
    for (size_t i = 0; i < out.size(); i++) {
        int sum = 0;
        for (Sound sound : four) {
            const Samples s = soundSamples(sound);
            if (int(i) < s.length)
                sum += s.data[i];
        }
        ASSERT_EQ(out[i], sum) << "sample " << i;
    }
    // Once they are over, the voices are free again.
    startVoice(clickSound);
    mixSounds(out.data(), 100);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 100, soundSamples(clickSound).data));
}

TEST(Mixer, MuteFadesOutWithinMillisecondsWithoutAJumpAndBackIn)
{
    makeSounds();
    drainMixer();
    ASSERT_FALSE(soundMuted());
    startVoice(pointSound);
    std::vector<Sint16> out(2000);
    mixSounds(out.data(), 1000);
    toggleMute();
    EXPECT_TRUE(soundMuted());
    mixSounds(out.data() + 1000, 1000);
    const Samples point = soundSamples(pointSound);
    for (int i = 0; i < 2000; i++) {
        // Scaled down, never up, and never turned over.
        EXPECT_LE(std::abs(out[i]), std::abs(point.data[i])) << i;
        EXPECT_GE(out[i] * point.data[i], 0) << i;
    }
    // Silent 12 ms after the M.
    for (int i = 1000 + 256; i < 2000; i++)
        ASSERT_EQ(out[i], 0) << i;
    // Muted, a new sound is not heard either.
    startVoice(clickSound);
    mixSounds(out.data(), 1000);
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + 1000, [](Sint16 v) { return v == 0; }));
    toggleMute();
    EXPECT_FALSE(soundMuted());
    mixSounds(out.data(), 2000);  // the point's rest, fading back in
    EXPECT_NE(out[1999], 0);
    drainMixer();
}

namespace {

struct Frames : Match {};

void ball(float right, float top, int direction)
{
    pilka[1] = right, pilka[2] = right - 0.4f, pilka[3] = top, pilka[4] = top - 0.4f;
    kat = direction;
}

// One frame of the real rules and the sound it makes.
Sound frameHeard(const Mode& mode)
{
    const Course before = course();
    frame(mode);
    return heard(before, course());
}

}  // namespace

TEST_F(Frames, APaddleIsHeardOnceAHitASmashAsASmash)
{
    // The right paddle at 0.7 to -0.7; the ball in its window, moving right.
    ball(7.95f, 0.3f, 0);
    EXPECT_EQ(frameHeard(twoPlayers), paddleSound);
    // Still in the window: hit again, in silence.
    ASSERT_GT(pilka[1], 7.8f);
    EXPECT_EQ(frameHeard(twoPlayers), noSound);
    EXPECT_EQ(frameHeard(twoPlayers), noSound);

    ball(7.95f, 0.3f, 3);
    fake::keyState[SDLK_KP0] = 1;
    EXPECT_EQ(frameHeard(twoPlayers), smashSound);
    EXPECT_EQ(frameHeard(twoPlayers), noSound);
    fake::keyState[SDLK_KP0] = 0;

    // The left paddle, by position and with left shift.
    ball(-7.55f, 0.3f, 2);
    EXPECT_EQ(frameHeard(twoPlayers), paddleSound);
    ball(-7.55f, 0.3f, 5);
    fake::keyState[SDLK_LSHIFT] = 1;
    EXPECT_EQ(frameHeard(twoPlayers), smashSound);
}

TEST_F(Frames, TheComputerChoosingAgainOnTheNextFrameIsNotASecondSound)
{
    int rolls[] = {0, 1, 2}, next = 0;
    fake::roll = [&] { return rolls[next++ % 3]; };
    ball(-7.56f, 0.3f, 1);
    EXPECT_EQ(frameHeard(computer), paddleSound);
    EXPECT_EQ(kat, 0);
    // Up and right, then down and right from the same paddle: not a wall.
    EXPECT_EQ(frameHeard(computer), noSound);
    EXPECT_EQ(kat, 3);
    EXPECT_EQ(frameHeard(computer), noSound);  // and a flat smash on the third
    EXPECT_EQ(kat, 4);
}

TEST_F(Frames, AWallWhenItTurnsTheBallAPointWhateverTheServe)
{
    ball(0.2f, 4.95f, 0);
    EXPECT_EQ(frameHeard(twoPlayers), wallSound);
    ball(0.2f, 4.95f, 3);  // already on its way down
    EXPECT_EQ(frameHeard(twoPlayers), noSound);
    ball(0.2f, -5.75f, 2);
    EXPECT_EQ(frameHeard(twoPlayers), wallSound);
    ball(0.2f, 5.2f, 5);  // flat balls never bounce
    EXPECT_EQ(frameHeard(twoPlayers), noSound);
    ball(8.3f, 0.3f, 0);
    EXPECT_EQ(frameHeard(twoPlayers), pointSound);
    ball(-7.9f, 4.95f, 1);  // past the left end, at a wall
    EXPECT_EQ(frameHeard(twoPlayers), pointSound);
    EXPECT_EQ(p1p + p2p, 2);
}

namespace {

// A short match for two players, as scripted frame by frame: keypad 0 held
// throughout, the ball placed on the first frame going up and left at 0.1 a
// frame. The left paddle returns it up, the top wall turns it down, the
// right paddle smashes it back flat, and it passes the left paddle for the
// one point that ends the match: a paddle, a wall, a smash and a point,
// each about a third of a second or more after the one before. Escape, when
// given, ends it after the wall.
const Sound scripted[] = {paddleSound, wallSound, smashSound, pointSound};

void scriptMatch(int escapeAtFrame = 0)
{
    fake::scriptKeys = true;
    fake::keyState[SDLK_KP0] = 1;
    fake::roll = [] { return 1; };  // served up and left, as the ball is placed
    punkty = 1;
    const int start = fake::swaps;
    fake::beforeSwap = [=] {
        const int f = fake::swaps - start;
        if (f == 1) {
            pilka[1] = -4.75f, pilka[2] = -5.15f, pilka[3] = -3.75f, pilka[4] = -4.15f;
            pedp = 0.1f;
            p2y1 = -0.7f, p2y2 = -2.1f;
            p1y1 = -4.0f, p1y2 = -5.4f;
        }
        if (f == escapeAtFrame)
            fake::keyState[SDLK_ESCAPE] = 1;
    };
    gra1();
    fake::beforeSwap = nullptr;
    fake::keyState[SDLK_ESCAPE] = fake::keyState[SDLK_KP0] = 0;
    punkty = 5;
}

}  // namespace

TEST(MenuSound, AClickOnALineClicksAndNowhereElse)
{
    fake::scriptEvents = fake::scriptMouse = true;
    fake::gra1 = fake::gra2 = [] { return 0; };
    fake::events = {fake::click(400, 300), fake::click(100, 441), fake::click(100, 465), fake::click(100, 492),
                    fake::click(300, 492), fake::click(100, 515)};
    menu();
    EXPECT_EQ(fake::played, std::vector<Sound>(4, clickSound));
    punkty = 5;
}

namespace {
int passedOn;
int earlierFilter(const SDL_Event* event)
{
    passedOn++;
    return event->type != SDL_KEYDOWN || event->key.keysym.sym != SDLK_q;
}
}  // namespace

// SDL hands every event to the filter as it queues it, whatever screen
// is up; a filter set before ours still sees them all and has the last word.
TEST(SoundKeys, MTogglesTheMuteInEveryEventAndTheEarlierFilterStillDecides)
{
    SDL_SetEventFilter(earlierFilter);
    soundStart();
    const SDL_EventFilter filter = SDL_GetEventFilter();
    ASSERT_NE(filter, earlierFilter);
    soundStart();  // started again, it stays the one filter before the other
    EXPECT_EQ(SDL_GetEventFilter(), filter);

    const bool was = soundMuted();
    const SDL_Event m = fake::key(SDLK_m), q = fake::key(SDLK_q), click = fake::click(10, 10);
    EXPECT_EQ(filter(&m), 1);
    EXPECT_NE(soundMuted(), was);
    EXPECT_EQ(filter(&click), 1);
    EXPECT_EQ(filter(&q), 0);
    EXPECT_NE(soundMuted(), was);
    EXPECT_EQ(filter(&m), 1);
    EXPECT_EQ(soundMuted(), was);
    EXPECT_EQ(passedOn, 4);
}

namespace {

// The sound of a file written by SDL's disk driver: mono, as a double a
// sample, at the rate found. The driver writes what the device was opened
// with, which SDL2 under sdl12-compat picks itself (44,100 Hz stereo here),
// and as fast as the device would play: the bytes written a second tell.
struct Recording {
    std::vector<double> mono;
    int rate;
};
Recording readDisk(const std::string& path, double seconds)
{
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    const struct {
        int rate, channels;
    } formats[] = {{22050, 1}, {44100, 2}, {48000, 2}, {22050, 2}, {44100, 1}, {48000, 1}};
    const double perSecond = bytes.size() / seconds;
    auto off = [&](int rate, int channels) { return std::fabs(std::log(perSecond / (2.0 * rate * channels))); };
    int best = 0;
    for (int f = 1; f < 6; f++)
        if (off(formats[f].rate, formats[f].channels) < off(formats[best].rate, formats[best].channels))
            best = f;
    Recording r{{}, formats[best].rate};
    const int channels = formats[best].channels;
    const Sint16* s = reinterpret_cast<const Sint16*>(bytes.data());
    for (size_t i = 0; i + channels <= bytes.size() / 2; i += channels) {
        double sum = 0;
        for (int c = 0; c < channels; c++)
            sum += s[i + c];
        r.mono.push_back(sum / channels);
    }
    return r;
}

// The sounds in a recording: stretches loud in every millisecond, those
// less than 15 ms apart taken as one (the point's two notes).
std::vector<Heard> soundsIn(const Recording& r)
{
    const int ms = r.rate / 1000;
    std::vector<Heard> found;
    long from = -1, to = -1;
    auto close = [&] {
        if (from >= 0)
            found.push_back(measure({r.mono.begin() + from, r.mono.begin() + to}, r.rate));
        from = -1;
    };
    for (size_t at = 0; at + ms <= r.mono.size(); at += ms) {
        double loudest = 0;
        for (int i = 0; i < ms; i++)
            loudest = std::max(loudest, std::fabs(r.mono[at + i]));
        if (loudest < 300)
            continue;
        if (from >= 0 && long(at) - to > 15 * ms)
            close();
        if (from < 0)
            from = long(at);
        to = long(at + ms);
    }
    close();
    return found;
}

}  // namespace

// Heard as a player would, through SDL's audio device and its disk driver,
// which writes the mix into a file at the pace of a real device.
TEST(DiskDriver, HearsTheMenuAndAScriptedMatchSoundBySoundAndNothingMuted)
{
    // What earlier tests played into a device now closed, cut off with it,
    // would otherwise be the first sounds heard.
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    drainMixer();
    static std::string driver = "SDL_AUDIODRIVER=disk", file = "SDL_DISKAUDIOFILE=" + tempPath("sound.raw"),
                       pace = diskAudioPace() ? diskAudioPace() : "";
    SDL_putenv(&driver[0]), SDL_putenv(&file[0]);
    if (!pace.empty())
        SDL_putenv(&pace[0]);
    const Uint32 opened = SDL_GetTicks();
    soundStart();
    char name[32] = "";
    ASSERT_STREQ(SDL_AudioDriverName(name, sizeof name), "disk");
    SDL_Delay(300);  // the device under way, as by the end of the intro

    // Two clicks in the menu, 400 ms of sound apart: "Punkty", then "Quit".
    // Each is taken right after the picture it comes behind. The gap is
    // counted in what the device has written since the first click was
    // played, at the most bytes a second it may write (44,100 Hz stereo
    // S16), not by the clock: on a busy machine its thread may wait that
    // long, and two clicks between two of its turns would sound as one.
    // Nor from when the first was taken: the game may wait as long before
    // it plays it. A device that writes nothing for a minute fails the
    // test, rather than leaving the menu waiting for ever.
    const std::string raw = file.substr(file.find('=') + 1);
    fake::scriptEvents = fake::scriptMouse = true;
    bool clicked = false;
    long firstAt = -1;
    Uint32 firstTicks = 0;
    fake::beforeSwap = [&] {
        if (!clicked)
            fake::events.push_back(fake::click(100, 492)), clicked = true;
        else if (firstAt < 0 && fake::played.size() == 1)
            firstAt = fileBytes(raw), firstTicks = SDL_GetTicks();
        else if (firstAt >= 0 && fake::events.empty() && fake::played.size() == 1) {
            const bool apart = fileBytes(raw) > firstAt + 44100 * 4 * 4 / 10;
            if (!apart && SDL_GetTicks() - firstTicks < 60000)
                return;
            EXPECT_TRUE(apart) << "the device wrote " << fileBytes(raw) - firstAt << " bytes in a minute";
            fake::events.push_back(fake::click(100, 515));
        }
    };
    menu();
    fake::beforeSwap = nullptr;
    scriptMatch();
    const std::vector<Sound> played = fake::played;
    SDL_Delay(500);

    // Muted by M, as SDL hands the key to its event filter: the same
    // again, in silence.
    const SDL_Event m = fake::key(SDLK_m);
    SDL_GetEventFilter()(&m);
    ASSERT_TRUE(soundMuted());
    SDL_Delay(100);  // faded out
    fake::played.clear();
    fake::events = {fake::click(100, 515)};
    menu();
    scriptMatch(110);
    EXPECT_EQ(fake::played.size(), 3u);  // the click, the paddle, the wall
    SDL_Delay(300);
    SDL_CloseAudio();
    const double seconds = (SDL_GetTicks() - opened) / 1000.0;
    toggleMute();

    std::vector<Sound> expected = {clickSound, clickSound};
    expected.insert(expected.end(), std::begin(scripted), std::end(scripted));
    EXPECT_EQ(played, expected);
    const Recording r = readDisk(raw, seconds);
    std::vector<Sound> found;
    std::string said;
    for (const Heard& h : soundsIn(r)) {
        found.push_back(tell(h));
        said += " " + std::to_string(int(h.ms)) + " ms " + std::to_string(int(h.hz)) + " Hz;";
    }
    EXPECT_EQ(found, expected) << "at " << r.rate << " Hz, " << r.mono.size() / seconds << " a second:" << said;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
