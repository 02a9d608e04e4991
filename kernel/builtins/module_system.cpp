// The module-system built-ins: "Module" names the caller's module, "OutFun"
// exports formulas through that name, "using" sets the modules whose M::name
// the compilers try, and "HFor" hands out formula handles that scripts carry
// in numbers.
//
// Each works on integers: the real and complex versions truncate their
// arguments (complex: the real parts) into a scratch array first and convert
// the code back.  Problems are reported through the result, never as run
// errors.
#include <cstring>
#include <memory>
#include <new>

#include "../eval/conversions.h"
#include "../registry/formulas.h"
#include "../registry/module_names.h"
#include "../registry/modules.h"
#include "builtins.h"
#include "script_args.h"

namespace tmx {

namespace {

// Codes shared by the functions.
constexpr int64_t kBadContext = -1;     // "Module", "using"
constexpr int64_t kNoModule = -2;       // all; also OutFun's bad context
constexpr int64_t kOutFunNoMemory = -1; // OutFun's conversion failure
constexpr int64_t kModuleNoArguments = 1;
constexpr int64_t kModuleBadString = 3;
constexpr int64_t kModuleNoMemory = 4;
constexpr int64_t kUsingBadString = 1;
constexpr int64_t kUsingNoMemory = 2;

// HFor's flag output for a formula that may modify its parameters.
constexpr int64_t kModifiesFlag = -128;

int argument_count(int m) { return m < -1 ? 0 : m + 1; }

// The calling formula's module record.  A context must name a formula of
// type 1 to 3 that the kernel knows.
struct Caller {
    FormulaRecord *formula;
    ModuleRecord *record;
};

int64_t find_caller(const TmCallContext *ctx, int64_t bad_context, Caller *out) {
    if (!ctx || ctx->type < 1 || ctx->type > 3) return bad_context;
    FormulaRecord *formula = calling_formula(ctx);
    if (!formula) return bad_context;
    ModuleRecord *record = find_module(formula->header[kModuleNo]);
    if (!record) return kNoModule;
    *out = {formula, record};
    return 0;
}

// Every argument as a name; false at the first index outside the caller's
// strings.
bool name_arguments(const TmCallContext *ctx, const int64_t *args, int n, NameText *names) {
    for (int i = 0; i < n; ++i)
        if (!string_argument(ctx, args[i], &names[i].text, &names[i].len)) return false;
    return true;
}

std::unique_ptr<NameText[]> name_array(int n) {
    return std::unique_ptr<NameText[]>(new (std::nothrow) NameText[size_t(n > 0 ? n : 1)]);
}

// Sets the exported flag on the formula of that name in the module (a module
// holds a name once across the three types).  False when there is none.
bool mark_exported(NameText name, int module) {
    bool marked = false;
    for (int type = 1; type <= 3; ++type) {
        for (FormulaRecord *r = same_name_list(type, name.text, name.len); r; r = r->next) {
            if (!same_module(r->header[kModuleNo], module)) continue;
            r->code[1] |= kFlagExported;
            marked = true;
        }
    }
    return marked;
}

// --- the functions on integers ---------------------------------------------

int64_t name_caller_module(const int64_t *args, int n, const TmCallContext *ctx) {
    Caller caller{};
    if (int64_t code = find_caller(ctx, kBadContext, &caller)) return code;
    if (n < 1) return kModuleNoArguments;
    if (caller.record->name) return kAlreadyNamed;
    auto names = name_array(n);
    if (!names) return kModuleNoMemory;
    if (!name_arguments(ctx, args, n, names.get())) return kModuleBadString;
    return name_module(caller.record, caller.formula->header[kModuleNo], names.get(), n);
}

int64_t export_formulas(const int64_t *args, int n, const TmCallContext *ctx) {
    Caller caller{};
    if (int64_t code = find_caller(ctx, kNoModule, &caller)) return code;
    const int module = caller.formula->header[kModuleNo];
    for (int i = 0; i < n; ++i) {
        NameText name{};
        if (!string_argument(ctx, args[i], &name.text, &name.len)) return i + 1;
        if (!mark_exported(name, module)) return i + 1;
    }
    return 0;
}

int64_t use_modules(const int64_t *args, int n, const TmCallContext *ctx) {
    Caller caller{};
    if (int64_t code = find_caller(ctx, kBadContext, &caller)) return code;
    auto names = name_array(n);
    if (!names) return kUsingNoMemory;
    if (!name_arguments(ctx, args, n, names.get())) return kUsingBadString;
    return set_used_modules(caller.record, names.get(), n) ? 0 : kUsingNoMemory;
}

// --- HFor ---------------------------------------------------------------------

struct HandleFound {
    uint32_t handle;
    int64_t last_param;
    int64_t module;
    int64_t modifies; // 0 or kModifiesFlag
};

// The type the handle is asked for: given, or the caller's.
struct AskedType {
    bool given;
    int64_t type;
};

// False when the name is no valid string, no formula of the type is visible
// under it, or memory runs out.
bool handle_for(int64_t name_index, AskedType asked, const TmCallContext *ctx,
                HandleFound *out) {
    const FormulaRecord *caller = calling_formula(ctx);
    if (!caller) return false;
    const int64_t type = asked.given ? asked.type : caller->type;
    if (type < 1 || type > 3) return false;
    NameText name{};
    if (!string_argument(ctx, name_index, &name.text, &name.len)) return false;
    FormulaRecord *r = named_formula(name.text, name.len, int(type), ctx);
    if (!r) return false;
    uint32_t handle = issue_formula_handle(r);
    if (!handle) return false;
    *out = {handle, r->header[kLastParam], r->header[kModuleNo],
            (r->code[1] & kFlagModifiesParams) ? kModifiesFlag : 0};
    return true;
}

// A handle inside a double: its 4 bytes in the low half of the 8, the high
// half 0, so the number survives being copied but never arithmetic.
double handle_bits(uint32_t handle) {
    uint64_t bits = handle;
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// The outputs after the name and the type, as many as were passed.
template <class Value, class Convert>
void write_outputs(Value *args, int n, const HandleFound &found, Convert convert) {
    const int64_t outputs[3] = {found.last_param, found.module, found.modifies};
    for (int i = 2; i < n && i < 5; ++i) args[i] = convert(outputs[i - 2]);
}

// --- real and complex arguments -------------------------------------------

int64_t integer_of(double x) { return trunc_to_i64(x); }
int64_t integer_of(const TmComplex &z) { return trunc_to_i64(z.re); }

// The arguments truncated to integers; null when memory runs out.
template <class Value> std::unique_ptr<int64_t[]> truncated(const Value *args, int n) {
    std::unique_ptr<int64_t[]> ints(new (std::nothrow) int64_t[size_t(n > 0 ? n : 1)]);
    if (!ints) return ints;
    for (int i = 0; i < n; ++i) ints[i] = integer_of(args[i]);
    return ints;
}

using IntegerBuiltin = int64_t (*)(const int64_t *args, int n, const TmCallContext *ctx);

template <class Value>
int64_t on_truncated(IntegerBuiltin f, int m, const Value *args, const TmCallContext *ctx,
                     int64_t no_memory) {
    const int n = argument_count(m);
    auto ints = truncated(args, n);
    if (!ints) return no_memory;
    return f(ints.get(), n, ctx);
}

TmComplex complex_of(int64_t code) { return {double(code), 0.0}; }

}  // namespace

// --- "Module" -----------------------------------------------------------------

int64_t builtin_module_int(int m, int64_t *args, TmCallContext *ctx) {
    return name_caller_module(args, argument_count(m), ctx);
}

double builtin_module_real(int m, double *args, TmCallContext *ctx) {
    return double(on_truncated(name_caller_module, m, args, ctx, kModuleNoMemory));
}

void builtin_module_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    *result = complex_of(on_truncated(name_caller_module, m, args, ctx, kModuleNoMemory));
}

// --- "OutFun" -----------------------------------------------------------------

int64_t builtin_out_fun_int(int m, int64_t *args, TmCallContext *ctx) {
    return export_formulas(args, argument_count(m), ctx);
}

double builtin_out_fun_real(int m, double *args, TmCallContext *ctx) {
    return double(on_truncated(export_formulas, m, args, ctx, kOutFunNoMemory));
}

void builtin_out_fun_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    *result = complex_of(on_truncated(export_formulas, m, args, ctx, kOutFunNoMemory));
}

// --- "using" ------------------------------------------------------------------

int64_t builtin_using_int(int m, int64_t *args, TmCallContext *ctx) {
    return use_modules(args, argument_count(m), ctx);
}

double builtin_using_real(int m, double *args, TmCallContext *ctx) {
    return double(on_truncated(use_modules, m, args, ctx, kUsingNoMemory));
}

void builtin_using_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    *result = complex_of(on_truncated(use_modules, m, args, ctx, kUsingNoMemory));
}

// --- "HFor" -------------------------------------------------------------------

int64_t builtin_hfor_int(int m, int64_t *args, TmCallContext *ctx) {
    const int n = argument_count(m);
    HandleFound found{};
    if (n < 1 || !handle_for(args[0], {n > 1, n > 1 ? args[1] : 0}, ctx, &found)) return 0;
    write_outputs(args, n, found, [](int64_t v) { return v; });
    return int64_t(found.handle);
}

double builtin_hfor_real(int m, double *args, TmCallContext *ctx) {
    const int n = argument_count(m);
    HandleFound found{};
    if (n < 1) return 0;
    AskedType type{n > 1, n > 1 ? integer_of(args[1]) : 0};
    if (!handle_for(integer_of(args[0]), type, ctx, &found)) return 0;
    write_outputs(args, n, found, [](int64_t v) { return double(v); });
    return handle_bits(found.handle);
}

void builtin_hfor_complex(TmComplex *result, int m, TmComplex *args, TmCallContext *ctx) {
    const int n = argument_count(m);
    HandleFound found{};
    *result = {0.0, 0.0};
    if (n < 1) return;
    AskedType type{n > 1, n > 1 ? integer_of(args[1]) : 0};
    if (!handle_for(integer_of(args[0]), type, ctx, &found)) return;
    write_outputs(args, n, found, complex_of);
    *result = {handle_bits(found.handle), 0.0};
}

}  // namespace tmx
