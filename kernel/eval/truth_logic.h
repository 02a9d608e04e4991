// Comparisons and logic, written once for the three number types.
//
// A type supplies key(v), what comparisons and truth tests look at (the
// value; a complex value's real part), and truth_value(t, a), the 1 or 0 a
// comparison answers, keeping a's other parts (a complex left operand's
// imaginary part).  Keys compare as C++ compares them: a NaN key is false
// against everything except "not equal", and counts as true.
//
// Every evaluation path of a type (interpreter, fast form, folding) calls
// these; always_inline keeps them as cheap as the operator written in place.
#pragma once

#define TM_MEANING [[gnu::always_inline]] static constexpr

namespace tmx {

template <class Type, class Slot> struct TruthLogic {
    TM_MEANING bool is_true(Slot v) { return Type::key(v) != 0; }

    TM_MEANING bool greater(Slot a, Slot b) { return Type::key(a) > Type::key(b); }
    TM_MEANING bool greater_equal(Slot a, Slot b) { return Type::key(a) >= Type::key(b); }
    TM_MEANING bool less(Slot a, Slot b) { return Type::key(a) < Type::key(b); }
    TM_MEANING bool less_equal(Slot a, Slot b) { return Type::key(a) <= Type::key(b); }
    TM_MEANING bool equal(Slot a, Slot b) { return Type::key(a) == Type::key(b); }
    TM_MEANING bool not_equal(Slot a, Slot b) { return Type::key(a) != Type::key(b); }

    // OpGt .. OpNe, OpAnd, OpOr, OpNot: both operands are already evaluated.
    TM_MEANING Slot gt(Slot a, Slot b) { return Type::truth_value(greater(a, b), a); }
    TM_MEANING Slot ge(Slot a, Slot b) { return Type::truth_value(greater_equal(a, b), a); }
    TM_MEANING Slot lt(Slot a, Slot b) { return Type::truth_value(less(a, b), a); }
    TM_MEANING Slot le(Slot a, Slot b) { return Type::truth_value(less_equal(a, b), a); }
    TM_MEANING Slot eq(Slot a, Slot b) { return Type::truth_value(equal(a, b), a); }
    TM_MEANING Slot ne(Slot a, Slot b) { return Type::truth_value(not_equal(a, b), a); }
    TM_MEANING Slot both(Slot a, Slot b) {
        return Type::truth_value(is_true(a) && is_true(b), a);
    }
    TM_MEANING Slot either(Slot a, Slot b) {
        return Type::truth_value(is_true(a) || is_true(b), a);
    }
    TM_MEANING Slot negation(Slot t) { return Type::truth_value(!is_true(t), t); }
};

}  // namespace tmx
