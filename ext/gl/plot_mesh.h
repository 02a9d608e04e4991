// The labelled grid boxes the plots draw around their data: a 10 x 10 grid
// in one plane or in the three planes through a box's minimum corner, with
// the data ranges written as "X(a,b)" labels in the preloaded glyphs.
#pragma once

namespace gllib {

struct Range {
    double lo = 0, hi = 0;
    void order() {
        if (hi < lo) {
            const double t = lo;
            lo = hi;
            hi = t;
        }
    }
};

// Rectangle x by y at z = 0; labels for the ranges xl and yl.
void draw_mesh_2d(Range x, Range y, Range xl, Range yl);
// Box x by y by z; labels for the ranges xl, yl and zl.
void draw_mesh_3d(Range x, Range y, Range z, Range xl, Range yl, Range zl);

}  // namespace gllib
