#pragma once

extern float k[5];  // menu highlight, the green of each line: 1 yellow, 0 red
extern int x, y;    // mouse pointer in window pixels

void InitGL(int width, int height);
// Everything up to the intro: SDL, the banner, the full-screen question,
// the window, the GL state and the textures. Ends the program when no
// window can be had.
void startup();
// The menu loop: runs the matches and the points target until "Quit" is
// clicked. Closing the window ends the program with status 0.
void menu();
