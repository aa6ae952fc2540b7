#include "game/game.h"

int gra1()
{
    return 0;
}
