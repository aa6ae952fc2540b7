#include "game/game.h"

float reakcja;
int los;

int gra2()
{
    return 0;
}
