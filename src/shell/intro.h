#pragma once

// The logo splash between start-up and the menu: the logo appears from
// under a veil of its own corner colour, holds, and is covered again.
namespace intro {
extern int introtex;  // the logo
extern float przy1;   // opacity of the veil: 1 covered, just below 0 uncovered
extern int zmiennik;  // 0 uncovering, 1 holding, 2 covering
extern int time;      // clock read at the start of the current frame
extern int czas1;     // clock at which the current step or the hold began
extern int done2;     // set once the veil is back at 1

// Plays the splash once; returns after about 2.9 s whatever the player does.
// Closing the window ends the program with status 0.
void intro();
}  // namespace intro
