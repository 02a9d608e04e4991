// Outline glyphs for text in scenes: FreeType outlines of a font that covers
// Chinese (found through fontconfig by coverage), flattened and tessellated
// with the GLU tessellator into triangles, in units of the font's em square.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace gllib {

// One character's geometry: front-face triangles (x, y per corner) and the
// edges of its contours (x0, y0, x1, y1 per edge) that the extrusion turns
// into side walls; advance is where the next character starts.
struct GlyphMesh {
    std::vector<float> triangles;
    std::vector<float> edges;
    float advance = 0;
};

// The meshes of one font, made on first use and kept.  Used from the window
// thread only (FreeType and the GLU tessellator are not shared between
// threads).
class GlyphSource {
public:
    GlyphSource() = default;
    GlyphSource(const GlyphSource &) = delete;
    GlyphSource &operator=(const GlyphSource &) = delete;
    ~GlyphSource();

    // The mesh of a character; a character the font lacks gets the font's
    // missing-glyph shape, and without any font every mesh is empty.
    const GlyphMesh &mesh(char32_t c);

    // The font file in use ("" when none was found).
    const std::string &font_file();

private:
    bool open();
    bool make(char32_t c, GlyphMesh &out);

    bool tried_ = false;
    void *library_ = nullptr;  // FT_Library
    void *face_ = nullptr;     // FT_Face
    std::string file_;
    std::unordered_map<char32_t, GlyphMesh> cache_;
    GlyphMesh empty_;
};

// The process's glyph source (window thread only); dropped when the library
// stops.
GlyphSource &glyph_source();
void drop_glyph_source();

}  // namespace gllib
