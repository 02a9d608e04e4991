// Random valid formulas for the soak test, from a small grammar, each with
// the value it must have.  Every value the grammar can produce is an integer
// (complex: two integers) of magnitude below 2^40, so integer, real and
// complex formulas all compute it exactly and the expectation is an exact
// comparison, not a tolerance.
//
// A cycle's pair: a named callee with parameters, and an anonymous caller in
// another module that calls it, possibly across number types.  Both use
// automatic, module and common variables and registered constants.
#pragma once

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace soak {

struct Num {
    int64_t re = 0;
    int64_t im = 0;
    bool operator==(const Num &) const = default;
};

enum class Op {
    Literal, Param, Constant, Local, Loop, Call,
    Neg, Not, Abs, Conj,
    Add, Sub, Mul, Less, Greater, Equal, NotEqual, And, Or, Max, Min,
    Which,
};

struct Formula;

struct Expr {
    Op op = Op::Literal;
    Num value;             // Literal, Constant: the value; Loop: the count
    int index = 0;         // Param, Constant, Local: which
    const Formula *callee = nullptr;
    std::vector<std::unique_ptr<Expr>> kids;
};

// The registered constants the grammar uses: three per type, named
// kI0.. (integer), kR0.. (real), kC0.. (complex).
struct ConstantTable {
    Num values[4][3];
    std::u16string name(int type, int index) const;
};

// Locals a body assigns before its result uses them: the automatic
// variable, a module variable and a common variable.
inline constexpr int kLocals = 3;

struct Formula {
    int type = 2;                       // 1 integer, 2 real, 3 complex
    std::u16string name;                // empty: anonymous
    int module = 1;
    int params = 0;
    int module_var = 0, common_var = 0; // which of the shared names
    std::unique_ptr<Expr> locals[kLocals];
    std::unique_ptr<Expr> result;

    std::u16string source(const ConstantTable &constants) const;
    Num evaluate(const std::vector<Num> &args) const;
    // Whether the body calls another formula anywhere.
    bool calls_out() const;
};

// The callee/caller pair of one cycle.
struct Pair {
    Formula callee;
    Formula caller;
};

class Generator {
  public:
    Generator(uint64_t seed, const ConstantTable &constants) : rng_(seed), constants_(constants) {}
    void make_pair(Pair &pair);
    std::mt19937_64 &rng() { return rng_; }

  private:
    int below(int n) { return int(rng_() % uint64_t(n)); }
    void make_unchecked_pair(Pair &pair);
    void make_formula(Formula &f, const Formula *callee, int depth);
    std::unique_ptr<Expr> expr(const Formula &f, int depth, int64_t limit, int64_t *bound);
    std::unique_ptr<Expr> leaf(const Formula &f, int64_t limit, int64_t *bound);
    std::unique_ptr<Expr> call(const Formula &f, int64_t limit, int64_t *bound);

    std::mt19937_64 rng_;
    const ConstantTable &constants_;
    int64_t local_bounds_[kLocals] = {};
    int locals_ready_ = 0;     // locals the expression being built may read
    const Formula *callee_ = nullptr;
};

}  // namespace soak
