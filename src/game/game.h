#pragma once

int gra1();  // a match of two players at one keyboard
int gra2();  // a match against the computer

// The computer's paddle moves only while the ball's right edge is left of
// this x; the menu sets it before every match.
extern float reakcja;
extern int los;  // the computer's last choice of return, 0..2
