// The one place that answers a closed window, for every screen.
#include "game/events.h"

#include <SDL.h>
#include <cstdlib>
#include <cstring>

void drainEvents()
{
    SDL_Event event;
    memset(&event, 0, sizeof event);
    while (SDL_PollEvent(&event)) {
        // Nothing may touch SDL or GL once it is shut down; the player
        // closed the window, so the game is over.
        if (event.type == SDL_QUIT) {
            SDL_Quit();
            exit(0);
        }
    }
}
