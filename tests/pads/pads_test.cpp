// The desktop's pads, played with SDL2's virtual joysticks, which
// sdl12-compat shows the game as pads plugged in: a match through the real
// frames and keys, and the real menu through the real mouse.
#include "game/game.h"
#include "game/match.h"
#include "game/state.h"
#include "pads/pads.h"
#include "shell/main.h"
#include "support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace {

// What the tests ask of SDL2 under sdl12-compat, in this very process.
struct Sdl2 {
    void* lib = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD);
    template <class F>
    F fn(const char* name) { return F(dlsym(lib, name)); }
    int (*initSubSystem)(Uint32) = fn<int (*)(Uint32)>("SDL_InitSubSystem");
    void (*quitSubSystem)(Uint32) = fn<void (*)(Uint32)>("SDL_QuitSubSystem");
    int (*attach)(int, int, int, int) = fn<int (*)(int, int, int, int)>("SDL_JoystickAttachVirtual");
    int (*detach)(int) = fn<int (*)(int)>("SDL_JoystickDetachVirtual");
    void* (*open)(int) = fn<void* (*)(int)>("SDL_JoystickOpen");
    void (*close)(void*) = fn<void (*)(void*)>("SDL_JoystickClose");
    int (*button)(void*, int, Uint8) = fn<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualButton");
    int (*hat)(void*, int, Uint8) = fn<int (*)(void*, int, Uint8)>("SDL_JoystickSetVirtualHat");
    int (*axis)(void*, int, Sint16) = fn<int (*)(void*, int, Sint16)>("SDL_JoystickSetVirtualAxis");
    // An SDL2 key event, as the keyboard would send it.
    int (*push)(void*) = fn<int (*)(void*)>("SDL_PushEvent");
    void key(int scancode, int sym, bool down)
    {
        struct {
            Uint32 type, timestamp, window;
            Uint8 state, repeat, pad2, pad3;
            int scancode, sym;
            Uint16 mod;
            Uint32 unused;
            Uint8 rest[24];
        } e = {};
        e.type = down ? 0x300 : 0x301;
        e.state = down;
        e.scancode = scancode;
        e.sym = sym;
        push(&e);
    }
};
const Uint32 sdl2Joystick = 0x200;
const int gameController = 1;
const int smashButton = 0, startButton = 7;  // where an Xbox pad's A and Start come

void drain()
{
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
    }
}

// The pointer put somewhere, once the window system has it there.
void pointerAt(int x, int y)
{
    SDL_WarpMouse(Uint16(x), Uint16(y));
    for (int i = 0, px = -1, py = -1; i < 1000 && (px != x || py != y); i++) {
        SDL_Delay(1);
        drain();
        SDL_GetMouseState(&px, &py);
    }
}

// Two pads plugged in, like an Xbox pad: 6 axes, 15 buttons and a d-pad hat.
struct Pads : testing::Test {
    Sdl2 sdl2;
    void* pad[2] = {};
    int plugged = 0;
    SDL_EventFilter before = nullptr;

    void SetUp() override
    {
        ASSERT_TRUE(sdl2.lib && sdl2.attach && sdl2.push) << "no SDL2 under SDL 1.2 here";
        sdl2.initSubSystem(sdl2Joystick);
        for (void*& p : pad)
            p = sdl2.open(sdl2.attach(gameController, 6, 15, 1));
        plugged = 2;
        before = SDL_GetEventFilter();
        startPads();
        drain();
    }
    void TearDown() override
    {
        unplug(2);
        SDL_SetEventFilter(before);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        sdl2.quitSubSystem(sdl2Joystick);
        Uint8* keys = SDL_GetKeyState(nullptr);
        for (const HeldKey& h : heldKeys)
            keys[h.key] = 0;
    }
    // The last plugged in first: SDL2 numbers the rest again.
    void unplug(int left)
    {
        while (plugged > 2 - left) {
            sdl2.close(pad[--plugged]);
            sdl2.detach(plugged);
        }
    }
};

// A match through the real frames, the clock scripted, the keys and events SDL's own.
struct PadMatch : Pads {
    void SetUp() override
    {
        Pads::SetUp();
        fake::roll = [] { return 0; };
        fake::clock = [] { return Uint32(5000); };
        punkty = 5;
        pointerAt(400, 300);
        matchStart();
        pilka[1] = 0.2f, pilka[2] = -0.2f, kat = 4;  // well away from either paddle
    }
};

// A paddle's edge after steps of 0.06, each rounded as the rules round it.
float stepped(float edge, int steps, double by = 0.06)
{
    while (steps--)
        edge = float(edge + by);
    return edge;
}

const int upKey = 82, upSym = 0x40000052, wKey = 26;  // SDL2's scan code and key of each

}  // namespace

TEST_F(PadMatch, TheFirstPadPlaysTheRightPaddleTheSecondTheLeftBesideTheKeyboard)
{
    sdl2.hat(pad[0], 0, SDL_HAT_UP);
    sdl2.axis(pad[1], 1, 32767 / 4);  // inside the dead zone
    for (int i = 0; i < 5; i++)
        frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 5));
    EXPECT_EQ(p2y1, 0.7f);
    sdl2.axis(pad[1], 1, 32767 / 2);
    frame(twoPlayers);
    EXPECT_EQ(p2y1, stepped(0.7f, 1, -0.06));

    // The keyboard plays beside the pads, and a key stays held while either
    // holds it.
    const float low = p2y1;
    sdl2.axis(pad[1], 1, 0);
    sdl2.key(wKey, 'w', true);
    sdl2.key(upKey, upSym, true);
    sdl2.key(upKey, upSym, false);
    frame(twoPlayers);
    EXPECT_EQ(p2y1, stepped(low, 1));
    EXPECT_EQ(p1y1, stepped(0.7f, 7)) << "the pad's up went with the keyboard's";
    sdl2.key(wKey, 'w', false);
    sdl2.key(upKey, upSym, true);
    sdl2.hat(pad[0], 0, SDL_HAT_CENTERED);
    frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 8)) << "the keyboard's up went with the pad's";
    sdl2.key(upKey, upSym, false);
    frame(twoPlayers);
    EXPECT_EQ(p1y1, stepped(0.7f, 8));
    EXPECT_EQ(p2y1, stepped(low, 1));
    EXPECT_EQ(donegra, 0);

    // The bottom face button held as the ball meets the paddle: a smash.
    sdl2.button(pad[0], smashButton, 1);
    pilka[1] = 7.9f, pilka[2] = 7.5f, pilka[3] = p1y1 - 0.5f, pilka[4] = p1y1 - 0.9f, kat = 0;
    frame(twoPlayers);
    EXPECT_EQ(kat, 5);
    EXPECT_EQ(p1s, 1);
    sdl2.button(pad[0], smashButton, 0);
    sdl2.button(pad[1], smashButton, 1);
    pilka[1] = -7.5f, pilka[2] = -7.9f, pilka[3] = p2y1 + 0.2f, pilka[4] = p2y1 - 0.2f;
    frame(twoPlayers);
    EXPECT_EQ(kat, 4);
    EXPECT_EQ(p2s, 1);

    // Start on either pad ends the match, as Escape does.
    sdl2.button(pad[1], startButton, 1);
    frame(twoPlayers);
    EXPECT_EQ(donegra, 1);

    // Nothing of it moved the player's pointer.
    SDL_Delay(20);
    drain();
    int px, py;
    SDL_GetMouseState(&px, &py);
    EXPECT_EQ(px, 400);
    EXPECT_EQ(py, 300);
}

TEST_F(PadMatch, AnUnpluggedPadLetsGoOfItsKeysAndThePaddleStandsStill)
{
    sdl2.hat(pad[0], 0, SDL_HAT_DOWN);
    sdl2.hat(pad[1], 0, SDL_HAT_UP);
    sdl2.button(pad[1], smashButton, 1);
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

namespace {
struct Stuck {};

// The line the menu shows red, -1 for none.
int red()
{
    for (int i : {0, 1, 3, 4})
        if (k[i] == 0.0f)
            return i;
    return -1;
}
}  // namespace

TEST_F(Pads, InTheMenuUpAndDownPickALineAndTheSmashButtonClicksIt)
{
    // Each step is done once the menu shows the line it leads to: the
    // pointer moves as the window system tells, a frame or two later.
    struct Step {
        std::function<void()> press, release;
        int line;
    };
    auto hat = [&](int n, Uint8 way) { return [=] { sdl2.hat(pad[n], 0, way); }; };
    auto button = [&](int n, int b, Uint8 down) { return [=] { sdl2.button(pad[n], b, down); }; };
    auto stick = [&](int n, Sint16 v) { return [=] { sdl2.axis(pad[n], 1, v); }; };
    const Uint8 down = SDL_HAT_DOWN, up = SDL_HAT_UP, centre = SDL_HAT_CENTERED;
    const std::vector<Step> steps = {
        {hat(0, down), hat(0, centre), 0},        {button(0, 0, 1), button(0, 0, 0), 0},
        {hat(1, down), hat(1, centre), 1},        {button(1, 0, 1), button(1, 0, 0), 1},
        {stick(0, 30000), stick(0, 0), 3},        {button(0, 0, 1), button(0, 0, 0), 3},
        {hat(0, up), hat(0, centre), 1},          {hat(0, SDL_HAT_RIGHTDOWN), hat(0, centre), 3},
        {button(0, startButton, 1), button(0, startButton, 0), 3},
        {hat(0, down), hat(0, centre), 4},        {hat(0, down), hat(0, centre), 4},
        {button(0, 0, 1), button(0, 0, 0), 4},
    };
    int cpu = 0, two = 0;
    fake::gra2 = [&] { return ++cpu, 0; };
    fake::gra1 = [&] { return ++two, 0; };
    // As a match and its fade leave the menu, and the pointer off every line.
    ftps = 5000;
    donegra = 1;
    punkty = 5;
    k[0] = k[1] = k[3] = k[4] = 1.0f;
    pointerAt(400, 300);
    size_t at = 0;
    int frames = 0, waited = 0;
    std::vector<int> shown;
    fake::beforeSwap = [&] {
        if (at == steps.size() || ++frames > 3000)
            throw Stuck{};
        // A press, then the release once its line is red.
        if (waited == 0) {
            steps[at].press();
        } else if (red() == steps[at].line || waited > 200) {
            shown.push_back(red());
            steps[at].release();
            at++;
            waited = -1;
        }
        waited++;
    };
    try {
        menu();
    } catch (Stuck) {
        ADD_FAILURE() << "the menu did not end on Quit";
    }
    fake::beforeSwap = nullptr;
    // The last step quits: no frame follows to see it.
    std::vector<int> want;
    for (size_t i = 0; i + 1 < steps.size(); i++)
        want.push_back(steps[i].line);
    EXPECT_EQ(shown, want);
    EXPECT_EQ(at, steps.size() - 1);
    EXPECT_EQ(cpu, 1);
    EXPECT_EQ(two, 1);
    EXPECT_EQ(punkty, 10);
}
