// The translator from real byte code to x86-64 code (asmjit's compiler), in
// four parts: the walk over the byte code and the values it computes
// (real_codegen.cpp), jumps and loops (real_codegen_flow.cpp), calls of
// other formulas and external functions (real_codegen_calls.cpp) and the
// frame of a nested activation (real_codegen_nested.cpp).
//
// One walk makes either of a formula's two functions.  Their bodies differ
// only in where automatic variables and the evaluation stack live (the data
// array at fixed addresses, or a frame on the shared value stack whose base
// is in a register), their entries and exits in everything: a first
// activation marks the formula running, a nested one first takes its frame
// and gives it back on every return.  Two functions keep the first
// activation, which is what the host's hot loops run, free of a frame
// register and of the nested bookkeeping; one function taking the frame base
// as an argument would also need the entry's kind as one and test it at
// every entry and exit.
//
// The evaluation stack exists only at translation time: each stack entry is
// a virtual register, which asmjit allocates to machine registers and spills
// around calls.  Where paths join (the target of a jump), every path must
// arrive with the same depth, and each entry is then moved into the one
// register kept for its depth, so all paths agree on where the values are.
// Any record that breaks the rules the compiler keeps stays interpreted.
#pragma once

#if TAMRIX_HAVE_JIT

#include <asmjit/x86.h>

#include <cstdint>
#include <vector>

#include "../record.h"

namespace tmx {

class RealCodegen {
  public:
    // The code made: a first activation's, whose recursive calls go to
    // `nested_entry` (made first; null: through the call path); a nested
    // activation's on the in-place path; the batch form that evaluates a
    // run of points (JitBatch); or the line form that walks evenly spaced
    // points and sums the values (JitLine).
    enum class Form { kFirst, kNested, kBatch, kLine };
    RealCodegen(FormulaRecord *rec, asmjit::x86::Compiler &cc, Form form,
                double (*nested_entry)(double *));

    // False when the formula is not one the tier takes.
    bool run();

  private:
    // Facts about one code offset, kept for the targets of jumps.
    struct Landing {
        asmjit::Label label;
        int32_t depth = -1; // stack depth every path brings (-1: none yet)
        int32_t word = -1;  // operand position the paths name
        int32_t konst = -1; // constant position the paths name
        bool target = false;
        bool walked = false; // the walk has passed it (the label is bound)
    };

    // --- the walk (real_codegen.cpp) --------------------------------------------
    bool scan();
    bool instruction(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp, bool &reachable);
    bool skip_instruction(uint8_t byte, int32_t &ip, int32_t &op, int32_t &cp) const;
    bool words_left(int32_t op, int32_t n) const;
    void emit_return(asmjit::x86::Xmm v);
    bool begin_batch();
    bool begin_line();
    void end_loop();
    void add_to_line(asmjit::x86::Xmm v);
    bool writes_outer_parameter(bool common, int32_t word) const;

    void push(asmjit::x86::Xmm v) { stack_.push_back(v); }
    void push_leaf(const asmjit::x86::Mem &m, bool number = false);
    bool number_on_top() const;
    bool take_leaf(size_t depth, asmjit::x86::Mem *m);
    void materialize(size_t depth);
    void materialize_all();
    asmjit::x86::Xmm pop();
    asmjit::x86::Xmm load(const asmjit::x86::Mem &m);
    asmjit::x86::Xmm copy(asmjit::x86::Xmm from);
    asmjit::x86::Xmm zero();
    asmjit::x86::Gp address(const void *p);
    asmjit::x86::Mem constant(double k);
    asmjit::x86::Mem mask(uint64_t bits);
    asmjit::x86::Mem one128();
    asmjit::x86::Mem data_slot(int32_t index);
    asmjit::x86::Mem stack_slot(int32_t depth);
    bool place(bool common, int32_t word, asmjit::x86::Mem &m);
    bool step(uint8_t byte, int32_t word);
    bool operation(uint8_t byte);
    bool arith(uint8_t byte);
    bool compare(uint8_t predicate, bool swapped);
    void settle_compare();
    void jump_if_false(const asmjit::Label &to);
    asmjit::x86::Xmm truth(asmjit::x86::Xmm t, uint8_t predicate);
    bool logic(bool both);
    bool bits(const asmjit::x86::Mem &m, bool flip);
    bool call1(const void *f);
    bool call2(const void *f);

    // --- jumps and loops (real_codegen_flow.cpp) ---------------------------------
    bool arrive(int32_t here, int32_t op, int32_t cp, bool &reachable);
    bool flow(uint8_t byte, const int32_t *w, bool &reachable);
    bool test_compare(uint8_t byte, int32_t to, int32_t word, int32_t konst);
    bool jump_to(int32_t to, int32_t depth, int32_t word, int32_t konst);
    bool drop_keep(int32_t n);
    void sync(size_t depth);
    asmjit::x86::Xmm canonical(size_t depth);
    void branch_if_zero(asmjit::x86::Xmm t, const asmjit::Label &to);
    void branch_if_error_pending(const asmjit::Label &to);

    // --- calls (real_codegen_calls.cpp) ------------------------------------------
    void begin_activation();
    bool call(uint8_t byte, int32_t callee, int32_t m, int32_t &ip, int32_t &op);
    asmjit::x86::Xmm call_other(uint8_t byte, void *target, int32_t m, asmjit::x86::Gp slot);
    asmjit::x86::Xmm call_real(FormulaRecord *callee, asmjit::x86::Gp slot);

    // --- a nested activation's frame (real_codegen_nested.cpp) ----------------------
    void begin_nested();
    void end_nested();
    void refuse_nested();

    FormulaRecord *rec_;
    const int32_t *h_;
    double *data_;
    asmjit::x86::Compiler &cc_;
    const bool nested_;
    double (*const nested_entry_)(double *);
    asmjit::Label self_;        // this function (a recursive call of nested code)
    asmjit::x86::Gp args_;
    asmjit::x86::Gp data_base_;
    asmjit::x86::Gp frame_;     // nested: automatic variable v at frame_[v]
    asmjit::x86::Gp saved_top_; // nested: the shared stack's top at entry
    asmjit::BaseNode *entry_ = nullptr; // where loads for the whole function go
    std::vector<asmjit::x86::Xmm> stack_;
    // Stack entries pushed from a variable, cell or constant and not loaded
    // yet (their register in stack_ is a placeholder): an addition or
    // multiplication takes its left operand, a subtraction or division its
    // right one, straight from memory.  Only pushes and those four
    // operations leave such entries; every other instruction and every join
    // point loads them first, so no store can come between a push and the
    // load of its value.
    struct Leaf {
        size_t depth;
        asmjit::x86::Mem mem;
        bool number = false; // a constant that is not NaN
    };
    std::vector<Leaf> leaves_;
    // The top is the 0 or 1 of the comparison just translated, not computed
    // yet: an if, which or while test right after it branches on the
    // comparison's flags instead (test_compare), and anything else makes the
    // value first (settle_compare).  compare_x_ is the top's register.
    bool compare_pending_ = false;
    asmjit::x86::Xmm compare_x_, compare_y_;
    uint8_t compare_predicate_ = 0;
    // The instruction just translated pushed the constant 2 (square_next_),
    // so an OpPow now (square_) squares with one multiplication.
    bool square_next_ = false;
    bool square_ = false;
    std::vector<asmjit::x86::Xmm> slots_; // the register of each depth at joins
    std::vector<Landing> at_;             // by code offset
    bool calls_ = false;                  // marks itself running (it calls)
    asmjit::Label refused_;               // the activation may not start
    asmjit::Label quiet_;                 // nested: ends unrecorded (an error is pending)
    // The batch and line forms loop over points: to loop_ after each value,
    // to loop_done_ when the points are over or a run error is pending.
    asmjit::Label loop_, loop_done_;
    // The batch form: out_ advances one value and args_ one point per
    // evaluation.
    bool batch_ = false;
    int32_t batch_stride_ = 0;
    asmjit::x86::Gp batch_out_, batch_end_;
    // The line form: point j of the line, the values added to line_total_.
    bool line_ = false;
    asmjit::x86::Gp line_j_, line_stop_;
    asmjit::x86::Xmm line_total_;
};

}  // namespace tmx

#endif  // TAMRIX_HAVE_JIT
