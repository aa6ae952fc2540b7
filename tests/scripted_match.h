#pragma once
// A match to play frame by frame through the real frame code: keys and
// events scripted, rand always 0, 5 points to win, and the clock standing
// at 1000 ms unless a test moves it.
#include "game/game.h"
#include "game/match.h"
#include "game/state.h"
#include "support.h"

#include <gtest/gtest.h>

inline Uint32 now;

struct Match : testing::Test {
    void SetUp() override
    {
        fake::scriptKeys = fake::scriptEvents = true;
        fake::roll = [] { return 0; };
        now = 1000;
        fake::clock = [] { return now; };
        punkty = 5;
        reakcja = 0.0f;
        matchStart();
    }
    void TearDown() override { punkty = 5; }
};
