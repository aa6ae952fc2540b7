// The keys the game reads, with the page's fingers and gamepads added
// (src/web/controls.js). The link hands the game's calls here
// (-Wl,--wrap): the key state once a frame, and the start of each match,
// which tells the page which mode is played and when.
#include "web/layer.h"

#include <emscripten.h>

#include <cstring>

extern "C" {
Uint8* __real_SDL_GetKeyState(int* numkeys);
int __real__Z4gra1v();
int __real__Z4gra2v();
}

EM_JS(unsigned, readControls, (float* fingers, unsigned* buttons, double* sticks), {
    if (!Module.controls)
        return 0;
    var now = Module.controls.read();
    HEAPF32[fingers >> 2] = now.left;
    HEAPF32[(fingers >> 2) + 1] = now.right;
    for (var n = 0; n < 2; n++) {
        HEAPU32[(buttons >> 2) + n] = now.pads[n].buttons;
        HEAPF64[(sticks >> 3) + n] = now.pads[n].stick;
    }
    return now.held;
});

// The emulated SDL lets go of the keys it has seen pressed when the page is
// hidden or loses focus, since their releases will not reach it; but a key
// pressed in the moment before, whose press still waits for the game to read
// it, it misses, and that key would stay held until pressed and let go
// again. Its release goes in after its press.
EM_JS(void, letGoOfKeysOnLeaving, (), {
    function letGo() {
        SDL.events.filter(function(e) { return e.type == 'keydown'; }).forEach(function(e) {
            SDL.events.push({type: 'keyup', keyCode: e.keyCode, location: e.location});
        });
    }
    window.addEventListener('blur', letGo);
    document.addEventListener('visibilitychange', letGo);
});

EM_JS(void, matchPlays, (int mode), {
    if (Module.controls)
        Module.controls.match(mode);
});

namespace {
// The emulated SDL's state covers every key symbol up to this.
Uint8 keys[0x10000];

// A match, with the page told that it plays (1 against the computer, 2 two
// players) and, once it is over, that it does not.
int played(int mode, int (*match)())
{
    matchPlays(mode);
    const int result = match();
    matchPlays(0);
    return result;
}
}  // namespace

extern "C" {

// The keyboard's own state stays as SDL keeps it; the game gets a copy
// with the controls' keys held as well.
Uint8* __wrap_SDL_GetKeyState(int* numkeys)
{
    memcpy(keys, __real_SDL_GetKeyState(numkeys), sizeof keys);
    float fingers[2] = {-1, -1};
    unsigned buttons[2] = {};
    double sticks[2] = {};
    Controls now;
    now.held = readControls(fingers, buttons, sticks);
    now.left = fingers[0];
    now.right = fingers[1];
    for (int n = 0; n < 2; n++)
        now.pads[n] = standardPad(buttons[n], sticks[n]);
    addControls(keys, now);
    return keys;
}

int __wrap__Z4gra1v()
{
    return played(2, __real__Z4gra1v);
}

int __wrap__Z4gra2v()
{
    return played(1, __real__Z4gra2v);
}

}  // extern "C"
