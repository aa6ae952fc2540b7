#pragma once
// What the browser layer's files tell one another.

// Whether the game's drawing reaches the GL, from the next call on: a
// picture that the screen will never show is not drawn (src/web/pace.cpp).
void drawPictures(bool yes);
