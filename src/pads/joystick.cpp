// The desktop's pads, through SDL 1.2's joysticks. An event filter hears
// every pad event as SDL queues it, on whichever screen is up, and keeps
// the key state that the match reads once a frame; in the menu it moves
// and clicks the mouse that the menu reads. The screens know nothing of it.
#include "pads/joystick.h"
#include "pads/pads.h"

#include "game/state.h"

namespace {
// Xbox pads and the many made like them, through SDL2's Linux driver under
// sdl12-compat and through winmm under Windows' SDL 1.2 alike: A is
// button 0, Start button 7, the d-pad the first hat, the left stick axes 0
// and 1.
const PadLayout desktop = {0, 7, -1, -1};

const int most = 2;  // the first pad plays the right paddle, the second the left
int count;
Pad pads[most];
unsigned held[most];
Uint8 typed[SDLK_LAST];  // the keys that the keyboard itself holds
SDL_EventFilter passOn;  // a filter installed before ours, called after it

unsigned allHeld()
{
    return held[0] | held[1];
}

// From a match's first frame, which sets ftps, to the end of its fade,
// which leaves donegra set until the next match starts. The intro and the
// menu before any match have seen no frame.
bool inMatch()
{
    return ftps != 0 && !donegra;
}

// A key is held while the keyboard or a pad holds it.
void holdKeys(unsigned was, unsigned now)
{
    Uint8* keys = SDL_GetKeyState(nullptr);
    for (const HeldKey& h : heldKeys)
        if ((was ^ now) & h.bit)
            keys[h.key] = (now & h.bit) || typed[h.key];
}

void pointer(unsigned was, unsigned now)
{
    int px, py;
    SDL_GetMouseState(&px, &py);
    const PadPointer p = padPointer(was, now, px, py);
    if (p.move)
        SDL_WarpMouse(Uint16(p.x), Uint16(p.y));
    // The menu acts on the press, where the pointer is when it reads it.
    if (p.click) {
        SDL_Event click = {};
        click.type = SDL_MOUSEBUTTONDOWN;
        click.button.button = SDL_BUTTON_LEFT;
        click.button.state = SDL_PRESSED;
        click.button.x = Uint16(px);
        click.button.y = Uint16(py);
        SDL_PushEvent(&click);
    }
}

void changed(int n)
{
    const unsigned was = allHeld();
    held[n] = padHeld(pads[n], desktop, n);
    const unsigned now = allHeld();
    if (now == was)
        return;
    holdKeys(was, now);
    // Moving the player's pointer about in a match would be rude.
    if (!inMatch())
        pointer(was, now);
}

int padEvent(const SDL_Event* e)
{
    switch (e->type) {
    case SDL_JOYAXISMOTION:
        if (e->jaxis.which < count && e->jaxis.axis == 1) {
            pads[e->jaxis.which].stickY = e->jaxis.value;
            changed(e->jaxis.which);
        }
        break;
    case SDL_JOYHATMOTION:
        if (e->jhat.which < count && e->jhat.hat == 0) {
            pads[e->jhat.which].hat = e->jhat.value;
            changed(e->jhat.which);
        }
        break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
        if (e->jbutton.which < count && e->jbutton.button < 32) {
            const Uint32 bit = Uint32(1) << e->jbutton.button;
            Uint32& buttons = pads[e->jbutton.which].buttons;
            buttons = e->jbutton.state == SDL_PRESSED ? buttons | bit : buttons & ~bit;
            changed(e->jbutton.which);
        }
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        // SDL has just written the key into its state, and a key let go
        // there may still be held by a pad. (Windows' SDL 1.2 drops the press
        // of a key that its state already holds: a key pressed while a pad
        // holds it goes with the pad there.)
        if (e->key.keysym.sym < SDLK_LAST) {
            typed[e->key.keysym.sym] = e->type == SDL_KEYDOWN;
            for (const HeldKey& h : heldKeys)
                if (h.key == e->key.keysym.sym && (allHeld() & h.bit))
                    SDL_GetKeyState(nullptr)[h.key] = 1;
        }
        break;
    }
    return passOn ? passOn(e) : 1;
}
}  // namespace

void startPads()
{
    SDL_InitSubSystem(SDL_INIT_JOYSTICK);
    count = SDL_NumJoysticks() < most ? SDL_NumJoysticks() : most;
    // Without pads SDL has none to look at on every turn of its events.
    if (count <= 0) {
        count = 0;
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        return;
    }
    for (int n = 0; n < count; n++) {
        SDL_JoystickOpen(n);
        pads[n] = {};
        held[n] = 0;
    }
    SDL_JoystickEventState(SDL_ENABLE);
    if (SDL_GetEventFilter() != padEvent) {
        passOn = SDL_GetEventFilter();
        SDL_SetEventFilter(padEvent);
    }
    watchPads(count);
}

void padGone(int n)
{
    pads[n] = {};
    changed(n);
}
