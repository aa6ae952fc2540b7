#include "shell/intro.h"
#include "shell/main.h"

// On Windows SDL.h renames this main to SDL_main, which SDL's own main calls.
#include <SDL.h>

int main(int, char**)
{
    startup();
    intro::intro();
    k[0] = k[1] = k[3] = k[4] = 1.0f;  // no line highlighted before the pointer moves
    menu();
    return 0;
}
