// The game and the page take turns. Every screen of the game is a loop that
// never returns to the browser, so the program is built to unwind and resume
// (-sASYNCIFY), and the link hands it here (-Wl,--wrap) where the page must
// get its turn: at every buffer swap, which is when the picture is there to
// be shown, and inside the match's busy wait for the clock.
//
// The screen shows at most one picture a refresh, and a match makes one
// every 11 ms: a picture that a newer one would replace before the screen
// shows it need not be drawn at all (src/web/gl.cpp drops its drawing).
// Every frame is still played, at the game's own pace.
//
// Nobody sees a hidden page (another tab, another app, a locked phone), so
// there the game waits at its next turn, costing nothing, until the page
// is seen again; its clock stands still meanwhile, and the game goes on
// from that very moment as if no time had passed.
#include "game/state.h"
#include "web/layer.h"

#include <SDL.h>
#include <emscripten.h>

#include <cmath>

extern "C" {
void __real_SDL_GL_SwapBuffers(void);
Uint32 __real_SDL_GetTicks(void);
}

// The page's side: whether the screen has taken the last picture drawn,
// and how many new pictures it has shown. Started at the first picture.
EM_JS(void, watchTheScreen, (), {
    if (Module.screen)
        return;
    var screen = Module.screen = {drawn: false, shown: 0};
    function refresh() {
        if (screen.drawn)
            screen.shown++;
        screen.drawn = false;
        requestAnimationFrame(refresh);
    }
    requestAnimationFrame(refresh);
});

EM_JS(int, screenTookThePicture, (), {
    return !Module.screen.drawn;
});

// How many pictures the game has handed to the page, drawn or not: the
// game's pace. The first one marks the end of start-up.
EM_JS(void, countPicture, (int drawn), {
    Module.pictures = (Module.pictures || 0) + 1;
    if (Module.pictures == 1)
        Module.firstPictureAt = performance.now();
    if (drawn) {
        Module.drawn = (Module.drawn || 0) + 1;
        Module.screen.drawn = true;
    }
});

// A turn of the page through a message, not a timer: the browser holds
// timers set from inside timers back to 4 ms once they nest, and a message
// is handled as soon as what the browser has waiting (input, showing the
// canvas) is done.
// The milliseconds the game then waited on a hidden page: 0 unless it was,
// and else the whole turn, which a hidden page may be slow to give.
EM_ASYNC_JS(double, letThePageRun, (), {
    var channel = Module.turns || (Module.turns = new MessageChannel());
    var from = performance.now();
    await new Promise(function(resume) {
        channel.port1.onmessage = function() { resume(); };
        channel.port2.postMessage(0);
    });
    if (document.visibilityState != 'hidden')
        return 0;
    await new Promise(function(seen) {
        document.addEventListener('visibilitychange', function look() {
            if (document.visibilityState == 'hidden')
                return;
            document.removeEventListener('visibilitychange', look);
            seen();
        });
    });
    return performance.now() - from;
});

// A sleep, cut short when the page is hidden: the browser then holds a
// hidden page's timers back for up to a second.
EM_ASYNC_JS(void, sleepFor, (double ms), {
    await new Promise(function(resume) {
        var timer = setTimeout(done, ms);
        document.addEventListener('visibilitychange', done);
        function done() {
            clearTimeout(timer);
            document.removeEventListener('visibilitychange', done);
            resume();
        }
    });
});

EM_JS(int, pageHidden, (), {
    return document.visibilityState == 'hidden';
});

namespace {
Uint32 stoodStill;        // ms the game's clock stood still while the page was hidden
double lastSwap = -1e9;   // when the last swap returned, page time in ms
double lastTurn;          // when the page last had its turn
bool drawing = true;      // whether the picture being made is drawn
bool looked;              // whether the game has read the clock since its last picture

// The game's own clock: SDL's, less the time nobody saw the page.
Uint32 gameTicks()
{
    return __real_SDL_GetTicks() - stoodStill;
}

void takeATurn()
{
    stoodStill += Uint32(std::lround(letThePageRun()));
}
}  // namespace

extern "C" {

// After a picture the game goes on at once, but there is nothing for it to
// do before its clock lets it: a match makes a frame only once more than
// 10 ms have passed since the last (ftps). The page sleeps until two
// milliseconds before, and leaves the last moments to the game's own busy
// wait, so that no frame comes late: a browser's timer now and then fires
// a millisecond or so after its time, and a late frame is not made up. The other screens wait for nothing: a
// screen that reads the clock (the intro, the fade) times its steps by it
// and gets a picture every 2 ms, so that no step comes late either; the
// menu, which does not, one every 10 ms. Most of those are not drawn.
void __wrap_SDL_GL_SwapBuffers(void)
{
    __real_SDL_GL_SwapBuffers();
    watchTheScreen();
    countPicture(drawing);
    takeATurn();
    const int toGate = int(ftps + 10 - gameTicks()) - 1;
    const double due = std::fmax(lastSwap + (looked ? 2 : 10), emscripten_get_now() + toGate);
    looked = false;
    for (double now = emscripten_get_now(); now < due - 1; now = emscripten_get_now()) {
        if (pageHidden()) {
            takeATurn();
            break;
        }
        sleepFor(std::floor(due - now));
    }
    // One picture a refresh: the first one after it, which the screen then
    // shows at the next. Until then the game's pictures are made but not drawn.
    drawing = screenTookThePicture();
    drawPictures(drawing);
    lastSwap = lastTurn = emscripten_get_now();
}

// The match looks at the clock without pause until more than 10 ms have
// passed since its last frame; its swaps give the page a turn every frame.
// Only a look that finds the page kept waiting for longer than a frame
// gives it a turn here.
Uint32 __wrap_SDL_GetTicks(void)
{
    looked = true;
    if (emscripten_get_now() - lastTurn > 10) {
        takeATurn();
        lastTurn = emscripten_get_now();
    }
    return gameTicks();
}

}  // extern "C"
