// The opcode table declares how every shared instruction moves the stack and
// the streams (opcodes.h); the record verifier and the disassembler believe
// it.  These tests hold the evaluators to it: each program below runs with
// the trace on, every executed step is compared with what the table
// predicts from the step before it in the same activation, and every
// instruction must have been seen on each path it declares, in all three
// number types.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "formula_support.h"
#include "kernel/disasm.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"

namespace tmx::test {
namespace {

enum Path { kNext, kTaken };

// Follows the trace and checks each step against its predecessor.
class EffectChecker {
  public:
    static EffectChecker *active;

    std::set<std::tuple<int, int, Path>> seen; // {type, opcode, path}
    std::vector<std::string> faults;

    void step(const TraceStep &now) {
        auto it = last_.find(now.stack_base);
        if (it != last_.end()) check(it->second, now);
        const uint8_t byte = now.rec->code[now.code];
        if (byte == OpReturn)
            last_.erase(now.stack_base); // the next activation here starts afresh
        else
            last_[now.stack_base] = now;
    }

  private:
    std::map<const void *, TraceStep> last_;

    void fault(const TraceStep &was, const std::string &what) {
        faults.push_back(std::string(opcode_name(was.type, was.rec->code[was.code])) + " at " +
                         std::to_string(was.code) + ": " + what);
    }

    void check(const TraceStep &was, const TraceStep &now) {
        const uint8_t byte = was.rec->code[was.code];
        const int32_t *h = was.rec->header;
        if (byte >= kFirstBuiltin) {
            const BuiltinTable &t = was.type == 1   ? kIntBuiltins
                                    : was.type == 2 ? kRealBuiltins
                                                    : kComplexBuiltins;
            const int32_t want = was.depth - (byte - kFirstBuiltin < t.one_arg ? 0 : 1);
            if (now.depth != want || now.code != was.code + 1) fault(was, "built-in");
            return;
        }
        const OpcodeInfo &info = kOpcodes[byte];
        const int32_t *w = h + was.word;
        const DepthChange d = depth_change(byte, w, was.depth);
        if (was.depth < d.need) fault(was, "ran with too few values");
        const bool jumps = info.flow == Flow::Jump ||
                           (info.flow == Flow::Branch && now.code == read_jump(info.layout, w).code);
        if (byte == OpContinue && now.code == h[kCodeLength] - 1) {
            // A pending run error: the final OpReturn runs on the stack as it is.
            if (now.depth != was.depth) fault(was, "error exit moved the stack");
            seen.insert({was.type, byte, kNext});
            return;
        }
        seen.insert({was.type, byte, jumps ? kTaken : kNext});
        if (jumps) {
            const JumpOperands j = read_jump(info.layout, w);
            if (now.depth != d.taken) fault(was, "depth after the jump");
            if (now.konst != j.konst || now.word != j.word) fault(was, "jump positions");
            return;
        }
        if (now.depth != d.next) fault(was, "depth after it");
        const int32_t konst = was.konst + (info.layout == Operands::Constant ? 1 : 0);
        if (now.konst != konst) fault(was, "constant position");
        // Calls are followed by their write-back list, two words per entry.
        int32_t words = jump_words(info.layout).words;
        if (info.layout == Operands::Call)
            for (const uint8_t *p = was.rec->code + was.code + 1; *p; ++p) words += 2;
        if (now.word != was.word + words) fault(was, "operand position");
    }
};

EffectChecker *EffectChecker::active = nullptr;

void record_step(const TraceStep &s) { EffectChecker::active->step(s); }

int64_t ext_int(int, int64_t *args, TmCallContext *) { return args[0] + 1; }
double ext_real(int, double *args, TmCallContext *) { return args[0] + 1; }
void ext_complex(TmComplex *r, int, TmComplex *args, TmCallContext *) { *r = args[0]; }

// Programs of one type: a definition text per formula and the arguments to
// run the last one with (each run is one value of its first parameter).
struct Program {
    std::string source;
    std::vector<double> runs;
};

// The same texts serve the three types: every construct below compiles to
// the same shared instructions in each ("^" is written "%" for integers).  Callees of every type are compiled
// first, so each type calls all four kinds.
const std::vector<Program> &programs() {
    static const std::vector<Program> list = {
        {"se_arith(x:a,b:m,common,c)= a=x+1, b=a-2*3/(4^3), m=b, c=m, "
         "!(a>b)|(a>=b)&(a<b)|(a<=b)|(a==b)|(a!=b), -a, ++a, --a, a++, a--, "
         "++m, --m, m++, m--, ++c, --c, c++, c--, (a, b, c), a",
         {1}},
        {"se_ctl(x:k,s)= k=0, s=0, while(k<5, k++, if(k==2, continue()), if(k==4, break()), "
         "s=s+k), until(k++, k>=7), which(x==0, 10, x==1, 20, 30) + if(x, 2), s",
         {0, 1, 2}},
        // A run error inside a loop: continue leaves through the final return,
        // and the loop tests see the pending error.
        {"se_err(x:k)= k=0, while(k<3, k++, which(x==5, 1), continue()), k", {0}},
        {"se_err2(x:k)= which(x==5, 1), k=0, until(k++, 0), while(1, 1), k", {0}},
        {"se_calls(x:v)= v=x, se_ci(&v) + se_cr(v) + se_cz() + se_ext(v) + se_fact(3) + v", {2}},
    };
    return list;
}

class StackEffect : public ::testing::TestWithParam<int> {
  protected:
    void SetUp() override {
        take_run_error();
        ASSERT_EQ(SetFunction(4, u"se_ext", reinterpret_cast<void *>(&ext_int), 0), 0);
        ASSERT_EQ(SetFunction(5, u"se_ext", reinterpret_cast<void *>(&ext_real), 0), 0);
        ASSERT_EQ(SetFunction(6, u"se_ext", reinterpret_cast<void *>(&ext_complex), 0), 0);
        keep(1, u"se_ci(n)= n=n+1");
        keep(2, u"se_cr(x)= x*2");
        keep(3, u"se_cz()= 1");
        EffectChecker::active = &checker_;
        set_trace_sink(&record_step);
        set_trace(true);
    }
    void TearDown() override {
        set_trace(false);
        set_trace_sink(nullptr);
        EffectChecker::active = nullptr;
        for (auto [type, handle] : kept_) DeleteFor(type, handle);
        for (int type = 4; type <= 6; ++type) DeleteConstOrFunction(type, u"se_ext");
        take_run_error();
    }
    void keep(int type, const std::u16string &src) {
        Compiled c = compile(type, src);
        ASSERT_EQ(c.status, 0) << "type " << type << " at " << c.err_begin << ".." << c.err_end;
        kept_.push_back({type, c.handle});
    }

    EffectChecker checker_;
    std::vector<std::pair<int, void *>> kept_;
};

TEST_P(StackEffect, EveryStepMatchesTheTableOnEveryPath) {
    const int type = GetParam();
    keep(type, u"se_fact(n)= which(n<2, 1, n*se_fact(n-1))");
    for (const Program &p : programs()) {
        std::u16string text(p.source.begin(), p.source.end());
        if (type == 1) std::replace(text.begin(), text.end(), u'^', u'%');
        Compiled c = compile(type, text);
        ASSERT_EQ(c.status, 0) << p.source << " at " << c.err_begin << ".." << c.err_end;
        for (double x : p.runs) {
            set_argument(type, c, 0, x);
            evaluate(type, c);
            take_run_error();
        }
        DeleteFor(type, c.handle);
    }
    for (const std::string &f : checker_.faults) ADD_FAILURE() << "type " << type << ": " << f;

    for (int op = 1; op < kFirstBuiltin; ++op) {
        const Flow flow = kOpcodes[op].flow;
        if (flow != Flow::Jump)
            EXPECT_TRUE(checker_.seen.count({type, op, kNext}))
                << kOpcodes[op].name << " never went on, type " << type;
        if (flow != Flow::Next)
            EXPECT_TRUE(checker_.seen.count({type, op, kTaken}))
                << kOpcodes[op].name << " never jumped, type " << type;
    }
}

INSTANTIATE_TEST_SUITE_P(AllTypes, StackEffect, ::testing::Values(1, 2, 3));

}  // namespace
}  // namespace tmx::test
