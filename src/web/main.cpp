// The program's entry in the browser. Once the game has unwound to the page
// its main returns to nobody who would end the program, and a plain exit
// waits for timers still counted; the page would never hear that the game
// is over. The build names the game's own main gameMain (cmake/Web.cmake).
#include <emscripten.h>

int gameMain(int argc, char** argv);

int main(int argc, char** argv)
{
    emscripten_force_exit(gameMain(argc, argv));
    return 0;
}
