// Translation of real byte code into x86-64 code: the walk over the byte code
// and the values it computes (see real_codegen.h for the parts).
//
// Every value is computed by the same scalar SSE2 instruction the
// interpreter's compiled C++ uses (addsd, mulsd, ...), in byte-code order, and
// never fused into a multiply-add; everything else calls the interpreter's
// own library functions.  Variables and shared cells are read and written in
// memory at the point the byte code does, so stores, increments, aliasing and
// callees that change them behave exactly as interpreted.
#if TAMRIX_HAVE_JIT

#include "real_codegen.h"

#include <bit>
#include <cmath>
#include <new>

#include "../address_table.h"
#include "../eval/record_streams.h"
#include "../opcodes.h"
#include "../run_error.h"
#include "native.h"
#include "native_runtime.h"
#include "real_library.h"

namespace tmx {

using namespace asmjit;

namespace {

// Longer formulas stay interpreted: translation time and register
// allocation grow with length, and such formulas are rare in hot loops.
constexpr int32_t kMaxInstructionBytes = 4096;
// Variables are addressed with a 32-bit displacement of 8 bytes per slot.
constexpr int32_t kMaxDataSlots = int32_t(1) << 27;

// cmpsd predicates.
enum Predicate : uint8_t { kCmpEq = 0, kCmpLt = 1, kCmpLe = 2, kCmpNeq = 4 };


// Remembers the first error asmjit reports while the code is built.
class FailFlag : public ErrorHandler {
  public:
    void handleError(Error err, const char *, BaseEmitter *) override {
        if (!error) error = err;
    }
    Error error = kErrorOk;
};

}  // namespace

RealCodegen::RealCodegen(FormulaRecord *rec, x86::Compiler &cc, Form form,
                         double (*nested_entry)(double *))
    : rec_(rec), h_(rec->header), data_(static_cast<double *>(rec->data)), cc_(cc),
      nested_(form == Form::kNested), nested_entry_(nested_entry),
      at_(size_t(rec->header[kCodeLength])), batch_(form == Form::kBatch),
      line_(form == Form::kLine) {}

bool RealCodegen::run() {
    if (!scan()) return false;
    // Only a formula that calls can be running when it is called; the batch
    // and line forms have no activation mark, which only a formula that
    // calls needs.
    if (nested_ && !calls_) return false;
    if ((batch_ || line_) && calls_) return false;
    if (batch_) {
        if (!begin_batch()) return false;
    } else if (line_) {
        if (!begin_line()) return false;
    } else {
        FuncNode *func = cc_.addFunc(FuncSignatureT<double, double *>(CallConvId::kHost));
        if (!func) return false;
        self_ = func->label();
        args_ = cc_.newIntPtr("args");
        func->setArg(0, args_);
        entry_ = cc_.cursor();
        if (nested_)
            begin_nested();
        else if (calls_)
            begin_activation();
    }

    int32_t ip = h_[kCodeStart], op = kOperandStart, cp = h_[kVarCount];
    bool reachable = true;
    while (ip < h_[kCodeLength]) {
        if (!arrive(ip, op, cp, reachable)) return false;
        const uint8_t byte = rec_->code[ip++];
        if (!reachable) {
            // Never runs: only its stream positions matter.
            if (!skip_instruction(byte, ip, op, cp)) return false;
            continue;
        }
        if (!instruction(byte, ip, op, cp, reachable)) return false;
    }
    // Every jump must land where the walk has bound its label.
    for (const Landing &l : at_)
        if (l.depth >= 0 && !l.walked) return false;
    if (reachable) return false; // runs off the end: not a record the compiler makes
    if (nested_) {
        refuse_nested();
    } else if (calls_) {
        cc_.bind(refused_);
        cc_.ret(zero());
    }
    if (batch_ || line_) end_loop();
    cc_.endFunc();
    return true;
}

// The batch form: one evaluation per point, points[k * params ...] the
// arguments of point k and out[k] its value, in order; before each one the
// run-error record is polled, as the built-ins do before each call, and a
// pending error ends the batch (the caller then returns 0).
bool RealCodegen::begin_batch() {
    FuncNode *func = cc_.addFunc(
        FuncSignatureT<void, double *, int64_t, double *>(CallConvId::kHost));
    if (!func) return false;
    args_ = cc_.newIntPtr("args");
    batch_end_ = cc_.newIntPtr("end");
    batch_out_ = cc_.newIntPtr("out");
    x86::Gp count = cc_.newInt64("count");
    func->setArg(0, args_);
    func->setArg(1, count);
    func->setArg(2, batch_out_);
    const int32_t params = h_[kLastParam] + 1;
    if (params < 1) return false;
    batch_stride_ = params * 8;
    // end = out + count: the loop runs while out < end.
    cc_.lea(batch_end_, x86::ptr(batch_out_, count, 3));
    const x86::Gp error_type = address(&g_run_error.type);
    loop_done_ = cc_.newLabel();
    entry_ = cc_.cursor();
    loop_ = cc_.newLabel();
    cc_.bind(loop_);
    cc_.cmp(batch_out_, batch_end_);
    cc_.jae(loop_done_);
    cc_.cmp(x86::dword_ptr(error_type), 0);
    cc_.jne(loop_done_);
    return true;
}

// The line form: points j up to stop of a line of evenly spaced points.
// The first parameter is `first` at point j itself and min + step * (k +
// offset) at each point k after it, which is the walks' own arithmetic
// (sum's min + k * step with offset 0, SimpIntegrate's midpoints a + h *
// (k + 0.5)) as long as min and step are finite: the callers make sure of it
// and compute `first` themselves (sum's first point of a line is min, where
// 0 * an infinite step would be NaN).  The other parameters stay what the
// caller wrote, which is why a formula that assigns one of them does not get
// this form.  Each value is added to the running total as it comes, so the
// total never leaves a register; the run-error record is polled before each
// point.
bool RealCodegen::begin_line() {
    if (h_[kLastParam] < 0) return false;
    FuncNode *func = cc_.addFunc(FuncSignatureT<double, double *, int64_t, int64_t, double,
                                                double, double, double, double>(
        CallConvId::kHost));
    if (!func) return false;
    args_ = cc_.newIntPtr("args");
    line_j_ = cc_.newInt64("j");
    line_stop_ = cc_.newInt64("stop");
    x86::Xmm first = cc_.newXmmSd("first"), min = cc_.newXmmSd("min"),
             step = cc_.newXmmSd("step"), offset = cc_.newXmmSd("offset");
    line_total_ = cc_.newXmmSd("total");
    func->setArg(0, args_);
    func->setArg(1, line_j_);
    func->setArg(2, line_stop_);
    func->setArg(3, first);
    func->setArg(4, min);
    func->setArg(5, step);
    func->setArg(6, offset);
    func->setArg(7, line_total_);
    const x86::Gp error_type = address(&g_run_error.type);
    loop_done_ = cc_.newLabel();
    loop_ = cc_.newLabel();
    const Label check = cc_.newLabel();
    entry_ = cc_.cursor();
    // The loop tests j < stop at its bottom (add_to_line), so once here.
    x86::Xmm x = cc_.newXmmSd("x");
    cc_.movapd(x, first);
    cc_.cmp(line_j_, line_stop_);
    cc_.jge(loop_done_);
    cc_.jmp(check);
    cc_.bind(loop_);
    cc_.xorpd(x, x); // cvtsi2sd writes only the low half: no wait for x's last value
    cc_.cvtsi2sd(x, line_j_);
    cc_.addsd(x, offset);
    cc_.mulsd(x, step);
    cc_.addsd(x, min);
    cc_.bind(check);
    cc_.cmp(x86::dword_ptr(error_type), 0);
    cc_.jne(loop_done_);
    cc_.movsd(x86::qword_ptr(args_), x);
    return true;
}

void RealCodegen::add_to_line(x86::Xmm v) {
    cc_.addsd(line_total_, v);
    cc_.inc(line_j_);
    cc_.cmp(line_j_, line_stop_);
    cc_.jl(loop_);
    cc_.jmp(loop_done_);
}

void RealCodegen::end_loop() {
    cc_.bind(loop_done_);
    if (line_)
        cc_.ret(line_total_);
    else
        cc_.ret();
}

// The line form writes only the first parameter at each point.
bool RealCodegen::writes_outer_parameter(bool common, int32_t word) const {
    return line_ && !common && word >= 1 && word <= h_[kLastParam];
}

bool RealCodegen::words_left(int32_t op, int32_t n) const {
    return operand_words_left(h_, op, n);
}

bool RealCodegen::skip_instruction(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp) const {
    return tmx::skip_instruction(rec_, byte, ip, op, cp);
}

// First pass: where jumps land, and whether the formula calls anything.
bool RealCodegen::scan() {
    int32_t ip = h_[kCodeStart], op = kOperandStart, cp = h_[kVarCount];
    while (ip < h_[kCodeLength]) {
        const uint8_t byte = rec_->code[ip++];
        if (byte < kFirstBuiltin && jump_words(kOpcodes[byte].layout).code >= 0) {
            if (!words_left(op, operand_words(byte))) return false;
            const int32_t to = read_jump(kOpcodes[byte].layout, h_ + op).code;
            if (to < h_[kCodeStart] || to >= h_[kCodeLength]) return false;
            at_[size_t(to)].target = true;
        }
        if (is_call(byte)) calls_ = true;
        if (!skip_instruction(byte, ip, op, cp)) return false;
    }
    return true;
}

bool RealCodegen::instruction(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp,
                              bool &reachable) {
    if (byte < kFirstBuiltin && !words_left(op, operand_words(byte))) return false;
    if (compare_pending_ && byte != OpIfTest && byte != OpWhichTest && byte != OpWhileTest)
        settle_compare();
    const int32_t *w = h_ + op;
    // Whether the top is the constant 2 pushed by the instruction before: a
    // jump landing here would bring another value, and joins give their own.
    const bool after_two = square_next_ && !at_[size_t(ip - 1)].target;
    square_next_ = false;
    square_ = after_two;
    if (byte != OpPushConst && byte != OpPushVar && byte != OpPushCommon && byte != OpAdd &&
        byte != OpSub && byte != OpMul && byte != OpDiv)
        materialize_all();
    switch (byte) {
    case OpReturn:
        if (stack_.empty()) return false; // an empty stack's result: the interpreter's
        emit_return(stack_.back());
        reachable = false;
        return true;
    case OpPushConst:
        if (cp >= h_[kStackBase]) return false;
        square_next_ = std::bit_cast<uint64_t>(data_[cp]) == std::bit_cast<uint64_t>(2.0);
        push_leaf(constant(data_[cp]), !std::isnan(data_[cp]));
        ++cp;
        return true;
    case OpPushVar:
    case OpPushCommon: {
        x86::Mem m;
        if (!place(byte == OpPushCommon, *w, m)) return false;
        ++op;
        push_leaf(m);
        return true;
    }
    case OpStoreVar:
    case OpStoreCommon: {
        x86::Mem m;
        if (stack_.empty() || !place(byte == OpStoreCommon, *w, m) ||
            writes_outer_parameter(byte == OpStoreCommon, *w))
            return false;
        ++op;
        cc_.movsd(m, stack_.back());
        return true;
    }
    case OpPreIncVar: case OpPreDecVar: case OpPreIncCommon: case OpPreDecCommon:
    case OpPostIncVar: case OpPostDecVar: case OpPostIncCommon: case OpPostDecCommon:
        ++op;
        return step(byte, *w);
    case OpCallInt: case OpCallReal: case OpCallComplex: case OpCallExternal:
        op += 2;
        return call(byte, w[0], w[1], ip, op);
    default:
        break;
    }
    if (byte < kFirstBuiltin && kOpcodes[byte].layout != Operands::None) {
        op += operand_words(byte);
        return flow(byte, w, reachable);
    }
    return operation(byte);
}

// A first activation that calls marked its formula running; every way out
// clears the mark, as the interpreter's end of a first activation does.  A
// nested one gives its frame back and leaves the mark.
void RealCodegen::emit_return(x86::Xmm v) {
    if (batch_) {
        // The value, and on to the next point.
        cc_.movsd(x86::qword_ptr(batch_out_), v);
        cc_.add(args_, batch_stride_);
        cc_.add(batch_out_, 8);
        cc_.jmp(loop_);
        return;
    }
    if (line_) {
        add_to_line(v);
        return;
    }
    if (nested_)
        end_nested();
    else if (calls_)
        cc_.mov(x86::byte_ptr(address(rec_->code)), kIdle);
    cc_.ret(v);
}

// --- the translation-time stack -----------------------------------------------

x86::Xmm RealCodegen::pop() {
    materialize(stack_.size() - 1);
    x86::Xmm v = stack_.back();
    stack_.pop_back();
    return v;
}

void RealCodegen::push_leaf(const x86::Mem &m, bool number) {
    leaves_.push_back({stack_.size(), m, number});
    stack_.push_back(x86::Xmm());
}

// Whether the top is a leaf holding a constant that is not NaN.
bool RealCodegen::number_on_top() const {
    for (const Leaf &l : leaves_)
        if (l.depth + 1 == stack_.size()) return l.number;
    return false;
}

// Takes the entry at `depth` off the stack's top as a memory operand when it
// is a leaf; false (nothing taken) when it is in a register.
bool RealCodegen::take_leaf(size_t depth, x86::Mem *m) {
    if (depth + 1 != stack_.size()) return false;
    for (size_t i = 0; i < leaves_.size(); ++i)
        if (leaves_[i].depth == depth) {
            *m = leaves_[i].mem;
            leaves_.erase(leaves_.begin() + ptrdiff_t(i));
            stack_.pop_back();
            return true;
        }
    return false;
}

void RealCodegen::materialize(size_t depth) {
    for (size_t i = 0; i < leaves_.size(); ++i)
        if (leaves_[i].depth == depth) {
            stack_[depth] = load(leaves_[i].mem);
            leaves_.erase(leaves_.begin() + ptrdiff_t(i));
            return;
        }
}

void RealCodegen::materialize_all() {
    for (const Leaf &l : leaves_) stack_[l.depth] = load(l.mem);
    leaves_.clear();
}

x86::Xmm RealCodegen::load(const x86::Mem &m) {
    x86::Xmm v = cc_.newXmmSd();
    cc_.movsd(v, m);
    return v;
}

x86::Xmm RealCodegen::copy(x86::Xmm from) {
    x86::Xmm v = cc_.newXmmSd();
    cc_.movapd(v, from);
    return v;
}

x86::Xmm RealCodegen::zero() {
    x86::Xmm v = cc_.newXmmSd();
    cc_.xorpd(v, v);
    return v;
}

x86::Gp RealCodegen::address(const void *p) {
    x86::Gp r = cc_.newIntPtr();
    cc_.mov(r, imm(reinterpret_cast<uint64_t>(p)));
    return r;
}

// --- operands -------------------------------------------------------------------

x86::Mem RealCodegen::constant(double k) { return cc_.newDoubleConst(ConstPoolScope::kLocal, k); }

x86::Mem RealCodegen::mask(uint64_t bits) {
    const uint64_t both[2] = {bits, bits};
    return cc_.newConst(ConstPoolScope::kLocal, both, sizeof both);
}

x86::Mem RealCodegen::one128() { return mask(std::bit_cast<uint64_t>(1.0)); }

// The data array's address is loaded once, at the function's entry, the
// first time something needs it: every path, whichever runs first, has it.
x86::Mem RealCodegen::data_slot(int32_t index) {
    if (!data_base_.isValid()) {
        data_base_ = cc_.newIntPtr("data");
        BaseNode *const before = entry_;
        BaseNode *here = cc_.setCursor(entry_);
        cc_.mov(data_base_, imm(reinterpret_cast<uint64_t>(data_)));
        entry_ = cc_.cursor();
        cc_.setCursor(here == before ? entry_ : here);
    }
    return x86::qword_ptr(data_base_, index * 8);
}

// Evaluation-stack entry `depth` (0 the lowest): in the data array from
// StackBase on for a first activation, after the automatic variables in a
// nested frame.
x86::Mem RealCodegen::stack_slot(int32_t depth) {
    if (nested_) return x86::qword_ptr(frame_, (h_[kVarCount] + depth) * 8);
    return data_slot(h_[kStackBase] + depth);
}

// Where variable v or shared cell `word` lives (a first activation's frame is
// the data array; statics are there for every activation).  False for a
// word that names nothing.
bool RealCodegen::place(bool common, int32_t word, x86::Mem &m) {
    if (common) {
        void *cell = address_at(uint32_t(word));
        if (!cell) return false;
        m = x86::qword_ptr(address(cell));
        return true;
    }
    if (word < 0 || word >= h_[kDataLength]) return false;
    if (word <= h_[kLastParam])
        m = x86::qword_ptr(args_, word * 8);
    else if (nested_ && word < h_[kFirstStatic])
        m = x86::qword_ptr(frame_, word * 8);
    else
        m = data_slot(word);
    return true;
}

// Increments and decrements of a variable or cell.
bool RealCodegen::step(uint8_t byte, int32_t word) {
    const auto [common, pre, inc] = step_kind(byte);
    x86::Mem m;
    if (!place(common, word, m) || writes_outer_parameter(common, word)) return false;
    x86::Xmm old = load(m);
    x86::Xmm changed = pre ? old : copy(old);
    if (inc)
        cc_.addsd(changed, constant(1.0));
    else
        cc_.subsd(changed, constant(1.0));
    cc_.movsd(m, changed);
    push(pre ? changed : old);
    return true;
}

// --- operations -------------------------------------------------------------------

bool RealCodegen::operation(uint8_t byte) {
    if (byte == OpPow && square_) {
        // a^2 is a*a (RealMath::pow); the exponent is the constant just pushed.
        if (stack_.size() < 2) return false;
        pop();
        x86::Xmm a = pop();
        cc_.mulsd(a, a);
        push(a);
        return true;
    }
    if (auto f = jit_library::binary(byte)) return call2(reinterpret_cast<const void *>(f));
    if (auto f = jit_library::unary(byte)) return call1(reinterpret_cast<const void *>(f));
    switch (byte) {
    case OpAdd: case OpSub: case OpMul: case OpDiv: return arith(byte);
    // Comparisons: a NaN makes all but "not equal" false, as cmpsd does.
    case OpGt: return compare(kCmpLt, true);
    case OpGe: return compare(kCmpLe, true);
    case OpLt: return compare(kCmpLt, false);
    case OpLe: return compare(kCmpLe, false);
    case OpEq: return compare(kCmpEq, false);
    case OpNe: return compare(kCmpNeq, false);
    case OpAnd: return logic(true);
    case OpOr: return logic(false);
    case OpNot: {
        if (stack_.empty()) return false;
        x86::Xmm r = truth(pop(), kCmpEq);
        cc_.andpd(r, one128());
        push(r);
        return true;
    }
    case OpNeg: return bits(mask(0x8000000000000000u), true);
    case kFirstBuiltin + real_op::abs_: return bits(mask(0x7FFFFFFFFFFFFFFFu), false);
    // Byte 45 ("return") is never emitted and runs as sqrt.  sqrtsd is
    // the correctly rounded square root the interpreter's std::sqrt is.
    case kFirstBuiltin + real_op::return_:
    case kFirstBuiltin + real_op::sqrt_: {
        if (stack_.empty()) return false;
        x86::Xmm t = pop();
        cc_.sqrtsd(t, t);
        push(t);
        return true;
    }
    default:
        return false; // string access, bytes of no instruction
    }
}

// When both operands are NaN the instruction returns its destination's
// NaN.  The interpreter's compiled code computes a+b and a*b into the
// register of b (the top) and a-b, a/b into that of a; the same choice
// here keeps even the NaN's sign and payload.
//
// The operand that is only read may come straight from memory (a leaf): the
// instruction's result is the same, NaN rule included.  A sum or product
// whose top is a constant other than NaN writes the operand below instead,
// reading the constant from memory: with one NaN operand at most, either
// order gives the same bits.
bool RealCodegen::arith(uint8_t byte) {
    if (stack_.size() < 2) return false;
    const size_t top = stack_.size() - 1;
    // Addition and multiplication write the top (b), subtraction and
    // division the operand below it (a); the other operand is only read.
    const bool into_top = (byte == OpAdd || byte == OpMul) && !number_on_top();
    x86::Xmm dest, read;
    x86::Mem m;
    if (into_top) dest = pop();
    const bool from_memory = take_leaf(into_top ? top - 1 : top, &m);
    if (!from_memory) read = pop();
    if (!into_top) dest = pop();
    InstId id = x86::Inst::kIdAddsd;
    switch (byte) {
    case OpAdd: id = x86::Inst::kIdAddsd; break;
    case OpMul: id = x86::Inst::kIdMulsd; break;
    case OpSub: id = x86::Inst::kIdSubsd; break;
    default: id = x86::Inst::kIdDivsd; break;
    }
    if (from_memory)
        cc_.emit(id, dest, m);
    else
        cc_.emit(id, dest, read);
    push(dest);
    return true;
}

// x pred y as a 0 or 1; `swapped` compares b with a (a > b is b < a).
// Made by the next instruction (compare_pending_).
bool RealCodegen::compare(uint8_t pred, bool swapped) {
    if (stack_.size() < 2) return false;
    x86::Xmm b = pop(), a = pop();
    compare_x_ = swapped ? b : a;
    compare_y_ = swapped ? a : b;
    compare_predicate_ = pred;
    compare_pending_ = true;
    push(compare_x_);
    return true;
}

void RealCodegen::settle_compare() {
    compare_pending_ = false;
    cc_.cmpsd(compare_x_, compare_y_, imm(compare_predicate_));
    cc_.andpd(compare_x_, one128());
}

// Branches to `to` where the pending comparison is false, as its 0 or 1
// would be: a NaN makes all but "not equal" false (ucomisd then sets ZF, PF
// and CF).  x < y is y above x, x <= y is y above or equal to x.
void RealCodegen::jump_if_false(const Label &to) {
    compare_pending_ = false;
    const x86::Xmm x = compare_x_, y = compare_y_;
    switch (compare_predicate_) {
    case kCmpLt:
        cc_.ucomisd(y, x);
        cc_.jbe(to);
        break;
    case kCmpLe:
        cc_.ucomisd(y, x);
        cc_.jb(to);
        break;
    case kCmpEq:
        cc_.ucomisd(x, y);
        cc_.jp(to);
        cc_.jne(to);
        break;
    default: { // not equal: false only where ordered and equal
        const Label true_ = cc_.newLabel();
        cc_.ucomisd(x, y);
        cc_.jp(true_);
        cc_.je(to);
        cc_.bind(true_);
        break;
    }
    }
}

// All ones where t pred 0 holds, else all zeros.
x86::Xmm RealCodegen::truth(x86::Xmm t, uint8_t pred) {
    cc_.cmpsd(t, zero(), imm(pred));
    return t;
}

// A NaN is a true value ("not equal" to 0).
bool RealCodegen::logic(bool both) {
    if (stack_.size() < 2) return false;
    x86::Xmm b = truth(pop(), kCmpNeq), a = truth(pop(), kCmpNeq);
    if (both)
        cc_.andpd(a, b);
    else
        cc_.orpd(a, b);
    cc_.andpd(a, one128());
    push(a);
    return true;
}

// Negation flips the sign bit, abs clears it: what the interpreter's
// compiled -t and std::fabs do.
bool RealCodegen::bits(const x86::Mem &m, bool flip) {
    if (stack_.empty()) return false;
    x86::Xmm t = pop();
    if (flip)
        cc_.xorpd(t, m);
    else
        cc_.andpd(t, m);
    push(t);
    return true;
}

bool RealCodegen::call1(const void *f) {
    if (stack_.empty()) return false;
    x86::Xmm t = pop(), r = cc_.newXmmSd();
    InvokeNode *call = nullptr;
    if (cc_.invoke(&call, reinterpret_cast<uint64_t>(f),
                   FuncSignatureT<double, double>(CallConvId::kHost)) != kErrorOk)
        return false;
    call->setArg(0, t);
    call->setRet(0, r);
    push(r);
    return true;
}

bool RealCodegen::call2(const void *f) {
    if (stack_.size() < 2) return false;
    x86::Xmm b = pop(), a = pop(), r = cc_.newXmmSd();
    InvokeNode *call = nullptr;
    if (cc_.invoke(&call, reinterpret_cast<uint64_t>(f),
                   FuncSignatureT<double, double, double>(CallConvId::kHost)) != kErrorOk)
        return false;
    call->setArg(0, a);
    call->setArg(1, b);
    call->setRet(0, r);
    push(r);
    return true;
}

namespace {

// Formulas the tier does not take by their size alone.
bool too_large(const int32_t *h) {
    return h[kCodeStart] < 0 || h[kCodeLength] - h[kCodeStart] > kMaxInstructionBytes ||
           h[kDataLength] > kMaxDataSlots;
}

template <typename Entry>
Entry translate(JitRuntime *rt, FormulaRecord *rec, RealCodegen::Form form,
                JitEntry nested_entry) {
    CodeHolder code;
    FailFlag failed;
    if (code.init(rt->environment()) != kErrorOk) return nullptr;
    code.setErrorHandler(&failed);
    x86::Compiler cc(&code);
    RealCodegen gen(rec, cc, form, nested_entry);
    if (!gen.run() || failed.error || cc.finalize() != kErrorOk || failed.error) return nullptr;
    Entry entry = nullptr;
    if (rt->add(&entry, &code) != kErrorOk) return nullptr;
    return entry;
}

}  // namespace

// The nested code first, so that the first activation's recursive calls go
// straight to it.  A formula whose first activation the tier does not take
// gets neither.  Exhausted memory in the translation-time stack leaves the
// formula interpreted like any other failure.
NativeCode compile_real_native(FormulaRecord *rec) {
    if (too_large(rec->header)) return {};
    JitRuntime *rt = native_runtime();
    if (!rt) return {};
    NativeCode made{};
    try {
        made.nested = translate<JitEntry>(rt, rec, RealCodegen::Form::kNested, nullptr);
        made.first = translate<JitEntry>(rt, rec, RealCodegen::Form::kFirst, made.nested);
    } catch (const std::bad_alloc &) {
        made.first = nullptr;
    }
    if (!made.first && made.nested) {
        release_native(reinterpret_cast<const void *>(made.nested));
        made.nested = nullptr;
    }
    return made;
}

namespace {

// A form made alone (the batch and line forms).
template <typename Entry>
Entry compile_alone(FormulaRecord *rec, RealCodegen::Form form) {
    if (too_large(rec->header)) return nullptr;
    JitRuntime *rt = native_runtime();
    if (!rt) return nullptr;
    try {
        return translate<Entry>(rt, rec, form, nullptr);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

}  // namespace

JitBatch compile_real_batch(FormulaRecord *rec) {
    return compile_alone<JitBatch>(rec, RealCodegen::Form::kBatch);
}

JitLine compile_real_line(FormulaRecord *rec) {
    return compile_alone<JitLine>(rec, RealCodegen::Form::kLine);
}

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
