#pragma once
// Between the desktop's pad reading and the watch its platform keeps.

// Starts the platform's watch over the first count pads (src/pads/watch_*.cpp).
void watchPads(int count);
// Pad n is gone: whatever it held is let go.
void padGone(int n);
