// Hand assembly of compiled real formula records, so evaluator tests do not
// depend on the compiler.
//
//   RecordBuilder b(/*params*/ 1, /*autos*/ 0, /*statics*/ 0, u"f");
//   Label done = b.label();
//   b.push_var(0).push_const(1).op(OpLe).if_test(done) ... .bind(done).ret();
//   RecordPtr f = b.build();
//
// The layout is fixed at construction (variables, name, string literals), so
// every stream position is known while emitting; labels are resolved when
// the record is built.  The record is entered in the address table at once,
// so a formula can call itself through b.index().
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "kernel/address_table.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/registry/registry.h"

namespace tmx::test {

struct RecordDeleter {
    void operator()(FormulaRecord *r) const { destroy_record(r); }
};
using RecordPtr = std::unique_ptr<FormulaRecord, RecordDeleter>;

struct WriteBack {
    uint8_t tag;    // 2: variable, 3: shared cell
    int32_t arg;    // argument position
    int32_t target; // variable index or cell index
};

using Label = size_t;

class RecordBuilder {
  public:
    RecordBuilder(int params, int autos, int statics, std::u16string name = u"",
                  std::vector<std::u16string> strings = {})
        : params_(params), autos_(autos), statics_(statics) {
        code_ = {0, 0};
        auto put = [&](const std::u16string &s) {
            for (char16_t ch : s + u'\0') {
                code_.push_back(uint8_t(ch & 0xFF));
                code_.push_back(uint8_t(ch >> 8));
            }
        };
        put(name);
        first_string_ = int32_t(code_.size() / 2);
        for (const auto &s : strings) put(s);
        code_start_ = int32_t(code_.size());
        rec_ = new FormulaRecord;
        rec_->type = 2;
        index_ = address_register(rec_, AddressKind::Formula);
    }
    RecordBuilder(const RecordBuilder &) = delete;
    RecordBuilder &operator=(const RecordBuilder &) = delete;
    ~RecordBuilder() {
        if (rec_) destroy_record(rec_);
    }

    uint32_t index() const { return index_; }
    int32_t code_start() const { return code_start_; }
    int32_t first_string() const { return first_string_; }
    int32_t var_count() const { return params_ + autos_ + statics_; }

    RecordBuilder &op(uint8_t byte) {
        code_.push_back(byte);
        return *this;
    }
    RecordBuilder &word(int32_t w) {
        words_.push_back(w);
        return *this;
    }
    RecordBuilder &op(uint8_t byte, int32_t w) { return op(byte).word(w); }

    RecordBuilder &ret() { return op(OpReturn); }
    RecordBuilder &push_const(double v) {
        constants_.push_back(v);
        return op(OpPushConst);
    }
    RecordBuilder &push_var(int32_t v) { return op(OpPushVar, v); }
    RecordBuilder &store_var(int32_t v) { return op(OpStoreVar, v); }

    RecordBuilder &call(uint8_t kind, uint32_t callee, int32_t m,
                        const std::vector<WriteBack> &write_back = {}) {
        op(kind).word(int32_t(callee)).word(m);
        for (const WriteBack &w : write_back) op(w.tag).word(w.arg).word(w.target);
        return op(0);
    }

    // --- jumps ---------------------------------------------------------------
    Label label() {
        labels_.push_back({-1, -1, -1});
        return labels_.size() - 1;
    }
    RecordBuilder &bind(Label l) {
        labels_[l] = {int32_t(code_.size()), var_count() + int32_t(constants_.size()),
                      kOperandStart + int32_t(words_.size())};
        return *this;
    }
    // IfTest, WhileTest, WhichTest: code, const, int.
    RecordBuilder &test(uint8_t kind, Label l) {
        op(kind);
        return target(l, nullptr);
    }
    // Jump, Break, Continue: code, const, slot, int.
    RecordBuilder &jump(uint8_t kind, Label l, int32_t slot) {
        op(kind);
        return target(l, &slot);
    }
    // UntilTest: slot, code, const, int.
    RecordBuilder &until_test(int32_t slot, Label l) {
        op(OpUntilTest).word(slot);
        return target(l, nullptr);
    }
    // WhichEnd: code, const, n, int.
    RecordBuilder &which_end(Label l, int32_t n) {
        op(OpWhichEnd);
        return target(l, &n);
    }

    // The record, with `stack` evaluation-stack slots.  Static variables
    // start at 0; set them through the data array.
    RecordPtr build(int32_t stack = 16) {
        for (const Fixup &f : fixups_) {
            const Position &p = labels_[f.label];
            words_[f.word] = f.kind == 0 ? p.code : f.kind == 1 ? p.cst : p.op;
        }
        const int32_t var_count = this->var_count();
        const int32_t stack_base = var_count + int32_t(constants_.size());
        const int32_t data_length = stack_base + stack;
        const int32_t header_length = kOperandStart + int32_t(words_.size());

        rec_->code = static_cast<uint8_t *>(std::malloc(code_.size()));
        std::memcpy(rec_->code, code_.data(), code_.size());
        rec_->header = static_cast<int32_t *>(std::calloc(size_t(header_length), 4));
        int32_t *h = rec_->header;
        h[kLastParam] = params_ - 1;
        h[kVarCount] = var_count;
        h[kCodeLength] = int32_t(code_.size());
        h[kHeaderLength] = header_length;
        h[kDataLength] = data_length;
        h[kCodeStart] = code_start_;
        h[kStackBase] = stack_base;
        h[kModuleNo] = 1;
        h[kSelf] = int32_t(index_);
        h[kCalleeFirst] = header_length;
        h[kCalleeLast] = header_length - 1;
        h[kFirstStatic] = params_ + autos_;
        h[kFirstString] = first_string_;
        std::copy(words_.begin(), words_.end(), h + kOperandStart);
        auto *data = static_cast<double *>(std::calloc(size_t(data_length), sizeof(double)));
        std::copy(constants_.begin(), constants_.end(), data + var_count);
        rec_->data = data;

        FormulaRecord *r = rec_;
        rec_ = nullptr;
        return RecordPtr(r);
    }

  private:
    struct Position {
        int32_t code, cst, op;
    };
    struct Fixup {
        Label label;
        size_t word;
        int kind; // 0 code, 1 const, 2 int
    };

    // Emits code, const[, middle], int with the label's positions.
    RecordBuilder &target(Label l, const int32_t *middle) {
        fixups_.push_back({l, words_.size(), 0});
        word(0);
        fixups_.push_back({l, words_.size(), 1});
        word(0);
        if (middle) word(*middle);
        fixups_.push_back({l, words_.size(), 2});
        return word(0);
    }

    int params_, autos_, statics_;
    int32_t first_string_ = 0, code_start_ = 0;
    std::vector<uint8_t> code_;
    std::vector<int32_t> words_;
    std::vector<double> constants_;
    std::vector<Position> labels_;
    std::vector<Fixup> fixups_;
    FormulaRecord *rec_ = nullptr;
    uint32_t index_ = 0;
};

// An external function entered in the address table, as the registry would.
class ExternalEntry {
  public:
    explicit ExternalEntry(void *function, int type = 5) {
        fn_ = {function, -2, nullptr, 0, int8_t(type)};
        fn_.index = address_register(&fn_, AddressKind::ExternalFunction);
    }
    template <class F> explicit ExternalEntry(F *function, int type = 5)
        : ExternalEntry(reinterpret_cast<void *>(function), type) {}
    ExternalEntry(const ExternalEntry &) = delete;
    ExternalEntry &operator=(const ExternalEntry &) = delete;
    ~ExternalEntry() { address_release(fn_.index); }
    uint32_t index() const { return fn_.index; }

  private:
    ExternalFunction fn_;
};

// A shared (module or common) cell.
class SharedCell {
  public:
    explicit SharedCell(double v = 0) : value(v) {
        index_ = address_register(&value, AddressKind::SharedCell);
    }
    SharedCell(const SharedCell &) = delete;
    SharedCell &operator=(const SharedCell &) = delete;
    ~SharedCell() { address_release(index_); }
    uint32_t index() const { return index_; }
    double value;

  private:
    uint32_t index_;
};

}  // namespace tmx::test
