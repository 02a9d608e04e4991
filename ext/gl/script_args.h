// Arguments of the script functions that are not plain numbers: string
// literals of the calling formula, string objects of the data library,
// object handles, and the thread rule every drawing function follows.
#pragma once

#include <cstdint>
#include <string_view>

#include "ext/protocol/real_slots.h"
#include "tamrix/tamrix.h"

namespace gllib {

// The signature of every script function of the library.
#define GLE_FUNCTION(name) double TM_CALL name(int m, double *args, TmCallContext *ctx)

// The number of arguments a call passed (m is that count minus one; below
// -1 none).
inline int argument_count(int m) { return m < 0 ? 0 : m + 1; }

// A string argument: the position of a string literal in the calling
// formula's string area, within the range GetForStr gives and ended by a
// zero before the area ends.  False for anything else.
bool formula_string(TmCallContext *ctx, double slot, std::u16string_view &text);

// Why a string object was refused (the error codes of glePrintStr).
enum class StringObjectError { None = 0, NotCharacterArray = 1, NotOneDimensional = 2 };

// A string object: a live one-dimensional character array of the data
// library; its elements are the text.
StringObjectError string_object(double slot, std::u16string_view &text);

// Integers in slots (counts, codes, list ids): truncated, NaN 0.
inline int64_t integer_arg(double slot) { return extproto::real_slot_integer(slot); }
inline int int_arg(double slot) {
    const int64_t v = integer_arg(slot);
    return v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : int(v);
}
inline uint32_t handle_arg(double slot) { return extproto::real_slot_handle(slot); }

}  // namespace gllib
