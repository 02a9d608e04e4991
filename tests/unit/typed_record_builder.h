// Hand assembly of formula records of any type: RecordBuilder lays
// out code and operands (which do not depend on the slot type); this wrapper
// keeps the constants in the formula's own slot type and rebuilds the data
// array with slots of that size.
//
//   TypedBuilder<int64_t> b(/*params*/ 1, 0, 0, u"f");
//   b.push_var(0).push_const(7).op(OpDiv).ret();
//   RecordPtr f = b.build();
#pragma once

#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

#include "record_builder.h"
#include "tamrix/tamrix.h"

namespace tmx::test {

template <class Slot> class TypedBuilder {
  public:
    static constexpr int kType = std::is_same_v<Slot, int64_t>  ? 1
                                 : std::is_same_v<Slot, double> ? 2
                                                                : 3;

    TypedBuilder(int params, int autos, int statics, std::u16string name = u"",
                 std::vector<std::u16string> strings = {})
        : b_(params, autos, statics, std::move(name), std::move(strings)) {}

    uint32_t index() const { return b_.index(); }
    int32_t code_start() const { return b_.code_start(); }
    int32_t first_string() const { return b_.first_string(); }

    TypedBuilder &push_const(Slot v) {
        constants_.push_back(v);
        b_.push_const(0);
        return *this;
    }
    TypedBuilder &op(uint8_t byte) { return wrap(b_.op(byte)); }
    TypedBuilder &op(uint8_t byte, int32_t w) { return wrap(b_.op(byte, w)); }
    TypedBuilder &word(int32_t w) { return wrap(b_.word(w)); }
    TypedBuilder &ret() { return wrap(b_.ret()); }
    TypedBuilder &push_var(int32_t v) { return wrap(b_.push_var(v)); }
    TypedBuilder &store_var(int32_t v) { return wrap(b_.store_var(v)); }
    TypedBuilder &call(uint8_t kind, uint32_t callee, int32_t m,
                       const std::vector<WriteBack> &write_back = {}) {
        return wrap(b_.call(kind, callee, m, write_back));
    }
    Label label() { return b_.label(); }
    TypedBuilder &bind(Label l) { return wrap(b_.bind(l)); }
    TypedBuilder &test(uint8_t kind, Label l) { return wrap(b_.test(kind, l)); }
    TypedBuilder &jump(uint8_t kind, Label l, int32_t slot) { return wrap(b_.jump(kind, l, slot)); }
    TypedBuilder &until_test(int32_t slot, Label l) { return wrap(b_.until_test(slot, l)); }
    TypedBuilder &which_end(Label l, int32_t n) { return wrap(b_.which_end(l, n)); }

    RecordPtr build(int32_t stack = 16) {
        RecordPtr r = b_.build(stack);
        const int32_t length = r->header[kDataLength];
        auto *data = static_cast<Slot *>(std::calloc(size_t(length), sizeof(Slot)));
        if (!constants_.empty())
            std::memcpy(data + r->header[kVarCount], constants_.data(),
                        constants_.size() * sizeof(Slot));
        std::free(r->data);
        r->data = data;
        r->type = int8_t(kType);
        return r;
    }

  private:
    TypedBuilder &wrap(RecordBuilder &) { return *this; }

    RecordBuilder b_;
    std::vector<Slot> constants_;
};

using IntBuilder = TypedBuilder<int64_t>;
using ComplexBuilder = TypedBuilder<TmComplex>;

template <class Slot> Slot *data_of(const RecordPtr &r) { return static_cast<Slot *>(r->data); }

}  // namespace tmx::test
