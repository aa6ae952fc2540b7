// The tests under node: no window and no WebGL, so the GL under the browser
// layer is the recorder of fakegl.cpp; the game's GL state is set as
// start-up sets it, with the font built.
#include "shell/main.h"
#include "support.h"

#include <gtest/gtest.h>

namespace {
struct Pristine : testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo&) override { fake::reset(); }
};
}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    InitGL(800, 600);
    testing::UnitTest::GetInstance()->listeners().Append(new Pristine);
    return RUN_ALL_TESTS();
}
