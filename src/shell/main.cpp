// Start-up, the menu and the globals the screens share.
#include "shell/main.h"

#include "game/game.h"
#include "game/state.h"
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "pads/pads.h"
#include "shell/question.h"
#include "sound/sound.h"

#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

int punkty = 5;
char tekst[512];
float k[5];
int x, y;

GLuint background, p1, p2, texpilka, tapetka;

float p1y1 = 0.7f, p1y2 = -0.7f;
float p2y1 = 0.7f, p2y2 = -0.7f;
float pedp = 0.05f;
float pilka[5];
int kat;
int p1p, p2p;
int p1s, p2s;
int donegra;
Uint32 ftps;
Uint32 poczatek;
Uint8* keys;
float przy2;

#ifdef _WIN32
static const char wrongAnswer[] = "Warto\x9c\xe6 b\xb3\xea" "dna";  // Windows-1250
#else
static const char wrongAnswer[] = "Warto\xc5\x9b\xc4\x87 b\xc5\x82\xc4\x99" "dna";  // UTF-8
#endif

static void failVideo()
{
    fprintf(stderr, "\nCannot open the game window: %s\n", SDL_GetError());
    exit(1);
}

void InitGL(int width, int height)
{
    LoadGLTextures();
    BuildFont();
    glViewport(0, 0, width, height);
    glEnable(GL_TEXTURE_2D);
    glClearColor(0, 0, 0, 0);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / double(height), 0.1f, 100.0);
    glMatrixMode(GL_MODELVIEW);
}

void startup()
{
    if (SDL_Init(SDL_INIT_VIDEO) < 0)
        failVideo();
    printf("Gre dedykuje mojej ukochanej *: Zorince :*\nGra sciagnieta z https://rallyo.example.org/");
    // The question waits for the player; the banner must be on the console by then.
    fflush(stdout);

    Uint32 flags;
    switch (askFullscreen()) {
    case 6:
        flags = SDL_OPENGL | SDL_FULLSCREEN;
        break;
    case 7:
        flags = SDL_OPENGL;
        break;
    default:
        printf("%s", wrongAnswer);
        fflush(stdout);
        SDL_Quit();
        exit(1);
    }
    if (!SDL_SetVideoMode(800, 600, 0, flags))
        failVideo();
    SDL_WM_SetCaption("Rallyo", nullptr);
    InitGL(800, 600);
    startPads();

    background = LoadGLTexturesTransp("gfx/background.bmp");
    p1 = LoadGLTexturesTransp("gfx/p1.bmp");
    p2 = LoadGLTexturesTransp("gfx/p2.bmp");
    texpilka = LoadGLTexturesTransp("gfx/pileczka.bmp");
    tapetka = LoadGLTexturesTransp("gfx/start.bmp");
    soundStart();
}

const HitBox menuLines[5] = {
    {76, 184, 433, 449},  // "P1 vs CPU"
    {76, 170, 458, 472},  // "P1 vs P2"
    {0, -1, 0, -1},
    {76, 202, 484, 500},  // "Punkty:" and the value
    {76, 120, 508, 526},  // "Quit"
};

bool overLine(int line, int px, int py)
{
    const HitBox& b = menuLines[line];
    return px >= b.left && px <= b.right && py >= b.top && py <= b.bottom;
}

void menu()
{
    int quit = 0;
    while (quit == 0) {
        // The computer watches the ball from the centre line on.
        reakcja = 0.0f;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);

        glBindTexture(GL_TEXTURE_2D, tapetka);
        glColor3f(1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(1, 1);
        glVertex3f(9.0f, 6.2f, -15.1f);
        glTexCoord2f(0, 1);
        glVertex3f(-9.0f, 6.2f, -15.1f);
        glTexCoord2f(0, 0);
        glVertex3f(-9.0f, -6.5f, -15.1f);
        glTexCoord2f(1, 0);
        glVertex3f(9.0f, -6.5f, -15.1f);
        glEnd();

        // Added, not mixed: the black around the glyphs adds nothing.
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        glLoadIdentity();
        glColor3f(1, 1, 0);
        glPrint(20, 450, "Rallyo", 0);
        glColor3f(1, k[0], 0);
        glPrint(54, 120, "P1 vs CPU", 0);
        glColor3f(1, k[1], 0);
        glPrint(54, 100, "P1 vs P2", 0);
        glColor3f(1, k[3], 0);
        glPrint(54, 80, "Punkty:", 0);
        snprintf(tekst, 512, "%i", punkty);
        glPrint(130, 80, tekst, 0);
        glColor3f(1, k[4], 0);
        glPrint(54, 60, "Quit", 0);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);

        SDL_GL_SwapBuffers();

        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            // Once SDL is shut down there is no window to draw in or poll.
            if (event.type == SDL_QUIT) {
                SDL_Quit();
                exit(0);
            }
            // Any event, a key too, makes the highlight follow the pointer.
            SDL_GetMouseState(&x, &y);
            for (int i : {0, 1, 3, 4})
                k[i] = overLine(i, x, y) ? 0.0f : 1.0f;
            if (event.type != SDL_MOUSEBUTTONDOWN)
                continue;
            // Left, right and wheel down act; middle and wheel up do not.
            if (event.button.button & 1) {
                SDL_GetMouseState(&x, &y);
                // A match may leave the pointer anywhere; the rest of this
                // click still belongs where it was made.
                const int cx = x, cy = y;
                for (int i : {0, 1, 3, 4})
                    if (overLine(i, cx, cy))
                        playSound(clickSound);
                if (overLine(0, cx, cy))
                    gra2();
                if (overLine(1, cx, cy))
                    gra1();
                if (overLine(3, cx, cy))
                    punkty += 5;
                if (overLine(4, cx, cy))
                    quit = 1;
            }
            if (punkty > 100)
                punkty = 5;
        }
    }
}
