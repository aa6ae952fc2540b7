#include "gfx/loader.h"

#include "gfx/bitmap.h"

#include <cstdio>
#include <cstdlib>

static const BitmapMessages polish = {"Nieudalo sie zaladowac%s: %s\n", "Zamalo pamieci\n"};

SDL_Surface* LoadBMP(const char* path)
{
    return readBitmap(path, polish);
}

GLuint LoadGLTexturesTransp(const char* path)
{
    SDL_Surface* image = LoadBMP(path);
    if (!image)
        return 0;
    const int w = image->w, h = image->h;
    unsigned char* rgba = static_cast<unsigned char*>(malloc(size_t(w) * h * 4));
    if (!rgba) {
        fputs(polish.noMemory, stderr);
        SDL_FreeSurface(image);
        return 0;
    }
    // Row by row with the surface's pitch, so widths with padded rows read
    // right too. Red 255 with blue 255 is the key, whatever the green.
    unsigned char* out = rgba;
    for (int r = 0; r < h; r++) {
        const unsigned char* in = static_cast<unsigned char*>(image->pixels) + r * image->pitch;
        for (int j = 0; j < w; j++, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = (in[0] == 255 && in[2] == 255) ? 0 : 255;
        }
    }
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    free(rgba);
    SDL_FreeSurface(image);
    return texture;
}
