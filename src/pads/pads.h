#pragma once
// Gamepads as the game hears them: keys held in a match, the mouse in the
// menu. The mapping is the same on every platform; each platform only says
// which of its raw buttons is which, and reads its pads its own way.
#include <SDL.h>

// What a pad holds, by side. The page's fingers and buttons hold the same
// (src/web/controls.js names these bits too).
enum Held : unsigned {
    RightUp = 1,
    RightDown = 2,
    RightSmash = 4,
    LeftUp = 8,
    LeftDown = 16,
    LeftSmash = 32,
    End = 64,
};

// The key each of them is to the match.
struct HeldKey {
    Held bit;
    SDLKey key;
};
extern const HeldKey heldKeys[7];

// A pad as it stands: its raw buttons held (bit n for button n), its first
// hat (SDL_HAT_* bits) and its left stick's vertical axis, negative up, in
// SDL's units.
struct Pad {
    Uint32 buttons;
    Uint8 hat;
    Sint16 stickY;
};

// Which raw button is which where the pads are read. Up and down are -1
// where the d-pad is the hat.
struct PadLayout {
    int smash, end, up, down;
};

// What pad n holds: the first (0) plays the right paddle, the second (1)
// the left one. The stick counts beyond a third of its way from the middle.
unsigned padHeld(const Pad& pad, const PadLayout& layout, int n);

// A pad in the menu is its mouse. When what the pads hold goes from was to
// now, with the pointer at px, py: up or down puts the pointer on the
// middle of the line above or below the one it is on (the first line when
// it is on none), and a smash button clicks where it is.
struct PadPointer {
    bool move;
    int x, y;
    bool click;
};
PadPointer padPointer(unsigned was, unsigned now, int px, int py);

// The pads plugged in now are read from here on; with none, nothing is.
// Every platform has its own.
void startPads();
