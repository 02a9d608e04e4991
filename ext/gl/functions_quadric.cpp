// GLU quadrics.  A script holds a quadric as a handle; every call looks it
// up in the quadric key type first, so a deleted or made-up handle is
// refused with error 1.  Subdivisions are bounded, so that one call cannot
// stall the window thread for minutes.
#include <algorithm>

#include "functions.h"
#include "library.h"
#include "object_keys.h"

namespace gllib {

namespace {

constexpr int64_t kMaxSubdivisions = 1024;

GLint subdivisions(double slot) {
    return GLint(std::clamp<int64_t>(integer_arg(slot), 0, kMaxSubdivisions));
}

}  // namespace

GLE_FUNCTION(sf_gluNewQuadric) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    const uint32_t handle = file_quadric(gluNewQuadric());
    return handle ? extproto::handle_as_real(handle) : 0;
}

#define WITH_QUADRIC(name, q)                                   \
    ON_WINDOW_THREAD();                                         \
    GLUquadric *q = find_quadric(handle_arg(args[0]));          \
    if (!q) return report_error(name, 1, ctx)

GLE_FUNCTION(sf_gluQuadricDrawStyle) {
    (void)m;
    WITH_QUADRIC(u"gluQuadricDrawStyle", q);
    gluQuadricDrawStyle(q, GLenum(integer_arg(args[1])));
    return 0;
}

GLE_FUNCTION(sf_gluQuadricNormals) {
    (void)m;
    WITH_QUADRIC(u"gluQuadricNormals", q);
    gluQuadricNormals(q, GLenum(integer_arg(args[1])));
    return 0;
}

GLE_FUNCTION(sf_gluSphere) {
    (void)m;
    WITH_QUADRIC(u"gluSphere", q);
    gluSphere(q, args[1], subdivisions(args[2]), subdivisions(args[3]));
    return 0;
}

GLE_FUNCTION(sf_gluQuadricOrientation) {
    (void)m;
    WITH_QUADRIC(u"gluQuadricOrientation", q);
    gluQuadricOrientation(q, GLenum(integer_arg(args[1])));
    return 0;
}

GLE_FUNCTION(sf_gluQuadricTexture) {
    (void)m;
    WITH_QUADRIC(u"gluQuadricTexture", q);
    gluQuadricTexture(q, args[1] != 0 ? GL_TRUE : GL_FALSE);
    return 0;
}

// Any thread: deleting needs no rendering context.
GLE_FUNCTION(sf_gluDeleteQuadric) {
    (void)m, (void)ctx;
    delete_quadric(handle_arg(args[0]));
    return 0;
}

GLE_FUNCTION(sf_gluCylinder) {
    (void)m;
    WITH_QUADRIC(u"gluCylinder", q);
    gluCylinder(q, args[1], args[2], args[3], subdivisions(args[4]), subdivisions(args[5]));
    return 0;
}

GLE_FUNCTION(sf_gluDisk) {
    (void)m;
    WITH_QUADRIC(u"gluDisk", q);
    gluDisk(q, args[1], args[2], subdivisions(args[3]), subdivisions(args[4]));
    return 0;
}

GLE_FUNCTION(sf_gluPartialDisk) {
    (void)m;
    WITH_QUADRIC(u"gluPartialDisk", q);
    gluPartialDisk(q, args[1], args[2], subdivisions(args[3]), subdivisions(args[4]), args[5],
                   args[6]);
    return 0;
}

}  // namespace gllib
