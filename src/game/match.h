#pragma once
#include "game/screen.h"

// What sets one match mode apart from the other: who steers the left
// paddle, how it returns the ball, and how the screen looks.
struct Mode {
    Board board;
    void (*leftInput)();   // steers the left paddle by key; null when no one does
    void (*leftReturn)();  // on a left-paddle hit: the new direction, perhaps a smash
    void (*leftFollow)();  // steers the left paddle after the ball; null when nothing does
};

extern const Mode twoPlayers;  // gra1's
extern const Mode computer;    // gra2's

// A paddle moves 0.06 at a time and never past the court's limits.
void paddleUp(float& top, float& bottom);
void paddleDown(float& top, float& bottom);

void matchStart();
void frame(const Mode& mode);  // one simulated frame, drawn before it is simulated
// A whole match from the serve to the end of its fade.
void playMatch(const Mode& mode);
