// Any bytes at all as a picture of gfx/: the colour-keyed loader and the
// font's loader must each refuse them or make a texture, touching no memory
// that is not theirs. Runs in a small real GL window, as the game does.
#include "gfx/gprint.h"
#include "gfx/loader.h"

#include <SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The font's loader reads gfx/Font.bmp from the working directory.
    char folder[] = "/tmp/rallyo-fuzz-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0 || mkdir("gfx", 0755) != 0) {
        perror("rallyo fuzz: working folder");
        exit(1);
    }
    if (SDL_Init(SDL_INIT_VIDEO) < 0 || !SDL_SetVideoMode(64, 64, 0, SDL_OPENGL)) {
        fprintf(stderr, "rallyo fuzz: no GL window: %s\n", SDL_GetError());
        exit(1);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = fopen("gfx/Font.bmp", "wb");
    if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0) {
        perror("rallyo fuzz: gfx/Font.bmp");
        abort();
    }
    GLuint keyed = LoadGLTexturesTransp("gfx/Font.bmp");
    if (keyed)
        glDeleteTextures(1, &keyed);
    const GLuint none = font;
    if (LoadGLTextures()) {
        glDeleteTextures(1, &font);
        font = none;
    }
    return 0;
}
