#pragma once

// Asks "Fullscreen?" with Yes and No before any window exists.
// Returns 6 for Yes, 7 for No, 0 when it can't be asked or gets no answer.
int askFullscreen();
