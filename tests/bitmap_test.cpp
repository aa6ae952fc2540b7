// Bitmaps through SDL's real decoder: byte order, row order, row padding,
// the colour key, and what is said when a picture can't be had.
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

namespace {

std::string saveBmp(const std::string& name, const Bmp& bmp)
{
    const std::string path = tempPath(name);
    writeFile(path, encodeBmp(bmp));
    return path;
}

Bmp picture(int w, int h)
{
    Bmp b;
    b.width = w;
    b.height = h;
    for (int i = 0; i < w * h; i++)  // distinct bytes everywhere: red i, green 100 + i, blue 200 - i
        b.pixels.push_back(uint32_t((i & 255) << 16 | ((100 + i) & 255) << 8 | ((200 - i) & 255)));
    return b;
}

// Red, green, blue of picture pixel (column j, row r counted from the top).
std::array<int, 3> rgbOf(const Bmp& b, int j, int r)
{
    const uint32_t v = b.pixels[r * b.width + j];
    return {int(v >> 16), int((v >> 8) & 255), int(v & 255)};
}

// Reads texture name back as RGBA, rows bottom first.
std::vector<unsigned char> textureBytes(GLuint name, int w, int h)
{
    std::vector<unsigned char> out(size_t(w) * h * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

}  // namespace

TEST(LoadBMP, BottomLeftPixelComesFirstAsRedGreenBlue)
{
    Bmp b = picture(4, 4);
    b.pixels[3 * 4 + 0] = 0x1E140A;  // bottom left: red 30, green 20, blue 10
    SDL_Surface* s = LoadBMP(saveBmp("corner.bmp", b).c_str());
    ASSERT_NE(s, nullptr);
    const unsigned char* p = static_cast<unsigned char*>(s->pixels);
    EXPECT_EQ(p[0], 30);
    EXPECT_EQ(p[1], 20);
    EXPECT_EQ(p[2], 10);
    SDL_FreeSurface(s);
}

TEST(LoadBMP, EveryRowTurnsOverAndEveryPixelReadsRedGreenBlue)
{
    for (int w : {1, 2, 3, 4, 5}) {
        for (int h : {1, 2, 3, 4, 7}) {
            SCOPED_TRACE(testing::Message() << w << " x " << h);
            const Bmp b = picture(w, h);
            const std::string path = saveBmp("rows.bmp", b);
            SDL_Surface* s = LoadBMP(path.c_str());
            ASSERT_NE(s, nullptr);
            ASSERT_EQ(s->w, w);
            ASSERT_EQ(s->h, h);
            for (int r = 0; r < h; r++)  // memory row r is picture row h - 1 - r
                for (int j = 0; j < w; j++) {
                    const unsigned char* p = static_cast<unsigned char*>(s->pixels) + r * s->pitch + 3 * j;
                    EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), rgbOf(b, j, h - 1 - r));
                }
            SDL_FreeSurface(s);
        }
    }
}

TEST(LoadBMP, RowPaddingTravelsWithItsRowUnchanged)
{
    for (int w : {1, 2, 3}) {
        SCOPED_TRACE(w);
        const std::string path = saveBmp("pad.bmp", picture(w, 3));
        SDL_Surface* decoded = SDL_LoadBMP(path.c_str());
        SDL_Surface* s = LoadBMP(path.c_str());
        ASSERT_NE(decoded, nullptr);
        ASSERT_NE(s, nullptr);
        ASSERT_EQ(s->pitch, decoded->pitch);
        ASSERT_EQ(s->pitch % 4, 0);
        for (int r = 0; r < 3; r++) {
            const unsigned char* mine = static_cast<unsigned char*>(s->pixels) + r * s->pitch;
            const unsigned char* theirs = static_cast<unsigned char*>(decoded->pixels) + (2 - r) * decoded->pitch;
            for (int i = 3 * w; i < s->pitch; i++)
                EXPECT_EQ(mine[i], theirs[i]) << "row " << r << " byte " << i;
        }
        SDL_FreeSurface(s);
        SDL_FreeSurface(decoded);
    }
}

TEST(LoadBMP, PalettedPicturesComeOutAsTwentyFourBits)
{
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        Bmp b;
        b.width = 3;
        b.height = 2;
        b.bits = bits;
        b.palette = {0x000000, 0xFF8000};
        if (bits > 1)
            b.palette.push_back(0x102030);
        b.pixels = {0, 1, bits > 1 ? 2u : 1u, 1, 0, 0};
        SDL_Surface* s = LoadBMP(saveBmp("paletted.bmp", b).c_str());
        ASSERT_NE(s, nullptr);
        const unsigned char* bottom = static_cast<unsigned char*>(s->pixels);
        EXPECT_EQ((std::array<int, 3>{bottom[0], bottom[1], bottom[2]}), (std::array<int, 3>{255, 128, 0}));
        const unsigned char* top = bottom + s->pitch;
        EXPECT_EQ(top[3], 255);
        EXPECT_EQ(top[4], 128);
        if (bits > 1) {
            EXPECT_EQ((std::array<int, 3>{top[6], top[7], top[8]}), (std::array<int, 3>{0x10, 0x20, 0x30}));
        }
        SDL_FreeSurface(s);
    }
}

TEST(LoadBMP, MissingFileIsOneLineInEachLanguage)
{
    const std::string path = tempPath("no-such.bmp");
    SDL_Surface* s = reinterpret_cast<SDL_Surface*>(1);
    const std::string polish = captureStderr([&] { s = LoadBMP(path.c_str()); });
    EXPECT_EQ(s, nullptr);
    const std::string head = "Nieudalo sie zaladowac" + path + ": ";
    EXPECT_EQ(polish.substr(0, head.size()), head);
    EXPECT_GT(polish.size(), head.size() + 1);  // SDL's reason follows
    EXPECT_EQ(polish.back(), '\n');
    EXPECT_EQ(std::count(polish.begin(), polish.end(), '\n'), 1);

    std::vector<char> writable(path.begin(), path.end());
    writable.push_back(0);
    const std::string english = captureStderr([&] { s = LoadBMP(writable.data()); });
    EXPECT_EQ(s, nullptr);
    const std::string englishHead = "Unable to load " + path + ": ";
    EXPECT_EQ(english.substr(0, englishHead.size()), englishHead);
    EXPECT_EQ(english.substr(englishHead.size()), polish.substr(head.size()));  // the same reason
}

TEST(LoadBMP, HeaderClaimingAHugePictureIsRefusedByName)
{
    Bmp b = picture(2, 2);
    std::vector<unsigned char> bytes = encodeBmp(b);
    const unsigned char side[4] = {0xFF, 0xFF, 0, 0};  // 65535
    memcpy(&bytes[18], side, 4);
    memcpy(&bytes[22], side, 4);
    const std::string path = tempPath("huge.bmp");
    writeFile(path, bytes);
    SDL_Surface* s = reinterpret_cast<SDL_Surface*>(1);
    const std::string said = captureStderr([&] { s = LoadBMP(path.c_str()); });
    EXPECT_EQ(s, nullptr);
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(Textures, ColourKeyMakesRedAndBlueAt255Transparent)
{
    const std::vector<uint32_t> colours = {0xFF00FF, 0xFFFFFF, 0xFF80FF, 0xFE00FF,
                                           0xFF00FE, 0x000000, 0x00FF00, 0xFF0000};
    const std::vector<int> alpha = {0, 0, 0, 255, 255, 255, 255, 255};
    Bmp b;
    b.width = 4;
    b.height = 2;
    b.pixels = colours;  // top row first: colours 0..3 on the top row
    GLuint name = LoadGLTexturesTransp(saveBmp("key.bmp", b).c_str());
    ASSERT_NE(name, 0u);
    const std::vector<unsigned char> t = textureBytes(name, 4, 2);
    for (int i = 0; i < 8; i++) {
        const int texel = (i < 4 ? 4 : 0) + i % 4;  // the top row is the second row of texels
        SCOPED_TRACE(testing::Message() << std::hex << colours[i]);
        EXPECT_EQ(t[4 * texel + 0], int(colours[i] >> 16));
        EXPECT_EQ(t[4 * texel + 1], int((colours[i] >> 8) & 255));
        EXPECT_EQ(t[4 * texel + 2], int(colours[i] & 255));
        EXPECT_EQ(t[4 * texel + 3], alpha[i]);
    }
}

TEST(Textures, EveryWidthUploadsItsOwnPixels)
{
    for (int w : {1, 2, 3, 4, 5, 8}) {
        SCOPED_TRACE(w);
        const Bmp b = picture(w, 4);
        GLuint name = LoadGLTexturesTransp(saveBmp("width.bmp", b).c_str());
        ASSERT_NE(name, 0u);
        GLint tw = 0, th = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
        EXPECT_EQ(tw, w);
        EXPECT_EQ(th, 4);
        const std::vector<unsigned char> t = textureBytes(name, w, 4);
        for (int r = 0; r < 4; r++)
            for (int j = 0; j < w; j++) {
                const unsigned char* p = &t[4 * (r * w + j)];
                EXPECT_EQ((std::array<int, 3>{p[0], p[1], p[2]}), rgbOf(b, j, 3 - r));
                EXPECT_EQ(p[3], 255);
            }
        glDeleteTextures(1, &name);
    }
}

TEST(Textures, MissingPictureGivesNoTextureAndOnePolishLine)
{
    GLuint name = 1;
    const std::string said = captureStderr([&] { name = LoadGLTexturesTransp("gfx/nothing-here.bmp"); });
    EXPECT_EQ(name, 0u);
    EXPECT_EQ(said.rfind("Nieudalo sie zaladowacgfx/nothing-here.bmp: ", 0), 0u) << said;
}

TEST(Textures, FontIsThreeComponentsAndAMissingFontLeavesItAlone)
{
    glBindTexture(GL_TEXTURE_2D, font);
    GLint components = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_ALPHA_SIZE, &components);
    EXPECT_EQ(components, 0);  // no alpha: the font is opaque RGB

    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const std::string empty = tempPath("");
    ASSERT_EQ(chdir(empty.c_str()), 0);
    const GLuint before = font;
    int made = 1;
    const std::string said = captureStderr([&] { made = LoadGLTextures(); });
    ASSERT_EQ(chdir(here), 0);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(font, before);
    EXPECT_EQ(said.rfind("Unable to load gfx/Font.bmp: ", 0), 0u) << said;
}
