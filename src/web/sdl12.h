#pragma once
// The emulated SDL's headers are of a later SDL that dropped this call; its
// JavaScript still has it, indexed by the same key symbols as the headers.
#include <SDL.h>

extern "C" Uint8* SDL_GetKeyState(int* numkeys);
