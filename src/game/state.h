#pragma once
#include <SDL.h>

// The match as the rules leave it between frames. Defined with the rest of
// the shared globals in the shell; the menu owns punkty.
extern int punkty;       // points that win a match: 5, 10, ... 100
extern char tekst[512];  // numbers are formatted here before printing

extern float p1y1, p1y2;  // right paddle, top and bottom edge
extern float p2y1, p2y2;  // left paddle
extern float pedp;        // ball speed per simulated frame
extern float pilka[5];    // ball: [1] right, [2] left, [3] top, [4] bottom
extern int kat;           // ball direction, 0..5
extern int p1p, p2p;      // points of the left side and of the right side
extern int p1s, p2s;      // a smash of the right side, of the left side, in force
extern int donegra;
extern Uint32 ftps;      // time of the last simulated frame
extern Uint32 poczatek;  // start of the speed-up interval; the fade's timer
extern Uint8* keys;
extern float przy2;  // alpha of the closing fade
