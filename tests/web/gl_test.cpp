// What the browser layer hands on to a GL that has no display lists, takes
// a block's vertices only with all their attributes, and knows texture
// formats only by name.
#include "fakegl.h"
#include "gfx/gprint.h"
#include "web/layer.h"

#include <gtest/gtest.h>

namespace {

using fakegl::drawn;

struct Layer : testing::Test {
    void SetUp() override
    {
        glTexCoord2f(0, 0);
        glColor4f(1, 1, 1, 1);
        fakegl::forget();
    }
};

void square(float side)
{
    glVertex3f(side, side, -15);
    glVertex3f(-side, side, -15);
    glVertex3f(-side, -side, -15);
    glVertex3f(side, -side, -15);
}

}  // namespace

TEST_F(Layer, EveryVertexCarriesTheColourAndCoordinateCurrentWhenItWasGiven)
{
    // As the play screen draws: the colour once, inside the block, before
    // the first vertex; a coordinate before each.
    glBegin(GL_QUADS);
    glColor3f(0.25f, 0.5f, 0.75f);
    glTexCoord2f(1, 1);
    glVertex3f(9, 5, -15.1f);
    glTexCoord2f(0, 1);
    glVertex3f(-9, 5, -15.1f);
    glColor4f(1, 0, 0, 0.5f);
    glTexCoord2f(0, 0);
    glVertex3f(-9, -6.5f, -15.1f);
    glTexCoord2f(1, 0);
    glVertex3f(9, -6.5f, -15.1f);
    glEnd();
    // As the veils draw: no coordinates of their own, so all four take the
    // last one given, (1, 0).
    glColor4f(0, 0, 0, 0.3f);
    glBegin(GL_QUADS);
    square(10);
    glEnd();

    ASSERT_EQ(drawn.blocks.size(), 2u);
    const std::vector<fakegl::Vertex>& court = drawn.blocks[0].vertices;
    ASSERT_EQ(court.size(), 4u);
    EXPECT_EQ(drawn.blocks[0].mode, GLenum(GL_QUADS));
    for (int i = 0; i < 2; i++) {
        EXPECT_EQ(court[i].r, 0.25f);
        EXPECT_EQ(court[i].b, 0.75f);
        EXPECT_EQ(court[i].a, 1.0f);
    }
    for (int i = 2; i < 4; i++)
        EXPECT_EQ((std::vector<float>{court[i].r, court[i].g, court[i].a}), (std::vector<float>{1, 0, 0.5f}));
    EXPECT_EQ((std::vector<float>{court[0].s, court[0].t, court[3].s, court[3].t}), (std::vector<float>{1, 1, 1, 0}));
    EXPECT_EQ(court[2].y, -6.5f);
    EXPECT_EQ(court[2].z, -15.1f);

    const std::vector<fakegl::Vertex>& veil = drawn.blocks[1].vertices;
    ASSERT_EQ(veil.size(), 4u);
    for (const fakegl::Vertex& v : veil) {
        EXPECT_EQ((std::vector<float>{v.s, v.t}), (std::vector<float>{1, 0}));
        EXPECT_EQ((std::vector<float>{v.r, v.g, v.b, v.a}), (std::vector<float>{0, 0, 0, 0.3f}));
    }
}

TEST_F(Layer, APictureTheScreenWillNotShowDrawsNothingAndTheNextOneIsWhole)
{
    // As the menu draws: a clear, a coloured quad and text from the font's lists.
    const auto picture = [] {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glBegin(GL_QUADS);
        glColor3f(0.25f, 0.5f, 1);
        square(9);
        glEnd();
        glColor3f(1, 1, 0);
        glPrint(54, 120, "P1", 0);
    };
    drawPictures(false);
    picture();
    // A list made meanwhile is still made: start-up builds the font so.
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glBegin(GL_QUADS);
    square(2);
    glEnd();
    glEndList();
    EXPECT_EQ(drawn.clears, 0);
    EXPECT_TRUE(drawn.blocks.empty());

    drawPictures(true);
    picture();
    glCallList(list);
    EXPECT_EQ(drawn.clears, 1);
    ASSERT_EQ(drawn.blocks.size(), 4u);
    EXPECT_EQ(drawn.blocks[0].vertices[0].b, 1.0f);
    EXPECT_EQ(drawn.blocks[1].vertices[0].g, 1.0f);  // the text's yellow
    EXPECT_EQ(drawn.blocks[3].vertices.size(), 4u);
}

TEST_F(Layer, VerticesOutsideABlockAndAnEndWithoutABeginDrawNothing)
{
    square(1);
    glEnd();
    glBegin(GL_QUADS);
    glEnd();
    ASSERT_EQ(drawn.blocks.size(), 1u);
    EXPECT_TRUE(drawn.blocks[0].vertices.empty());
}

TEST_F(Layer, TheFontsListsDrawEachGlyphFromItsCellAndMoveTheMarkTenUnits)
{
    glColor3f(1, 0.5f, 0);
    glPrint(54, 80, "AB", 0);
    ASSERT_EQ(drawn.blocks.size(), 2u);
    // 'A' is glyph 33: column 1 of cell row 2; 'B' the next cell.
    const float s[2] = {0.0625f, 0.125f};
    for (int g = 0; g < 2; g++) {
        SCOPED_TRACE(g);
        const std::vector<fakegl::Vertex>& q = drawn.blocks[g].vertices;
        ASSERT_EQ(q.size(), 4u);
        const float x[4] = {0, 16, 16, 0}, y[4] = {0, 0, 16, 16};
        const float cs[4] = {s[g], s[g] + 0.0625f, s[g] + 0.0625f, s[g]};
        const float ct[4] = {0.8125f, 0.8125f, 0.875f, 0.875f};
        for (int i = 0; i < 4; i++) {
            EXPECT_EQ(q[i].x, x[i]);
            EXPECT_EQ(q[i].y, y[i]);
            EXPECT_EQ(q[i].s, cs[i]);
            EXPECT_EQ(q[i].t, ct[i]);
            EXPECT_EQ((std::vector<float>{q[i].r, q[i].g, q[i].b}), (std::vector<float>{1, 0.5f, 0}));
        }
    }
    // glPrint's own move to the text's place, then one advance per glyph.
    EXPECT_EQ(drawn.translations,
              (std::vector<std::vector<GLdouble>>{{54, 80, 0}, {10, 0, 0}, {10, 0, 0}}));
}

TEST_F(Layer, ListsAreOnlyRecordedWhileMadeAndEachByteNamesAListFromTheBase)
{
    const GLuint first = glGenLists(3);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(glGenLists(1), first + 3) << "names are not handed out twice";
    EXPECT_EQ(glGenLists(0), 0u);
    for (GLuint n = 0; n < 3; n++) {
        glNewList(first + n, GL_COMPILE);
        glBegin(GL_QUADS);
        square(float(n + 1));
        glEnd();
        glTranslated(double(n), 0, 0);
        glEndList();
    }
    EXPECT_TRUE(drawn.blocks.empty());
    EXPECT_TRUE(drawn.translations.empty());
    EXPECT_TRUE(glIsList(first + 2));

    // Signed bytes reach below the base: -1 names the list before it.
    glListBase(first + 1);
    const GLbyte names[] = {-1, 1, 0, 5};  // 5 is no list and draws nothing
    glCallLists(4, GL_BYTE, names);
    ASSERT_EQ(drawn.blocks.size(), 3u);
    EXPECT_EQ(drawn.blocks[0].vertices[0].x, 1.0f);
    EXPECT_EQ(drawn.blocks[1].vertices[0].x, 3.0f);
    EXPECT_EQ(drawn.blocks[2].vertices[0].x, 2.0f);
    EXPECT_EQ(drawn.translations, (std::vector<std::vector<GLdouble>>{{0, 0, 0}, {2, 0, 0}, {1, 0, 0}}));

    // Made anew, a list replaces what it held; compiled and run, it draws at once.
    fakegl::forget();
    glNewList(first, GL_COMPILE_AND_EXECUTE);
    glTranslated(7, 0, 0);
    glEndList();
    EXPECT_EQ(drawn.translations.size(), 1u);
    glListBase(first);
    const GLubyte zero[] = {0};
    glCallLists(1, GL_UNSIGNED_BYTE, zero);
    EXPECT_EQ(drawn.translations, (std::vector<std::vector<GLdouble>>{{7, 0, 0}, {7, 0, 0}}));
    EXPECT_TRUE(drawn.blocks.empty());

    glDeleteLists(first, 4);
    EXPECT_FALSE(glIsList(first + 2));
    fakegl::forget();
    glListBase(first + 1);
    glCallLists(4, GL_BYTE, names);
    EXPECT_TRUE(drawn.translations.empty());
}

TEST_F(Layer, ComponentCountsReachTheGlAsTheFormatsDesktopGlReadsThemAs)
{
    const unsigned char texels[16] = {};
    GLuint t;
    glGenTextures(1, &t);
    glBindTexture(GL_TEXTURE_2D, t);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glDeleteTextures(1, &t);
    EXPECT_EQ(drawn.formats, (std::vector<GLint>{GL_RGB, GL_RGBA, GL_RGBA}));
    EXPECT_EQ(drawn.refused, 0);
}
