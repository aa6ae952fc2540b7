#pragma once
#include <GL/gl.h>
#include <SDL.h>

// The game's colour-keyed textures, made at start-up.
extern GLuint background, p1, p2, texpilka, tapetka;

SDL_Surface* LoadBMP(const char* path);  // Polish messages
// A new RGBA texture of the picture in which every pixel with red 255 and
// blue 255 is transparent; 0 when the picture can't be loaded.
GLuint LoadGLTexturesTransp(const char* path);
