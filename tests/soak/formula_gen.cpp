#include "formula_gen.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <string_view>

namespace soak {

namespace {

// Magnitude limits that keep every value exact in a double.
constexpr int64_t kValueLimit = int64_t(1) << 40;
constexpr int64_t kCalleeLimit = int64_t(1) << 20;
constexpr int64_t kLocalLimit = int64_t(1) << 20;
constexpr int64_t kArgLimit = 100;  // arguments, and so parameters
constexpr int64_t kLiteralLimit = 9;
constexpr int kLoopMax = 20;
constexpr int64_t kLoopBound = kLoopMax * (kLoopMax - 1) / 2;
constexpr int kMaxDepth = 4;
constexpr size_t kMaxSourceLength = 4000;

// Text built by appending pieces (operator+ on temporaries draws a false
// -Wrestrict warning from GCC 12).
std::u16string cat(std::initializer_list<std::u16string_view> pieces) {
    std::u16string out;
    for (std::u16string_view p : pieces) out.append(p);
    return out;
}

std::u16string u16(int64_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

std::u16string integer(int64_t v) { return v < 0 ? cat({u"(-", u16(-v), u")"}) : u16(v); }

std::u16string imaginary(int64_t v) {
    return v < 0 ? cat({u"(-", u16(-v), u"i)"}) : cat({u16(v), u"i"});
}

// The caller's view of a call: how arguments and result cross types.
enum class Crossing { Same, RealToInt, IntToReal, RealToComplex, ComplexToReal };

Crossing crossing(int caller, int callee) {
    if (caller == callee) return Crossing::Same;
    if (caller == 2 && callee == 1) return Crossing::RealToInt;
    if (caller == 1 && callee == 2) return Crossing::IntToReal;
    if (caller == 2 && callee == 3) return Crossing::RealToComplex;
    return Crossing::ComplexToReal;
}

bool has_order(int type) { return type != 3; }

struct Printer {
    const Formula &f;
    const ConstantTable &constants;
    std::u16string out;

    void literal(Num v) {
        if (f.type != 3) {
            out += integer(v.re);
            // Reals sometimes written with a point or an exponent.
            if (f.type == 2 && v.re >= 0 && v.re % 3 == 1) out += u".0";
            if (f.type == 2 && v.re >= 0 && v.re % 3 == 2) out += u"e0";
            return;
        }
        if (v.im == 0) {
            out += integer(v.re);
        } else if (v.re == 0) {
            out += imaginary(v.im);
        } else {
            out += cat({u"(", integer(v.re), u"+", imaginary(v.im), u")"});
        }
    }

    void local(int index) {
        switch (index) {
        case 0: out += u"a"; break;
        case 1: out += cat({u"s", u16(f.module_var)}); break;
        default: out += cat({u"g", u16(f.common_var)}); break;
        }
    }

    void call(const Expr &e) {
        const Crossing c = crossing(f.type, e.callee->type);
        if (c == Crossing::RealToInt) out += u"itor(";
        if (c == Crossing::IntToReal) out += u"rtoi(";
        out += e.callee->name;
        out += u"(";
        for (size_t k = 0; k < e.kids.size(); ++k) {
            if (k) out += u",";
            if (c == Crossing::RealToInt) out += u"rtoi(";
            if (c == Crossing::IntToReal) out += u"itor(";
            print(*e.kids[k]);
            if (c == Crossing::RealToInt || c == Crossing::IntToReal) out += u")";
            // A complex parameter takes a real and an imaginary argument.
            if (c == Crossing::RealToComplex) out += u",0";
        }
        out += u")";
        if (c == Crossing::RealToInt || c == Crossing::IntToReal) out += u")";
    }

    void binary(const Expr &e, const char16_t *op) {
        out += u"(";
        print(*e.kids[0]);
        out += op;
        print(*e.kids[1]);
        out += u")";
    }

    void function(const char16_t *name, const Expr &e) {
        out += name;
        out += u"(";
        for (size_t k = 0; k < e.kids.size(); ++k) {
            if (k) out += u",";
            print(*e.kids[k]);
        }
        out += u")";
    }

    void print(const Expr &e) {
        switch (e.op) {
        case Op::Literal: literal(e.value); break;
        case Op::Param: out += cat({u"p", u16(e.index)}); break;
        case Op::Constant: out += constants.name(f.type, e.index); break;
        case Op::Local: local(e.index); break;
        case Op::Loop:
            out += cat({u"(k=0,t=0,while(k<", u16(e.value.re), u",t=t+k,k++),t)"});
            break;
        case Op::Call: call(e); break;
        case Op::Neg: out += u"(-"; print(*e.kids[0]); out += u")"; break;
        case Op::Not: out += u"(!"; print(*e.kids[0]); out += u")"; break;
        case Op::Abs: function(u"abs", e); break;
        case Op::Conj: function(u"con", e); break;
        case Op::Add: binary(e, u"+"); break;
        case Op::Sub: binary(e, u"-"); break;
        case Op::Mul: binary(e, u"*"); break;
        case Op::Less: binary(e, u"<"); break;
        case Op::Greater: binary(e, u">"); break;
        case Op::Equal: binary(e, u"=="); break;
        case Op::NotEqual: binary(e, u"!="); break;
        case Op::And: binary(e, u"&"); break;
        case Op::Or: binary(e, u"|"); break;
        case Op::Max: function(u"max", e); break;
        case Op::Min: function(u"min", e); break;
        case Op::Which: function(u"which", e); break;
        }
    }
};

struct Env {
    const Formula &f;
    const std::vector<Num> &args;
    Num locals[kLocals];
};

Num eval(const Expr &e, const Env &env);

Num call_value(const Expr &e, const Env &env) {
    const Crossing c = crossing(env.f.type, e.callee->type);
    std::vector<Num> args;
    for (const auto &k : e.kids) args.push_back(eval(*k, env));
    if (c == Crossing::ComplexToReal) {
        // A real callee reads the complex caller's 16-byte argument slots as
        // 8-byte ones: real and imaginary parts in turn.
        std::vector<Num> halves;
        for (const Num &v : args) {
            halves.push_back({v.re, 0});
            halves.push_back({v.im, 0});
        }
        halves.resize(args.size());
        args = halves;
    }
    Num r = e.callee->evaluate(args);
    // A real caller keeps a complex result's real part; a complex caller
    // gets a real result with imaginary part 0.
    if (c != Crossing::Same) r.im = 0;
    return r;
}

Num eval(const Expr &e, const Env &env) {
    auto kid = [&](size_t k) { return eval(*e.kids[k], env); };
    auto truth = [](bool b) { return Num{b ? 1 : 0, 0}; };
    switch (e.op) {
    case Op::Literal:
    case Op::Constant: return e.value;
    case Op::Param: return env.args[size_t(e.index)];
    case Op::Local: return env.locals[e.index];
    case Op::Loop: return {e.value.re * (e.value.re - 1) / 2, 0};
    case Op::Call: return call_value(e, env);
    case Op::Neg: { Num v = kid(0); return {-v.re, -v.im}; }
    case Op::Not: return truth(kid(0).re == 0);
    case Op::Abs: return {std::llabs(kid(0).re), 0};
    case Op::Conj: { Num v = kid(0); return {v.re, -v.im}; }
    case Op::Add: { Num a = kid(0), b = kid(1); return {a.re + b.re, a.im + b.im}; }
    case Op::Sub: { Num a = kid(0), b = kid(1); return {a.re - b.re, a.im - b.im}; }
    case Op::Mul: {
        Num a = kid(0), b = kid(1);
        return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
    }
    case Op::Less: return truth(kid(0).re < kid(1).re);
    case Op::Greater: return truth(kid(0).re > kid(1).re);
    case Op::Equal: return truth(kid(0).re == kid(1).re);
    case Op::NotEqual: return truth(kid(0).re != kid(1).re);
    case Op::And: { bool a = kid(0).re != 0, b = kid(1).re != 0; return truth(a && b); }
    case Op::Or: { bool a = kid(0).re != 0, b = kid(1).re != 0; return truth(a || b); }
    case Op::Max: return {std::max(kid(0).re, kid(1).re), 0};
    case Op::Min: return {std::min(kid(0).re, kid(1).re), 0};
    case Op::Which: return kid(0).re != 0 ? kid(1) : kid(2);
    }
    return {};
}

std::unique_ptr<Expr> node(Op op) {
    auto e = std::make_unique<Expr>();
    e->op = op;
    return e;
}

}  // namespace

std::u16string ConstantTable::name(int type, int index) const {
    static const char16_t *const kPrefix[] = {u"", u"kI", u"kR", u"kC"};
    return cat({kPrefix[type], u16(index)});
}

std::u16string Formula::source(const ConstantTable &constants) const {
    Printer p{*this, constants, {}};
    p.out = name;
    p.out += u"(";
    for (int k = 0; k < params; ++k) {
        if (k) p.out += u",";
        p.out += cat({u"p", u16(k)});
    }
    p.out += u":a,k,t:";
    p.local(1);
    p.out += u",common,";
    p.local(2);
    p.out += u")=(";
    for (int k = 0; k < kLocals; ++k) {
        p.local(k);
        p.out += u"=";
        p.print(*locals[k]);
        p.out += u",";
    }
    p.print(*result);
    p.out += u")";
    return p.out;
}

Num Formula::evaluate(const std::vector<Num> &args) const {
    Env env{*this, args, {}};
    for (int k = 0; k < kLocals; ++k) env.locals[k] = eval(*locals[k], env);
    return eval(*result, env);
}

namespace {
bool has_call(const Expr &e) {
    if (e.op == Op::Call) return true;
    for (const auto &k : e.kids)
        if (has_call(*k)) return true;
    return false;
}
}  // namespace

bool Formula::calls_out() const {
    for (const auto &l : locals)
        if (has_call(*l)) return true;
    return has_call(*result);
}

void Generator::make_pair(Pair &pair) {
    // Calls in many leaves can make a rare formula of 100 000 characters;
    // such outliers would keep growing the work buffers long after the
    // warm-up (they only ever grow) and blur the memory check.  Huge sources
    // are tested on their own.
    do {
        make_unchecked_pair(pair);
    } while (pair.callee.source(constants_).size() > kMaxSourceLength ||
             pair.caller.source(constants_).size() > kMaxSourceLength);
}

void Generator::make_unchecked_pair(Pair &pair) {
    Formula &callee = pair.callee;
    callee.type = 1 + below(3);
    callee.name = cat({u"f", u16(below(16))});
    callee.module = 1 + below(3);  // public
    callee.params = 1 + below(3);
    callee.module_var = below(2);
    callee.common_var = below(2);  // g0, g1: never the caller's
    make_formula(callee, nullptr, kMaxDepth);

    Formula &caller = pair.caller;
    static const int kCallers[4][3] = {{}, {1, 2, 2}, {1, 2, 3}, {2, 3, 3}};
    caller.type = kCallers[callee.type][below(3)];
    caller.name.clear();
    caller.module = (4 + below(2)) * (below(2) ? 1 : -1);
    caller.params = 0;
    caller.module_var = below(2);
    caller.common_var = 2 + below(2);
    make_formula(caller, &callee, kMaxDepth);
}

void Generator::make_formula(Formula &f, const Formula *callee, int depth) {
    callee_ = callee;
    locals_ready_ = 0;
    for (int k = 0; k < kLocals; ++k) {
        f.locals[k] = expr(f, depth - 1, kLocalLimit, &local_bounds_[k]);
        ++locals_ready_;
    }
    int64_t bound = 0;
    f.result = expr(f, depth, callee ? kValueLimit : kCalleeLimit, &bound);
}

std::unique_ptr<Expr> Generator::leaf(const Formula &f, int64_t limit, int64_t *bound) {
    for (;;) {
        switch (below(7)) {
        case 0:
            if (f.params == 0 || limit < kArgLimit) break;
            {
                auto e = node(Op::Param);
                e->index = below(f.params);
                *bound = kArgLimit;
                return e;
            }
        case 1:
            if (limit < kLiteralLimit) break;
            {
                auto e = node(Op::Constant);
                e->index = below(3);
                e->value = constants_.values[f.type][e->index];
                *bound = kLiteralLimit;
                return e;
            }
        case 2: {
            if (locals_ready_ == 0) break;
            const int k = below(locals_ready_);
            if (local_bounds_[k] > limit) break;
            auto e = node(Op::Local);
            e->index = k;
            *bound = local_bounds_[k];
            return e;
        }
        case 3:
            if (!has_order(f.type) || limit < kLoopBound) break;
            {
                auto e = node(Op::Loop);
                e->value.re = below(kLoopMax + 1);
                *bound = kLoopBound;
                return e;
            }
        case 4:
            if (!callee_ || limit < kCalleeLimit) break;
            return call(f, limit, bound);
        default: {
            const int64_t most = std::min(limit, kLiteralLimit);
            auto e = node(Op::Literal);
            const uint64_t span = uint64_t(2 * most + 1);
            e->value.re = int64_t(rng_() % span) - most;
            if (f.type == 3 && below(2)) e->value.im = int64_t(rng_() % span) - most;
            *bound = most;
            return e;
        }
        }
    }
}

std::unique_ptr<Expr> Generator::call(const Formula &f, int64_t, int64_t *bound) {
    auto e = node(Op::Call);
    e->callee = callee_;
    for (int k = 0; k < callee_->params; ++k) {
        int64_t b = 0;
        e->kids.push_back(expr(f, 2, kArgLimit, &b));
    }
    *bound = kCalleeLimit;
    return e;
}

std::unique_ptr<Expr> Generator::expr(const Formula &f, int depth, int64_t limit,
                                      int64_t *bound) {
    if (depth <= 0 || below(4) == 0) return leaf(f, limit, bound);
    static const Op kOrdered[] = {Op::Neg, Op::Not, Op::Abs, Op::Add, Op::Sub, Op::Mul,
                                  Op::Mul, Op::Less, Op::Greater, Op::Equal, Op::NotEqual,
                                  Op::And, Op::Or, Op::Max, Op::Min, Op::Which};
    static const Op kComplex[] = {Op::Neg, Op::Conj, Op::Add, Op::Sub, Op::Mul, Op::Mul};
    const Op op = has_order(f.type) ? kOrdered[below(std::size(kOrdered))]
                                    : kComplex[below(std::size(kComplex))];
    auto e = node(op);
    int64_t b0 = 0, b1 = 0, b2 = 0;
    switch (op) {
    case Op::Neg:
    case Op::Abs:
    case Op::Conj:
        e->kids.push_back(expr(f, depth - 1, limit, &b0));
        *bound = b0;
        break;
    case Op::Not:
        e->kids.push_back(expr(f, depth - 1, kValueLimit, &b0));
        *bound = 1;
        break;
    case Op::Add:
    case Op::Sub:
    case Op::Max:
    case Op::Min:
        e->kids.push_back(expr(f, depth - 1, limit / 2, &b0));
        e->kids.push_back(expr(f, depth - 1, limit / 2, &b1));
        *bound = b0 + b1;
        break;
    case Op::Mul: {
        e->kids.push_back(expr(f, depth - 1, limit, &b0));
        const int64_t spread = f.type == 3 ? 2 : 1;  // a complex product adds two
        e->kids.push_back(expr(f, depth - 1, limit / (std::max<int64_t>(b0, 1) * spread), &b1));
        *bound = b0 * b1 * spread;
        break;
    }
    case Op::Which:
        e->kids.push_back(expr(f, depth - 1, kValueLimit, &b0));
        e->kids.push_back(expr(f, depth - 1, limit, &b1));
        e->kids.push_back(expr(f, depth - 1, limit, &b2));
        *bound = std::max(b1, b2);
        break;
    default:  // comparisons and logic
        e->kids.push_back(expr(f, depth - 1, kValueLimit, &b0));
        e->kids.push_back(expr(f, depth - 1, kValueLimit, &b1));
        *bound = 1;
        break;
    }
    return e;
}

}  // namespace soak
