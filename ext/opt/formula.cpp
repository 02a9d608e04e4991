#include "formula.h"

#include <cmath>
#include <cstring>
#include <string>

#include "ext/protocol/real_slots.h"

namespace optlib {

namespace {

// The text at word index `index` of the calling formula's string area.
bool caller_text(const Library &lib, TmCallContext *ctx, int64_t index, std::u16string *out) {
    char16_t *words = nullptr;
    int first = 1, last = 0;
    if (ctx) lib.kernel.GetForStr(ctx, &words, &first, &last);
    if (!words || index < first || index > last) return false;
    size_t n = 0;
    while (index + int64_t(n) <= last && words[index + int64_t(n)] != 0) ++n;
    out->assign(words + index, n);
    return true;
}

}  // namespace

int find_formula(const Library &lib, TmCallContext *ctx, double slot, Formula *out) {
    Formula f;
    bool found;
    if (extproto::is_handle_bits(slot)) {
        const uintptr_t handle = extproto::real_slot_handle(slot);
        found = lib.kernel.GetFor(nullptr, 2, reinterpret_cast<void *>(handle), nullptr,
                                  &f.record, nullptr, &f.lastParam);
    } else {
        std::u16string name;
        if (!caller_text(lib, ctx, extproto::real_slot_integer(slot), &name))
            return kBadFormulaString;
        found = !name.empty() && lib.kernel.GetFor(name.c_str(), 2, ctx, nullptr, &f.record,
                                                   nullptr, &f.lastParam);
    }
    if (!found) return kNoSuchFormula;
    *out = f;
    return 0;
}

FormulaEvaluator::FormulaEvaluator(const Library &lib, const Formula &formula)
    : lib_(lib), formula_(formula), slots_(size_t(formula.params() > 0 ? formula.params() : 1)) {}

bool FormulaEvaluator::evaluate(const double *point, double *value) {
    if (lib_.kernel.TestRunErr() != 0) {
        stop_ = Stop::RunError;
        return false;
    }
    std::memcpy(slots_.data(), point, size_t(formula_.params()) * sizeof(double));
    const double y = lib_.kernel.RealCal(formula_.record, slots_.data());
    if (lib_.kernel.TestRunErr() != 0) {
        stop_ = Stop::RunError;
        return false;
    }
    if (std::isnan(y)) {
        stop_ = Stop::NaN;
        return false;
    }
    if (std::isinf(y)) {
        stop_ = Stop::Infinite;
        return false;
    }
    *value = y;
    return true;
}

int FormulaEvaluator::stop_code() const {
    switch (stop_) {
    case Stop::NaN: return kObjectiveNaN;
    case Stop::Infinite: return kObjectiveInfinite;
    default: return 0;
    }
}

}  // namespace optlib
