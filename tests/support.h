#pragma once
// What the tests stand on: a scripted SDL edge, pixels read back from the
// GL, and BMP files written byte by byte.
#include "sound/sound.h"

#include <SDL.h>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace fake {
// SDL_GetTicks: the real clock while empty.
extern std::function<Uint32()> clock;
// SDL_PollEvent: when scripted, events come from this queue and none when it
// is empty. A mouse event moves the scripted pointer to its position.
extern bool scriptEvents;
extern std::deque<SDL_Event> events;
// SDL_GetKeyState: when scripted, this array (indexed by key symbol).
extern bool scriptKeys;
extern Uint8 keyState[SDLK_LAST];
// SDL_GetMouseState: when scripted, this position.
extern bool scriptMouse;
extern int mouseX, mouseY;
// Called before every real buffer swap, while the frame is still in the back buffer.
extern std::function<void()> beforeSwap;
extern int swaps;
// rand: the real one while empty.
extern std::function<int()> roll;
// The full-screen question's answer for start-up in tests.
extern int answer;
// gra1 and gra2 as the menu calls them: the real match while empty.
extern std::function<int()> gra1, gra2;
// Every sound the game started, noSound left out; each goes on to the real
// device.
extern std::vector<Sound> played;

void reset();  // everything back to pass-through
SDL_Event click(int x, int y, Uint8 button = SDL_BUTTON_LEFT);
SDL_Event motion(int x, int y);
SDL_Event key(SDLKey sym);
SDL_Event quit();
}  // namespace fake

using Rgb = std::array<int, 3>;
// The back buffer's colour at a window pixel (origin top left, as SDL's mouse).
Rgb pixelAt(int wx, int wy);
// The whole back buffer, rows from the top, RGB.
std::vector<unsigned char> grabWindow();

// A BMP file of any depth, pixels given top row first as 0xRRGGBB; for
// depths of 8 or fewer bits the values are palette indices instead.
struct Bmp {
    int width = 0, height = 0, bits = 24;
    std::vector<uint32_t> pixels;
    std::vector<uint32_t> palette;  // 0xRRGGBB
    bool topDown = false;
};
std::vector<unsigned char> encodeBmp(const Bmp& bmp);
void writeFile(const std::string& path, const std::vector<unsigned char>& bytes);
std::string tempPath(const std::string& name);  // in a folder of this test process

// Runs f with stderr captured; returns what it wrote.
std::string captureStderr(const std::function<void()>& f);
