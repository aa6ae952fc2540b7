// Pictures a player may put in gfx/ by mistake or on purpose: each one is
// either shown as it is or refused with one line naming it, by both loaders,
// without the process growing by more than a normal picture needs.
#include "gfx/bitmap.h"
#include "gfx/gprint.h"
#include "gfx/loader.h"
#include "host.h"
#include "support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <fstream>

namespace {

using Bytes = std::vector<unsigned char>;

// Four colours that every depth stores exactly, 16 bits included.
const std::vector<uint32_t> colours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};

// A w x h picture of those colours, no two neighbours alike, with a
// palette for the small depths (the pixel values are then indices).
Bmp picture(int w, int h, int bits = 24)
{
    Bmp b;
    b.width = w;
    b.height = h;
    b.bits = bits;
    const int kinds = bits == 1 ? 2 : 4;
    for (int i = 0; i < w * h; i++) {
        const int index = (i + i / w) % kinds;
        b.pixels.push_back(bits <= 8 ? uint32_t(index) : colours[index]);
    }
    if (bits <= 8)
        b.palette.assign(colours.begin(), colours.begin() + kinds);
    return b;
}

// The colour each pixel should show, top row first.
std::vector<uint32_t> seen(const Bmp& b)
{
    std::vector<uint32_t> out;
    for (uint32_t p : b.pixels)
        out.push_back(b.bits <= 8 ? b.palette[p] : p);
    return out;
}

void put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (v >> (8 * i)) & 255;
}

// The same picture packed in runs (RLE8 or RLE4): runs of one index where
// it repeats, literal stretches of three or more otherwise.
Bytes runLength(const Bmp& b)
{
    const bool four = b.bits == 4;
    Bytes data;
    for (int r = b.height - 1; r >= 0; r--) {
        const uint32_t* row = &b.pixels[r * b.width];
        int j = 0;
        while (j < b.width) {
            int same = 1;
            while (j + same < b.width && row[j + same] == row[j] && same < 255)
                same++;
            int odd = 1;  // how far the pixels go on changing
            while (j + odd < b.width && row[j + odd] != row[j + odd - 1] && odd < 255)
                odd++;
            if (same == 1 && odd >= 3) {
                data.push_back(0);
                data.push_back(Uint8(odd));
                const size_t start = data.size();
                for (int i = 0; i < odd; i++) {
                    if (!four)
                        data.push_back(Uint8(row[j + i]));
                    else if (i % 2 == 0)
                        data.push_back(Uint8(row[j + i] << 4));
                    else
                        data.back() |= Uint8(row[j + i]);
                }
                if ((data.size() - start) % 2)
                    data.push_back(0);
                j += odd;
            } else {
                data.push_back(Uint8(same));
                data.push_back(Uint8(four ? row[j] << 4 | row[j] : row[j]));
                j += same;
            }
        }
        data.push_back(0);
        data.push_back(0);  // end of line
    }
    data.push_back(0);
    data.push_back(1);  // end of picture

    Bmp empty = b;
    empty.height = 0;
    Bytes file = encodeBmp(empty);
    put32(file, 22, uint32_t(b.height));
    put32(file, 30, four ? 2 : 1);
    put32(file, 34, uint32_t(data.size()));
    file.insert(file.end(), data.begin(), data.end());
    put32(file, 2, uint32_t(file.size()));
    return file;
}

Bytes withSides(Bytes bmp, uint32_t w, uint32_t h)
{
    put32(bmp, 18, w);
    put32(bmp, 22, h);
    return bmp;
}

Bytes cut(Bytes bytes, size_t n)
{
    bytes.resize(n);
    return bytes;
}

// A 2 x 2 PNG picture: a real one, just not a BMP.
const Bytes png = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
                   0x52, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x08, 0x02, 0x00, 0x00, 0x00, 0xfd,
                   0xd4, 0x9a, 0x73, 0x00, 0x00, 0x00, 0x11, 0x49, 0x44, 0x41, 0x54, 0x78, 0x9c, 0x63, 0xf8,
                   0xcf, 0xc0, 0x00, 0x44, 0x0c, 0x60, 0xf2, 0x3f, 0x00, 0x1b, 0xf2, 0x03, 0xfd, 0xf3, 0xe7,
                   0x4b, 0xb1, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

Bytes noise(size_t n, uint32_t seed, const char* start = "")
{
    Bytes b(start, start + strlen(start));
    while (b.size() < n) {
        seed = seed * 1664525u + 1013904223u;
        b.push_back(Uint8(seed >> 24));
    }
    return b;
}

Bytes fromHex(const char* hex)
{
    Bytes b;
    for (; hex[0] && hex[1]; hex += 2)
        b.push_back(Uint8(std::stoi(std::string(hex, 2), nullptr, 16)));
    return b;
}

enum Kind { File, Missing, Folder };

struct Case {
    const char* what;
    Kind kind;
    Bytes bytes;               // the file, for kind File
    std::vector<uint32_t> px;  // what it shows, top row first; empty when it must be refused
    int w, h;
    const char* because;  // a piece of the reason given, for refusals we word ourselves
};

Case shows(const char* what, const Bmp& b)
{
    return {what, File, encodeBmp(b), seen(b), b.width, b.height, nullptr};
}

// Shown where the SDL under the game decodes run-length packing, refused by
// name where it does not.
Case showsPacked(const char* what, const Bmp& b)
{
    if (!unpacksRunLength())
        return {what, File, runLength(b), {}, 0, 0, "Compressed BMP files not supported"};
    return {what, File, runLength(b), seen(b), b.width, b.height, nullptr};
}

Case refused(const char* what, Bytes bytes, const char* because = nullptr)
{
    return {what, File, std::move(bytes), {}, 0, 0, because};
}

// A 32-bit picture whose fourth bytes say something other than "opaque".
Case spareBytes(const char* what, const Bmp& b, Uint8 fourth)
{
    Bytes bytes = encodeBmp(b);
    for (size_t i = 54 + 3; i < bytes.size(); i += 4)
        bytes[i] = fourth;
    return {what, File, bytes, seen(b), b.width, b.height, nullptr};
}

Bmp topDown(Bmp b)
{
    b.topDown = true;
    return b;
}

// The table: one hostile (or merely unusual) picture per row.
std::vector<Case> table()
{
    const Bytes good = encodeBmp(picture(4, 4));
    return {
        {"missing file", Missing, {}, {}, 0, 0, "Couldn't open"},
        {"a folder where the file should be", Folder, {}, {}, 0, 0, folderRefusal()},
        refused("empty file", {}, "empty"),
        refused("header cut short after 20 bytes", cut(good, 20), "inside its header"),
        refused("header cut short after 40 bytes", cut(good, 40), nullptr),
        refused("pixel rows cut short", cut(good, good.size() - 10), "too short"),
        refused("nothing but the file header", cut(good, 14), "inside its header"),
        shows("1-bit palette", picture(5, 3, 1)),
        shows("4-bit palette", picture(5, 3, 4)),
        shows("8-bit palette", picture(5, 3, 8)),
        shows("16-bit 5-5-5", picture(5, 3, 16)),
        shows("24-bit", picture(5, 3, 24)),
        shows("32-bit", picture(5, 3, 32)),
        spareBytes("32-bit, the fourth bytes all 0", picture(5, 3, 32), 0),
        spareBytes("32-bit, the fourth bytes all 128", picture(5, 3, 32), 128),
        showsPacked("RLE8", picture(9, 3, 8)),
        showsPacked("RLE4", picture(9, 3, 4)),
        shows("rows from the top down (negative height)", topDown(picture(5, 3))),
        refused("width 0", withSides(good, 0, 4), "nothing to show"),
        refused("height 0", withSides(good, 4, 0), "nothing to show"),
        shows("width 1", picture(1, 3)),
        shows("width 2", picture(2, 3)),
        shows("width 3", picture(3, 3)),
        refused("65535 x 65535 with a few bytes of pixels", withSides(good, 65535, 65535), "larger than"),
        // Run-length files are small whatever size they claim; SDL would
        // decode the claim. The first is a fuzzer's find, byte for byte.
        refused("RLE4 claiming 16194 x 16194 in 31 bytes", fromHex("424d00000000210000010000000028000000423f0000423f00000130040002"),
                "16194 x 16194 pixels, larger than"),
        refused("RLE8 claiming 16384 x 16384", withSides(runLength(picture(9, 3, 8)), 16384, 16384), "larger than"),
        refused("4097 wide, run-length packed", withSides(runLength(picture(9, 3, 8)), 4097, 3), "larger than"),
        refused("the largest side this game takes, with a few bytes of pixels",
                withSides(good, uint32_t(largestTextureSide()), uint32_t(largestTextureSide())),
                "too short"),
        refused("negative width", withSides(good, uint32_t(-4), 4), "nothing to show"),
        refused("a PNG picture", png),
        refused("random bytes", noise(600, 7)),
        refused("random bytes after BM", noise(600, 11, "BM")),
    };
}

// A fresh folder holding gfx/<name> as the case has it.
std::string lay(const Case& c, const std::string& folder, const std::string& name)
{
    makeFolder(folder);
    makeFolder(folder + "/gfx");
    const std::string path = folder + "/gfx/" + name;
    rmdir(path.c_str());
    unlink(path.c_str());
    if (c.kind == File)
        writeFile(path, c.bytes);
    else if (c.kind == Folder)
        makeFolder(path);
    return path;
}

std::vector<unsigned char> texels(GLuint name, int w, int h)
{
    std::vector<unsigned char> out(size_t(w) * h * 4);
    glBindTexture(GL_TEXTURE_2D, name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, out.data());
    return out;
}

// The texture shows the picture: bottom row first, the colour key applied.
void expectPicture(GLuint name, const Case& c, bool keyed)
{
    GLint tw = 0, th = 0;
    glBindTexture(GL_TEXTURE_2D, name);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &tw);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &th);
    ASSERT_EQ(tw, c.w);
    ASSERT_EQ(th, c.h);
    const std::vector<unsigned char> t = texels(name, c.w, c.h);
    for (int r = 0; r < c.h; r++)
        for (int j = 0; j < c.w; j++) {
            const uint32_t want = c.px[(c.h - 1 - r) * c.w + j];
            const unsigned char* p = &t[4 * (r * c.w + j)];
            const int alpha = keyed && (want >> 16) == 255 && (want & 255) == 255 ? 0 : 255;
            EXPECT_EQ((std::array<int, 4>{p[0], p[1], p[2], p[3]}),
                      (std::array<int, 4>{int(want >> 16), int((want >> 8) & 255), int(want & 255), alpha}))
                << "texel " << j << ", " << r << " from the bottom";
        }
}

void expectOneLine(const std::string& said, const std::string& head, const Case& c)
{
    EXPECT_EQ(said.rfind(head, 0), 0u) << said;
    EXPECT_GT(said.size(), head.size() + 1) << "no reason given: " << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(said.back(), '\n');
    if (c.because) {
        EXPECT_NE(said.find(c.because), std::string::npos) << said;
    }
}

// A picture that can't be had may cost no more than a small one: the
// refusal comes before SDL sets aside room for what the header claims.
const long roomKb = 32 * 1024;

}  // namespace

TEST(BadBitmaps, EachIsShownOrRefusedByNameByTheColourKeyedLoader)
{
    int row = 0;
    for (const Case& c : table()) {
        SCOPED_TRACE(c.what);
        const std::string folder = tempPath("bad" + std::to_string(row++));
        const std::string path = lay(c, folder, "picture.bmp");
        ASSERT_TRUE(resetPeak());
        const long before = peakKb();
        GLuint name = 12345;
        const std::string said = captureStderr([&] { name = LoadGLTexturesTransp(path.c_str()); });
        EXPECT_LT(peakKb() - before, roomKb);
        if (c.px.empty()) {
            EXPECT_EQ(name, 0u);
            expectOneLine(said, "Nieudalo sie zaladowac" + path + ": ", c);
        } else {
            EXPECT_EQ(said, "");
            ASSERT_NE(name, 0u);
            expectPicture(name, c, true);
            glDeleteTextures(1, &name);
        }
    }
}

TEST(BadBitmaps, EachIsShownOrRefusedByNameAsTheFont)
{
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    const GLuint ours = font;
    int row = 0;
    for (const Case& c : table()) {
        SCOPED_TRACE(c.what);
        const std::string folder = tempPath("font" + std::to_string(row++));
        lay(c, folder, "Font.bmp");
        ASSERT_TRUE(resetPeak());
        ASSERT_EQ(chdir(folder.c_str()), 0);
        const long before = peakKb();
        int made = -1;
        const std::string said = captureStderr([&] { made = LoadGLTextures(); });
        const long grew = peakKb() - before;
        ASSERT_EQ(chdir(here), 0);
        EXPECT_LT(grew, roomKb);
        if (c.px.empty()) {
            EXPECT_EQ(made, 0);
            EXPECT_EQ(font, ours);
            expectOneLine(said, "Unable to load gfx/Font.bmp: ", c);
        } else {
            EXPECT_EQ(said, "");
            ASSERT_EQ(made, 1);
            ASSERT_NE(font, ours);
            expectPicture(font, c, false);
            glDeleteTextures(1, &font);
            font = ours;
        }
    }
}
