#pragma once
// The GL under the browser layer when the tests run under node, where there
// is no WebGL: it records what the layer hands on, keeps texture images,
// and refuses what WebGL refuses.
#include <GL/gl.h>

#include <vector>

namespace fakegl {
struct Vertex {
    GLfloat x, y, z, r, g, b, a, s, t;
};
struct Block {
    GLenum mode;
    std::vector<Vertex> vertices;
};
// What reached the GL: the clears, each glBegin/glEnd block, and each translation.
struct Drawn {
    int clears = 0;
    std::vector<Block> blocks;
    std::vector<std::vector<GLdouble>> translations;
    std::vector<GLint> formats;  // the internal format of each texture upload that was taken
    int refused = 0;             // uploads refused as WebGL would
};
extern Drawn drawn;
void forget();  // starts a fresh record; textures stay
}  // namespace fakegl
