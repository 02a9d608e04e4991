#include "glyph_outlines.h"

#include <GL/glu.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <array>
#include <deque>
#include <memory>
#include <new>

namespace gllib {

namespace {

// Enough characters for every text of a scene; beyond it the cache starts
// over rather than grow without bound.
constexpr size_t kCacheLimit = 4096;
// Straight pieces per curve segment of an outline.
constexpr int kCurveSteps = 6;

// A character every CJK font has: fontconfig is asked for a font covering it.
constexpr FcChar32 kProbeCharacter = 0x4E2D;

std::string find_font_file(int *index) {
    std::string file;
    if (!FcInit()) return file;
    FcPattern *pattern = FcPatternCreate();
    FcCharSet *chars = FcCharSetCreate();
    if (pattern && chars) {
        FcCharSetAddChar(chars, kProbeCharacter);
        FcPatternAddCharSet(pattern, FC_CHARSET, chars);
        FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8 *>("zh-cn"));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern *match = FcFontMatch(nullptr, pattern, &result);
        if (match) {
            FcCharSet *covered = nullptr;
            FcChar8 *path = nullptr;
            if (FcPatternGetCharSet(match, FC_CHARSET, 0, &covered) == FcResultMatch &&
                FcCharSetHasChar(covered, kProbeCharacter) &&
                FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
                file = reinterpret_cast<const char *>(path);
                if (FcPatternGetInteger(match, FC_INDEX, 0, index) != FcResultMatch) *index = 0;
            }
            FcPatternDestroy(match);
        }
    }
    if (chars) FcCharSetDestroy(chars);
    if (pattern) FcPatternDestroy(pattern);
    return file;
}

// Contours of an outline as closed polygons, in em units.
struct Flattener {
    std::vector<std::vector<double>> contours;  // x, y pairs
    double scale = 1;
    double x = 0, y = 0;

    void point(double px, double py) {
        contours.back().push_back(px * scale);
        contours.back().push_back(py * scale);
        x = px;
        y = py;
    }
    static int move_to(const FT_Vector *to, void *self) {
        auto *f = static_cast<Flattener *>(self);
        f->contours.emplace_back();
        f->point(double(to->x), double(to->y));
        return 0;
    }
    static int line_to(const FT_Vector *to, void *self) {
        static_cast<Flattener *>(self)->point(double(to->x), double(to->y));
        return 0;
    }
    static int conic_to(const FT_Vector *c, const FT_Vector *to, void *self) {
        auto *f = static_cast<Flattener *>(self);
        const double x0 = f->x, y0 = f->y;
        for (int i = 1; i <= kCurveSteps; ++i) {
            const double t = double(i) / kCurveSteps, u = 1 - t;
            f->point(u * u * x0 + 2 * u * t * double(c->x) + t * t * double(to->x),
                     u * u * y0 + 2 * u * t * double(c->y) + t * t * double(to->y));
        }
        return 0;
    }
    static int cubic_to(const FT_Vector *c1, const FT_Vector *c2, const FT_Vector *to,
                        void *self) {
        auto *f = static_cast<Flattener *>(self);
        const double x0 = f->x, y0 = f->y;
        for (int i = 1; i <= kCurveSteps; ++i) {
            const double t = double(i) / kCurveSteps, u = 1 - t;
            const double a = u * u * u, b = 3 * u * u * t, cc = 3 * u * t * t, d = t * t * t;
            f->point(a * x0 + b * double(c1->x) + cc * double(c2->x) + d * double(to->x),
                     a * y0 + b * double(c1->y) + cc * double(c2->y) + d * double(to->y));
        }
        return 0;
    }
};

// What the GLU tessellator hands back: triangles only (an edge-flag callback
// keeps it from making fans and strips).
struct Tessellation {
    std::vector<float> *triangles = nullptr;
    std::deque<std::array<GLdouble, 3>> extra;  // vertices made at crossings
    bool failed = false;

    static void GLAPIENTRY begin(GLenum, void *) {}
    static void GLAPIENTRY end(void *) {}
    static void GLAPIENTRY edge_flag(GLboolean, void *) {}
    static void GLAPIENTRY vertex(void *v, void *self) {
        auto *t = static_cast<Tessellation *>(self);
        const GLdouble *p = static_cast<const GLdouble *>(v);
        t->triangles->push_back(float(p[0]));
        t->triangles->push_back(float(p[1]));
    }
    static void GLAPIENTRY combine(GLdouble coords[3], void *[4], GLfloat[4], void **out,
                                   void *self) {
        auto *t = static_cast<Tessellation *>(self);
        t->extra.push_back({coords[0], coords[1], coords[2]});
        *out = t->extra.back().data();
    }
    static void GLAPIENTRY error(GLenum, void *self) { static_cast<Tessellation *>(self)->failed = true; }
};

using Callback = void(GLAPIENTRY *)();

void tessellate(const std::vector<std::vector<double>> &contours, std::vector<float> &triangles) {
    GLUtesselator *tess = gluNewTess();
    if (!tess) return;
    Tessellation t;
    t.triangles = &triangles;
    gluTessCallback(tess, GLU_TESS_BEGIN_DATA, reinterpret_cast<Callback>(&Tessellation::begin));
    gluTessCallback(tess, GLU_TESS_END_DATA, reinterpret_cast<Callback>(&Tessellation::end));
    gluTessCallback(tess, GLU_TESS_EDGE_FLAG_DATA,
                    reinterpret_cast<Callback>(&Tessellation::edge_flag));
    gluTessCallback(tess, GLU_TESS_VERTEX_DATA, reinterpret_cast<Callback>(&Tessellation::vertex));
    gluTessCallback(tess, GLU_TESS_COMBINE_DATA,
                    reinterpret_cast<Callback>(&Tessellation::combine));
    gluTessCallback(tess, GLU_TESS_ERROR_DATA, reinterpret_cast<Callback>(&Tessellation::error));
    gluTessProperty(tess, GLU_TESS_WINDING_RULE, GLU_TESS_WINDING_NONZERO);
    gluTessNormal(tess, 0, 0, 1);
    // The tessellator keeps pointers to the vertices until the polygon ends.
    std::vector<std::vector<GLdouble>> points;
    points.reserve(contours.size());
    gluTessBeginPolygon(tess, &t);
    for (const auto &contour : contours) {
        if (contour.size() < 6) continue;
        points.emplace_back();
        std::vector<GLdouble> &p = points.back();
        p.reserve(contour.size() / 2 * 3);
        gluTessBeginContour(tess);
        for (size_t i = 0; i + 1 < contour.size(); i += 2) {
            p.push_back(contour[i]);
            p.push_back(contour[i + 1]);
            p.push_back(0);
        }
        for (size_t i = 0; i < p.size(); i += 3) gluTessVertex(tess, &p[i], &p[i]);
        gluTessEndContour(tess);
    }
    gluTessEndPolygon(tess);
    gluDeleteTess(tess);
    if (t.failed) triangles.clear();
}

void add_edges(const std::vector<std::vector<double>> &contours, std::vector<float> &edges) {
    for (const auto &contour : contours) {
        const size_t n = contour.size() / 2;
        if (n < 2) continue;
        for (size_t i = 0; i < n; ++i) {
            const size_t j = (i + 1) % n;
            edges.push_back(float(contour[2 * i]));
            edges.push_back(float(contour[2 * i + 1]));
            edges.push_back(float(contour[2 * j]));
            edges.push_back(float(contour[2 * j + 1]));
        }
    }
}

}  // namespace

GlyphSource::~GlyphSource() {
    if (face_) FT_Done_Face(static_cast<FT_Face>(face_));
    if (library_) FT_Done_FreeType(static_cast<FT_Library>(library_));
}

const std::string &GlyphSource::font_file() {
    open();
    return file_;
}

bool GlyphSource::open() {
    if (tried_) return face_ != nullptr;
    tried_ = true;
    int index = 0;
    file_ = find_font_file(&index);
    if (file_.empty()) return false;
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) return false;
    FT_Face face = nullptr;
    if (FT_New_Face(library, file_.c_str(), index, &face) != 0 || !FT_IS_SCALABLE(face)) {
        if (face) FT_Done_Face(face);
        FT_Done_FreeType(library);
        file_.clear();
        return false;
    }
    library_ = library;
    face_ = face;
    return true;
}

bool GlyphSource::make(char32_t c, GlyphMesh &out) {
    if (!open()) return false;
    FT_Face face = static_cast<FT_Face>(face_);
    const FT_UInt glyph = FT_Get_Char_Index(face, FT_ULong(c));
    if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE | FT_LOAD_NO_BITMAP) != 0) return false;
    if (face->glyph->format != FT_GLYPH_FORMAT_OUTLINE || face->units_per_EM == 0) return false;
    const double scale = 1.0 / face->units_per_EM;
    out.advance = float(double(face->glyph->advance.x) * scale);
    Flattener f;
    f.scale = scale;
    FT_Outline_Funcs funcs{};
    funcs.move_to = &Flattener::move_to;
    funcs.line_to = &Flattener::line_to;
    funcs.conic_to = &Flattener::conic_to;
    funcs.cubic_to = &Flattener::cubic_to;
    if (FT_Outline_Decompose(&face->glyph->outline, &funcs, &f) != 0) return false;
    tessellate(f.contours, out.triangles);
    add_edges(f.contours, out.edges);
    return true;
}

const GlyphMesh &GlyphSource::mesh(char32_t c) {
    if (auto found = cache_.find(c); found != cache_.end()) return found->second;
    try {
        if (cache_.size() >= kCacheLimit) cache_.clear();
        GlyphMesh made;
        if (!make(c, made)) return empty_;
        return cache_.emplace(c, std::move(made)).first->second;
    } catch (const std::bad_alloc &) {
        return empty_;
    }
}

namespace {
std::unique_ptr<GlyphSource> g_source;
}

GlyphSource &glyph_source() {
    if (!g_source) g_source = std::make_unique<GlyphSource>();
    return *g_source;
}

void drop_glyph_source() { g_source.reset(); }

}  // namespace gllib
