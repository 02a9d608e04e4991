// One fresh kernel per fuzz input: InitTamrix on entry, FreeTamrix on exit,
// so no input sees what an earlier one left behind (a crash then replays
// from its input alone) and every leak shows up at the end of its input.
// It also files what formulas of the fuzzed text may call: external
// functions of each type, constants, and a few public formulas.
#pragma once

#include <string>

#include "tamrix/tamrix.h"
#include "watchdog.h"

namespace fuzz {

// The module the session's own formulas live in, public and apart from the
// small numbers inputs use.
inline constexpr int kHelperModule = 1000;

class KernelSession {
public:
    KernelSession();
    ~KernelSession();
    KernelSession(const KernelSession &) = delete;
    KernelSession &operator=(const KernelSession &) = delete;

    // True when InitTamrix and every registration succeeded.
    bool ready() const { return ready_; }

private:
    bool register_helpers();
    bool ready_ = false;
};

// The shared value stacks of the three types sized to a few hundred slots,
// so recursion runs into the limit quickly.
void use_small_stacks();

// A compiled formula as the compile calls describe it.
struct Compiled {
    int type = 0;
    int status = -99;
    void *handle = nullptr;
    int paramCount = -1;
    void *data = nullptr;
    int errBegin = 0;
    int errEnd = 0;
};

// Compiles with the front end of `type` (1, 2, 3); `lockFn` goes in through
// the handle argument.
Compiled compile(int type, const std::u16string &source, int module,
                 TmLockFunction lockFn = nullptr);

// Fills the parameters with `seed`-derived values, evaluates once with the
// watchdog armed (when given), then reads and so clears the run-error record.
void evaluate(const Compiled &formula, int seed, Watchdog *dog);

// Deletes the formula.  Deleting runs a formula's release pass, which may
// loop like any run: the watchdog (when given) is armed for it too.
void remove(const Compiled &formula, Watchdog *dog);

}  // namespace fuzz
