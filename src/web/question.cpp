#include "shell/question.h"

// A page may not take the whole screen unless the player clicks for it, so
// the game starts in its window; the page has a button for full screen.
int askFullscreen()
{
    return 7;
}
