// Both match modes played for a long time by random hands on a scripted
// clock, with no window: after every frame, what the rules must never let
// happen is looked for. Usage: rallyo_soak [frames per mode]
//
// No GL context is ever made current, so every GL call of the play screen
// goes to the dispatcher's no-op and the run costs only the rules.
#include "game/match.h"
#include "game/state.h"
#include "support.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {
// How far from their true sizes the paddles and the ball may end up. Every
// step rounds each edge to float on its own, so a height wanders by a few
// float steps: over ten million frames of each mode the paddles were seen
// at most 1.8e-6 and the ball 7.3e-6 off, the paddle figure no larger than
// after one million (their edges keep to a small set of floats) and the
// ball's bounded by the longest rally, since a point serves it anew. A
// lost step or an edge moved alone is off by 0.06 or more.
const double paddleSlack = 1e-5;
const double ballSlack = 2e-5;
const double speedSlack = 1e-6;  // a smash and its undo leave 0.050000004, never less than 0.05 by more

std::mt19937 dice(20240607);  // fixed: a failure is reproduced by running again

bool chance(unsigned in)
{
    return dice() % in == 0;
}

// The keys both modes read; each one is held or let go now and then, so
// that runs of a paddle against its wall and long smash sequences happen.
const SDLKey played[] = {SDLK_UP, SDLK_DOWN, SDLK_KP0, SDLK_w, SDLK_s, SDLK_LSHIFT};

Uint32 now;

struct Worst {
    double paddle = 0, ball = 0, minSpeed = 1, maxSpeed = 0;
    long matches = 0, points = 0, speedUps = 0, smashes = 0;
};

void state(const char* what, long n, const char* name)
{
    fprintf(stderr, "%s: %s, frame %ld\n", name, what, n);
    fprintf(stderr, "  p1y1 %.9g p1y2 %.9g  p2y1 %.9g p2y2 %.9g\n", p1y1, p1y2, p2y1, p2y2);
    fprintf(stderr, "  pilka %.9g %.9g %.9g %.9g  kat %d  pedp %.9g\n", pilka[1], pilka[2], pilka[3],
            pilka[4], kat, pedp);
    fprintf(stderr, "  p1p %d p2p %d  punkty %d  p1s %d p2s %d  donegra %d\n", p1p, p2p, punkty, p1s, p2s,
            donegra);
    fprintf(stderr, "  ticks %u  ftps %u  poczatek %u  keys", now, ftps, poczatek);
    for (SDLKey k : played)
        fprintf(stderr, " %s=%d", SDL_GetKeyName(k), fake::keyState[k]);
    fprintf(stderr, " escape=%d\n", fake::keyState[SDLK_ESCAPE]);
}

void newMatch()
{
    punkty = 5 * (1 + int(dice() % 20));
    matchStart();
}

// Plays `frames` frames of one mode; false on the first broken rule.
bool soak(const Mode& mode, const char* name, long frames, Worst& worst)
{
    newMatch();
    int lastLeft = 0, lastRight = 0;
    float lastSpeed = pedp;
    for (long n = 1; n <= frames; n++) {
        for (SDLKey k : played)
            if (chance(30))
                fake::keyState[k] = !fake::keyState[k];
        fake::keyState[SDLK_ESCAPE] = chance(50000);
        // A frame is due once more than 10 ms have gone; a busy machine
        // now and then comes late.
        now += chance(100) ? 11 + dice() % 40 : 11;

        frame(mode);

        const char* broken = nullptr;
        const double h1 = double(p1y1) - p1y2, h2 = double(p2y1) - p2y2;
        const double bw = double(pilka[1]) - pilka[2], bh = double(pilka[3]) - pilka[4];
        if (std::fabs(h1 - 1.4) > paddleSlack || std::fabs(h2 - 1.4) > paddleSlack)
            broken = "a paddle is not 1.4 high";
        else if (p1y1 > 4.9 || p2y1 > 4.9 || p1y2 < -6.1 || p2y2 < -6.1)
            broken = "a paddle is past a limit";
        else if (std::fabs(bw - 0.4) > ballSlack || std::fabs(bh - 0.4) > ballSlack)
            broken = "the ball is not a 0.4 square";
        else if (kat < 0 || kat > 5)
            broken = "no such direction";
        else if (p1p < lastLeft || p2p < lastRight)
            broken = "a score fell";
        else if (p1p + p2p > lastLeft + lastRight + 1)
            broken = "more than one point in a frame";
        else if (pedp < 0.05 - speedSlack)
            broken = "the ball is slower than a serve";
        if (broken) {
            state(broken, n, name);
            return false;
        }

        worst.paddle = std::fmax(worst.paddle, std::fmax(std::fabs(h1 - 1.4), std::fabs(h2 - 1.4)));
        worst.ball = std::fmax(worst.ball, std::fmax(std::fabs(bw - 0.4), std::fabs(bh - 0.4)));
        worst.minSpeed = std::fmin(worst.minSpeed, pedp);
        worst.maxSpeed = std::fmax(worst.maxSpeed, pedp);
        worst.points += p1p + p2p - lastLeft - lastRight;
        if (p1p + p2p == lastLeft + lastRight) {
            worst.smashes += pedp > lastSpeed + 0.05;
            worst.speedUps += std::fabs(pedp - lastSpeed - 0.005) < 1e-6;
        }
        lastLeft = p1p;
        lastRight = p2p;
        lastSpeed = pedp;

        if (donegra) {
            worst.matches++;
            newMatch();
            lastLeft = lastRight = 0;
            lastSpeed = pedp;
        }
    }
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    const long frames = argc > 1 ? atol(argv[1]) : 1000000;
    if (frames <= 0) {
        fprintf(stderr, "usage: rallyo_soak [frames per mode]\n");
        return 2;
    }
    // Drawing without a window only works while no context is current.
    if (glGetString(GL_VERSION)) {
        fprintf(stderr, "a GL context is current; the soak expects none\n");
        return 1;
    }
    fake::reset();
    fake::clock = [] { return now; };
    fake::scriptEvents = fake::scriptKeys = true;
    fake::roll = [] { return int(dice() >> 1); };

    const struct {
        const Mode& mode;
        const char* name;
    } modes[] = {{computer, "against the computer"}, {twoPlayers, "two players"}};
    for (const auto& m : modes) {
        Worst worst;
        if (!soak(m.mode, m.name, frames, worst))
            return 1;
        printf("%s: %ld frames, %ld matches, %ld points, %ld smashes, %ld speed-ups; "
               "paddle height off by %.3g at most, ball size by %.3g; speed %.9g to %.9g\n",
               m.name, frames, worst.matches, worst.points, worst.smashes, worst.speedUps,
               worst.paddle, worst.ball, worst.minSpeed, worst.maxSpeed);
        // A run that never scored, smashed, sped up or ended a match proved
        // little: the hands or the clock are not reaching the rules.
        if (frames >= 10000 && !(worst.points && worst.smashes && worst.speedUps && worst.matches)) {
            fprintf(stderr, "%s: the run left part of the rules unplayed\n", m.name);
            return 1;
        }
    }
    return 0;
}
