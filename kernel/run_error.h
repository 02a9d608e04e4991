// The process-wide run-error record and the helpers every evaluator and
// built-in uses to write it.  Only the first error of an evaluation is kept:
// record_run_error writes only while no error is pending; SetRunErr (the
// export) always overwrites; GetRunErr reads and clears.  Writers and
// GetRunErr are serialised (run_error.cpp), so nothing outside these helpers
// writes the record.
#pragma once

#include <cstdint>

namespace tmx {

// Field order is part of the interface: a message hands out its address.
struct RunErrorRecord {
    int type;             // 0 none; 1, 2, 3 by number type; 4, 5 invalidated
    const char16_t *name; // function or instruction that failed (not owned)
    int code;             // code within that function
    int formula_type;     // 1, 2, 3, or 0 when the caller gave none
    void *formula;        // handle of the running formula, or null
};

extern RunErrorRecord g_run_error;

// Another thread may record an error (an interrupt) while a formula runs; the
// loops that poll this must see it, so the read is atomic (a plain load on
// x86-64) and cannot be hoisted out of a loop.
inline bool run_error_pending() {
    return __atomic_load_n(&g_run_error.type, __ATOMIC_RELAXED) != 0;
}

// Records an error unless one is pending.
void record_run_error(int type, const char16_t *name, int code, int formula_type,
                      void *formula);

// Clears the record's reference to a formula that is being released (or a
// scratch record that is going away), and the formula type with it.
void forget_run_error_formula(const void *formula);

// The same for whatever formula the record names (the kernel is freed).
void forget_run_error_formulas();

// No error pending, every field zero (start-up).
void clear_run_error();

}  // namespace tmx
