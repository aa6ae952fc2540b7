#include "support.h"

#include "host.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern "C" {
Uint32 __real_SDL_GetTicks(void);
int __real_SDL_PollEvent(SDL_Event*);
Uint8* __real_SDL_GetKeyState(int*);
Uint8 __real_SDL_GetMouseState(int*, int*);
void __real_SDL_GL_SwapBuffers(void);
int __real_rand(void);
}

namespace fake {
std::function<Uint32()> clock;
bool scriptEvents;
std::deque<SDL_Event> events;
bool scriptKeys;
Uint8 keyState[SDLK_LAST];
bool scriptMouse;
int mouseX, mouseY;
std::function<void()> beforeSwap;
int swaps;
std::function<int()> roll;
int answer = 7;
std::function<int()> gra1, gra2;
std::vector<Sound> played;

void reset()
{
    clock = nullptr;
    scriptEvents = false;
    events.clear();
    scriptKeys = false;
    memset(keyState, 0, sizeof keyState);
    scriptMouse = false;
    mouseX = mouseY = 0;
    beforeSwap = nullptr;
    swaps = 0;
    roll = nullptr;
    answer = 7;
    gra1 = nullptr;
    gra2 = nullptr;
    played.clear();
}

SDL_Event click(int x, int y, Uint8 button)
{
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = button;
    e.button.state = SDL_PRESSED;
    e.button.x = Uint16(x);
    e.button.y = Uint16(y);
    return e;
}

SDL_Event motion(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = Uint16(x);
    e.motion.y = Uint16(y);
    return e;
}

SDL_Event key(SDLKey sym)
{
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.keysym.sym = sym;
    return e;
}

SDL_Event quit()
{
    SDL_Event e{};
    e.type = SDL_QUIT;
    return e;
}
}  // namespace fake

extern "C" {
Uint32 __wrap_SDL_GetTicks(void)
{
    return fake::clock ? fake::clock() : __real_SDL_GetTicks();
}

int __wrap_SDL_PollEvent(SDL_Event* e)
{
    if (!fake::scriptEvents)
        return __real_SDL_PollEvent(e);
    if (fake::events.empty())
        return 0;
    SDL_Event next = fake::events.front();
    fake::events.pop_front();
    if (next.type == SDL_MOUSEMOTION) {
        fake::mouseX = next.motion.x;
        fake::mouseY = next.motion.y;
    } else if (next.type == SDL_MOUSEBUTTONDOWN) {
        fake::mouseX = next.button.x;
        fake::mouseY = next.button.y;
    }
    if (e)
        *e = next;
    return 1;
}

Uint8* __wrap_SDL_GetKeyState(int* n)
{
    if (!fake::scriptKeys)
        return __real_SDL_GetKeyState(n);
    if (n)
        *n = SDLK_LAST;
    return fake::keyState;
}

Uint8 __wrap_SDL_GetMouseState(int* x, int* y)
{
    if (!fake::scriptMouse)
        return __real_SDL_GetMouseState(x, y);
    if (x)
        *x = fake::mouseX;
    if (y)
        *y = fake::mouseY;
    return 0;
}

void __wrap_SDL_GL_SwapBuffers(void)
{
    fake::swaps++;
    if (fake::beforeSwap)
        fake::beforeSwap();
    __real_SDL_GL_SwapBuffers();
}

int __wrap_rand(void)
{
    return fake::roll ? fake::roll() : __real_rand();
}
}

extern "C" int __wrap__Z13askFullscreenv()
{
    return fake::answer;
}

extern "C" int __real__Z4gra1v();
extern "C" int __real__Z4gra2v();

extern "C" int __wrap__Z4gra1v()
{
    return fake::gra1 ? fake::gra1() : __real__Z4gra1v();
}

extern "C" int __wrap__Z4gra2v()
{
    return fake::gra2 ? fake::gra2() : __real__Z4gra2v();
}

extern "C" void __real__Z9playSound5Sound(Sound sound);

extern "C" void __wrap__Z9playSound5Sound(Sound sound)
{
    if (sound != noSound)
        fake::played.push_back(sound);
    __real__Z9playSound5Sound(sound);
}

Rgb pixelAt(int wx, int wy)
{
    unsigned char p[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(wx, 599 - wy, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

std::vector<unsigned char> grabWindow()
{
    std::vector<unsigned char> raw(800 * 600 * 3), rows(800 * 600 * 3);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, raw.data());
    for (int r = 0; r < 600; r++)
        memcpy(&rows[r * 2400], &raw[(599 - r) * 2400], 2400);
    return rows;
}

static void put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(v & 255);
    b.push_back((v >> 8) & 255);
}

static void put32(std::vector<unsigned char>& b, unsigned v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

std::vector<unsigned char> encodeBmp(const Bmp& bmp)
{
    const int rowBytes = (bmp.width * bmp.bits + 31) / 32 * 4;
    const int colours = bmp.bits <= 8 ? int(bmp.palette.size()) : 0;
    const unsigned offset = 14 + 40 + 4 * colours;
    std::vector<unsigned char> b;
    b.push_back('B');
    b.push_back('M');
    put32(b, offset + rowBytes * bmp.height);
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, unsigned(bmp.width));
    put32(b, unsigned(bmp.topDown ? -bmp.height : bmp.height));
    put16(b, 1);
    put16(b, bmp.bits);
    put32(b, 0);  // no compression
    put32(b, rowBytes * bmp.height);
    put32(b, 2835);
    put32(b, 2835);
    put32(b, colours);
    put32(b, 0);
    for (uint32_t c : bmp.palette)
        if (bmp.bits <= 8)
            put32(b, c & 0xFFFFFF);  // blue, green, red, 0
    for (int i = 0; i < bmp.height; i++) {
        const int row = bmp.topDown ? i : bmp.height - 1 - i;
        std::vector<unsigned char> line(rowBytes, 0);
        for (int j = 0; j < bmp.width; j++) {
            const uint32_t v = bmp.pixels[row * bmp.width + j];
            if (bmp.bits == 24) {
                line[3 * j] = v & 255;
                line[3 * j + 1] = (v >> 8) & 255;
                line[3 * j + 2] = (v >> 16) & 255;
            } else if (bmp.bits == 32) {
                line[4 * j] = v & 255;
                line[4 * j + 1] = (v >> 8) & 255;
                line[4 * j + 2] = (v >> 16) & 255;
                line[4 * j + 3] = 255;
            } else if (bmp.bits == 16) {  // 5-5-5
                const unsigned r = (v >> 19) & 31, g = (v >> 11) & 31, bl = (v >> 3) & 31;
                const unsigned w = (r << 10) | (g << 5) | bl;
                line[2 * j] = w & 255;
                line[2 * j + 1] = w >> 8;
            } else {  // 1, 4 or 8 bits of palette index, leftmost pixel highest
                const int bit = j * bmp.bits;
                const int shift = 8 - bmp.bits - bit % 8;
                line[bit / 8] |= (v & ((1u << bmp.bits) - 1)) << shift;
            }
        }
        b.insert(b.end(), line.begin(), line.end());
    }
    return b;
}

void writeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::string tempPath(const std::string& name)
{
    static std::string dir;
    if (dir.empty())
        dir = freshFolder();
    return dir + "/" + name;
}

std::string captureStderr(const std::function<void()>& f)
{
    fflush(stderr);
    const std::string path = tempPath("stderr.txt");
    const int saved = dup(2);
    FILE* sink = fopen(path.c_str(), "w");
    dup2(fileno(sink), 2);
    f();
    fflush(stderr);
    dup2(saved, 2);
    close(saved);
    fclose(sink);
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
