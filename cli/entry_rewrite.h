// One entry typed at the prompt, made ready for the module compiler.  Each
// entry is compiled as a module of its own, so that an entry's results print
// once and a failed entry leaves nothing behind.  Plain names would be
// private to that module and gone for the next entry; the prompt therefore
// compiles every formula outside a "#MODULE#" block as public, as if it were
// typed with "~", and carries an "integer:"/"complex:" default type over to
// the entries that follow.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "entry_scan.h"

namespace cli {

enum class DefaultType { Integer, Real, Complex };

struct PreparedEntry {
    std::u16string text;  // what is compiled
    // For each character of `text`, the index of the typed character it
    // stands for (characters put in front of one stand for it).
    std::vector<size_t> typed_index;
    DefaultType default_type = DefaultType::Real;  // in force after the entry
};

PreparedEntry prepare_entry(std::u16string_view typed, const EntryShape &shape,
                            DefaultType default_type);

// A compiler position in the prepared text as a position in the typed text;
// positions past the end stay past the end.
int typed_position(const PreparedEntry &entry, size_t typed_size, int position);

}  // namespace cli
