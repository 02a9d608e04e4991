// The one table of string:: functions.  Both entry points of a row (integer
// and real) are instances of one template, so the argument readings and the
// result conventions live in one place:
//   - integer formulas: every argument is its 64-bit slot (its low 32 bits
//     when a handle is wanted), a real argument is the slot's 8 bytes;
//   - real formulas: handles through extproto::real_slot_handle, integers
//     truncated from the number, a real argument as it is;
//   - a function that returns its first argument gives it back as it came
//     (integer) or as a handle's bit pattern (real); counts, lengths and
//     comparisons are numbers.
#include "script_functions.h"

#include <array>
#include <bit>
#include <utility>

#include "ext/protocol/real_slots.h"
#include "operations.h"

namespace strlib {

namespace {

enum class Returns { FirstArgument, Number };

struct Row {
    const char16_t *name;
    int lastParam;
    Operation operation;
    Returns returns;
};

constexpr Returns kSelf = Returns::FirstArgument;
constexpr Returns kNumber = Returns::Number;

constexpr Row kRows[] = {
    {u"string::setstrlen", 1, op_setstrlen, kSelf},
    {u"string::fstons", 4, op_fstons, kNumber},
    {u"string::nstofs", 4, op_nstofs, kNumber},
    {u"string::strtowcs", 1, op_strtowcs, kNumber},
    {u"string::wcstostr", 1, op_wcstostr, kNumber},
    {u"string::strcpy", 1, op_strcpy, kSelf},
    {u"string::wcscpy", 1, op_wcscpy, kSelf},
    {u"string::strcpys", 1, op_strcpys, kSelf},
    {u"string::wcscpys", 1, op_wcscpys, kSelf},
    {u"string::strcat", 1, op_strcat, kSelf},
    {u"string::wcscat", 1, op_wcscat, kSelf},
    {u"string::strcats", 1, op_strcats, kSelf},
    {u"string::wcscats", 1, op_wcscats, kSelf},
    {u"string::strcati", 1, op_strcati, kSelf},
    {u"string::wcscati", 1, op_wcscati, kSelf},
    {u"string::strcatr", 1, op_strcatr, kSelf},
    {u"string::wcscatr", 1, op_wcscatr, kSelf},
    {u"string::strcmp", 1, op_strcmp, kNumber},
    {u"string::wcscmp", 1, op_wcscmp, kNumber},
    {u"string::strlen", 0, op_strlen, kNumber},
    {u"string::wcslen", 0, op_wcslen, kNumber},
};
constexpr size_t kRowCount = std::size(kRows);
static_assert(kRowCount == 21);

// The argument count a row was registered with is the only one the
// compiler lets through; anything else is not a call of this row.
bool usable(const Row &row, int m) { return m == row.lastParam && library(); }

template <size_t I>
int64_t TM_CALL integer_entry(int m, int64_t *slots, TmCallContext *ctx) {
    const Row &row = kRows[I];
    if (!usable(row, m)) return 0;
    Arguments args;
    for (int i = 0; i <= m; ++i) {
        args.handle[i] = uint32_t(uint64_t(slots[i]));
        args.integer[i] = slots[i];
        args.real[i] = std::bit_cast<double>(slots[i]);
    }
    const int64_t result = row.operation(Call{*library(), ctx, row.name, args});
    if (row.returns == Returns::Number) return result;
    return result ? slots[0] : 0;
}

template <size_t I>
double TM_CALL real_entry(int m, double *slots, TmCallContext *ctx) {
    const Row &row = kRows[I];
    if (!usable(row, m)) return 0;
    Arguments args;
    for (int i = 0; i <= m; ++i) {
        args.handle[i] = extproto::real_slot_handle(slots[i]);
        args.integer[i] = extproto::real_slot_integer(slots[i]);
        args.real[i] = slots[i];
    }
    const int64_t result = row.operation(Call{*library(), ctx, row.name, args});
    if (row.returns == Returns::Number) return double(result);
    return result ? extproto::handle_as_real(args.handle[0]) : 0.0;
}

template <size_t... I>
constexpr auto integer_table(std::index_sequence<I...>) {
    return std::array<extproto::ScriptFunction, kRowCount>{
        {{extproto::kIntFunction, kRows[I].name, reinterpret_cast<void *>(&integer_entry<I>),
          kRows[I].lastParam}...}};
}

template <size_t... I>
constexpr auto real_table(std::index_sequence<I...>) {
    return std::array<extproto::ScriptFunction, kRowCount>{
        {{extproto::kRealFunction, kRows[I].name, reinterpret_cast<void *>(&real_entry<I>),
          kRows[I].lastParam}...}};
}

const auto kIntegerFunctions = integer_table(std::make_index_sequence<kRowCount>());
const auto kRealFunctions = real_table(std::make_index_sequence<kRowCount>());

}  // namespace

std::span<const extproto::ScriptFunction> integer_functions() { return kIntegerFunctions; }
std::span<const extproto::ScriptFunction> real_functions() { return kRealFunctions; }

}  // namespace strlib
