// Code generation on hand-made token lists: what each construct compiles to
// (bytes, operands, constants, sizes), the argument checks, the growth codes,
// and a walk over every path of the emitted code that proves the evaluation
// stack stays inside the data array.  The token lists come from a small
// tokenizer below that stands in for the front passes: it knows the names of
// a test's variables and functions and marks unary operators the way the
// operator pass does.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "code_paths.h"
#include "kernel/address_table.h"
#include "kernel/compile/context.h"
#include "kernel/opcodes.h"
#include "kernel/record.h"
#include "kernel/registry/registry.h"
#include "kernel/run_error.h"
#include "kernel/work_buffers.h"

namespace tmx {
namespace {

// --- the setting of one compile ------------------------------------------------

struct Env {
    std::vector<std::string> vars;                        // by variable index
    int params = 0;                                       // the first `params` vars
    int statics_from = -1;                                // first static; -1: none
    std::map<std::string, uint32_t> shared;               // name -> cell index
    std::map<std::string, std::pair<uint16_t, uint32_t>> functions; // name -> kind, index
    std::vector<uint32_t> callees;                        // noted callee list
    uint8_t flags = 0;
    const TypeDesc *type = &kRealType;
};

Token token(uint16_t kind, size_t first, size_t last, uint32_t value = 0) {
    Token t{};
    t.kind = kind;
    t.first = int32_t(first);
    t.last = int32_t(last);
    t.value = value;
    return t;
}

int control_kind(const std::string &name) {
    static const std::map<std::string, int> kControls = {
        {"if", kTokIf},       {"while", kTokWhile}, {"until", kTokUntil},
        {"which", kTokWhich}, {"break", kTokBreak}, {"continue", kTokContinue}};
    auto it = kControls.find(name);
    return it == kControls.end() ? 0 : it->second;
}

int builtin_code(const std::string &name) {
    const BuiltinTable &t = kRealBuiltins;
    for (int k = 0; k < t.count; ++k) {
        std::u16string n(t.names[k]);
        if (std::string(n.begin(), n.end()) == name) return kFirstBuiltin + k;
    }
    return 0;
}

// Source (ASCII) -> the token list the front passes would hand over, wrapped
// in the extra bracket pair.  A function registered with index 0 is the
// formula itself.
std::vector<Token> tokenize(const std::string &s, const Env &st, uint32_t self_index) {
    std::vector<Token> out;
    out.push_back(token(kTokOpen, 0, 0));
    auto at_operand_start = [&] {
        uint16_t k = out.back().kind;
        return k == kTokOpen || k == kTokComma || k == kTokAssign || k == kTokDeleted;
    };
    bool by_ref = false;
    size_t i = 0;
    while (i < s.size()) {
        char c = s[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (std::isdigit(uint8_t(c)) || c == '.') {
            char *end = nullptr;
            double v = std::strtod(s.c_str() + i, &end);
            size_t n = size_t(end - (s.c_str() + i));
            Token t = token(kTokConstant, i, i + n - 1);
            std::memcpy(t.constant, &v, sizeof v);
            out.push_back(t);
            i += n;
            continue;
        }
        if (std::isalpha(uint8_t(c)) || c == '_') {
            size_t j = i;
            while (j < s.size() && (std::isalnum(uint8_t(s[j])) || s[j] == '_')) ++j;
            std::string name = s.substr(i, j - i);
            size_t k = j;
            while (k < s.size() && s[k] == ' ') ++k;
            if (k < s.size() && s[k] == '(') {
                if (int code = builtin_code(name)) {
                    out.push_back(token(kTokBuiltin, i, j - 1, uint32_t(code)));
                } else if (int kind = control_kind(name)) {
                    out.push_back(token(uint16_t(kind), i, j - 1));
                } else {
                    auto f = st.functions.at(name);
                    out.push_back(token(f.first, i, j - 1, f.second ? f.second : self_index));
                }
            } else if (st.shared.count(name)) {
                out.push_back(token(by_ref ? kTokSharedRef : kTokShared, i, j - 1,
                                    st.shared.at(name)));
            } else {
                size_t v = 0;
                while (v < st.vars.size() && st.vars[v] != name) ++v;
                EXPECT_LT(v, st.vars.size()) << "unknown name " << name;
                out.push_back(token(by_ref ? kTokLocalRef : kTokLocal, i, j - 1, uint32_t(v)));
            }
            by_ref = false;
            i = j;
            continue;
        }
        std::string two = s.substr(i, 2);
        static const std::map<std::string, uint16_t> kPairs = {
            {">=", kTokGe}, {"<=", kTokLe}, {"==", kTokEq}, {"!=", kTokNe}};
        if (kPairs.count(two)) {
            out.push_back(token(kPairs.at(two), i, i + 1));
            i += 2;
            continue;
        }
        if (two == "++" || two == "--") {
            bool pre = at_operand_start();
            uint16_t kind = two == "++" ? (pre ? kTokPreInc : kTokPostInc)
                                        : (pre ? kTokPreDec : kTokPostDec);
            out.push_back(token(kind, i, i + 1));
            i += 2;
            continue;
        }
        uint16_t kind = uint16_t(c);
        if (c == '&' && at_operand_start()) {
            by_ref = true;
            kind = kTokDeleted;
        } else if (c == '+' && at_operand_start()) {
            kind = kTokUnaryPlus;
        } else if (c == '-' && at_operand_start()) {
            kind = kTokUnaryMinus;
        }
        out.push_back(token(kind, i, i));
        ++i;
    }
    out.push_back(token(kTokClose, s.empty() ? 0 : s.size() - 1, s.empty() ? 0 : s.size() - 1));
    return out;
}

// --- compiling ---------------------------------------------------------------

struct Result {
    int rc = 0;
    int32_t err_begin = -1, err_end = -1;
    std::vector<int> growths;  // growth codes met on the way
    std::vector<uint8_t> code; // the whole code array
    std::vector<int32_t> header;
    std::vector<double> data; // up to StackBase

    std::vector<uint8_t> instructions() const {
        return {code.begin() + header[kCodeStart], code.end()};
    }
    std::vector<int32_t> operands() const {
        return {header.begin() + kOperandStart, header.begin() + header[kCalleeFirst]};
    }
    std::vector<double> constants() const {
        return {data.begin() + header[kVarCount], data.begin() + header[kStackBase]};
    }
};

void grow(int growth) { ASSERT_TRUE(work_buffers_grow(growth, 2)); }

// One compile as the front end runs it: from scratch after every growth.
Result compile(const std::string &src, const Env &st = {}, uint32_t self_index = 0) {
    const std::vector<Token> toks = tokenize(src, st, self_index);
    Result r;
    for (int attempt = 0; attempt < 200; ++attempt) {
        while (g_work.token_capacity < int32_t(toks.size())) grow(kGrowTokens);
        while (g_work.header_capacity < 16 + int32_t(st.callees.size())) grow(kGrowHeader);
        std::copy(toks.begin(), toks.end(), g_work.tokens);
        const uint8_t prefix[6] = {0, 0, 'f', 0, 0, 0}; // name "f"
        std::memcpy(g_work.code, prefix, sizeof prefix);
        for (size_t k = 0; k < st.callees.size(); ++k)
            g_work.header[g_work.header_capacity - 1 - int32_t(k)] = int32_t(st.callees[k]);

        CompileContext cx;
        cx.type = st.type;
        cx.module = 1;
        cx.self_index = self_index;
        cx.ntokens = int32_t(toks.size());
        cx.body_first = 0;
        cx.body_last = cx.ntokens - 1;
        cx.last_param = st.params - 1;
        cx.var_count = int32_t(st.vars.size());
        cx.first_static = st.statics_from < 0 ? cx.var_count : st.statics_from;
        cx.flags = st.flags;
        cx.code_start = 6;
        cx.first_string = 3;
        cx.callee_count = int32_t(st.callees.size());
        r.rc = generate(cx);
        if (r.rc < 0) {
            r.growths.push_back(r.rc);
            if (!work_buffers_grow(r.rc, cx.type->type)) break;
            continue;
        }
        r.err_begin = cx.err_begin;
        r.err_end = cx.err_end;
        if (r.rc != 0) return r;
        const int32_t *h = g_work.header;
        r.code.assign(g_work.code, g_work.code + h[kCodeLength]);
        r.header.assign(h, h + h[kHeaderLength]);
        r.data.assign(g_work.real_data, g_work.real_data + h[kStackBase]);
        return r;
    }
    ADD_FAILURE() << "no end to growing the buffers";
    return r;
}

int32_t walk(const Result &r) { return test::walk_all_paths(r.code, r.header); }

// A shared cell, registered as classification would.
struct SharedCell {
    double value;
    uint32_t index_;
    explicit SharedCell(double v = 0) : value(v) {
        index_ = address_register(&value, AddressKind::SharedCell);
    }
    ~SharedCell() { address_release(index_); }
    uint32_t index() const { return index_; }
};

class CodegenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work_buffers_allocate());
        g_run_error = {};
    }
    void TearDown() override { g_run_error = {}; }
};

using Bytes = std::vector<uint8_t>;
using Words = std::vector<int32_t>;
using Values = std::vector<double>;

// --- layout -------------------------------------------------------------------

TEST_F(CodegenTest, WorkedExampleLayout) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("x*2+1", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.code, (Bytes{0, 0, 'f', 0, 0, 0, OpPushVar, OpPushConst, OpMul, OpPushConst,
                             OpAdd, OpReturn}));
    const Words &h = r.header;
    ASSERT_EQ(h.size(), 16u);
    EXPECT_EQ(h[kLastParam], 0);
    EXPECT_EQ(h[kVarCount], 1);
    EXPECT_EQ(h[kCodeLength], 12);
    EXPECT_EQ(h[kHeaderLength], 16);
    EXPECT_EQ(h[kDataLength], 5);
    EXPECT_EQ(h[kCodeStart], 6);
    EXPECT_EQ(h[kStackBase], 3);
    EXPECT_EQ(h[kModuleNo], 1);
    EXPECT_EQ(h[kReferrers], 0);
    EXPECT_EQ(h[kCalleeFirst], 16);
    EXPECT_EQ(h[kCalleeLast], 15);
    EXPECT_EQ(h[kFirstStatic], 1);
    EXPECT_EQ(h[kFreeVar], 0);
    EXPECT_EQ(h[kFirstString], 3);
    EXPECT_EQ(h[15], 0);
    EXPECT_EQ(r.data, (Values{0, 2, 1}));
    EXPECT_EQ(walk(r), 2);
}

TEST_F(CodegenTest, VariablesZeroedAndFlagsOrred) {
    Env st;
    st.vars = {"x", "a", "s"};
    st.params = 1;
    st.statics_from = 2;
    st.flags = kFlagModifiesParams;
    for (int k = 0; k < 30; ++k) g_work.real_data[k] = 99;
    Result r = compile("(x=2, x+1)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.code[1], kFlagModifiesParams);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpStoreVar, OpPushVar, OpPushConst, OpAdd,
                                       OpDropKeep, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, 0, 1}));
    EXPECT_EQ(r.data, (Values{0, 0, 0, 2, 1}));
    EXPECT_EQ(r.header[kFirstStatic], 2);
    walk(r);
}

TEST_F(CodegenTest, CalleeListFollowsTheOperandsInNotingOrder) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    st.callees = {7001, 7002, 7003};
    Result r = compile("x+x", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.header[kCalleeFirst], 17);
    EXPECT_EQ(r.header[kCalleeLast], 19);
    EXPECT_EQ(r.header[kHeaderLength], 20);
    EXPECT_EQ(Words(r.header.begin() + 17, r.header.end()), (Words{7001, 7002, 7003}));
}

// --- operators, folding ----------------------------------------------------------

TEST_F(CodegenTest, PrecedenceAndAssociativity) {
    Env st;
    st.vars = {"a", "b", "c"};
    st.params = 3;
    Result r = compile("a-b-c", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushVar, OpSub, OpPushVar, OpSub, OpReturn}));
    r = compile("a|b&c>a+b*c^a", st);
    EXPECT_EQ(r.instructions(),
              (Bytes{OpPushVar, OpPushVar, OpPushVar, OpPushVar, OpPushVar, OpPushVar, OpPushVar,
                     OpPow, OpMul, OpAdd, OpGt, OpAnd, OpOr, OpReturn}));
    EXPECT_EQ(walk(r), 7);
    r = compile("a^b^c", st); // left to right like the other levels
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushVar, OpPow, OpPushVar, OpPow, OpReturn}));
    r = compile("!a+(-b)", st); // unary binds tighter than any binary operator
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpNot, OpPushVar, OpNeg, OpAdd, OpReturn}));
    r = compile("(+a)", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpReturn}));
}

TEST_F(CodegenTest, FoldsConstantExpressions) {
    Result r = compile("2+3*4");
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpReturn}));
    EXPECT_EQ(r.constants(), (Values{14}));

    r = compile("(-2)^2+(!0)+(!7)+(+5)");
    EXPECT_EQ(r.constants(), (Values{4 + 1 + 0 + 5}));
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpReturn}));

    r = compile("(2)+(3)");
    EXPECT_EQ(r.constants(), (Values{5}));
    r = compile("sin(0)+sqrt(16)");
    EXPECT_EQ(r.constants(), (Values{4}));
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpReturn}));
}

TEST_F(CodegenTest, FoldsOnlyConstantsJustPushed) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("x+2*3", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushConst, OpAdd, OpReturn}));
    EXPECT_EQ(r.constants(), (Values{6}));
    r = compile("2*3+x", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpPushVar, OpAdd, OpReturn}));
    r = compile("x+2+3", st); // (x+2)+3
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushConst, OpAdd, OpPushConst, OpAdd, OpReturn}));
    EXPECT_EQ(r.constants(), (Values{2, 3}));
    r = compile("2+(3,4)", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpPushConst, OpPushConst, OpDropKeep, OpAdd,
                                       OpReturn}));
    r = compile("getc(1)+cos(x)+atan2(1,2)", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, kRealGetc, OpPushVar, kRealSqrt + 5, OpAdd,
                                       OpPushConst, OpPushConst, kRealAtan2, OpAdd, OpReturn}));
    r = compile("-x", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpNeg, OpReturn}));
    r = compile("(2, -x)", st); // the 2 before the comma is not the operand
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpPushVar, OpNeg, OpDropKeep, OpReturn}));
}

TEST_F(CodegenTest, ReturnIsTheFormulasOwnReturn) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("return(x), 1", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(),
              (Bytes{OpPushVar, OpReturn, OpPushConst, OpDropKeep, OpReturn}));
    r = compile("return(2)");
    EXPECT_EQ(r.instructions(), (Bytes{OpPushConst, OpReturn, OpReturn}));
}

TEST_F(CodegenTest, IncrementsRewriteTheirPush) {
    SharedCell cell(5);
    Env st;
    st.vars = {"x"};
    st.params = 1;
    st.shared = {{"g", cell.index()}};
    Result r = compile("(x++, ++g, g--, --x)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPostIncVar, OpPreIncCommon, OpPostDecCommon,
                                       OpPreDecVar, OpDropKeep, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, int32_t(cell.index()), int32_t(cell.index()), 0, 3}));
    // Four values at once plus the spare cell of the last step.
    EXPECT_EQ(r.header[kDataLength] - r.header[kStackBase], 5);
    walk(r);
    r = compile("-x++", st);
    EXPECT_EQ(r.instructions(), (Bytes{OpPostIncVar, OpNeg, OpReturn}));
}

TEST_F(CodegenTest, AssignmentsStoreAtTheEndOfTheirArgument) {
    SharedCell cell;
    Env st;
    st.vars = {"x", "y"};
    st.params = 1;
    st.shared = {{"g", cell.index()}};
    Result r = compile("(y=(g=x+1)*2, y)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushConst, OpAdd, OpStoreCommon, OpPushConst,
                                       OpMul, OpStoreVar, OpPushVar, OpDropKeep, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, int32_t(cell.index()), 1, 1, 1}));
    EXPECT_EQ(walk(r), 2);
}

// --- calls ---------------------------------------------------------------------------

// A callee formula with `params` parameters, registered like a filed one.
struct CalleeFormula {
    FormulaRecord rec;
    int32_t header[kOperandStart + 1] = {};
    uint32_t index;
    explicit CalleeFormula(int params, int type = 2) {
        header[kLastParam] = params - 1;
        rec.header = header;
        rec.type = int8_t(type);
        index = address_register(&rec, AddressKind::Formula);
    }
    ~CalleeFormula() { address_release(index); }
};

struct External {
    ExternalFunction fn{};
    explicit External(int32_t param_count, void *address = nullptr) {
        fn.address = address;
        fn.param_count = param_count;
        fn.type = 5;
        fn.index = address_register(&fn, AddressKind::ExternalFunction);
    }
    ~External() { address_release(fn.index); }
};

TEST_F(CodegenTest, CallsCarryTheirWriteBackList) {
    CalleeFormula f(1), h(3);
    SharedCell cell;
    Env st;
    st.vars = {"x", "y"};
    st.params = 2;
    st.shared = {{"g", cell.index()}};
    st.functions = {{"f", {kTokCallReal, f.index}}, {"h", {kTokCallReal, h.index}}};
    Result r = compile("f(&x)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpCallReal, 2, 0, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, int32_t(f.index), 0, 0, 0}));

    // Newest first; a by-reference argument of a nested call belongs to it.
    r = compile("h(&x, f(&y)+1, &g)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpPushVar, OpCallReal, 2, 0, OpPushConst, OpAdd,
                                       OpPushCommon, OpCallReal, 3, 2, 0, OpReturn}));
    int32_t c = int32_t(cell.index());
    EXPECT_EQ(r.operands(), (Words{0, 1, int32_t(f.index), 0, 0, 1, c, int32_t(h.index), 2, 2, c,
                                   0, 0}));
    EXPECT_EQ(walk(r), 3);
}

TEST_F(CodegenTest, ReferenceOutsideACallIsAPlainPush) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("sin(&x)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, kRealSqrt + 4, OpReturn}));
}

TEST_F(CodegenTest, CallsWithoutArgumentsGetAResultSlot) {
    CalleeFormula k(0);
    External any(-2);
    Env st;
    st.functions = {{"k", {kTokCallReal, k.index}}, {"e", {kTokCallExternal, any.fn.index}}};
    Result r = compile("k()+e()+e(1,2,3)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpCallReal, 0, OpCallExternal, 0, OpAdd, OpPushConst,
                                       OpPushConst, OpPushConst, OpCallExternal, 0, OpAdd,
                                       OpReturn}));
    EXPECT_EQ(r.operands(), (Words{int32_t(k.index), -1, int32_t(any.fn.index), -1,
                                   int32_t(any.fn.index), 2}));
    EXPECT_EQ(walk(r), 4);
}

// Self calls are recognised by the index alone; no record is needed.
constexpr uint32_t kSelfIndex = 0x7FFF0000;

TEST_F(CodegenTest, ArgumentCountErrors) {
    CalleeFormula i3(3, 1), r1(1, 2), c2(2, 3);
    External e1(0), any(-5);
    Env st;
    st.vars = {"x"};
    st.params = 1;
    st.functions = {{"i", {kTokCallInt, i3.index}},     {"r", {kTokCallReal, r1.index}},
                    {"c", {kTokCallComplex, c2.index}}, {"e", {kTokCallExternal, e1.fn.index}},
                    {"v", {kTokCallExternal, any.fn.index}}, {"self", {kTokCallReal, 0}}};
    struct Case {
        const char *src;
        int rc, first, last;
    };
    const Case cases[] = {
        {"x+sin(1,2)", 26, 2, 9},   {"sin()", 26, 0, 4},      {"atan2(x)", 26, 0, 7},
        {"i(x)", 32, 0, 3},         {"i(x,x,x)", 0, 0, 0},    {"r()", 33, 0, 2},
        {"r(x,x)", 33, 0, 5},       {"c(x,x)", 34, 0, 5},     {"c(x,x,x,x)", 0, 0, 0},
        {"e()", 27, 0, 2},          {"e(1,2)", 27, 0, 5},     {"e(1)", 0, 0, 0},
        {"v()+v(1,2,3,4,5)", 0, 0, 0}, {"self(x)", 0, 0, 0},  {"self()", 33, 0, 5},
        {"if(x)", 16, 0, 4},        {"while(x)", 16, 0, 7},   {"until(x)", 16, 0, 7},
        {"which(x)", 16, 0, 7},     {"break()", 15, 0, 4},    {"continue()", 13, 0, 7},
        {"while(1, break(1))", 14, 9, 13}, {"until(continue(x), 1)", 12, 6, 13},
        {"1, (while(x, 1), break())", 15, 17, 21},
    };
    for (const Case &c : cases) {
        const Result r = compile(c.src, st, kSelfIndex);
        EXPECT_EQ(r.rc, c.rc) << c.src;
        if (c.rc && r.rc == c.rc) {
            EXPECT_EQ(r.err_begin, c.first) << c.src;
            EXPECT_EQ(r.err_end, c.last) << c.src;
        }
    }
}

// --- control functions -----------------------------------------------------------

TEST_F(CodegenTest, IfJumpsPastItsEnd) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("if(x, 1, 2)+3", st);
    ASSERT_EQ(r.rc, 0);
    // code: 6 PushVar, 7 IfTest, 8 PushConst, 9 PushConst, 10 IfEnd, 11 PushConst
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpIfTest, OpPushConst, OpPushConst, OpIfEnd,
                                       OpPushConst, OpAdd, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, /*IfTest*/ 11, 3, 20, /*IfEnd*/ 2}));
    EXPECT_EQ(r.constants(), (Values{1, 2, 3}));
    EXPECT_EQ(walk(r), 3);
}

TEST_F(CodegenTest, WhileLoopsBreakAndContinue) {
    Env st;
    st.vars = {"x", "s"};
    st.params = 1;
    Result r = compile("s, while(x, if(x>5, break()), x=x+1, continue())", st);
    ASSERT_EQ(r.rc, 0);
    // 6 PushVar s | loop start 7: PushVar x, WhileTest | 9 PushVar, PushConst, Gt, IfTest |
    // 13 Break | 14 IfEnd | 15 PushVar PushConst Add StoreVar | 19 Continue | 20 Jump |
    // 21 DropKeep, Return
    EXPECT_EQ(r.instructions(),
              (Bytes{OpPushVar, OpPushVar, OpWhileTest, OpPushVar, OpPushConst, OpGt, OpIfTest,
                     OpBreak, OpIfEnd, OpPushVar, OpPushConst, OpAdd, OpStoreVar, OpContinue,
                     OpJump, OpDropKeep, OpReturn}));
    // The loop starts at code 7, constant 2, operand 16, depth 1; it ends at
    // code 21, constant 4, operand 39.
    EXPECT_EQ(r.operands(), (Words{
                                1,               // 15: s
                                0,               // 16: x
                                21, 4, 39,       // 17: WhileTest -> after the Jump
                                0,               // 20: x
                                15, 3, 29,       // 21: IfTest -> after the IfEnd
                                21, 4, 1, 39,    // 24: Break -> after the Jump, slot 1
                                1,               // 28: IfEnd 1
                                0, 0,            // 29: x, StoreVar x
                                7, 2, 0, 16,     // 31: Continue -> the loop start, slot 0
                                7, 2, 0, 16,     // 35: Jump -> the loop start
                                1,               // 39: DropKeep 1
                            }));
    walk(r);
}

TEST_F(CodegenTest, UntilRepeatsUntilItsLastArgument) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("1+until(x=x+1, if(x>9, break()), x>3)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(),
              (Bytes{OpPushConst, OpPushVar, OpPushConst, OpAdd, OpStoreVar, OpPushVar,
                     OpPushConst, OpGt, OpIfTest, OpBreak, OpIfEnd, OpPushVar, OpPushConst, OpGt,
                     OpUntilTest, OpAdd, OpReturn}));
    // Loop start: code 7, constant 2 (after the 1 at slot 1), operand 15, depth 1.
    const Words ops = r.operands();
    ASSERT_EQ(ops.size(), 16u);
    EXPECT_EQ(Words(ops.begin() + 6, ops.begin() + 10), (Words{21, 5, 1, 31})); // the break
    EXPECT_EQ(Words(ops.begin() + 12, ops.end()), (Words{0, 7, 2, 15}));      // the test
    EXPECT_EQ(walk(r), 5);
}

TEST_F(CodegenTest, WhichChainsItsTestsAndEnds) {
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile("which(x, 1, 2)", st);
    ASSERT_EQ(r.rc, 0);
    // 6 PushVar, 7 WhichTest, 8 PushConst, 9 WhichEnd, 10 PushConst, 11 WhichDefault, 12 Return
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpWhichTest, OpPushConst, OpWhichEnd,
                                       OpPushConst, OpWhichDefault, OpReturn}));
    EXPECT_EQ(r.operands(), (Words{0, 10, 2, 23, 12, 3, 1, 24, 2}));
    EXPECT_EQ(walk(r), 3);

    r = compile("which(x, 1, x>1, 2)", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(),
              (Bytes{OpPushVar, OpWhichTest, OpPushConst, OpWhichEnd, OpPushVar, OpPushConst,
                     OpGt, OpWhichTest, OpPushConst, OpWhichEnd, OpWhichNone, OpReturn}));
    EXPECT_EQ(r.operands(),
              (Words{0, /*test*/ 10, 2, 23, /*end*/ 17, 4, 1, 32, 0, /*test*/ 16, 4, 31,
                     /*end*/ 17, 4, 3, 32, /*none*/ 3}));
    EXPECT_EQ(walk(r), 4);
}

TEST_F(CodegenTest, NestedControlKeepsItsOwnEntries) {
    Env st;
    st.vars = {"x", "y"};
    st.params = 2;
    const char *sources[] = {
        "which(which(x, 1, 2), if(y, while(x, break(), x=x-1)), y, 3, 4)",
        "while(x, until(if(y, break()), which(x, break(), continue()), 1), x=x-1)",
        "if(x, if(y, 1), while(x, if(y, continue()), x=x-1, which(y, break())))",
        "until(x=x+1, which(x>2, until(y=y+1, break(), y>3), 5), x>4)",
    };
    for (const char *src : sources) {
        Result r = compile(src, st);
        EXPECT_EQ(r.rc, 0) << src;
        if (r.rc == 0) walk(r);
    }
}

// --- folding and run errors ----------------------------------------------------------

void raising_evaluate(FormulaRecord *record, void *, void *out) {
    record_run_error(2, u"boom", 7, 2, record);
    std::memset(out, 0, 8);
}

TEST_F(CodegenTest, FoldingThatRaisesARunErrorStopsTheCompile) {
    TypeDesc raising = kRealType;
    raising.evaluate = raising_evaluate;
    Env st;
    st.vars = {"x"};
    st.type = &raising;
    for (const char *src : {"sin(1)+x", "x+(2+3)", "2*3"}) {
        g_run_error = {};
        Result r = compile(src, st);
        EXPECT_EQ(r.rc, 36) << src;
        EXPECT_EQ(r.err_begin, 0);
        EXPECT_EQ(r.err_end, 0);
        EXPECT_EQ(g_run_error.type, 2);
        EXPECT_EQ(g_run_error.code, 7);
        EXPECT_EQ(g_run_error.formula, nullptr) << "names the scratch record";
        EXPECT_EQ(g_run_error.formula_type, 0);
    }
}

// --- buffers -------------------------------------------------------------------------

std::string repeat(const std::string &s, int n) {
    std::string out;
    for (int k = 0; k < n; ++k) out += s;
    return out;
}

bool met(const Result &r, int growth) {
    return std::find(r.growths.begin(), r.growths.end(), growth) != r.growths.end();
}

TEST_F(CodegenTest, EachBufferAsksForItsGrowth) {
    Env st;
    st.vars = {"x", "y"};
    st.params = 1;

    Result r = compile("x" + repeat("+x", 50), st); // 102 bytes, 51 operands
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowCode));
    EXPECT_TRUE(met(r, kGrowHeader));

    r = compile("x" + repeat(", 1", 40), st); // 40 constants, no folding across commas
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowConstants));
    EXPECT_EQ(r.constants().size(), 40u);

    r = compile(repeat("(", 40) + "x" + repeat(")", 40), st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowBracketStack));
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpReturn}));

    r = compile(repeat("while(x, ", 20) + "x" + repeat(")", 20), st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowControlStack));
    walk(r);

    CalleeFormula f(40);
    st.functions = {{"f", {kTokCallReal, f.index}}};
    r = compile("f(&x" + repeat(", &y", 39) + ")", st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowStoreStack));
    Bytes expected(40, OpPushVar);
    expected.push_back(OpCallReal);
    expected.insert(expected.end(), 40, 2);
    expected.insert(expected.end(), {0, OpReturn});
    EXPECT_EQ(r.instructions(), expected);
    const Words ops = r.operands();
    ASSERT_EQ(ops.size(), 40u + 2 + 80);
    EXPECT_EQ(Words(ops.begin() + 42, ops.begin() + 46), (Words{39, 1, 38, 1})); // newest first
    EXPECT_EQ(Words(ops.end() - 2, ops.end()), (Words{0, 0}));
}

TEST_F(CodegenTest, FoldingNeedsScratchRoomInTheConstants) {
    // 28 constants fill the buffer to two slots short of the scratch stack.
    Result r = compile(repeat("1, ", 27) + "2+3");
    ASSERT_EQ(r.rc, 0);
    EXPECT_TRUE(met(r, kGrowConstants));
    EXPECT_EQ(r.constants().back(), 5);
}

TEST_F(CodegenTest, DeepNestingCompilesWithoutRecursion) {
    const int depth = 200000;
    Env st;
    st.vars = {"x"};
    st.params = 1;
    Result r = compile(repeat("(", depth) + "x" + repeat(")", depth), st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.instructions(), (Bytes{OpPushVar, OpReturn}));

    r = compile(repeat("(x+", depth / 4) + "1" + repeat(")", depth / 4), st);
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.header[kDataLength] - r.header[kStackBase], depth / 4 + 1);
    EXPECT_EQ(walk(r), depth / 4 + 1);
}

}  // namespace
}  // namespace tmx
