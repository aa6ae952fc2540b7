// The tests run in a real window with a real GL context (Mesa under Xvfb),
// opened by the game's own start-up, the question answered "No".
#include "shell/main.h"
#include "support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {
struct GameWindow : testing::Environment {
    void SetUp() override
    {
        // Silent on a machine with speakers, unless asked otherwise: the
        // test that listens sets a driver of its own.
        if (!getenv("SDL_AUDIODRIVER"))
            SDL_putenv(const_cast<char*>("SDL_AUDIODRIVER=dummy"));
        startup();
    }
};

struct Pristine : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { fake::reset(); }
};
}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // A forked child would share the parent's X connection; start afresh instead.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    testing::AddGlobalTestEnvironment(new GameWindow);
    testing::UnitTest::GetInstance()->listeners().Append(new Pristine);
    return RUN_ALL_TESTS();
}
