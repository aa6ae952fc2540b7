#pragma once
#include <GL/gl.h>
#include <SDL.h>

extern GLuint font;  // texture of the bitmap font, 0 until it is loaded
extern GLuint base;  // first of the font's 256 display lists
extern GLuint loop;

SDL_Surface* LoadBMP(char* path);  // English messages
int LoadGLTextures();              // the font texture from gfx/Font.bmp; 1 on success
void BuildFont();
void KillFont();
// Draws text with its first glyph's bottom-left corner at (x, y) of the
// 640 x 480 text space; set 0 or 1 picks the glyph set.
void glPrint(int x, int y, const char* text, int set);
