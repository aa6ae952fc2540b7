// Text as the window shows it, and the projection every screen draws through.
#include "gfx/gprint.h"
#include "shell/main.h"
#include "support.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>

namespace {

struct Box {
    int left = 800, top = 600, right = -1, bottom = -1;
    bool empty() const { return right < 0; }
};

// The lit pixels of the back buffer.
Box litBox()
{
    const std::vector<unsigned char> w = grabWindow();
    Box b;
    for (int y = 0; y < 600; y++)
        for (int x = 0; x < 800; x++) {
            const unsigned char* p = &w[3 * (y * 800 + x)];
            if (p[0] + p[1] + p[2] > 60) {
                b.left = std::min(b.left, x);
                b.right = std::max(b.right, x);
                b.top = std::min(b.top, y);
                b.bottom = std::max(b.bottom, y);
            }
        }
    return b;
}

void blankTextFrame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor3f(1, 1, 1);
}

// Prints with texture 0, so every glyph is a plain quad in the current colour.
Box quadsOf(int tx, int ty, const char* text, int set = 0)
{
    const GLuint real = font;
    font = 0;
    blankTextFrame();
    glPrint(tx, ty, text, set);
    font = real;
    return litBox();
}

std::vector<unsigned char> printed(const char* text, int set)
{
    blankTextFrame();
    glPrint(100, 200, text, set);
    return grabWindow();
}

}  // namespace

TEST(Font, TextOfKCharactersCoversTenPerCharacterPlusSix)
{
    for (int k : {1, 2, 5, 12}) {
        SCOPED_TRACE(k);
        const std::string text(k, 'M');
        const Box b = quadsOf(40, 300, text.c_str());
        // Text space (tx, ty) is window pixel (1.25 tx, 600 - 1.25 ty).
        EXPECT_NEAR(b.left, 50, 1);
        EXPECT_NEAR(b.right + 1, 1.25 * (40 + 10 * (k - 1) + 16), 1);
        EXPECT_NEAR(b.bottom + 1, 600 - 1.25 * 300, 1);
        EXPECT_NEAR(b.top, 600 - 1.25 * 316, 1);
    }
}

TEST(Font, GlyphsLieWhereTheWindowMappingSays)
{
    blankTextFrame();
    glPrint(200, 100, "Rallyo", 0);
    const Box b = litBox();
    ASSERT_FALSE(b.empty());
    EXPECT_GE(b.left, 250);
    EXPECT_LE(b.right, 250 + 1.25 * 66);
    EXPECT_GE(b.top, 600 - 1.25 * 116 - 1);
    EXPECT_LE(b.bottom, 600 - 125);
    // The glyphs are drawn, not plain quads: much of the box stays dark.
    EXPECT_LT(b.right - b.left, 1.25 * 66);
}

TEST(Font, StrayBytesDrawNothingButKeepTheirPlace)
{
    const auto blank = printed("A A~", 0);
    EXPECT_EQ(printed("A\x01" "A~", 0), blank);
    EXPECT_EQ(printed("A\x7f" "A~", 0), blank);
    EXPECT_EQ(printed("A\xc4" "A~", 0), blank);
    EXPECT_EQ(printed("", 0), printed(" ", 0));
}

TEST(Font, SetsAboveOneDrawAsOneAndBelowZeroAsZero)
{
    EXPECT_EQ(printed("Gracz 42", 2), printed("Gracz 42", 1));
    EXPECT_EQ(printed("Gracz 42", 7), printed("Gracz 42", 1));
    EXPECT_EQ(printed("Gracz 42", -3), printed("Gracz 42", 0));
}

TEST(Font, PrintLeavesMatricesAndTurnsDepthTestOn)
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    GLfloat modelBefore[16], projBefore[16], modelAfter[16], projAfter[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelBefore);
    glGetFloatv(GL_PROJECTION_MATRIX, projBefore);
    for (const char* text : {"", "Punkty:"}) {
        glDisable(GL_DEPTH_TEST);
        glPrint(54, 80, text, 0);
        EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
        GLint mode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &mode);
        EXPECT_EQ(mode, GL_MODELVIEW);
        glGetFloatv(GL_MODELVIEW_MATRIX, modelAfter);
        glGetFloatv(GL_PROJECTION_MATRIX, projAfter);
        EXPECT_EQ(0, memcmp(modelBefore, modelAfter, sizeof modelAfter));
        EXPECT_EQ(0, memcmp(projBefore, projAfter, sizeof projAfter));
    }
    glLoadIdentity();
}

TEST(Projection, CourtSpaceSeenAtFortyFiveDegreesFourToThree)
{
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(M_PI / 8);
    EXPECT_NEAR(m[5], f, 1e-6);
    EXPECT_NEAR(m[0], f / (800.0 / 600.0), 1e-6);  // not the integer quotient 1
    GLint depth = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &depth);
    EXPECT_EQ(depth, GL_LESS);

    // A paddle-sized quad at court x 7.8 to 8.0 lands around window pixel 781.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glDisable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, 0);
    glColor3f(1, 1, 1);
    glBegin(GL_QUADS);
    glVertex3f(8.0f, 0.7f, -15);
    glVertex3f(7.8f, 0.7f, -15);
    glVertex3f(7.8f, -0.7f, -15);
    glVertex3f(8.0f, -0.7f, -15);
    glEnd();
    const Box b = litBox();
    EXPECT_NEAR((b.left + b.right + 1) / 2.0, 781, 1.5);
    EXPECT_NEAR((b.top + b.bottom + 1) / 2.0, 300, 1.5);
}
