// The browser's own reader of the game's BMP files, through the loaders.
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Bmp stripes(int bits, bool topDown = false)
{
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.bits = bits;
    b.topDown = topDown;
    b.pixels = {0x102030, 0x405060, 0x708090, 0xA0B0C0, 0xD0E0F0, 0xFF00FF};  // top row first
    return b;
}

std::vector<int> bytesOf(SDL_Surface* s)
{
    std::vector<int> out;
    for (int r = 0; r < s->h; r++)
        for (int i = 0; i < 3 * s->w; i++)
            out.push_back(static_cast<unsigned char*>(s->pixels)[r * s->pitch + i]);
    return out;
}

}  // namespace

TEST(BrowserPictures, ThirtyTwoBitAndTopDownFilesReadAsTheTwentyFourBitOnes)
{
    const std::string path = tempPath("stripes.bmp");
    writeFile(path, encodeBmp(stripes(24)));
    SDL_Surface* plain = LoadBMP(path.c_str());
    ASSERT_NE(plain, nullptr);
    // Rows from the bottom up, red, green, blue.
    const std::vector<int> expected = {0xA0, 0xB0, 0xC0, 0xD0, 0xE0, 0xF0, 0xFF, 0x00, 0xFF,
                                       0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90};
    EXPECT_EQ(bytesOf(plain), expected);
    EXPECT_EQ(plain->pitch, 12);
    SDL_FreeSurface(plain);

    for (const Bmp& b : {stripes(32), stripes(24, true), stripes(32, true)}) {
        SCOPED_TRACE(testing::Message() << b.bits << (b.topDown ? " top down" : ""));
        writeFile(path, encodeBmp(b));
        SDL_Surface* s = LoadBMP(path.c_str());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->format->BytesPerPixel, 3);
        EXPECT_EQ(bytesOf(s), expected);
        SDL_FreeSurface(s);
    }
}

TEST(BrowserPictures, OtherKindsAreRefusedInOneLineThatSaysWhy)
{
    Bmp paletted = stripes(8);
    paletted.palette = {0, 0xFFFFFF};
    paletted.pixels = {0, 1, 0, 1, 0, 1};
    std::vector<unsigned char> packed = encodeBmp(stripes(24));
    packed[30] = 1;  // run-length packing

    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
        std::string why;
    } cases[] = {
        {"sixteen.bmp", encodeBmp(stripes(16)), "this one has 16 bits"},
        {"paletted.bmp", encodeBmp(paletted), "this one has 8 bits"},
        {"packed.bmp", packed, "is packed"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = tempPath(c.name);
        writeFile(path, c.bytes);
        GLuint name = 1;
        const std::string said = captureStderr([&] { name = LoadGLTexturesTransp(path.c_str()); });
        EXPECT_EQ(name, 0u);
        EXPECT_EQ(said.rfind("Nieudalo sie zaladowac" + path + ": ", 0), 0u) << said;
        EXPECT_NE(said.find(c.why), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }

    // A failure's reason does not stay behind for the next picture.
    const std::string good = tempPath("good.bmp");
    writeFile(good, encodeBmp(stripes(24)));
    GLuint name = 0;
    EXPECT_EQ(captureStderr([&] { name = LoadGLTexturesTransp(good.c_str()); }), "");
    EXPECT_NE(name, 0u);
    EXPECT_NE(std::string(SDL_GetError()).find("SDL"), std::string::npos)
        << "after a success the emulation's own text is back: " << SDL_GetError();
}

TEST(BrowserPictures, TheGamesOwnPicturesAllLoad)
{
    for (const char* path : {"gfx/background.bmp", "gfx/p1.bmp", "gfx/p2.bmp", "gfx/pileczka.bmp", "gfx/start.bmp",
                             "gfx/qor.bmp"}) {
        SCOPED_TRACE(path);
        GLuint name = 0;
        EXPECT_EQ(captureStderr([&] { name = LoadGLTexturesTransp(path); }), "");
        EXPECT_NE(name, 0u);
    }
    EXPECT_NE(font, 0u);
}
