// What the browser's GL lacks and the game draws with. WebGL has no display
// lists, the emulated immediate mode wants every vertex of a block to carry
// the same attributes (the game sets a colour once and lets the vertices
// share it), and WebGL refuses the old component counts 3 and 4 as texture
// formats. The game's calls stay as they are; the link hands them here
// first (-Wl,--wrap), and what reaches the real GL is what it can take.
// The same place leaves out the drawing of a picture the screen will not
// show: its clear and its blocks; the state calls still go through.
#include "web/layer.h"

#include <GL/gl.h>

#include <map>
#include <vector>

extern "C" {
void __real_glClear(GLbitfield mask);
void __real_glBegin(GLenum mode);
void __real_glEnd(void);
void __real_glVertex3f(GLfloat x, GLfloat y, GLfloat z);
void __real_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a);
void __real_glTexCoord2f(GLfloat s, GLfloat t);
void __real_glTranslated(GLdouble x, GLdouble y, GLdouble z);
void __real_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                         GLint border, GLenum format, GLenum type, const GLvoid* pixels);
}

namespace {

struct Vertex {
    GLfloat x, y, z, r, g, b, a, s, t;
};

// GL's own rule: a vertex takes the colour and texture coordinate current
// when it is given, whatever came before it in the block.
GLfloat colour[4] = {1, 1, 1, 1};
GLfloat coord[2] = {0, 0};
bool inBlock;
bool drawing = true;
GLenum blockMode;
std::vector<Vertex> block;

// One recorded call of a list: the calls the font's lists are made of.
struct Call {
    enum Kind { Begin, End, Vertex, Colour, Coord, Translate } kind;
    GLenum mode;
    GLdouble v[4];
};
std::map<GLuint, std::vector<Call>> lists;
GLuint nextList = 1;
GLuint recording;  // 0 when no list is being made
bool executeToo;   // GL_COMPILE_AND_EXECUTE
GLuint listBase;

void begin(GLenum mode)
{
    inBlock = true;
    blockMode = mode;
    block.clear();
}

void vertex(GLfloat x, GLfloat y, GLfloat z)
{
    if (inBlock)  // a vertex outside a block draws nothing in GL either
        block.push_back({x, y, z, colour[0], colour[1], colour[2], colour[3], coord[0], coord[1]});
}

void end()
{
    if (!inBlock)
        return;
    inBlock = false;
    if (!drawing)
        return;
    __real_glBegin(blockMode);
    for (const Vertex& v : block) {
        __real_glColor4f(v.r, v.g, v.b, v.a);
        __real_glTexCoord2f(v.s, v.t);
        __real_glVertex3f(v.x, v.y, v.z);
    }
    __real_glEnd();
}

void run(const Call& c)
{
    switch (c.kind) {
    case Call::Begin:
        begin(c.mode);
        break;
    case Call::End:
        end();
        break;
    case Call::Vertex:
        vertex(GLfloat(c.v[0]), GLfloat(c.v[1]), GLfloat(c.v[2]));
        break;
    case Call::Colour:
        for (int i = 0; i < 4; i++)
            colour[i] = GLfloat(c.v[i]);
        break;
    case Call::Coord:
        coord[0] = GLfloat(c.v[0]);
        coord[1] = GLfloat(c.v[1]);
        break;
    case Call::Translate:
        __real_glTranslated(c.v[0], c.v[1], c.v[2]);
        break;
    }
}

// Records the call into the list being made, and says whether it is to be
// carried out now as well.
bool record(Call c)
{
    if (!recording)
        return true;
    lists[recording].push_back(c);
    return executeToo;
}

void callList(GLuint name)
{
    const auto found = lists.find(name);
    if (found == lists.end())
        return;  // GL ignores names that are no list
    for (const Call& c : found->second)
        run(c);
}

}  // namespace

void drawPictures(bool yes)
{
    drawing = yes;
}

extern "C" {

void __wrap_glClear(GLbitfield mask)
{
    if (drawing)
        __real_glClear(mask);
}

void __wrap_glBegin(GLenum mode)
{
    if (record({Call::Begin, mode, {}}))
        begin(mode);
}

void __wrap_glEnd(void)
{
    if (record({Call::End, 0, {}}))
        end();
}

void __wrap_glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    if (record({Call::Vertex, 0, {x, y, z}}))
        vertex(x, y, z);
}

void __wrap_glVertex2i(GLint x, GLint y)
{
    __wrap_glVertex3f(GLfloat(x), GLfloat(y), 0);
}

void __wrap_glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    const Call c = {Call::Colour, 0, {r, g, b, a}};
    if (record(c))
        run(c);
}

void __wrap_glColor3f(GLfloat r, GLfloat g, GLfloat b)
{
    __wrap_glColor4f(r, g, b, 1);
}

void __wrap_glTexCoord2f(GLfloat s, GLfloat t)
{
    const Call c = {Call::Coord, 0, {s, t}};
    if (record(c))
        run(c);
}

void __wrap_glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    const Call c = {Call::Translate, 0, {x, y, z}};
    if (record(c))
        run(c);
}

// Desktop GL reads the component counts 1 to 4 as these formats.
void __wrap_glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                         GLint border, GLenum format, GLenum type, const GLvoid* pixels)
{
    static const GLint byCount[] = {0, GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    if (internalformat >= 1 && internalformat <= 4)
        internalformat = byCount[internalformat];
    __real_glTexImage2D(target, level, internalformat, width, height, border, format, type, pixels);
}

// WebGL always interpolates colours across a primitive, which is the
// GL_SMOOTH the game asks for; it has no flat shading to switch to.
void __wrap_glShadeModel(GLenum)
{
}

GLuint glGenLists(GLsizei range)
{
    if (range <= 0)
        return 0;
    const GLuint first = nextList;
    nextList += GLuint(range);
    return first;
}

void glNewList(GLuint name, GLenum mode)
{
    if (name == 0 || recording)
        return;  // GL_INVALID_VALUE, GL_INVALID_OPERATION
    recording = name;
    executeToo = mode == GL_COMPILE_AND_EXECUTE;
    lists[name].clear();
}

void glEndList(void)
{
    recording = 0;
}

void glListBase(GLuint base)
{
    listBase = base;
}

void glCallList(GLuint name)
{
    callList(name);
}

// Each element names the list listBase + element; the game passes its text
// as GL_BYTE, so bytes read as signed.
void glCallLists(GLsizei n, GLenum type, const GLvoid* names)
{
    for (GLsizei i = 0; i < n; i++) {
        GLint offset;
        if (type == GL_BYTE)
            offset = static_cast<const GLbyte*>(names)[i];
        else if (type == GL_UNSIGNED_BYTE)
            offset = static_cast<const GLubyte*>(names)[i];
        else
            return;  // no other type is used here
        callList(listBase + GLuint(offset));
    }
}

void glDeleteLists(GLuint name, GLsizei range)
{
    for (GLsizei i = 0; i < range; i++)
        lists.erase(name + GLuint(i));
}

GLboolean glIsList(GLuint name)
{
    return lists.count(name) ? GL_TRUE : GL_FALSE;
}

}  // extern "C"
