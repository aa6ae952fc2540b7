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
double lastTurn;         // when the page last had its turn, in ms
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
    lastSwap = lastTurn = emscripten_get_now();
}

// The match looks at the clock without pause until more than 10 ms have
// passed since its last frame. Its swaps give the page a turn every frame,
// so a wait of a normal length stays a busy one: a turn costs the browser's
// timer at least a few milliseconds, and taken in the middle of the wait it
// would make frames late. Only a look that finds the page kept waiting for
// longer than a frame gives it a turn here; the frame still runs at the
// first look that finds its time has come.
Uint32 __wrap_SDL_GetTicks(void)
{
    if (emscripten_get_now() - lastTurn > 10) {
        letThePageRun();
        lastTurn = emscripten_get_now();
    }
    return __real_SDL_GetTicks();
}

}  // extern "C"
