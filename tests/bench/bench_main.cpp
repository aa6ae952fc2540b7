// Plays a match against the computer for a while (20 s unless told
// otherwise) and reports how many frames a second the game simulates and
// what a frame costs. The full-screen question, the key state and the clock
// are wrapped at link time: the answer is No, Escape is pressed when the
// time is up, and the clock is watched to see when frames start.
#include "game/game.h"
#include "game/state.h"
#include "shell/main.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

using Clock = std::chrono::steady_clock;

extern "C" {
Uint32 __real_SDL_GetTicks(void);
Uint8* __real_SDL_GetKeyState(int*);
}

namespace {
double seconds = 20;
bool stopping;
long frames;
Clock::time_point first, last, started;
double cpuFirst, cpuLast;
double longestGap;
long lateFrames;
bool inFrame;
int skip;  // clock reads of the frame's own tail, not the gate's
double working, workingCpu, longestWork;
double threadCpuAtStart;

double cpu(clockid_t which)
{
    timespec t;
    clock_gettime(which, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double since(Clock::time_point a, Clock::time_point b)
{
    return std::chrono::duration<double>(b - a).count();
}
}  // namespace

extern "C" int __wrap__Z13askFullscreenv()
{
    return 7;
}

// The gate's look at the clock that lets a frame through marks its start.
// After the keys are read, a frame reads the clock once more for its
// speed-up, twice when the speed-up happens; those reads are not the gate's.
extern "C" Uint32 __wrap_SDL_GetTicks(void)
{
    const Uint32 v = __real_SDL_GetTicks();
    if (skip) {
        skip--;
        if (v > poczatek + 5000)
            skip++;
    } else if (!inFrame && !stopping && v > ftps + 10) {
        inFrame = true;
        started = Clock::now();
        threadCpuAtStart = cpu(CLOCK_THREAD_CPUTIME_ID);
    }
    return v;
}

// Read once in every simulated frame, right after its picture is swapped.
extern "C" Uint8* __wrap_SDL_GetKeyState(int* n)
{
    static Uint8 keys[SDLK_LAST];
    memcpy(keys, __real_SDL_GetKeyState(n), sizeof keys);
    if (stopping) {
        keys[SDLK_ESCAPE] = 1;
        return keys;
    }
    const Clock::time_point now = Clock::now();
    if (inFrame) {
        const double work = since(started, now);
        working += work;
        workingCpu += cpu(CLOCK_THREAD_CPUTIME_ID) - threadCpuAtStart;
        if (work > longestWork)
            longestWork = work;
        inFrame = false;
    }
    skip = 1;
    if (frames == 0) {
        first = now;
        cpuFirst = cpu(CLOCK_PROCESS_CPUTIME_ID);
    } else {
        const double gap = since(last, now);
        if (gap > longestGap)
            longestGap = gap;
        if (gap > 0.0125)
            lateFrames++;
    }
    last = now;
    frames++;
    if (since(first, now) >= seconds) {
        cpuLast = cpu(CLOCK_PROCESS_CPUTIME_ID);
        stopping = true;
        keys[SDLK_ESCAPE] = 1;
    }
    return keys;
}

int main(int argc, char** argv)
{
    if (argc > 1)
        seconds = atof(argv[1]);
    startup();
    punkty = 100;
    reakcja = 0.0f;
    gra2();

    const long n = frames - 1;  // intervals between the first and the last frame
    const double wall = since(first, last);
    printf("\n%ld simulated frames in %.2f s: %.2f frames/s (the gate allows at most %.1f)\n", frames, wall,
           n / wall, 1000.0 / 11);
    printf("frames more than 12.5 ms after the one before: %ld; longest gap %.2f ms\n", lateFrames,
           longestGap * 1000);
    printf("per simulated frame: %.2f ms CPU of the whole process (the clock polling and the renderer's "
           "threads included)\n",
           (cpuLast - cpuFirst) * 1000 / n);
    printf("per simulated frame: %.2f ms from the gate to the key read (drawing and swap), %.2f ms of it "
           "CPU on the game's thread; longest %.2f ms\n",
           working * 1000 / frames, workingCpu * 1000 / frames, longestWork * 1000);
    SDL_Quit();
    return 0;
}
