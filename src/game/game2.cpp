// The player against the computer, which plays the left paddle.
#include "game/game.h"

#include "game/match.h"
#include "game/state.h"

#include <cstdlib>

float reakcja;
int los;

// The computer ignores where the ball meets its paddle and picks a return
// at random, a smash one time in three.
static void randomReturn(unsigned)
{
    los = rand() % 3;
    if (los == 0)
        kat = 0;
    if (los == 1)
        kat = 3;
    if (los == 2) {
        kat = 4;
        p2s = 1;
        pedp = pedp + 0.1;
    }
}

// On its own half the computer brings its paddle's top edge to the ball's
// bottom edge, the same edge its hit window judges, so a paddle that has
// caught up lies under the ball and still reaches it. A step up that
// overshoots is undone by a step down in the same frame.
static void followBall()
{
    if (pilka[4] > p2y1 && pilka[1] < reakcja)
        paddleUp(p2y1, p2y2);
    if (p2y1 > pilka[4] && pilka[1] < reakcja)
        paddleDown(p2y1, p2y2);
}

const Mode computer = {{"Komputrer", "Gracz", 40, 573, true}, nullptr, randomReturn, followBall,
                          wallClock, libraryDraw};

int gra2()
{
    playMatch(computer);
    return 0;
}
