// Function plotting: grid boxes with range labels, curves y = f(x) and
// (x(t), y(t)), surfaces z = f(x, y) and (x(u,v), y(u,v), z(u,v)).  The
// formulas are evaluated in the frame, which already holds the workspace.
#include <GL/gl.h>

#include "functions.h"
#include "library.h"
#include "plot_request.h"

namespace gllib {

namespace {

constexpr PlotKind kPlot{u"fgPlot", 1, false, kOptY};
constexpr PlotKind kParaPlot{u"fgParaPlot", 2, false, kOptXY};
constexpr PlotKind kPlot3d{u"fgPlot3d", 1, true, kOptZ};
constexpr PlotKind kParaPlot3d{u"fgParaPlot3d", 3, true, kOptXYZ};

// One sample: its coordinates before clamping (x, y, z).
struct Sample {
    double v[3];
    bool finite() const {
        return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]);
    }
};

double at(Range r, int i, int steps) {
    return i == steps ? r.hi : r.lo + i * (r.hi - r.lo) / steps;
}

// Samples the formulas over the parameter grid (rows = 1 for curves).
std::vector<Sample> sample(const PlotKind &kind, const PlotRequest &q) {
    const int rows = kind.surface ? q.steps[1] + 1 : 1;
    const int cols = q.steps[0] + 1;
    std::vector<Sample> out(size_t(rows) * cols);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < cols; ++i) {
            const double a = at(q.param[0], i, q.steps[0]);
            const double b = kind.surface ? at(q.param[1], j, q.steps[1]) : 0;
            Sample &s = out[size_t(j) * cols + i];
            s.v[2] = 0;
            if (kind.formulas == 1 && !kind.surface) {
                s.v[0] = a, s.v[1] = evaluate(q.formula[0], a);
            } else if (kind.formulas == 1) {
                s.v[0] = a, s.v[1] = b, s.v[2] = evaluate(q.formula[0], a, b);
            } else {
                for (int f = 0; f < kind.formulas; ++f) s.v[f] = evaluate(q.formula[f], a, b);
            }
        }
    return out;
}

// The data ranges: the parameters for the axes they span, the given
// option values, or the finite samples.
void value_ranges(const PlotKind &kind, PlotRequest &q, const std::vector<Sample> &samples) {
    const int dims = kind.surface ? 3 : 2;
    if (kind.formulas == 1) {
        q.value[0] = q.param[0];
        if (kind.surface) q.value[1] = q.param[1];
    }
    const int first = kind.formulas == 1 ? dims - 1 : 0;
    for (int d = first; d < dims; ++d) {
        if (!q.valueGiven) {
            bool any = false;
            for (const Sample &s : samples) cover(q.value[d], any, s.v[d]);
            if (!any) q.value[d] = {0, 0};
        }
        q.value[d].order();
    }
}

struct Point {
    Mapped m[3];
};

Point map_sample(const PlotRequest &q, const Sample &s, int dims) {
    Point p;
    for (int d = 0; d < dims; ++d) p.m[d] = map_value(s.v[d], q.value[d], q.axis[d]);
    return p;
}

void draw_curve(const PlotRequest &q, const std::vector<Sample> &samples) {
    glBegin(GL_LINES);
    for (size_t i = 1; i < samples.size(); ++i) {
        const Sample &s0 = samples[i - 1], &s1 = samples[i];
        // A NaN or infinite end has no place on the axes: the curve breaks.
        if (!s0.finite() || !s1.finite()) continue;
        const Point a = map_sample(q, s0, 2), b = map_sample(q, s1, 2);
        if (q.cut && ((a.m[0].bound && b.m[0].bound) || (a.m[1].bound && b.m[1].bound))) continue;
        glVertex3d(a.m[0].at, a.m[1].at, 0);
        glVertex3d(b.m[0].at, b.m[1].at, 0);
    }
    glEnd();
}

void vertex(const Point &p, bool inverted) {
    const double r = p.m[2].unit, g = p.m[1].unit, b = p.m[0].unit;
    if (inverted) glColor3d(1 - r, 1 - g, 1 - b);
    else glColor3d(r, g, b);
    glVertex3d(p.m[0].at, p.m[1].at, p.m[2].at);
}

// All four corners clamped to the same bound of one axis: the surface
// left the range there.
bool cut_away(const Point *c) {
    for (int d = 0; d < 3; ++d) {
        const int bound = c[0].m[d].bound;
        if (bound && c[1].m[d].bound == bound && c[2].m[d].bound == bound &&
            c[3].m[d].bound == bound)
            return true;
    }
    return false;
}

void draw_surface(const PlotRequest &q, const std::vector<Sample> &samples) {
    if (q.noDraw && q.noMesh) return;
    const int cols = q.steps[0] + 1, rows = q.steps[1] + 1;
    std::vector<Point> points(samples.size());
    for (size_t k = 0; k < samples.size(); ++k) points[k] = map_sample(q, samples[k], 3);
    auto index = [cols](int i, int j) { return size_t(j) * cols + i; };
    auto finite = [&](size_t k) { return samples[k].finite(); };

    if (!q.noDraw) {
        glBegin(GL_QUADS);
        for (int j = 0; j + 1 < rows; ++j)
            for (int i = 0; i + 1 < cols; ++i) {
                const size_t k[4] = {index(i, j), index(i + 1, j), index(i + 1, j + 1),
                                     index(i, j + 1)};
                if (!finite(k[0]) || !finite(k[1]) || !finite(k[2]) || !finite(k[3])) continue;
                const Point c[4] = {points[k[0]], points[k[1]], points[k[2]], points[k[3]]};
                if (q.cut && cut_away(c)) continue;
                for (const Point &p : c) vertex(p, false);
            }
        glEnd();
    }
    if (!q.noMesh) {
        glBegin(GL_LINES);
        for (int j = 0; j < rows; ++j)
            for (int i = 0; i < cols; ++i) {
                const size_t k = index(i, j);
                if (!finite(k)) continue;
                if (i + 1 < cols && finite(index(i + 1, j)))
                    vertex(points[k], true), vertex(points[index(i + 1, j)], true);
                if (j + 1 < rows && finite(index(i, j + 1)))
                    vertex(points[k], true), vertex(points[index(i, j + 1)], true);
            }
        glEnd();
    }
}

double plot(const PlotKind &kind, int m, double *args, TmCallContext *ctx) {
    PlotRequest q;
    if (!read_plot_request(kind, m, args, ctx, q)) return 0;
    // With the value ranges given and nothing to draw, no formula runs.
    const bool needSamples = !q.valueGiven || !q.noDraw || (kind.surface && !q.noMesh);
    std::vector<Sample> samples;
    if (needSamples) samples = sample(kind, q);
    value_ranges(kind, q, samples);
    if (!q.noAxes) {
        if (kind.surface)
            draw_mesh_3d(q.axis[0], q.axis[1], q.axis[2], q.value[0], q.value[1], q.value[2]);
        else
            draw_mesh_2d(q.axis[0], q.axis[1], q.value[0], q.value[1]);
    }
    if (kind.surface) draw_surface(q, samples);
    else if (!q.noDraw) draw_curve(q, samples);
    return 0;
}

}  // namespace

GLE_FUNCTION(sf_fgMesh) {
    ON_WINDOW_THREAD();
    if (argument_count(m) < 8) return report_error(u"fgMesh", 1, ctx);
    Range label[2] = {{args[4], args[5]}, {args[6], args[7]}};
    for (int i = 0; i < 2; ++i) {
        label[i].order();
        args[4 + 2 * i] = label[i].lo, args[5 + 2 * i] = label[i].hi;
    }
    draw_mesh_2d({args[0], args[1]}, {args[2], args[3]}, label[0], label[1]);
    return 0;
}

GLE_FUNCTION(sf_fgMesh3d) {
    ON_WINDOW_THREAD();
    if (argument_count(m) < 12) return report_error(u"fgMesh3d", 1, ctx);
    Range label[3] = {{args[6], args[7]}, {args[8], args[9]}, {args[10], args[11]}};
    for (int i = 0; i < 3; ++i) {
        label[i].order();
        args[6 + 2 * i] = label[i].lo, args[7 + 2 * i] = label[i].hi;
    }
    draw_mesh_3d({args[0], args[1]}, {args[2], args[3]}, {args[4], args[5]}, label[0], label[1],
                 label[2]);
    return 0;
}

GLE_FUNCTION(sf_fgPlot) { ON_WINDOW_THREAD(); return plot(kPlot, m, args, ctx); }
GLE_FUNCTION(sf_fgParaPlot) { ON_WINDOW_THREAD(); return plot(kParaPlot, m, args, ctx); }
GLE_FUNCTION(sf_fgPlot3d) { ON_WINDOW_THREAD(); return plot(kPlot3d, m, args, ctx); }
GLE_FUNCTION(sf_fgParaPlot3d) { ON_WINDOW_THREAD(); return plot(kParaPlot3d, m, args, ctx); }

}  // namespace gllib
