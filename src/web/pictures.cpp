// The game's pictures in the browser. The emulated SDL opens no file for
// reading or seeking, and decodes BMPs through the page's image decoders into
// 32-bit surfaces whatever the file holds. So the files are opened here with
// stdio, and the uncompressed 24- and 32-bit BMPs the game ships are read
// here into the 24-bit surfaces its loaders expect, rows from the top down
// and pixels blue, green, red, as SDL's own decoder delivers them. Anything
// else is refused with a reason: the pictures are packed into the page when
// it is built, so nobody hands this reader a hostile file, and the loaders'
// header checks run before it anyway.
#include <SDL.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
void __real_SDL_FreeSurface(SDL_Surface* surface);
char* __real_SDL_GetError(void);
}

namespace {

// Why the last file or picture could not be had; empty after a success.
char reason[200];

// Marks the surfaces made here, so that the emulation's own go back to it.
const Uint32 ours = 0x52414c4c;

long seekFile(SDL_RWops* rw, long offset, int whence)
{
    FILE* f = static_cast<FILE*>(rw->hidden.unknown.data1);
    if (fseek(f, offset, whence) != 0)
        return -1;
    return ftell(f);
}

size_t readFile(SDL_RWops* rw, void* into, size_t size, size_t count)
{
    return fread(into, size, count, static_cast<FILE*>(rw->hidden.unknown.data1));
}

size_t writeFile(SDL_RWops* rw, const void* from, size_t size, size_t count)
{
    return fwrite(from, size, count, static_cast<FILE*>(rw->hidden.unknown.data1));
}

int closeFile(SDL_RWops* rw)
{
    const int status = fclose(static_cast<FILE*>(rw->hidden.unknown.data1));
    free(rw);
    return status == 0 ? 0 : -1;
}

Uint32 le32(const unsigned char* b)
{
    return b[0] | b[1] << 8 | b[2] << 16 | Uint32(b[3]) << 24;
}

SDL_Surface* refuse(const char* why)
{
    snprintf(reason, sizeof reason, "%s", why);
    return nullptr;
}

SDL_Surface* newSurface(int w, int h)
{
    SDL_Surface* s = static_cast<SDL_Surface*>(calloc(1, sizeof *s));
    SDL_PixelFormat* f = static_cast<SDL_PixelFormat*>(calloc(1, sizeof *f));
    const int pitch = (3 * w + 3) / 4 * 4;
    void* pixels = calloc(size_t(pitch), size_t(h));
    if (!s || !f || !pixels) {
        free(s);
        free(f);
        free(pixels);
        return nullptr;
    }
    f->BitsPerPixel = 24;
    f->BytesPerPixel = 3;
    f->Rmask = 0xFF0000;
    f->Gmask = 0x00FF00;
    f->Bmask = 0x0000FF;
    f->Rshift = 16;
    f->Gshift = 8;
    f->refcount = 1;
    s->flags = ours;
    s->format = f;
    s->w = w;
    s->h = h;
    s->pitch = pitch;
    s->pixels = pixels;
    s->clip_rect.w = w;
    s->clip_rect.h = h;
    s->refcount = 1;
    return s;
}

void freeOurs(SDL_Surface* s)
{
    free(s->pixels);
    free(s->format);
    free(s);
}

SDL_Surface* decode(SDL_RWops* src)
{
    unsigned char head[54];
    if (SDL_RWread(src, head, 1, sizeof head) != sizeof head || head[0] != 'B' || head[1] != 'M')
        return refuse("not a BMP file this game can read");
    const Uint32 offset = le32(head + 10);
    const Uint32 infoSize = le32(head + 14);
    const int w = int(le32(head + 18));
    int h = int(le32(head + 22));
    const int bits = head[28] | head[29] << 8;
    const Uint32 packing = le32(head + 30);
    const bool topDown = h < 0;
    if (topDown)
        h = -h;
    if (infoSize < 40 || (bits != 24 && bits != 32) || packing != 0) {
        snprintf(reason, sizeof reason,
                 "only uncompressed 24- and 32-bit BMP files are read here, this one has %d bits%s", bits,
                 packing ? " and is packed" : "");
        return nullptr;
    }
    // The loaders have already checked the sides; this keeps the arithmetic
    // below in range whoever calls.
    if (w <= 0 || h <= 0 || w > 16384 || h > 16384)
        return refuse("the picture's sides are out of range");
    if (SDL_RWseek(src, long(offset), RW_SEEK_SET) != long(offset))
        return refuse("the file ends before its pixels");

    SDL_Surface* s = newSurface(w, h);
    if (!s)
        return refuse("out of memory");
    const int rowBytes = (w * bits / 8 + 3) / 4 * 4;
    unsigned char* row = static_cast<unsigned char*>(malloc(size_t(rowBytes)));
    if (!row) {
        freeOurs(s);
        return refuse("out of memory");
    }
    for (int i = 0; i < h; i++) {
        if (SDL_RWread(src, row, 1, size_t(rowBytes)) != size_t(rowBytes)) {
            free(row);
            freeOurs(s);
            return refuse("the file ends inside its pixels");
        }
        unsigned char* out = static_cast<unsigned char*>(s->pixels) + size_t(topDown ? i : h - 1 - i) * s->pitch;
        if (bits == 24) {
            memcpy(out, row, size_t(rowBytes));  // the row's alignment bytes come along, as in SDL
        } else {
            for (int j = 0; j < w; j++)
                memcpy(out + 3 * j, row + 4 * j, 3);
        }
    }
    free(row);
    reason[0] = 0;
    return s;
}

}  // namespace

extern "C" {

SDL_RWops* SDL_RWFromFile(const char* file, const char* mode)
{
    FILE* f = fopen(file, mode);
    if (!f) {
        snprintf(reason, sizeof reason, "Couldn't open %s: %s", file, strerror(errno));
        return nullptr;
    }
    SDL_RWops* rw = static_cast<SDL_RWops*>(calloc(1, sizeof *rw));
    if (!rw) {
        fclose(f);
        snprintf(reason, sizeof reason, "out of memory");
        return nullptr;
    }
    rw->seek = seekFile;
    rw->read = readFile;
    rw->write = writeFile;
    rw->close = closeFile;
    rw->hidden.unknown.data1 = f;
    reason[0] = 0;
    return rw;
}

SDL_Surface* SDL_LoadBMP_RW(SDL_RWops* src, int freesrc)
{
    if (!src)
        return nullptr;  // the reason is the open's
    SDL_Surface* s = decode(src);
    if (freesrc)
        SDL_RWclose(src);
    return s;
}

void __wrap_SDL_FreeSurface(SDL_Surface* surface)
{
    if (surface && surface->flags == ours)
        freeOurs(surface);
    else if (surface)
        __real_SDL_FreeSurface(surface);
}

// The emulation keeps no reason of its own for these failures.
char* __wrap_SDL_GetError(void)
{
    return reason[0] ? reason : __real_SDL_GetError();
}

}  // extern "C"
