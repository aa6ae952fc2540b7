#pragma once

// What the game makes heard. Each sound is made by the game itself at
// start-up; where there is no sound device the game plays on in silence.
enum Sound {
    noSound,
    paddleSound,  // the ball off a paddle
    wallSound,    // the ball off the top or bottom limit
    smashSound,   // a smash: a paddle's hit, brighter
    pointSound,   // a point scored
    clickSound,   // a click on a menu line
    soundCount
};

// Makes the sounds and opens the sound device, if there is one; M mutes and
// unmutes from then on, on every screen. Once, after the window is open.
void soundStart();
// Starts a sound over whatever else is playing; noSound starts nothing.
void playSound(Sound sound);
