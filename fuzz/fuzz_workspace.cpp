// The editor's text parsers on arbitrary bytes: a file decoded as the
// editor reads it (UTF-16LE with FF FE, UTF-8, GB18030), then parsed as a
// workspace (sections, "#LOAD" lists, module and command items), as constant
// files of the three types, as error/help text blocks, and coloured and
// searched.  Every range and position they hand back must lie in the text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "colouring.h"
#include "constant_file.h"
#include "editor_text.h"
#include "find_replace.h"
#include "help_search.h"
#include "platform/text.h"
#include "text_blocks.h"
#include "workspace.h"
#include "workspace_text.h"

namespace {

void fail(const char *what) {
    std::fprintf(stderr, "fuzz_workspace: %s\n", what);
    std::abort();
}

void check_sections(const ide::WorkspaceSections &sections) {
    if (sections.load)
        for (const ide::LoadEntry &entry : ide::parse_load_list(*sections.load))
            if (entry.library.find(u'"') != std::u16string::npos) fail("a quote inside an entry");
    for (const std::u16string &item : sections.modules) ide::split_star_item(item);
    for (const ide::CommandSection &section : sections.commands)
        for (const std::u16string &item : section.items) {
            ide::StarItem split = ide::split_star_item(item);
            if (split.has_star && split.name.size() + split.file.size() + 1 != item.size())
                fail("a star item lost characters");
        }
    if (sections.path) ide::quoted_items(*sections.path, true);
}

void check_colours(const std::u16string &text, const ide::WorkspaceSections &sections) {
    std::vector<std::u16string> keywords = ide::keyword_list(sections);
    keywords.push_back(u"if");
    std::u16string editor = ide::drop_line_feeds(text);
    int last_end = 0;
    for (const ide::ColourRange &range : ide::colour_ranges(editor, keywords)) {
        if (range.start < 0 || range.end > int(editor.size()) || range.start >= range.end)
            fail("a colour range outside the text");
        if (range.start < last_end) fail("colour ranges out of order");
        last_end = range.end;
    }
}

void check_search(const std::u16string &text) {
    if (text.size() < 2) return;
    std::u16string pattern = text.substr(0, 1 + text.size() % 3);
    ide::SearchOptions options{text.size() % 2 == 0, text.size() % 5 == 0};
    if (auto found = ide::find_from(text, pattern, int(text.size() / 2), options))
        if (found->end > int(text.size())) fail("a match beyond the text");
    ide::ReplaceAllResult replaced = ide::replace_all(text, pattern, text.substr(0, 2), 0, options);
    if (replaced.replacements > int(text.size())) fail("more replacements than characters");
    ide::help_text_matches(ide::split_keywords(ide::normalise_keywords(pattern)), text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    std::string bytes(reinterpret_cast<const char *>(data), size);
    std::u16string text = platform::decode_text_file(bytes);
    ide::WorkspaceSections sections = ide::parse_workspace(text);
    check_sections(sections);
    for (ide::ConstantType type :
         {ide::ConstantType::Integer, ide::ConstantType::Real, ide::ConstantType::Complex})
        for (const ide::ConstantDefinition &d : ide::parse_constants(text, type))
            if (!d.ok && d.text.size() > text.size()) fail("a bad definition longer than the text");
    for (const ide::TextBlock &block : ide::parse_text_blocks(text))
        if (block.name.empty() || block.text.empty()) fail("an empty block was kept");
    check_colours(text, sections);
    check_search(text);
    return 0;
}
