// Fingers and gamepads as the keys the match reads, and the pads as the
// menu's mouse. A finger on a half of the picture holds that side's up key
// while it is above the middle of the paddle and its down key while below,
// so the paddle goes to the finger at the keys' own speed and stops there;
// the paddle stays the rules' to move.
#include "game/state.h"
#include "web/layer.h"

#include <emscripten.h>

#include <cmath>

EM_JS(void, padsReadable, (), {
    if (Module.controls)
        Module.controls.start();
});

EM_JS(void, pointAt, (int x, int y), {
    Module.controls.pointAt(x, y);
});

EM_JS(void, clickAt, (int x, int y), {
    Module.controls.clickAt(x, y);
});

namespace {
// The standard mapping of the browsers' Gamepad API: A, Start, the d-pad's
// up and down.
const PadLayout standard = {0, 9, 12, 13};
unsigned padsHeld;  // what the pads held at the page's last look

// Court units a window pixel spans on the plane the paddles move in, 15
// units away, as InitGL's projection shows it: 45 degrees over 600 pixels.
const double unitsPerPixel = 15 * std::tan(22.5 * M_PI / 180) / 300;
// A paddle's step: within it of the finger the paddle is there.
const double step = 0.06;

void follow(Uint8* keys, float finger, float top, float bottom, SDLKey up, SDLKey down)
{
    if (finger < 0)
        return;
    const double at = (300 - finger) * unitsPerPixel;
    const double middle = (double(top) + bottom) / 2;
    if (at > middle + step)
        keys[up] = 1;
    else if (at < middle - step)
        keys[down] = 1;
}
}  // namespace

Pad standardPad(unsigned buttons, double stickY)
{
    return {buttons, SDL_HAT_CENTERED, Sint16(std::lround(std::fmax(-1, std::fmin(1, stickY)) * 32767))};
}

void addControls(Uint8* keys, const Controls& c)
{
    const unsigned held = c.held | padHeld(c.pads[0], standard, 0) | padHeld(c.pads[1], standard, 1);
    for (const HeldKey& h : heldKeys)
        if (held & h.bit)
            keys[h.key] = 1;
    follow(keys, c.right, p1y1, p1y2, SDLK_UP, SDLK_DOWN);
    follow(keys, c.left, p2y1, p2y2, SDLK_w, SDLK_s);
}

// The page reads its pads whenever it likes: from the start on.
void startPads()
{
    padsReadable();
}

// The page's pads as they stand, at every picture the page shows; in the
// menu they are its mouse. The pointer moves and clicks as the page's own
// mouse does, so the menu reads it where the page put it.
extern "C" EMSCRIPTEN_KEEPALIVE void padsNow(int inMenu, unsigned buttons0, double stick0, unsigned buttons1,
                                             double stick1)
{
    const unsigned now = padHeld(standardPad(buttons0, stick0), standard, 0) |
                         padHeld(standardPad(buttons1, stick1), standard, 1);
    if (inMenu) {
        int px, py;
        SDL_GetMouseState(&px, &py);
        const PadPointer p = padPointer(padsHeld, now, px, py);
        if (p.move)
            pointAt(p.x, p.y);
        if (p.click)
            clickAt(px, py);
    }
    padsHeld = now;
}
