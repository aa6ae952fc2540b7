#pragma once
// What the browser layer's files tell one another.
#include "pads/pads.h"

#include <SDL.h>

// Whether the game's drawing reaches the GL, from the next call on: a
// picture that the screen will never show is not drawn (src/web/pace.cpp).
void drawPictures(bool yes);

// What the page's fingers and gamepads hold: the bits of src/pads/pads.h
// that its fingers and its buttons hold, where a finger holds each half of
// the picture (its height in window pixels, or -1), and the first two pads
// as they stand, in the standard mapping.
struct Controls {
    unsigned held;
    float left, right;
    Pad pads[2] = {};
};

// Holds the game's keys for what the controls hold: the keys themselves, and
// for a finger on a half, that side's up or down key until the paddle's
// middle is within a step of it.
void addControls(Uint8* keys, const Controls& controls);
// A pad of the standard mapping as the page reads it: its buttons held, the
// vertical of its left stick from -1 (up) to 1.
Pad standardPad(unsigned buttons, double stickY);

// From the start on, a key pressed as the page is hidden or loses focus
// counts as let go, as those pressed before do (src/web/keys.cpp).
extern "C" void letGoOfKeysOnLeaving();
