// Start-up and the globals the screens share.
#include "shell/main.h"

#include "game/state.h"
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "shell/question.h"

#include <GL/glu.h>
#include <cstdio>
#include <cstdlib>

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

    background = LoadGLTexturesTransp("gfx/background.bmp");
    p1 = LoadGLTexturesTransp("gfx/p1.bmp");
    p2 = LoadGLTexturesTransp("gfx/p2.bmp");
    texpilka = LoadGLTexturesTransp("gfx/pileczka.bmp");
    tapetka = LoadGLTexturesTransp("gfx/start.bmp");
}
