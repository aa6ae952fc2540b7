// What a frame did, as the player hears it, told by comparing the match
// before and after the frame: the rules themselves know nothing of sound.
#include "game/heard.h"

#include "game/state.h"

namespace {
bool rightward(int direction)
{
    return direction == 0 || direction == 3 || direction == 4;
}
bool upward(int direction)
{
    return direction == 0 || direction == 1;
}
}  // namespace

Course course()
{
    return {kat, pilka[3], pilka[4], p1p + p2p};
}

Sound heard(const Course& before, const Course& after)
{
    // A point serves again at once, so nothing else of the frame counts.
    if (after.points != before.points)
        return pointSound;
    // A paddle sends the ball the other way, a smash flat. A ball still in
    // the paddle's window on the next frame is hit again, but it already
    // goes that way: one hit, one sound.
    if (rightward(after.kat) != rightward(before.kat))
        return after.kat >= 4 ? smashSound : paddleSound;
    // A wall turns it up or down, and only a ball beyond a limit; a second
    // hit by the same paddle may turn it too, anywhere.
    if (upward(after.kat) != upward(before.kat) && (before.top > 4.9 || before.bottom < -6.1))
        return wallSound;
    return noSound;
}
