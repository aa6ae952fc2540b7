#pragma once
#include <GL/gl.h>

// How a match mode looks: its labels, where its scores stand, and how its
// closing fade keeps time.
struct Board {
    const char* left;   // left side's label, text space (5, 460)
    const char* right;  // right side's label, text space (550, 460)
    int leftScoreX;     // p1p is printed at (leftScoreX, 445)
    int rightScoreX;    // p2p at (rightScoreX, 445)
    bool fadeTimerPerStep;  // restart the fade's timer after every darkening step
};

// Draws the match as the state stands and swaps buffers.
void playScreen(const Board& board);
// Darkens the final picture to black; returns when it is done.
void closingFade(const Board& board);
