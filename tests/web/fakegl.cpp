#include "fakegl.h"

#include <GL/glu.h>

#include <cstring>
#include <map>

namespace fakegl {
Drawn drawn;
void forget()
{
    drawn = Drawn();
}
}  // namespace fakegl

namespace {
using fakegl::drawn;

struct Texture {
    int w = 0, h = 0;
    GLint format = 0;
    std::vector<unsigned char> rgba;
};
std::map<GLuint, Texture> textures;
GLuint nextTexture = 1, bound;
GLint unpackAlignment = 4;

GLfloat colour[4] = {1, 1, 1, 1}, coord[2];
bool inBlock;
}  // namespace

extern "C" {
void glBegin(GLenum mode)
{
    inBlock = true;
    drawn.blocks.push_back({mode, {}});
}
void glEnd(void)
{
    inBlock = false;
}
void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    colour[0] = r, colour[1] = g, colour[2] = b, colour[3] = a;
}
void glTexCoord2f(GLfloat s, GLfloat t)
{
    coord[0] = s, coord[1] = t;
}
void glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (inBlock)
        drawn.blocks.back().vertices.push_back({x, y, z, colour[0], colour[1], colour[2], colour[3], coord[0], coord[1]});
}
void glClear(GLbitfield)
{
    drawn.clears++;
}
void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    drawn.translations.push_back({x, y, z});
}

void glGenTextures(GLsizei n, GLuint* names)
{
    for (GLsizei i = 0; i < n; i++)
        names[i] = nextTexture++;
}
void glDeleteTextures(GLsizei n, const GLuint* names)
{
    for (GLsizei i = 0; i < n; i++)
        textures.erase(names[i]);
}
void glBindTexture(GLenum, GLuint name)
{
    bound = name;
}
void glPixelStorei(GLenum name, GLint value)
{
    if (name == GL_UNPACK_ALIGNMENT)
        unpackAlignment = value;
}
// WebGL takes only named formats, and the pixel format must match.
void glTexImage2D(GLenum, GLint, GLint format, GLsizei w, GLsizei h, GLint, GLenum pixelFormat, GLenum,
                  const GLvoid* pixels)
{
    const bool named = format == GL_RGB || format == GL_RGBA || format == GL_LUMINANCE ||
                       format == GL_LUMINANCE_ALPHA || format == GL_ALPHA;
    if (!named || GLenum(format) != pixelFormat || (pixelFormat != GL_RGB && pixelFormat != GL_RGBA)) {
        drawn.refused++;
        return;
    }
    drawn.formats.push_back(format);
    Texture& t = textures[bound];
    t.w = w, t.h = h, t.format = format;
    t.rgba.assign(size_t(w) * h * 4, 0);
    const int size = pixelFormat == GL_RGB ? 3 : 4;
    const int stride = (w * size + unpackAlignment - 1) / unpackAlignment * unpackAlignment;
    for (int r = 0; r < h; r++)
        for (int j = 0; j < w; j++) {
            const unsigned char* in = static_cast<const unsigned char*>(pixels) + r * stride + j * size;
            unsigned char* out = &t.rgba[4 * (size_t(r) * w + j)];
            memcpy(out, in, size_t(size));
            if (size == 3)
                out[3] = 255;
        }
}
void glGetTexImage(GLenum, GLint, GLenum, GLenum, GLvoid* pixels)
{
    const Texture& t = textures[bound];
    memcpy(pixels, t.rgba.data(), t.rgba.size());
}
void glGetTexLevelParameteriv(GLenum, GLint, GLenum name, GLint* value)
{
    const Texture& t = textures[bound];
    *value = name == GL_TEXTURE_WIDTH ? t.w : name == GL_TEXTURE_HEIGHT ? t.h
             : name == GL_TEXTURE_ALPHA_SIZE ? (t.format == GL_RGBA ? 8 : 0) : 0;
}
void glGetIntegerv(GLenum name, GLint* value)
{
    *value = name == GL_MAX_TEXTURE_SIZE ? 4096 : 0;
}

// The rest only sets state the recorded drawing does not need.
void glTexParameteri(GLenum, GLenum, GLint) {}
void glLoadIdentity(void) {}
void glBlendFunc(GLenum, GLenum) {}
void glEnable(GLenum) {}
void glDisable(GLenum) {}
GLboolean glIsEnabled(GLenum) { return GL_FALSE; }
void glGetFloatv(GLenum, GLfloat* values) { memset(values, 0, 16 * sizeof *values); }
void glViewport(GLint, GLint, GLsizei, GLsizei) {}
void glClearColor(GLclampf, GLclampf, GLclampf, GLclampf) {}
void glClearDepth(GLclampd) {}
void glDepthFunc(GLenum) {}
void glShadeModel(GLenum) {}
void glMatrixMode(GLenum) {}
void glPushMatrix(void) {}
void glPopMatrix(void) {}
void glOrtho(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble) {}
void glTranslatef(GLfloat, GLfloat, GLfloat) {}
void glReadBuffer(GLenum) {}
void glReadPixels(GLint, GLint, GLsizei w, GLsizei h, GLenum, GLenum, GLvoid* pixels) { memset(pixels, 0, size_t(w) * h * 3); }
void gluPerspective(GLdouble, GLdouble, GLdouble, GLdouble) {}
}
