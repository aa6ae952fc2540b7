#include "gfx/bitmap.h"

#include <GL/gl.h>
#include <cerrno>
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

// No picture of the game is over 512 pixels a side. A few bytes of run-length
// data can claim any size, and SDL decodes whatever is claimed, so the bound
// is what keeps a hostile file's cost at 112 MB: a 4096 x 4096 surface and its
// RGBA copy. A GL that takes less (or no context, which answers 0) lowers it.
int largestTextureSide()
{
    const int ours = 4096;
    GLint side = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &side);
    return side > 0 && side < ours ? side : ours;
}

static bool isBgr24(const SDL_Surface* s)
{
    const SDL_PixelFormat* f = s->format;
    return f->BytesPerPixel == 3 && f->Rmask == bgrRed && f->Gmask == bgrGreen && f->Bmask == bgrBlue;
}

// A channel of fewer than 8 bits, as SDL widened it: its bits stand at the
// top of the byte. Repeating them downwards makes full intensity 255, as a
// painter meant it (and as the colour key needs), whichever SDL did the
// widening: some leave the low bits 0 (31 becomes 248), some repeat them.
static void widen(unsigned char* row, int w, int channel, int loss)
{
    for (int j = 0; j < w; j++) {
        unsigned v = row[3 * j + channel];
        for (int have = 8 - loss; have < 8; have *= 2)
            v |= v >> have;
        row[3 * j + channel] = Uint8(v);
    }
}

// Palette, 16- and 32-bit pictures: let SDL redo them as blue, green, red.
static SDL_Surface* toBgr24(SDL_Surface* s)
{
    SDL_Surface* like = SDL_CreateRGBSurface(SDL_SWSURFACE, 1, 1, 24, bgrRed, bgrGreen, bgrBlue, 0);
    if (!like)
        return nullptr;
    SDL_Surface* converted = SDL_ConvertSurface(s, like->format, SDL_SWSURFACE);
    SDL_FreeSurface(like);
    const SDL_PixelFormat* f = s->format;
    if (!converted || f->palette || f->BitsPerPixel < 9)
        return converted;
    // Memory order blue, green, red, as isBgr24 says.
    const int losses[3] = {f->Bloss, f->Gloss, f->Rloss};
    for (int channel = 0; channel < 3; channel++)
        if (losses[channel] > 0 && losses[channel] < 8)
            for (int i = 0; i < converted->h; i++)
                widen(static_cast<unsigned char*>(converted->pixels) + i * converted->pitch, converted->w,
                      channel, losses[channel]);
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

static Uint32 le32(const unsigned char* b)
{
    return b[0] | b[1] << 8 | b[2] << 16 | Uint32(b[3]) << 24;
}

// Reads the header before SDL decodes the file: SDL sets aside (and clears)
// memory for whatever size a header claims, gigabytes for a few bytes of
// file. Writes into why the reason to refuse the file, or leaves it empty
// when SDL's decoder may have it; SDL then says itself what is wrong with a
// file that is no BMP at all.
static void judgeHeader(SDL_RWops* file, char* why, size_t room)
{
    unsigned char head[34] = {};
    errno = 0;
    const int got = SDL_RWread(file, head, 1, sizeof head);
    const int readError = errno;
    const int size = SDL_RWseek(file, 0, RW_SEEK_END);
    if (got <= 0 && size == 0) {
        snprintf(why, room, "the file is empty");
        return;
    }
    if (got <= 0 && readError) {  // a folder, for one: SDL would only say it read nothing
        snprintf(why, room, "%s", strerror(readError));
        return;
    }
    if (SDL_RWseek(file, 0, RW_SEEK_SET) != 0 || got < 2 || head[0] != 'B' || head[1] != 'M')
        return;
    if (got < 26) {
        snprintf(why, room, "the file ends at byte %d, inside its header", got);
        return;
    }
    const Uint32 infoSize = le32(head + 14);
    int w, h, bits = 0;
    Uint32 packing = 0;
    if (infoSize == 12) {  // the old OS/2 header: 16-bit sides, never packed
        w = head[18] | head[19] << 8;
        h = head[20] | head[21] << 8;
        bits = head[24] | head[25] << 8;
    } else {
        w = Sint32(le32(head + 18));
        h = Sint32(le32(head + 22));
        if (got >= 34) {
            bits = head[28] | head[29] << 8;
            packing = le32(head + 30);
        }
    }
    if (h < 0 && h != INT32_MIN)  // rows stored from the top down
        h = -h;

    const int largest = largestTextureSide();
    if (w <= 0 || h <= 0) {
        snprintf(why, room, "the picture is %d x %d pixels, it has nothing to show", w, h);
        return;
    }
    if (w > largest || h > largest) {
        snprintf(why, room, "the picture is %d x %d pixels, larger than the %d a side this game takes", w, h,
                 largest);
        return;
    }
    // Plain rows (no run-length packing) must all be in the file; SDL would
    // otherwise make room for the whole picture before finding them missing.
    const bool plain = packing == 0 || packing == 3;  // BI_RGB, BI_BITFIELDS
    const bool known = bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (plain && known && size >= 0) {
        const Uint32 offset = le32(head + 10);
        const long long rows = (long long)h * (((long long)w * bits + 31) / 32 * 4);
        const long long need = (offset ? offset : 14 + (long long)infoSize) + rows;
        if (need > size)
            snprintf(why, room, "the file is %d bytes, too short for the %d x %d picture its header describes",
                     size, w, h);
    }
}

SDL_Surface* readBitmap(const char* path, const BitmapMessages& say)
{
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    if (!file) {  // SDL's reason here names the trouble; the decoder's would only say it got nothing
        fprintf(stderr, say.cannotLoad, path, SDL_GetError());
        return nullptr;
    }
    char why[160] = "";
    judgeHeader(file, why, sizeof why);
    if (why[0]) {
        fprintf(stderr, say.cannotLoad, path, why);
        SDL_RWclose(file);
        return nullptr;
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
