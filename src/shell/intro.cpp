// The logo splash. Its clock and the veil's steps are kept exactly as they
// were tuned: single-precision steps of 0.1 (ten of them reach just below 0
// and ten more land on exactly 1) and waits measured from a tick reading
// taken after the step that started them.
#include "shell/intro.h"

#include "game/events.h"
#include "gfx/loader.h"

#include <SDL.h>
#include <GL/gl.h>

namespace intro {
int introtex;
float przy1 = 1.0f;
int zmiennik;
int time;
int czas1;
int done2;

// The waits compare signed tick counts. Adding in unsigned keeps the sum
// defined and as 32-bit as the readings themselves.
static bool waited(int since, int ms)
{
    return time >= int(unsigned(since) + unsigned(ms));
}

void intro()
{
    introtex = LoadGLTexturesTransp("gfx/qor.bmp");
    czas1 = int(SDL_GetTicks());
    while (done2 == 0) {
        time = int(SDL_GetTicks());
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, introtex);

        glColor4f(1, 1, 1, 1);
        glBegin(GL_QUADS);
        glTexCoord2f(1, 1);
        glVertex3f(4, 3, -15);
        glTexCoord2f(0, 1);
        glVertex3f(-4, 3, -15);
        glTexCoord2f(0, 0);
        glVertex3f(-4, -2, -15);
        glTexCoord2f(1, 0);
        glVertex3f(4, -2, -15);
        glEnd();

        // The veil has no coordinates of its own: it keeps the logo's last
        // one, (1, 0), so it is one flat colour, that of the logo's corners.
        glColor4f(1, 1, 1, przy1);
        glBegin(GL_QUADS);
        glVertex3f(4, 3, -15);
        glVertex3f(-4, 3, -15);
        glVertex3f(-4, -2, -15);
        glVertex3f(4, -2, -15);
        glEnd();

        SDL_GL_SwapBuffers();

        if (zmiennik == 0 && waited(czas1, 125)) {
            przy1 = przy1 - 0.1f;
            czas1 = int(SDL_GetTicks());
        }
        if (zmiennik == 0 && przy1 <= 0) {
            czas1 = int(SDL_GetTicks());
            zmiennik = 1;
        }
        if (zmiennik == 2 && waited(czas1, 115)) {
            przy1 = przy1 + 0.1f;
            czas1 = int(SDL_GetTicks());
        }
        if (zmiennik == 1 && waited(czas1, 500)) {
            zmiennik = 2;
            czas1 = int(SDL_GetTicks());
        }
        if (zmiennik == 2 && przy1 >= 1)
            done2 = 1;

        // Keys and clicks are let go by; only a closed window counts.
        drainEvents();
    }
}
}  // namespace intro
