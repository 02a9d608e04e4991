// A real formula named by a string argument of a registered built-in: found
// as seen from the calling formula's module and evaluated on its own data
// array, whose first slots are its argument area.
#pragma once

#include <cstdint>

#include "../disasm.h"
#include "../record.h"
#include "tamrix/tamrix.h"

namespace tmx {

struct NamedRealFormula {
    FormulaRecord *record = nullptr;
    double *data = nullptr; // the record's data array: its argument area
    int32_t params = 0;     // number of parameters (LastParam + 1)
    // The formula was already running when it was looked up, i.e. the
    // built-in was called from inside it.  Its first activation may take its
    // parameters from the argument area itself, so the arguments must go to
    // an array of the built-in's own: writing them into the data array would
    // change the parameters of the running activation.  A formula idle at the
    // lookup stays idle between the built-in's calls.
    bool running = false;

    // The array the arguments are written to: the argument area, or `own`
    // (params slots) while the formula runs.
    double *argument_array(double *own) const { return running ? own : data; }
    // RealCal without its test for a null handle: a built-in calling a
    // formula many times saves the exported call per point.
    double call(double *args) const {
        if (g_trace_enabled) [[unlikely]]
            return RealCal(record, args);
        return record->entry(args, record);
    }
};

// Why a name argument gave no formula; the values are the codes the
// built-ins taking a formula name report.
enum FormulaArgumentError : int {
    kFormulaFound = 0,
    kBadFormulaString = 1,
    kFormulaNotFound = 2,
    kFormulaWithoutParameters = 4, // "sum", "pro", "DataSum", "DataPro"
};

// Looks up the real formula whose name is the string at word index `index`
// of the caller's string area.
FormulaArgumentError find_real_formula(int64_t index, const TmCallContext *ctx,
                                       NamedRealFormula *out);
// The same for the walks over points and data groups, which need a formula
// that takes at least one parameter.
FormulaArgumentError find_real_formula_with_parameters(int64_t index, const TmCallContext *ctx,
                                                       NamedRealFormula *out);

}  // namespace tmx
