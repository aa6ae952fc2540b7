// Two players at one keyboard: the left paddle answers to w, s and left shift.
#include "game/game.h"

#include "game/match.h"
#include "game/state.h"
#include "game/step.h"

#include <SDL.h>

static unsigned leftKeys(const Uint8* keys)
{
    return (keys[SDLK_w] ? goUp : 0) | (keys[SDLK_s] ? goDown : 0) | (keys[SDLK_LSHIFT] ? goSmash : 0);
}

// The mirror of the right paddle's return: where the ball meets the paddle
// decides up or down, and left shift turns it into a flat smash.
void leftByPosition(unsigned left)
{
    if (pilka[3] - 0.2 > p2y1 - 0.7)
        kat = 0;
    else
        kat = 3;
    if (left & goSmash) {
        kat = 4;
        p2s = 1;
        pedp = pedp + 0.1;
    }
}

const Mode twoPlayers = {{"Gracz2", "Gracz1", 30, 575, false}, leftKeys, leftByPosition, nullptr,
                            wallClock, libraryDraw};

int gra1()
{
    playMatch(twoPlayers);
    return 0;
}
