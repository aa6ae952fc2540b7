// The game and the page take turns. Every screen of the game is a loop that
// never returns to the browser, so the program is built to unwind and resume
// (-sASYNCIFY), and the link hands it here (-Wl,--wrap) where the page must
// get its turn: at every buffer swap, which is when the picture is there to
// be shown, and inside the match's busy wait for the clock.
#include <SDL.h>
#include <emscripten.h>

#include <cmath>

extern "C" {
void __real_SDL_GL_SwapBuffers(void);
Uint32 __real_SDL_GetTicks(void);
}

// A turn of the page: a timer that is due at once, so that what the browser
// has waiting (input, showing the canvas) goes first.
EM_ASYNC_JS(void, letThePageRun, (), {
    await new Promise(function(resume) { setTimeout(resume, 0); });
});

EM_ASYNC_JS(void, waitFor, (double ms), {
    await new Promise(function(resume) { setTimeout(resume, ms); });
});

// How many pictures the game has handed to the page: the page's measure of
// the game's pace.
EM_JS(void, countPicture, (), {
    Module.pictures = (Module.pictures || 0) + 1;
    if (Module.pictures == 1)
        Module.firstPictureAt = performance.now();
});

namespace {
double lastSwap = -1e9;  // when the last swap returned, in ms
Uint32 lastTick;
int sameTick;
}  // namespace

extern "C" {

// Unthrottled, the intro and the menu would flood the software renderer
// with frames; a match's frames are further apart than this anyway.
void __wrap_SDL_GL_SwapBuffers(void)
{
    __real_SDL_GL_SwapBuffers();
    countPicture();
    const double due = lastSwap + 10;
    letThePageRun();
    for (double now = emscripten_get_now(); now < due; now = emscripten_get_now())
        waitFor(std::ceil(due - now));
    lastSwap = emscripten_get_now();
}

// The match looks at the clock without pause until more than 10 ms have
// passed. Many looks in the same millisecond mean it is only waiting, so
// the page gets a turn then; the frame still runs at the first look that
// finds its time has come.
Uint32 __wrap_SDL_GetTicks(void)
{
    const Uint32 now = __real_SDL_GetTicks();
    if (now != lastTick) {
        lastTick = now;
        sameTick = 0;
    } else if (++sameTick == 2000) {
        sameTick = 0;
        letThePageRun();
    }
    return now;
}

}  // extern "C"

