#include "gfx/bitmap.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>

// SDL's decoder delivers 24-bit BMP pixels as blue, green, red in memory.
#if SDL_BYTEORDER == SDL_LIL_ENDIAN
static const Uint32 bgrRed = 0xFF0000, bgrGreen = 0x00FF00, bgrBlue = 0x0000FF;
#else
static const Uint32 bgrRed = 0x0000FF, bgrGreen = 0x00FF00, bgrBlue = 0xFF0000;
#endif

// No context answers 0; 4096 is what every GL since the late nineties takes.
int largestTextureSide()
{
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 ? side : 4096;
}

static bool isBgr24(const SDL_Surface* s)
{
    const SDL_PixelFormat* f = s->format;
    return f->BytesPerPixel == 3 && f->Rmask == bgrRed && f->Gmask == bgrGreen && f->Bmask == bgrBlue;
}

// Palette, 16- and 32-bit pictures: let SDL redo them as blue, green, red.
static SDL_Surface* toBgr24(SDL_Surface* s)
{
    SDL_Surface* like = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 24, bgrRed, bgrGreen, bgrBlue, 0);
    if (!like)
        return nullptr;
    SDL_Surface* converted = SDL_ConvertSurface(s, like->format, SDL_SWSURFACE);
    SDL_FreeSurface(like);
    return converted;
}

static void swapRedBlue(unsigned char* row, int w)
{
    for (int j = 0; j < w; j++) {
        unsigned char t = row[3 * j];
        row[3 * j] = row[3 * j + 2];
        row[3 * j + 2] = t;
    }
}

// The picture's size as its header claims it, read before SDL decodes the
// file: SDL sets aside memory for whatever a header claims, gigabytes for a
// few bytes of file. False when there is no header to read; SDL's decoder
// then says what is wrong.
static bool claimedSize(SDL_RWops* file, int* w, int* h)
{
    unsigned char head[26];
    if (!file || SDL_RWread(file, head, sizeof head, 1) != 1 || SDL_RWseek(file, 0, RW_SEEK_SET) != 0)
        return false;
    if (head[0] != 'B' || head[1] != 'M')
        return false;
    const Uint32 infoSize = head[14] | head[15] << 8 | head[16] << 16 | Uint32(head[17]) << 24;
    if (infoSize == 12) {  // the old OS/2 header: 16-bit sides
        *w = head[18] | head[19] << 8;
        *h = head[20] | head[21] << 8;
    } else {
        *w = Sint32(head[18] | head[19] << 8 | head[20] << 16 | Uint32(head[21]) << 24);
        *h = Sint32(head[22] | head[23] << 8 | head[24] << 16 | Uint32(head[25]) << 24);
    }
    if (*h < 0 && *h != INT32_MIN)  // rows stored from the top down
        *h = -*h;
    return true;
}

SDL_Surface* readBitmap(const char* path, const BitmapMessages& say)
{
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    int w, h;
    if (claimedSize(file, &w, &h)) {
        const int largest = largestTextureSide();
        char why[160] = "";
        if (w <= 0 || h <= 0)
            snprintf(why, sizeof why, "the picture is %d x %d pixels, it has nothing to show", w, h);
        else if (w > largest || h > largest)
            snprintf(why, sizeof why, "the picture is %d x %d pixels, larger than the %d this OpenGL takes", w,
                     h, largest);
        if (why[0]) {
            fprintf(stderr, say.cannotLoad, path, why);
            SDL_RWclose(file);
            return nullptr;
        }
    }
    SDL_Surface* s = SDL_LoadBMP_RW(file, 1);
    if (!s) {
        fprintf(stderr, say.cannotLoad, path, SDL_GetError());
        return nullptr;
    }

    if (!isBgr24(s)) {
        SDL_Surface* converted = toBgr24(s);
        SDL_FreeSurface(s);
        if (!converted) {
            fprintf(stderr, say.cannotLoad, path, SDL_GetError());
            return nullptr;
        }
        s = converted;
    }

    unsigned char* scratch = static_cast<unsigned char*>(malloc(s->pitch));
    if (!scratch) {
        fputs(say.noMemory, stderr);
        SDL_FreeSurface(s);
        return nullptr;
    }

    // Swap the rows end for end, turning each pixel round on the way; the
    // alignment bytes at a row's end travel with it.
    unsigned char* top = static_cast<unsigned char*>(s->pixels);
    unsigned char* bottom = top + (s->h - 1) * s->pitch;
    for (int i = 0; i < s->h / 2; i++) {
        swapRedBlue(top, s->w);
        swapRedBlue(bottom, s->w);
        memcpy(scratch, top, s->pitch);
        memcpy(top, bottom, s->pitch);
        memcpy(bottom, scratch, s->pitch);
        top += s->pitch;
        bottom -= s->pitch;
    }
    if (s->h % 2)
        swapRedBlue(top, s->w);

    free(scratch);
    return s;
}
