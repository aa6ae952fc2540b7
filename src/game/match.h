#pragma once
#include "game/screen.h"

#include <SDL.h>

// What sets one match mode apart from another: who steers the left paddle,
// how it returns the ball, how the screen looks, and where the match takes
// its time and its serves from.
struct Mode {
    Board board;
    // The left side's controls (goUp, ... of game/step.h) from the keys;
    // null when no one at this keyboard plays the left paddle.
    unsigned (*leftKeys)(const Uint8* keys);
    void (*leftReturn)(unsigned left);  // on a left-paddle hit: the new direction, perhaps a smash
    void (*leftFollow)();  // steers the left paddle after the ball; null when nothing does
    Uint32 (*clock)();     // what the speed-up reads
    int (*draw)();         // a serve is draw() % 4
};

extern const Mode twoPlayers;  // gra1's
extern const Mode computer;    // gra2's
// The one-keyboard matches keep time by SDL's clock and serve by rand.
Uint32 wallClock();
int libraryDraw();
// The left paddle's return when a person plays it: by position, and a smash
// on goSmash.
void leftByPosition(unsigned left);

// A paddle moves 0.06 at a time and never past the court's limits.
void paddleUp(float& top, float& bottom);
void paddleDown(float& top, float& bottom);

void matchStart(const Mode& mode = twoPlayers);
void frame(const Mode& mode);  // one simulated frame, drawn before it is simulated
// The rules of one frame, given both sides' controls (goUp, ... of
// game/step.h): all of a frame but its clock reading, drawing and input.
void rules(const Mode& mode, unsigned right, unsigned left);
// A whole match from the serve to the end of its fade.
void playMatch(const Mode& mode);
