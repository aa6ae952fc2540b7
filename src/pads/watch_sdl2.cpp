// Under sdl12-compat, SDL2 lets go of everything an unplugged pad held,
// and says so in events: there is nothing to watch.
#include "pads/joystick.h"

void watchPads(int) {}
