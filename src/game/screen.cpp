// The match as the player sees it, and the fade that closes it.
#include "game/screen.h"

#include "game/events.h"
#include "game/state.h"
#include "gfx/gprint.h"
#include "gfx/loader.h"

#include <SDL.h>
#include <cstdio>

// One textured quad with the whole picture on it. The s = 1 edge goes to
// the right x given, which for the left paddle is its outer edge, so the two
// paddle pictures face each other.
static void quad(GLuint texture, float right, float left, float top, float bottom, float z)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glColor3f(1, 1, 1);
    glTexCoord2f(1, 1);
    glVertex3f(right, top, z);
    glTexCoord2f(0, 1);
    glVertex3f(left, top, z);
    glTexCoord2f(0, 0);
    glVertex3f(left, bottom, z);
    glTexCoord2f(1, 0);
    glVertex3f(right, bottom, z);
    glEnd();
}

// The court, the labels and the scores: what the fade keeps of the picture.
static void court(const Board& board)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    quad(background, 9.0f, -9.0f, 5.0f, -6.5f, -15.1f);

    // Additive, so the black of the font adds nothing to the band above the court.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glLoadIdentity();
    glColor3f(1, 1, 1);
    glPrint(5, 460, board.left, 0);
    glPrint(550, 460, board.right, 0);
    snprintf(tekst, 512, "%i", p1p);
    glPrint(board.leftScoreX, 445, tekst, 0);
    snprintf(tekst, 512, "%i", p2p);
    glPrint(board.rightScoreX, 445, tekst, 0);
}

// The left paddle goes last: the fade's overlay relies on its texture and
// its last texture coordinate still being current.
static void paddles()
{
    quad(p1, 8.0f, 7.8f, p1y1, p1y2, -15.0f);
    quad(p2, -8.0f, -7.8f, p2y1, p2y2, -15.0f);
}

void playScreen(const Board& board)
{
    court(board);
    // Opaque: the colour-keyed texels of paddles and ball show as stored.
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    paddles();
    quad(texpilka, pilka[1], pilka[2], pilka[3], pilka[4], -15.0f);
    SDL_GL_SwapBuffers();
}

void closingFade(const Board& board)
{
    donegra = 0;
    poczatek = SDL_GetTicks();
    przy2 = 0.0f;
    while (!donegra) {
        court(board);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        paddles();

        // The black veil takes the left paddle's texture and corner (1, 0)
        // with it: over the opaque corner of our paddle picture it reaches
        // full black.
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBegin(GL_QUADS);
        glColor4f(0, 0, 0, przy2);
        glVertex3f(10, 10, -15);
        glVertex3f(-10, 10, -15);
        glVertex3f(-10, -10, -15);
        glVertex3f(10, -10, -15);
        glEnd();
        SDL_GL_SwapBuffers();

        if (SDL_GetTicks() > poczatek + 150 && przy2 < 1.0) {
            przy2 = przy2 + 0.1;
            if (board.fadeTimerPerStep)
                poczatek = SDL_GetTicks();
        }
        if (SDL_GetTicks() > poczatek + 300 && przy2 >= 1.0)
            donegra = 1;
        drainEvents();
    }
}
