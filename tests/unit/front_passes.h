// Runs the compiler's front passes on a source text the way the front end
// does (fresh context per attempt, buffer growth and restart on a growth
// code) and keeps what the passes left, for the lexer and parser tests.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "kernel/compile/context.h"
#include "kernel/compile/number_literals.h"
#include "kernel/opcodes.h"
#include "kernel/work_buffers.h"

namespace tmx::testing {

inline void real_from_index(void *out, int32_t index) {
    double v = index;
    std::memcpy(out, &v, sizeof v);
}
// The real type as the front passes see it (folding and evaluation are not
// reached).  Integer and complex runs take kIntType and kComplexType.
inline const TypeDesc kFrontReal = {2,    8,     &kRealBuiltins,  5,       8,       11,
                                    true, false, false,           lex_real_number,
                                    real_from_index, nullptr, nullptr, nullptr};

using Pass = int (*)(CompileContext &);
inline constexpr Pass kFrontPasses[] = {lex,      parse_header,    match_brackets, rewrite_members,
                                        classify, check_operators, check_shape};
enum PassCount : int {
    kUpToLex = 1,
    kUpToHeader = 2,
    kUpToBrackets = 3,
    kUpToMembers = 4,
    kUpToClassify = 5,
    kUpToOperators = 6,
    kAllFront = 7,
};

struct FrontRun {
    int code = 0;
    int32_t first = 0, last = 0;
    int restarts = 0;
    CompileContext cx;
    std::u16string src;
    std::vector<Token> tokens;
    std::vector<HeaderVariable> vars;
    std::u16string string_area; // code words 1 .. code_start/2 - 1
    std::vector<int32_t> callees;

    const Token &body(int32_t k) const { return tokens[size_t(cx.body_first + 1 + k)]; }
    int32_t body_size() const { return cx.body_last - cx.body_first - 1; }
    std::string text(const Token &t) const {
        std::string s;
        for (int32_t i = t.first; i <= t.last; ++i) s += src[size_t(i)] < 128 ? char(src[size_t(i)]) : '?';
        return s;
    }
    double real(const Token &t) const {
        double v;
        std::memcpy(&v, t.constant, sizeof v);
        return v;
    }
    int64_t integer(const Token &t) const {
        int64_t v;
        std::memcpy(&v, t.constant, sizeof v);
        return v;
    }

    // The body between its wrapping brackets, one word per token: brackets
    // and commas by kind (a comma may come from ":" or "."), the rest by
    // source text.
    std::string body_text() const {
        std::string s;
        for (int32_t k = 0; k < body_size(); ++k) {
            const Token &t = body(k);
            if (!s.empty()) s += ' ';
            switch (t.kind) {
            case kTokOpen: s += '('; break;
            case kTokClose: s += ')'; break;
            case kTokComma: s += ','; break;
            case kTokDeleted: s += '~'; break;
            default: s += text(t); break;
            }
        }
        return s;
    }
};

inline int32_t source_length(const std::u16string &s) {
    size_t n = 0;
    while (n < s.size() && s[n] != 0) ++n;
    return int32_t(n);
}

inline FrontRun run_front(const std::u16string &src, int passes = kAllFront,
                          const TypeDesc *type = &kFrontReal, int module = 1) {
    FrontRun run;
    run.src = src;
    if (!g_work.allocated) work_buffers_allocate();
    for (;;) {
        CompileContext cx;
        cx.src = run.src.c_str();
        cx.src_len = source_length(run.src);
        cx.module = module;
        cx.self_index = 4242;
        cx.type = type;
        int r = 0;
        for (int p = 0; p < passes && r == 0; ++p) r = kFrontPasses[p](cx);
        if (r < 0) {
            ++run.restarts;
            if (!work_buffers_grow(r, type->type)) {
                ADD_FAILURE() << "buffer growth failed";
                return run;
            }
            continue;
        }
        run.code = r;
        run.first = cx.err_begin;
        run.last = cx.err_end;
        run.cx = cx;
        if (r == 0) {
            run.tokens.assign(g_work.tokens, g_work.tokens + cx.ntokens);
            run.vars.assign(g_work.header_vars, g_work.header_vars + cx.var_count);
            if (passes >= kUpToHeader) {
                auto *w = reinterpret_cast<const char16_t *>(g_work.code);
                run.string_area.assign(w + 1, w + cx.code_start / 2);
            }
            for (int32_t k = 0; k < cx.callee_count; ++k) {
                run.callees.push_back(g_work.header[g_work.header_capacity - 1 - k]);
            }
        }
        return run;
    }
}

}  // namespace tmx::testing
