#include "glyph_lists.h"

namespace gllib {

namespace {

void emit_faces(const GlyphMesh &mesh) {
    const auto &t = mesh.triangles;
    glBegin(GL_TRIANGLES);
    glNormal3d(0, 0, 1);
    for (size_t i = 0; i + 1 < t.size(); i += 2) glVertex3d(t[i], t[i + 1], 0);
    // The back face, wound the other way so it faces -z.
    glNormal3d(0, 0, -1);
    for (size_t i = 0; i + 5 < t.size(); i += 6) {
        glVertex3d(t[i + 4], t[i + 5], -kGlyphDepth);
        glVertex3d(t[i + 2], t[i + 3], -kGlyphDepth);
        glVertex3d(t[i], t[i + 1], -kGlyphDepth);
    }
    glEnd();
}

void emit_sides(const GlyphMesh &mesh) {
    const auto &e = mesh.edges;
    glBegin(GL_QUADS);
    for (size_t i = 0; i + 3 < e.size(); i += 4) {
        const double dx = e[i + 2] - e[i], dy = e[i + 3] - e[i + 1];
        glNormal3d(dy, -dx, 0);
        glVertex3d(e[i], e[i + 1], 0);
        glVertex3d(e[i], e[i + 1], -kGlyphDepth);
        glVertex3d(e[i + 2], e[i + 3], -kGlyphDepth);
        glVertex3d(e[i + 2], e[i + 3], 0);
    }
    glEnd();
}

bool compiling_a_list() {
    GLint index = 0;
    glGetIntegerv(GL_LIST_INDEX, &index);
    return index != 0;
}

}  // namespace

void emit_glyph(const GlyphMesh &mesh) {
    if (!mesh.triangles.empty()) emit_faces(mesh);
    if (!mesh.edges.empty()) emit_sides(mesh);
    glTranslated(mesh.advance, 0, 0);
}

bool create_glyph_lists(GlyphLists &lists) {
    lists.base = glGenLists(kPreloadedGlyphs);
    lists.single = glGenLists(1);
    if (lists.base == 0 || lists.single == 0) {
        delete_glyph_lists(lists);
        return false;
    }
    GlyphSource &source = glyph_source();
    for (int c = 0; c < kPreloadedGlyphs; ++c) {
        glNewList(lists.base + GLuint(c), GL_COMPILE);
        emit_glyph(source.mesh(char32_t(c)));
        glEndList();
    }
    return true;
}

void delete_glyph_lists(GlyphLists &lists) {
    if (lists.base) glDeleteLists(lists.base, kPreloadedGlyphs);
    if (lists.single) glDeleteLists(lists.single, 1);
    lists = {};
}

void print_preloaded(const GlyphLists &lists, std::u16string_view text) {
    if (!lists.base) return;
    for (char16_t c : text) {
        if (c < kPreloadedGlyphs) glCallList(lists.base + c);
    }
}

// A list cannot be started while another is compiled: then the geometry
// goes straight into the list being compiled.
void print_on_demand(const GlyphLists &lists, std::u16string_view text) {
    GlyphSource &source = glyph_source();
    const bool direct = !lists.single || compiling_a_list();
    for_each_character(text, [&](char32_t c) {
        const GlyphMesh &mesh = source.mesh(c);
        if (direct) {
            emit_glyph(mesh);
            return;
        }
        glNewList(lists.single, GL_COMPILE);
        emit_glyph(mesh);
        glEndList();
        glCallList(lists.single);
    });
}

}  // namespace gllib
