// One mapping from pads to the game, for the desktop and the page alike.
#include "pads/pads.h"

#include "shell/main.h"

const HeldKey heldKeys[7] = {
    {RightUp, SDLK_UP}, {RightDown, SDLK_DOWN}, {RightSmash, SDLK_KP0},
    {LeftUp, SDLK_w},   {LeftDown, SDLK_s},     {LeftSmash, SDLK_LSHIFT},
    {End, SDLK_ESCAPE},
};

namespace {
// A stick resting a little off its middle, as worn sticks do, moves nothing.
const int deadZone = 32767 / 3;

// The menu's lines from the top, by their index in menuLines.
const int lines[] = {0, 1, 3, 4};
const int lineCount = 4;

bool pressed(const Pad& pad, int button)
{
    return button >= 0 && button < 32 && (pad.buttons >> button & 1);
}
}  // namespace

unsigned padHeld(const Pad& pad, const PadLayout& layout, int n)
{
    const bool up = (layout.up < 0 ? pad.hat & SDL_HAT_UP : pressed(pad, layout.up)) || pad.stickY < -deadZone;
    const bool down = (layout.down < 0 ? pad.hat & SDL_HAT_DOWN : pressed(pad, layout.down)) || pad.stickY > deadZone;
    unsigned held = 0;
    if (up)
        held |= n == 0 ? RightUp : LeftUp;
    if (down)
        held |= n == 0 ? RightDown : LeftDown;
    if (pressed(pad, layout.smash))
        held |= n == 0 ? RightSmash : LeftSmash;
    if (pressed(pad, layout.end))
        held |= End;
    return held;
}

PadPointer padPointer(unsigned was, unsigned now, int px, int py)
{
    const unsigned pressedNow = now & ~was;
    PadPointer p = {false, px, py, (pressedNow & (RightSmash | LeftSmash)) != 0};
    const int step = ((pressedNow & (RightDown | LeftDown)) ? 1 : 0) - ((pressedNow & (RightUp | LeftUp)) ? 1 : 0);
    if (step == 0)
        return p;
    int at = -1;
    for (int i = 0; i < lineCount; i++)
        if (overLine(lines[i], px, py))
            at = i;
    // Off every line, either way leads to the first; at an end it stays.
    if (at < 0)
        at = 0;
    else if (at + step >= 0 && at + step < lineCount)
        at += step;
    const HitBox& box = menuLines[lines[at]];
    p.move = true;
    p.x = (box.left + box.right) / 2;
    p.y = (box.top + box.bottom) / 2;
    return p;
}
