#include "game/game.h"

int gra2()
{
    return 0;
}
