// The desktop's pads, played with SDL2's virtual joysticks, which
// sdl12-compat shows the game as pads plugged in: a match through the real
// frames and keys, and the real menu through the real mouse.
#include "game/match.h"
#include "game/state.h"
#include "pads/pads.h"
#include "shell/main.h"
#include "support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

// SDL2 itself, under SDL 1.2 in this process.
void* sdl2 = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
template <class F>
F* sdl2fn(const char* name)
{
    return reinterpret_cast<F*>(dlsym(sdl2, name));
}
auto initSdl2 = sdl2fn<int(Uint32)>("SDL_InitSubSystem");
auto quitSdl2 = sdl2fn<void(Uint32)>("SDL_QuitSubSystem");
auto attach = sdl2fn<int(int, int, int, int)>("SDL_JoystickAttachVirtual");
auto detach = sdl2fn<int(int)>("SDL_JoystickDetachVirtual");
auto openPad = sdl2fn<void*(int)>("SDL_JoystickOpen");
auto closePad = sdl2fn<void(void*)>("SDL_JoystickClose");
auto setButton = sdl2fn<int(void*, int, Uint8)>("SDL_JoystickSetVirtualButton");
auto setHat = sdl2fn<int(void*, int, Uint8)>("SDL_JoystickSetVirtualHat");
auto setAxis = sdl2fn<int(void*, int, Sint16)>("SDL_JoystickSetVirtualAxis");
auto pushSdl2 = sdl2fn<int(void*)>("SDL_PushEvent");

// A key of the keyboard, as SDL2 hears it: the words of its event on this
// little-endian machine, with its type, state, scan code and key.
void key(int scancode, int sym, bool down)
{
    Uint32 e[14] = {down ? 0x300u : 0x301u, 0, 0, down ? 1u : 0u, Uint32(scancode), Uint32(sym)};
    pushSdl2(e);
}
const int upKey = 82, upSym = 0x40000052, wKey = 26;

const int smashButton = 0, startButton = 7;  // where an Xbox pad's A and Start come

struct Stuck {};

void drain()
{
    SDL_Event e;
    while (SDL_PollEvent(&e))
        continue;
}

// The pointer put somewhere, once the window system has it there.
void pointerAt(int x, int y)
{
    SDL_WarpMouse(Uint16(x), Uint16(y));
    for (int i = 0, px = -1, py = -1; i < 1000 && (px != x || py != y); i++) {
        SDL_Delay(1), drain();
        SDL_GetMouseState(&px, &py);
    }
}

// Two pads plugged in, made like an Xbox pad: 6 axes, 15 buttons, a d-pad hat.
struct Pads : testing::Test {
    void* pad[2] = {};
    int plugged = 0;
    SDL_EventFilter before = SDL_GetEventFilter();

    void SetUp() override
    {
        ASSERT_TRUE(sdl2 && attach) << "no SDL2 under SDL 1.2 here";
        initSdl2(0x200);
        for (plugged = 0; plugged < 2; plugged++)
            pad[plugged] = openPad(attach(1, 6, 15, 1));
        startPads();
        drain();
        fake::clock = [] { return Uint32(5000); };
        punkty = 5;
        pointerAt(400, 300);
        matchStart();
        pilka[1] = 0.2f, pilka[2] = -0.2f, kat = 4;  // well away from either paddle
    }
    void TearDown() override
    {
        unplug(2);
        SDL_SetEventFilter(before);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        quitSdl2(0x200);
    }
    // The last plugged in first: SDL2 numbers the rest again.
    void unplug(int pads)
    {
        for (; pads > 0 && plugged > 0; pads--)
            closePad(pad[--plugged]), detach(plugged);
    }
};

// A paddle's edge after steps of 0.06, each rounded as the rules round it.
float stepped(float edge, int steps, double by = 0.06)
{
    while (steps--)
        edge = float(edge + by);
    return edge;
}

}  // namespace

TEST_F(Pads, TheFirstPlaysTheRightPaddleTheSecondTheLeftBesideTheKeyboard)
{
    setHat(pad[0], 0, SDL_HAT_UP);
    setAxis(pad[1], 1, 32767 / 4);  // inside the dead zone
    for (int i = 0; i < 5; i++)
        frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 5));
    EXPECT_EQ(p2y1, 0.7f);
    setAxis(pad[1], 1, 32767 / 2);
    frame(twoPlayers);
    const float low = p2y1;
    EXPECT_EQ(low, stepped(0.7f, 1, -0.06));

    // A key stays held while the keyboard or a pad holds it.
    setAxis(pad[1], 1, 0);
    key(wKey, 'w', true), key(upKey, upSym, true), key(upKey, upSym, false);
    frame(twoPlayers);
    EXPECT_EQ(p2y1, stepped(low, 1));
    EXPECT_EQ(p1y1, stepped(0.7f, 7)) << "the pad's up went with the keyboard's";
    key(wKey, 'w', false), key(upKey, upSym, true);
    setHat(pad[0], 0, SDL_HAT_CENTERED);
    frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 8)) << "the keyboard's up went with the pad's";
    key(upKey, upSym, false);
    frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 8));
    EXPECT_EQ(p2y1, stepped(low, 1));

    // The bottom face button held as the ball meets a paddle smashes.
    setButton(pad[0], smashButton, 1);
    pilka[1] = 7.9f, pilka[2] = 7.5f, pilka[3] = p1y1 - 0.5f, pilka[4] = p1y1 - 0.9f, kat = 0;
    frame(twoPlayers);
    EXPECT_EQ(kat, 5);
    EXPECT_EQ(p1s, 1);
    setButton(pad[0], smashButton, 0), setButton(pad[1], smashButton, 1);
    pilka[1] = -7.5f, pilka[2] = -7.9f, pilka[3] = p2y1 + 0.2f, pilka[4] = p2y1 - 0.2f;
    frame(twoPlayers);
    EXPECT_EQ(kat, 4);
    EXPECT_EQ(p2s, 1);

    // Start on either pad ends the match, as Escape does; and no pad moved the pointer.
    EXPECT_EQ(donegra, 0);
    setButton(pad[1], startButton, 1);
    frame(twoPlayers);
    EXPECT_EQ(donegra, 1);
    SDL_Delay(20), drain();
    int px, py;
    SDL_GetMouseState(&px, &py);
    EXPECT_EQ(px, 400);
    EXPECT_EQ(py, 300);
}

TEST_F(Pads, OneUnpluggedInAMatchLetsGoOfItsKeysAndThePaddleStandsStill)
{
    setHat(pad[0], 0, SDL_HAT_DOWN), setHat(pad[1], 0, SDL_HAT_UP);
    setButton(pad[1], smashButton, 1);
    frame(twoPlayers);
    unplug(1);
    frame(twoPlayers);
    const float left = p2y1, right = p1y1;
    for (int i = 0; i < 3; i++)
        frame(twoPlayers);
    EXPECT_EQ(p2y1, left);
    EXPECT_EQ(SDL_GetKeyState(nullptr)[SDLK_LSHIFT], 0);
    EXPECT_EQ(p1y1, stepped(right, 3, -0.06)) << "the pad still plugged in plays on";
}

TEST_F(Pads, InTheMenuUpAndDownPointAtALineAndTheSmashButtonClicksIt)
{
    // Each step is pressed until the line it leads to shows red, then let
    // go: the pointer moves when the window system says so. The last quits.
    const struct {
        int pad, hat, button;
        Sint16 stick;
        int line;
    } steps[] = {
        {0, SDL_HAT_DOWN, -1, 0, 0}, {0, 0, 0, 0, 0},     {1, SDL_HAT_DOWN, -1, 0, 1},      {1, 0, 0, 0, 1},
        {0, 0, -1, 30000, 3},        {0, 0, 0, 0, 3},     {0, SDL_HAT_UP, -1, 0, 1},        {0, SDL_HAT_RIGHTDOWN, -1, 0, 3},
        {0, 0, startButton, 0, 3},   {0, SDL_HAT_DOWN, -1, 0, 4}, {0, SDL_HAT_DOWN, -1, 0, 4}, {0, 0, 0, 0, 4},
    };
    const int count = sizeof steps / sizeof steps[0];
    int cpu = 0, two = 0, at = 0, waited = 0, frames = 0;
    fake::gra2 = [&] { return ++cpu, 0; };
    fake::gra1 = [&] { return ++two, 0; };
    ftps = 5000, donegra = 1;  // as a match and its fade leave them
    k[0] = k[1] = k[3] = k[4] = 1.0f;
    auto set = [&](int i, bool down) {
        setHat(pad[steps[i].pad], 0, down ? Uint8(steps[i].hat) : 0);
        setAxis(pad[steps[i].pad], 1, down ? steps[i].stick : 0);
        if (steps[i].button >= 0)
            setButton(pad[steps[i].pad], steps[i].button, down);
    };
    fake::beforeSwap = [&] {
        if (at == count || frames++ > 3000)
            throw Stuck{};
        if (waited++ == 0) {
            set(at, true);
        } else if (k[steps[at].line] == 0.0f || waited > 200) {
            EXPECT_EQ(k[steps[at].line], 0.0f) << "step " << at;
            set(at++, false);
            waited = 0;
        }
    };
    try {
        menu();
    } catch (Stuck) {
        ADD_FAILURE() << "the menu did not end on Quit";
    }
    fake::beforeSwap = nullptr;
    EXPECT_EQ(at, count - 1);
    EXPECT_EQ(cpu, 1);
    EXPECT_EQ(two, 1);
    EXPECT_EQ(punkty, 10);
}
