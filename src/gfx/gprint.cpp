// The bitmap font: one texture of 16 x 16 glyph cells and a display list
// per glyph, each drawing its quad and moving the pen 10 units right.
#include "gfx/gprint.h"

#include "gfx/bitmap.h"

#include <cstring>

GLuint font;
GLuint base;
GLuint loop;

static const BitmapMessages english = {"Unable to load %s: %s\n", "Out of memory\n"};

SDL_Surface* LoadBMP(char* path)
{
    return readBitmap(path, english);
}

int LoadGLTextures()
{
    static char path[] = "gfx/Font.bmp";
    SDL_Surface* image = LoadBMP(path);
    if (!image)
        return 0;
    glGenTextures(1, &font);
    glBindTexture(GL_TEXTURE_2D, font);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Surface rows are padded to 4 bytes, the default unpack alignment.
    glTexImage2D(GL_TEXTURE_2D, 0, 3, image->w, image->h, 0, GL_RGB, GL_UNSIGNED_BYTE, image->pixels);
    SDL_FreeSurface(image);
    return 1;
}

void BuildFont()
{
    glEnable(GL_BLEND);
    glLoadIdentity();
    base = glGenLists(256);
    glBindTexture(GL_TEXTURE_2D, font);
    for (loop = 0; loop < 256; loop++) {
        float cx = float(loop % 16) / 16.0f;
        float cy = float(loop / 16) / 16.0f;
        glNewList(base + loop, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(cx, 1 - cy - 0.0625f);
        glVertex2i(0, 0);
        glTexCoord2f(cx + 0.0625f, 1 - cy - 0.0625f);
        glVertex2i(16, 0);
        glTexCoord2f(cx + 0.0625f, 1 - cy);
        glVertex2i(16, 16);
        glTexCoord2f(cx, 1 - cy);
        glVertex2i(0, 16);
        glEnd();
        glTranslated(10, 0, 0);
        glEndList();
    }
}

void KillFont()
{
    glDeleteLists(base, 256);
}

// Only codes 32 to 126 have glyphs; anything else is a blank that still
// takes its place, so a stray byte can never call a list outside the font.
static bool hasGlyph(char c)
{
    return c >= 32 && c <= 126;
}

void glPrint(int x, int y, const char* text, int set)
{
    if (set > 1)
        set = 1;
    if (set < 0)
        set = 0;
    glBindTexture(GL_TEXTURE_2D, font);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 640, 0, 480, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(x, y, 0);
    glListBase(base - 32 + (128 * set));
    for (const char* run = text; *run;) {
        size_t n = 0;
        while (run[n] && hasGlyph(run[n]))
            n++;
        if (n) {
            glCallLists(GLsizei(n), GL_BYTE, run);
            run += n;
        } else {
            glTranslated(10, 0, 0);
            run++;
        }
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glEnable(GL_DEPTH_TEST);
}
