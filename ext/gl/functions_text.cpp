// Text in scenes: outline glyphs drawn from strings of the calling formula
// or from string objects, text-list blocks, the status lines.
#include <charconv>
#include <string>

#include "functions.h"
#include "glyph_lists.h"
#include "library.h"
#include "object_keys.h"
#include "text_index.h"
#include "window_thread.h"

namespace gllib {

namespace {

const GlyphLists &glyphs() { return window_context()->glyphs; }

double print_object(const char16_t *name, bool onDemand, double slot, TmCallContext *ctx) {
    std::u16string_view text;
    const StringObjectError e = string_object(slot, text);
    if (e != StringObjectError::None) return report_error(name, int(e), ctx);
    if (onDemand) print_on_demand(glyphs(), text);
    else print_preloaded(glyphs(), text);
    return 0;
}

// A value as "%3.2f" prints it, in the C convention whatever the locale.
std::u16string fixed_two(double value) {
    char buffer[400];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    std::string text = ec == std::errc() ? std::string(buffer, end) : std::string("?");
    while (text.size() < 3) text.insert(text.begin(), ' ');
    return std::u16string(text.begin(), text.end());
}

// Largest block gleCreatePrintCnList makes: one display list per character.
constexpr size_t kMaxBlockLength = 1 << 16;

double create_block(std::u16string_view text, TmCallContext *ctx) {
    if (text_block_count() >= text_block_limit())
        return report_error(u"gleCreatePrintCnList", 1, ctx);
    if (text.empty() || text.size() > kMaxBlockLength) return 0;
    size_t count = 0;
    for_each_character(text, [&](char32_t) { ++count; });
    const GLuint first = glGenLists(GLsizei(count));
    if (!first) return 0;
    GlyphSource &source = glyph_source();
    GLuint list = first;
    for_each_character(text, [&](char32_t c) {
        glNewList(list++, GL_COMPILE);
        emit_glyph(source.mesh(c));
        glEndList();
    });
    if (!text_index(GLsizei(count))) {
        glDeleteLists(first, GLsizei(count));
        return 0;
    }
    auto *block = new (std::nothrow) TextBlock{first, GLsizei(count), context_generation()};
    if (!block) {
        glDeleteLists(first, GLsizei(count));
        return 0;
    }
    return double(file_text_block(block));
}

}  // namespace

GLE_FUNCTION(sf_glePrint) {
    (void)m;
    ON_WINDOW_THREAD();
    std::u16string_view text;
    if (!formula_string(ctx, args[0], text)) return report_error(u"glePrint", 1, ctx);
    print_preloaded(glyphs(), text);
    return 0;
}

GLE_FUNCTION(sf_glePrintCn) {
    (void)m;
    ON_WINDOW_THREAD();
    std::u16string_view text;
    if (!formula_string(ctx, args[0], text)) return report_error(u"glePrintCn", 1, ctx);
    print_on_demand(glyphs(), text);
    return 0;
}

GLE_FUNCTION(sf_glePrintStr) {
    (void)m;
    ON_WINDOW_THREAD();
    return print_object(u"glePrintStr", false, args[0], ctx);
}

GLE_FUNCTION(sf_glePrintCnStr) {
    (void)m;
    ON_WINDOW_THREAD();
    return print_object(u"glePrintCnStr", true, args[0], ctx);
}

// A string makes a block; a non-negative number that is no string sets
// the most blocks that may exist.
GLE_FUNCTION(sf_gleCreatePrintCnList) {
    (void)m;
    ON_WINDOW_THREAD();
    std::u16string_view text;
    if (formula_string(ctx, args[0], text)) return create_block(text, ctx);
    const int64_t limit = integer_arg(args[0]);
    if (limit >= 0) text_block_limit() = limit > INT32_MAX ? INT32_MAX : int(limit);
    return 0;
}

GLE_FUNCTION(sf_glePrintCnList) {
    (void)m;
    ON_WINDOW_THREAD();
    if (!text_index_exists()) return report_error(u"glePrintCnList", 1, ctx);
    const TextBlock *block = find_text_block(integer_arg(args[0]));
    if (!block) return report_error(u"glePrintCnList", 2, ctx);
    const GLuint *index = text_index(block->count);
    if (!index) return report_error(u"glePrintCnList", 1, ctx);
    GLint base = 0;
    glGetIntegerv(GL_LIST_BASE, &base);
    glListBase(block->first);
    glCallLists(block->count, GL_UNSIGNED_INT, index);
    glListBase(GLuint(base));
    return 0;
}

GLE_FUNCTION(sf_gleDeletePrintCnList) {
    (void)m, (void)ctx;
    ON_WINDOW_THREAD();
    delete_text_block(integer_arg(args[0]));
    return 0;
}

GLE_FUNCTION(sf_gleAxesAngle) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    const Scene &s = scene();
    const struct {
        const char *label;
        double value;
    } lines[] = {{"xAxis : ", s.axes[0]},   {"yAxis : ", s.axes[1]},   {"zAxis : ", s.axes[2]},
                 {"xAngle : ", s.angles[0]}, {"yAngle : ", s.angles[1]}, {"zAngle : ", s.angles[2]}};
    double y = 10;
    for (const auto &line : lines) {
        std::u16string text(line.label, line.label + std::char_traits<char>::length(line.label));
        text += fixed_two(line.value);
        glPushMatrix();
        glLoadIdentity();
        glTranslated(-15, y, -30);
        print_preloaded(glyphs(), text);
        glPopMatrix();
        y -= 1;
    }
    return 0;
}

GLE_FUNCTION(sf_gleClear) {
    (void)m, (void)args, (void)ctx;
    ON_WINDOW_THREAD();
    if (Library *lib = library()) delete_all_objects(*lib);
    free_text_index();
    return 0;
}

}  // namespace gllib
