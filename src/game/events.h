#pragma once

// Takes every pending event; a closed window ends the program. Every screen
// calls it once a frame.
void drainEvents();
