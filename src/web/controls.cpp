// Fingers and gamepads as the keys the match reads. A finger on a half of
// the picture holds that side's up key while it is above the middle of the
// paddle and its down key while below, so the paddle goes to the finger at
// the keys' own speed and stops there; the paddle stays the rules' to move.
#include "game/state.h"
#include "web/layer.h"

#include <cmath>

namespace {
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

void addControls(Uint8* keys, const Controls& c)
{
    const struct {
        Held bit;
        SDLKey key;
    } bound[] = {
        {RightUp, SDLK_UP}, {RightDown, SDLK_DOWN}, {RightSmash, SDLK_KP0},
        {LeftUp, SDLK_w},   {LeftDown, SDLK_s},     {LeftSmash, SDLK_LSHIFT},
        {End, SDLK_ESCAPE},
    };
    for (const auto& b : bound)
        if (c.held & b.bit)
            keys[b.key] = 1;
    follow(keys, c.right, p1y1, p1y2, SDLK_UP, SDLK_DOWN);
    follow(keys, c.left, p2y1, p2y2, SDLK_w, SDLK_s);
}
