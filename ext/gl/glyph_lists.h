// Glyph meshes as OpenGL geometry: the front face at z = 0, the back face
// extruded by 0.1 toward -z, side walls between them; each character then
// moves the pen by its advance, as outline font lists do.  Window thread
// only, with the rendering context current.
#pragma once

#include <GL/gl.h>

#include <string_view>

#include "glyph_outlines.h"

namespace gllib {

inline constexpr int kPreloadedGlyphs = 256;
inline constexpr double kGlyphDepth = 0.1;

// The text resources of one rendering context: lists for characters 0 to 255
// and one list redrawn for any single character.
struct GlyphLists {
    GLuint base = 0;
    GLuint single = 0;
};

bool create_glyph_lists(GlyphLists &lists);
void delete_glyph_lists(GlyphLists &lists);

// Emits one character's geometry and the advance (into the list being
// compiled, if any).
void emit_glyph(const GlyphMesh &mesh);

// Draws text with the preloaded lists (characters above 255 draw nothing).
void print_preloaded(const GlyphLists &lists, std::u16string_view text);
// Draws text character by character through the single list.
void print_on_demand(const GlyphLists &lists, std::u16string_view text);

// The characters of UTF-16 text (surrogate pairs joined).
template <typename Visit> void for_each_character(std::u16string_view text, Visit visit) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        visit(c);
    }
}

}  // namespace gllib
