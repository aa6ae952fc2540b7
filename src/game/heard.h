#pragma once
#include "sound/sound.h"

// Enough of the match to tell what a frame did that a player hears: the
// ball's direction and height, and the points.
struct Course {
    int kat;
    float top, bottom;  // the ball's top and bottom edge
    int points;         // of both sides together
};

Course course();
// The sound of a frame, from the course before it and after it.
Sound heard(const Course& before, const Course& after);
