// The rules of a match, shared by both modes.
#include "game/match.h"

#include "game/events.h"
#include "game/heard.h"
#include "game/state.h"
#include "game/step.h"

#include <SDL.h>
#include <cstdlib>

void paddleUp(float& top, float& bottom)
{
    top = top + 0.06;
    bottom = bottom + 0.06;
    // Taking the step back rounds again, so the edge does not land on 4.9.
    if (top > 4.9) {
        top = top - 0.06;
        bottom = bottom - 0.06;
    }
}

void paddleDown(float& top, float& bottom)
{
    top = top - 0.06;
    bottom = bottom - 0.06;
    if (bottom < -6.1) {
        top = top + 0.06;
        bottom = bottom + 0.06;
    }
}

Uint32 wallClock()
{
    return SDL_GetTicks();
}

int libraryDraw()
{
    return rand();
}

static void serve(const Mode& mode)
{
    pilka[1] = 0.2f;
    pilka[2] = -0.2f;
    pilka[3] = 0.2f;
    pilka[4] = -0.2f;
    kat = mode.draw() % 4;
}

void matchStart(const Mode& mode)
{
    donegra = 0;
    p1y1 = p2y1 = 0.7f;
    p1y2 = p2y2 = -0.7f;
    pedp = 0.05f;
    p1p = p2p = 0;
    ftps = 0;
    poczatek = 0;
    p1s = p2s = 0;
    przy2 = 0.0f;
    serve(mode);
    poczatek = mode.clock();
}

// After a point the rally starts over, but the speed-up clock runs on.
static void pointReset(const Mode& mode)
{
    serve(mode);
    pedp = 0.05f;
    p1s = 0;
    p2s = 0;
}

// The right paddle is played from the arrows and keypad 0 in both modes;
// Escape ends the match for everyone at the keyboard.
static unsigned rightKeys(const Uint8* keys)
{
    return (keys[SDLK_UP] ? goUp : 0) | (keys[SDLK_DOWN] ? goDown : 0) | (keys[SDLK_KP0] ? goSmash : 0) |
           (keys[SDLK_ESCAPE] ? goEnd : 0);
}

void frame(const Mode& mode)
{
    ftps = SDL_GetTicks();
    playScreen(mode.board);
    keys = SDL_GetKeyState(nullptr);
    drainEvents();
    rules(mode, rightKeys(keys), mode.leftKeys ? mode.leftKeys(keys) : 0);
}

void rules(const Mode& mode, unsigned right, unsigned left)
{
    // Either side may end the match, but this frame still plays out.
    if ((right | left) & goEnd)
        donegra = 1;

    if (right & goUp)
        paddleUp(p1y1, p1y2);
    if (right & goDown)
        paddleDown(p1y1, p1y2);
    if (left & goUp)
        paddleUp(p2y1, p2y2);
    if (left & goDown)
        paddleDown(p2y1, p2y2);

    // The right paddle judges height by the ball's top edge, the left one
    // by its bottom edge. No memory of the last hit: a ball still inside a
    // window on the next frame is hit again.
    if (pilka[3] <= p1y1 + 0.4 && pilka[3] >= p1y2 - 0.4 && pilka[1] < 8.0f && pilka[1] > 7.8) {
        if (pilka[3] - 0.2 > p1y1 - 0.7)
            kat = 1;
        else
            kat = 2;
        if (right & goSmash) {
            kat = 5;
            p1s = 1;
            pedp = pedp + 0.1;
        }
        // A smash is answered at normal speed.
        if (p2s == 1) {
            pedp = pedp - 0.1;
            p2s = 0;
        }
    }
    if (pilka[4] <= p2y1 + 0.4 && pilka[4] >= p2y2 - 0.4 && pilka[2] > -8.0f && pilka[2] < -7.8) {
        mode.leftReturn(left);
        if (p1s == 1) {
            pedp = pedp - 0.1;
            p1s = 0;
        }
    }

    // Flat balls (4 and 5) keep their height and never meet a wall.
    if (pilka[3] > 4.9) {
        if (kat == 0)
            kat = 3;
        if (kat == 1)
            kat = 2;
    }
    if (pilka[4] < -6.1) {
        if (kat == 2)
            kat = 1;
        if (kat == 3)
            kat = 0;
    }

    if (mode.leftFollow)
        mode.leftFollow();

    if (pilka[1] > 8.2) {
        p1p += 1;
        pointReset(mode);
    }
    if (pilka[2] < -8.2) {
        p2p += 1;
        pointReset(mode);
    }

    switch (kat) {
    case 0:
        pilka[1] += pedp;
        pilka[2] += pedp;
        pilka[3] += pedp;
        pilka[4] += pedp;
        break;
    case 1:
        pilka[1] -= pedp;
        pilka[2] -= pedp;
        pilka[3] += pedp;
        pilka[4] += pedp;
        break;
    case 2:
        pilka[1] -= pedp;
        pilka[2] -= pedp;
        pilka[3] -= pedp;
        pilka[4] -= pedp;
        break;
    case 3:
        pilka[1] += pedp;
        pilka[2] += pedp;
        pilka[3] -= pedp;
        pilka[4] -= pedp;
        break;
    case 4:
        pilka[1] += pedp;
        pilka[2] += pedp;
        break;
    case 5:
        pilka[1] -= pedp;
        pilka[2] -= pedp;
        break;
    }

    if (mode.clock() > poczatek + 5000) {
        pedp = pedp + 0.005;
        poczatek = mode.clock();
    }

    if (p1p >= punkty || p2p >= punkty)
        donegra = 1;
}

void playMatch(const Mode& mode)
{
    matchStart(mode);
    // Busy on purpose: a frame runs on the first look at the clock that
    // finds more than 10 ms gone, and a late frame is not made up.
    while (!donegra)
        if (SDL_GetTicks() > ftps + 10) {
            const Course before = course();
            frame(mode);
            playSound(heard(before, course()));
        }
    closingFade(mode.board);
}
