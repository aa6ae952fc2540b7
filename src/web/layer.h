#pragma once
// What the browser layer's files tell one another.
#include <SDL.h>

// Whether the game's drawing reaches the GL, from the next call on: a
// picture that the screen will never show is not drawn (src/web/pace.cpp).
void drawPictures(bool yes);

// What the page's fingers and gamepads hold (src/web/controls.js names the
// same bits), and where a finger holds each half of the picture: its height
// in window pixels, or -1.
enum Held : unsigned {
    RightUp = 1, RightDown = 2, RightSmash = 4,
    LeftUp = 8, LeftDown = 16, LeftSmash = 32,
    End = 64,
};
struct Controls {
    unsigned held;
    float left, right;
};

// Holds the game's keys for what the controls hold: the keys themselves, and
// for a finger on a half, that side's up or down key until the paddle's
// middle is within a step of it.
void addControls(Uint8* keys, const Controls& controls);
