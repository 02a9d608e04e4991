// What every opt:: function needs from its call: the library, the call
// context, its name and the run-error codes it reports.
#pragma once

#include "library.h"

namespace optlib {

// The codes of every opt:: function, one table, so a code means the same
// whichever function reports it.
enum ErrorCode : int {
    kWrongArgumentCount = 1,
    kBadFormulaString = 2,   // a name outside the calling formula's strings
    kNoSuchFormula = 3,      // no real formula of that name or handle
    kWrongParameterCount = 4,
    kNotRealArray = 5,       // not a real64_s array, or an empty one
    kLengthsDiffer = 6,
    kBadNumbers = 7,         // a start, bound, interval end or data value unusable
    kUnknownAlgorithm = 8,
    kBadStopping = 9,        // a tolerance or limit NaN or negative, or none at all
    kObjectiveNaN = 10,
    kObjectiveInfinite = 11,
    kArrayGone = 12,         // the result's array was deleted or resized during the run
    kNoMemory = 13,
};

struct Call {
    const Library &lib;
    TmCallContext *ctx;
    const char16_t *name;  // "opt::minimize"

    // Records code as run error type 2 unless an error is pending (the
    // first error of a run wins, an interrupt included); the function then
    // returns 0.
    double fail(int code) const {
        if (lib.kernel.TestRunErr() == 0) lib.kernel.SetRunErr(2, name, code, 0, ctx);
        return 0;
    }
};

}  // namespace optlib
