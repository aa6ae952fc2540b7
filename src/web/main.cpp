// The program's entry in the browser. Once the game has unwound to the page
// its main returns to nobody who would end the program, and Emscripten's
// exit, thrown from inside the turn of the page that last resumed the game,
// would reach the browser's console as an exception that nothing caught.
// So when the game is over, its last lines are handed on and the page is
// told, and nothing of the game runs after. The build names the game's own
// main gameMain (cmake/Web.cmake).
#include "web/layer.h"

#include <emscripten.h>

#include <cstdio>

int gameMain(int argc, char** argv);

EM_JS(void, gameOver, (int status), {
    if (Module.onExit)
        Module.onExit(status);
});

int main(int argc, char** argv)
{
    letGoOfKeysOnLeaving();
    const int status = gameMain(argc, argv);
    fflush(stdout);
    fflush(stderr);
    gameOver(status);
    return status;
}
