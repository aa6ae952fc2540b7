#pragma once
#include <SDL.h>

// What a module says when a picture can't be had. cannotLoad takes the
// path and the reason; noMemory is written as it stands.
struct BitmapMessages {
    const char* cannotLoad;
    const char* noMemory;
};

// Decodes a BMP file and rewrites its pixels in place for glTexImage2D:
// rows from the bottom of the picture up, each pixel red, green, blue.
// Pictures of another depth are brought to 24 bits first; pictures larger
// than largestTextureSide() are refused before anything of ours is allocated.
// Returns null after writing one line to stderr.
SDL_Surface* readBitmap(const char* path, const BitmapMessages& say);

// The largest side a picture may have: 4096, or less where the current GL
// context takes less.
int largestTextureSide();
