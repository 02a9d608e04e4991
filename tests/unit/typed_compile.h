// Compiling integer and complex formulas through IntCom / ComplexCom in
// tests, and reading back what the compiler made: instruction bytes,
// operands, constants.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <vector>

#include "kernel/disasm.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "tamrix/tamrix.h"

namespace tmx::test {

inline std::u16string u16(const std::string &s) { return std::u16string(s.begin(), s.end()); }

// Slot = int64_t (IntCom), double (RealCom) or TmComplex (ComplexCom).
template <class Slot>
struct TypedCompiled {
    int rc = -100;
    FormulaRecord *rec = nullptr;
    int params = -2;
    Slot *data = nullptr;
    int err_begin = -1, err_end = -1;

    static constexpr int kType = std::is_same_v<Slot, int64_t>  ? 1
                                 : std::is_same_v<Slot, double> ? 2
                                                                : 3;

    const int32_t *header() const { return rec->header; }
    std::vector<uint8_t> instructions() const {
        const int32_t *h = rec->header;
        return {rec->code + h[kCodeStart], rec->code + h[kCodeLength]};
    }
    std::vector<int32_t> operands() const {
        const int32_t *h = rec->header;
        return {h + kOperandStart, h + h[kCalleeFirst]};
    }
    // The constants in the order the code consumes them.
    std::vector<Slot> constants() const {
        const int32_t *h = rec->header;
        return {data + h[kVarCount], data + h[kStackBase]};
    }
    std::string listing() const { return rec ? disassemble(rec, kType) : "(no record)"; }
};

using IntCompiled = TypedCompiled<int64_t>;
using RealCompiled = TypedCompiled<double>;
using ComplexCompiled = TypedCompiled<TmComplex>;

inline IntCompiled compile_int(const std::string &src, int module = 1) {
    IntCompiled c;
    void *handle = nullptr;
    std::u16string text = u16(src);
    c.rc = IntCom(text.c_str(), module, &handle, &c.params, &c.data, &c.err_begin, &c.err_end);
    c.rec = static_cast<FormulaRecord *>(handle);
    return c;
}

inline RealCompiled compile_real(const std::string &src, int module = 1) {
    RealCompiled c;
    void *handle = nullptr;
    std::u16string text = u16(src);
    c.rc = RealCom(text.c_str(), module, &handle, &c.params, &c.data, &c.err_begin, &c.err_end);
    c.rec = static_cast<FormulaRecord *>(handle);
    return c;
}

inline ComplexCompiled compile_complex(const std::string &src, int module = 1) {
    ComplexCompiled c;
    void *handle = nullptr;
    std::u16string text = u16(src);
    c.rc = ComplexCom(text.c_str(), module, &handle, &c.params, &c.data, &c.err_begin,
                      &c.err_end);
    c.rec = static_cast<FormulaRecord *>(handle);
    return c;
}

inline std::vector<uint8_t> bytes(std::initializer_list<int> list) {
    std::vector<uint8_t> v;
    for (int b : list) v.push_back(uint8_t(b));
    return v;
}

inline uint64_t bits_of(double d) {
    uint64_t b;
    std::memcpy(&b, &d, sizeof b);
    return b;
}

// Bit-exact comparison of complex values (NaN payloads and signed zeros count).
inline bool same_bits(const TmComplex &a, const TmComplex &b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline std::string show(const TmComplex &z) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "(%.17g, %.17g)", z.re, z.im);
    return buf;
}

// The fixture: an initialised kernel, and no run error left behind.
class TypedCompileTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(InitTamrix()); }
    void TearDown() override {
        GetRunErr(nullptr, nullptr, nullptr, nullptr, nullptr);
        FreeTamrix();
    }
    static int take_run_error(const char16_t **name = nullptr) {
        int type = 0;
        GetRunErr(&type, name, nullptr, nullptr, nullptr);
        return type;
    }
};

}  // namespace tmx::test
