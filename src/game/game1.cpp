// Two players at one keyboard: the left paddle answers to w, s and left shift.
#include "game/game.h"

#include "game/match.h"
#include "game/state.h"

#include <SDL.h>

static void leftKeys()
{
    if (keys[SDLK_w])
        paddleUp(p2y1, p2y2);
    if (keys[SDLK_s])
        paddleDown(p2y1, p2y2);
}

// The mirror of the right paddle's return: where the ball meets the paddle
// decides up or down, and left shift turns it into a flat smash.
static void leftByPosition()
{
    if (pilka[3] - 0.2 > p2y1 - 0.7)
        kat = 0;
    else
        kat = 3;
    if (keys[SDLK_LSHIFT]) {
        kat = 4;
        p2s = 1;
        pedp = pedp + 0.1;
    }
}

const Mode twoPlayers = {{"Gracz2", "Gracz1", 30, 575, false}, leftKeys, leftByPosition, nullptr};

int gra1()
{
    playMatch(twoPlayers);
    return 0;
}
