#pragma once

extern float k[5];  // menu highlight, the green of each line: 1 yellow, 0 red
extern int x, y;    // mouse pointer in window pixels

// Where each menu line answers the mouse, in window pixels, bounds
// inclusive, indexed like k. Fixed numbers laid over the printed labels; the
// one of "Punkty:" reaches over the value too. Index 2 has no line.
struct HitBox {
    int left, right, top, bottom;
};
extern const HitBox menuLines[5];
bool overLine(int line, int px, int py);

void InitGL(int width, int height);
// Everything up to the intro: SDL, the banner, the full-screen question,
// the window, the GL state and the textures. Ends the program when no
// window can be had.
void startup();
// The menu loop: runs the matches and the points target until "Quit" is
// clicked. Closing the window ends the program with status 0.
void menu();
