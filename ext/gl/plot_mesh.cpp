#include "plot_mesh.h"

#include <GL/gl.h>

#include <cstdio>
#include <string>

#include "glyph_lists.h"
#include "glyph_outlines.h"
#include "window_thread.h"

namespace gllib {

namespace {

constexpr int kDivisions = 10;

std::u16string label(char axis, Range r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%c(%3.2f,%3.2f)", axis, r.lo, r.hi);
    return std::u16string(buffer, buffer + std::char_traits<char>::length(buffer));
}

double text_width(const std::u16string &text) {
    double width = 0;
    for (char16_t c : text) width += glyph_source().mesh(c).advance;
    return width;
}

void write_at(const std::u16string &text, double x, double y, double z) {
    glPushMatrix();
    glTranslated(x, y, z);
    print_preloaded(window_context()->glyphs, text);
    glPopMatrix();
}

// The grid of one plane: lines across a by b, the point given as (a, b, c)
// placed on the axes by the caller's mapping.
template <typename Vertex> void plane_grid(Range a, Range b, Vertex vertex) {
    glBegin(GL_LINES);
    for (int i = 0; i <= kDivisions; ++i) {
        const double ta = a.lo + i * (a.hi - a.lo) / kDivisions;
        const double tb = b.lo + i * (b.hi - b.lo) / kDivisions;
        vertex(ta, b.lo), vertex(ta, b.hi);
        vertex(a.lo, tb), vertex(a.hi, tb);
    }
    glEnd();
}

}  // namespace

void draw_mesh_2d(Range x, Range y, Range xl, Range yl) {
    plane_grid(x, y, [](double a, double b) { glVertex3d(a, b, 0); });
    const double left = x.lo < x.hi ? x.lo : x.hi;
    const double top = y.lo < y.hi ? y.hi : y.lo;
    const double bottom = y.lo < y.hi ? y.lo : y.hi;
    const std::u16string yText = label('Y', yl), xText = label('X', xl);
    write_at(yText, left - text_width(yText), top + 0.2, 0);
    write_at(xText, left - text_width(xText), bottom - 1, 0);
}

void draw_mesh_3d(Range x, Range y, Range z, Range xl, Range yl, Range zl) {
    x.order(), y.order(), z.order();
    plane_grid(x, y, [&](double a, double b) { glVertex3d(a, b, z.lo); });
    plane_grid(x, z, [&](double a, double b) { glVertex3d(a, y.lo, b); });
    plane_grid(y, z, [&](double a, double b) { glVertex3d(x.lo, a, b); });
    write_at(label('X', xl), x.hi + 1, y.lo, z.lo);
    write_at(label('Y', yl), x.lo, y.hi + 1, z.lo);
    write_at(label('Z', zl), x.lo, y.lo, z.hi + 1);
}

}  // namespace gllib
