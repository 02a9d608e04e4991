// Thin wrappers of OpenGL calls.  Counts that make OpenGL allocate (list
// ranges) are bounded, so a wild number cannot exhaust memory.
#include <GL/gl.h>

#include <memory>
#include <new>

#include "functions.h"
#include "library.h"
#include "scene_state.h"
#include "window_thread.h"

namespace gllib {

namespace {

// More display lists than any scene uses; glGenLists makes an object for
// every id of the range.
constexpr int64_t kMaxListRange = 1 << 20;
constexpr int kLastPrimitive = 9;  // GL_POLYGON

}  // namespace

GLE_FUNCTION(sf_glClear) {
    (void)ctx;
    ON_WINDOW_THREAD();
    const int n = argument_count(m);
    if (n == 0) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    else if (n == 1) glClear(GLbitfield(integer_arg(args[0])));
    return 0;
}

GLE_FUNCTION(sf_glLoadIdentity) {
    (void)ctx;
    (void)args;
    ON_WINDOW_THREAD();
    glLoadIdentity();
    if (argument_count(m) == 0) {
        const Scene &s = scene();
        glTranslated(s.axes[0], s.axes[1], s.axes[2]);
    }
    return 0;
}

GLE_FUNCTION(sf_glTranslated) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glTranslated(args[0], args[1], args[2]);
    return 0;
}

GLE_FUNCTION(sf_glColor3d) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glColor3d(args[0], args[1], args[2]);
    return 0;
}

GLE_FUNCTION(sf_glBegin) {
    (void)m;
    ON_WINDOW_THREAD();
    Scene &s = scene();
    if (s.primitiveOpen) return report_error(u"glBegin", 1, ctx);
    const int64_t mode = integer_arg(args[0]);
    if (mode < 0 || mode > kLastPrimitive) return report_error(u"glBegin", 2, ctx);
    glBegin(GLenum(mode));
    s.primitiveOpen = true;
    return 0;
}

GLE_FUNCTION(sf_glEnd) {
    (void)m, (void)args;
    ON_WINDOW_THREAD();
    Scene &s = scene();
    if (!s.primitiveOpen) return report_error(u"glEnd", 1, ctx);
    glEnd();
    s.primitiveOpen = false;
    return 0;
}

GLE_FUNCTION(sf_glVertex3d) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glVertex3d(args[0], args[1], args[2]);
    return 0;
}

GLE_FUNCTION(sf_glRotated) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glRotated(args[0], args[1], args[2], args[3]);
    return 0;
}

GLE_FUNCTION(sf_glPointSize) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glPointSize(GLfloat(args[0] > 0 ? args[0] : 1));
    return 0;
}

GLE_FUNCTION(sf_glLineWidth) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glLineWidth(GLfloat(args[0] > 0 ? args[0] : 1));
    return 0;
}

GLE_FUNCTION(sf_glLineStipple) {
    (void)m;
    ON_WINDOW_THREAD();
    const int64_t factor = integer_arg(args[0]), pattern = integer_arg(args[1]);
    if (factor < 1 || factor > 256 || pattern < 0 || pattern > 65536)
        return report_error(u"glLineStipple", 1, ctx);
    glLineStipple(GLint(factor), GLushort(pattern));
    return 0;
}

GLE_FUNCTION(sf_glEnable) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glEnable(GLenum(integer_arg(args[0])));
    return 0;
}

GLE_FUNCTION(sf_glDisable) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glDisable(GLenum(integer_arg(args[0])));
    return 0;
}

GLE_FUNCTION(sf_glPolygonMode) {
    (void)m;
    ON_WINDOW_THREAD();
    const int64_t face = integer_arg(args[0]), mode = integer_arg(args[1]);
    const bool faceOk = face == GL_FRONT || face == GL_BACK || face == GL_FRONT_AND_BACK;
    const bool modeOk = mode == GL_POINT || mode == GL_LINE || mode == GL_FILL;
    if (!faceOk || !modeOk) return report_error(u"glPolygonMode", 1, ctx);
    glPolygonMode(GLenum(face), GLenum(mode));
    return 0;
}

GLE_FUNCTION(sf_glClearColor) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glClearColor(GLfloat(args[0]), GLfloat(args[1]), GLfloat(args[2]), GLfloat(args[3]));
    return 0;
}

GLE_FUNCTION(sf_glCallList) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glCallList(GLuint(integer_arg(args[0])));
    return 0;
}

GLE_FUNCTION(sf_glListBase) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glListBase(GLuint(integer_arg(args[0])));
    return 0;
}

GLE_FUNCTION(sf_glCallLists) {
    ON_WINDOW_THREAD();
    const int n = argument_count(m);
    if (n == 0) return 0;
    if (n == 1) {
        std::u16string_view text;
        if (!formula_string(ctx, args[0], text)) return report_error(u"glCallLists", 1, ctx);
        glCallLists(GLsizei(text.size()), GL_UNSIGNED_SHORT, text.data());
        return 0;
    }
    std::unique_ptr<GLuint[]> ids(new (std::nothrow) GLuint[size_t(n)]);
    if (!ids) return report_error(u"glCallLists", 2, ctx);
    for (int i = 0; i < n; ++i) ids[i] = GLuint(integer_arg(args[i]));
    // The ids are the lists themselves, whatever base is set.
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    glListBase(0);
    glCallLists(n, GL_UNSIGNED_INT, ids.get());
    glListBase(GLuint(base));
    return 0;
}

GLE_FUNCTION(sf_glGenLists) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    const int64_t count = integer_arg(args[0]);
    if (count <= 0 || count > kMaxListRange) return 0;
    return double(glGenLists(GLsizei(count)));
}

GLE_FUNCTION(sf_glNewList) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    const int64_t id = integer_arg(args[0]), mode = integer_arg(args[1]);
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) return 0;
    if (id <= 0 || id > UINT32_MAX) return 0;
    glNewList(GLuint(id), GLenum(mode));
    return 0;
}

GLE_FUNCTION(sf_glEndList) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    glEndList();
    return 0;
}

GLE_FUNCTION(sf_glVertex2d) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glVertex2d(args[0], args[1]);
    return 0;
}

GLE_FUNCTION(sf_glEdgeFlag) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glEdgeFlag(args[0] != 0 ? GL_TRUE : GL_FALSE);
    return 0;
}

GLE_FUNCTION(sf_glPushMatrix) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    glPushMatrix();
    return 0;
}

GLE_FUNCTION(sf_glPopMatrix) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    glPopMatrix();
    return 0;
}

GLE_FUNCTION(sf_glScaled) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    glScaled(args[0], args[1], args[2]);
    return 0;
}

GLE_FUNCTION(sf_glDeleteLists) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    const int64_t first = integer_arg(args[0]), count = integer_arg(args[1]);
    if (first <= 0 || first > UINT32_MAX || count <= 0 || count > kMaxListRange) return 0;
    glDeleteLists(GLuint(first), GLsizei(count));
    return 0;
}

}  // namespace gllib
