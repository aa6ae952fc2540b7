// SDL 1.2 on Windows reads the pads through winmm, and a pad unplugged
// there keeps its last state: no event lets go of what it held. So winmm is
// asked here, four times a second, whether each pad still answers. The
// timer is the game's thread's own: SDL's message pump runs it.
#include "pads/joystick.h"

#include <windows.h>
#include <mmsystem.h>

namespace {
UINT ids[2];
int watched;

bool answers(UINT id)
{
    JOYINFOEX info = {};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNBUTTONS;
    return joyGetPosEx(id, &info) == JOYERR_NOERROR;
}

void CALLBACK look(HWND, UINT, UINT_PTR, DWORD)
{
    for (int n = 0; n < watched; n++)
        if (!answers(ids[n]))
            padGone(n);
}
}  // namespace

void watchPads(int count)
{
    // SDL numbers the pads that answer with their capabilities, in winmm's
    // order.
    watched = 0;
    const UINT devices = joyGetNumDevs();
    for (UINT id = JOYSTICKID1; id < devices && watched < count && watched < 2; id++) {
        JOYCAPS caps;
        if (answers(id) && joyGetDevCaps(id, &caps, sizeof caps) == JOYERR_NOERROR)
            ids[watched++] = id;
    }
    SetTimer(nullptr, 0, 250, look);
}
