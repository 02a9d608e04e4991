#include "workspace_text.h"

namespace ide {
namespace {

bool is_blank(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\r' || c == u' '; }

size_t skip_blanks(std::u16string_view text, size_t at) {
    while (at < text.size() && is_blank(text[at])) ++at;
    return at;
}

enum class Section { Path, Load, Int, Real, Complex, Module, Command, Key };

struct Keyword {
    std::u16string_view word;
    Section section;
};

constexpr Keyword kKeywords[] = {
    {u"PATH", Section::Path},       {u"LOAD", Section::Load},       {u"INT", Section::Int},
    {u"REAL", Section::Real},       {u"COMPLEX", Section::Complex}, {u"MODULE", Section::Module},
    {u"COMMAND", Section::Command}, {u"KEY", Section::Key},
};

// The section whose keyword follows the '#' at `hash`, with the position of
// its opening '{' (and the command title); nothing when the '#' does not
// start a section.
struct Opening {
    Section section;
    size_t brace;
    std::u16string title;
};

std::optional<Opening> section_at(std::u16string_view text, size_t hash) {
    for (const Keyword &keyword : kKeywords) {
        if (text.substr(hash + 1, keyword.word.size()) != keyword.word) continue;
        size_t at = skip_blanks(text, hash + 1 + keyword.word.size());
        Opening opening{keyword.section, 0, {}};
        if (keyword.section == Section::Command) {
            if (at >= text.size() || text[at] != u'(') return std::nullopt;
            size_t close = text.find(u')', at + 1);
            if (close == std::u16string_view::npos) return std::nullopt;
            opening.title = std::u16string(text.substr(at + 1, close - at - 1));
            at = skip_blanks(text, close + 1);
        }
        if (at >= text.size() || text[at] != u'{') return std::nullopt;
        opening.brace = at;
        return opening;
    }
    return std::nullopt;
}

void append(std::vector<std::u16string> &to, std::vector<std::u16string> items) {
    for (std::u16string &item : items) to.push_back(std::move(item));
}

void take_body(WorkspaceSections &sections, const Opening &opening, std::u16string_view body) {
    switch (opening.section) {
        case Section::Path:
            if (!sections.path) sections.path = std::u16string(body);
            break;
        case Section::Load:
            if (!sections.load) sections.load = std::u16string(body);
            break;
        case Section::Int: append(sections.int_files, quoted_items(body, true)); break;
        case Section::Real: append(sections.real_files, quoted_items(body, true)); break;
        case Section::Complex: append(sections.complex_files, quoted_items(body, true)); break;
        case Section::Module: append(sections.modules, quoted_items(body, true)); break;
        case Section::Command:
            sections.commands.push_back({opening.title, quoted_items(body, true)});
            break;
        case Section::Key: append(sections.keys, quoted_items(body, false)); break;
    }
}

}  // namespace

WorkspaceSections parse_workspace(std::u16string_view text) {
    WorkspaceSections sections;
    size_t at = 0;
    for (;;) {
        size_t hash = text.find(u'#', at);
        if (hash == std::u16string_view::npos) break;
        std::optional<Opening> opening = section_at(text, hash);
        if (!opening) {
            at = hash + 1;
            continue;
        }
        size_t close = text.find(u'}', opening->brace + 1);
        if (close == std::u16string_view::npos) {
            sections.unterminated = true;
            break;
        }
        take_body(sections, *opening, text.substr(opening->brace + 1, close - opening->brace - 1));
        at = close + 1;
    }
    return sections;
}

std::vector<std::u16string> quoted_items(std::u16string_view body, bool comments) {
    std::vector<std::u16string> items;
    size_t at = 0;
    while (at < body.size()) {
        char16_t c = body[at];
        if (comments && c == u'<') {
            size_t end = body.find(u'>', at + 1);
            if (end == std::u16string_view::npos) break;
            at = end + 1;
        } else if (c == u'"') {
            size_t end = body.find(u'"', at + 1);
            if (end == std::u16string_view::npos) break;
            items.emplace_back(body.substr(at + 1, end - at - 1));
            at = end + 1;
        } else {
            ++at;
        }
    }
    return items;
}

std::vector<LoadEntry> parse_load_list(std::u16string_view body) {
    std::vector<LoadEntry> entries;
    for (const std::u16string &item : quoted_items(body, true)) {
        LoadEntry entry;
        size_t colon = item.find(u':');
        entry.library = item.substr(0, colon);
        if (colon != std::u16string::npos) {
            entry.argument = item.substr(colon + 1);
            entry.has_argument = true;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

StarItem split_star_item(std::u16string_view item) {
    size_t star = item.find(u'*');
    if (star == std::u16string_view::npos)
        return {std::u16string(item), std::u16string(item), false};
    return {std::u16string(item.substr(0, star)), std::u16string(item.substr(star + 1)), true};
}

}  // namespace ide
