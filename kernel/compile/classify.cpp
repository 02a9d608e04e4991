// Classification: every identifier of the body becomes what its name means.
//
// Not followed by "(":  header variable (local, or a shared cell created on
//   first use); the imaginary unit i/I where the type has one; a named
//   constant of the type; M::name as a constant for each used module M;
//   else error 24.
// Followed by "(":  built-in of the type; control function; the formula's
//   own name; a formula or external function found by the registry (which
//   also tries the used modules); else error 25.
//
// "&" right after "(" or "," takes the address of the variable after it,
// which must stand alone as an argument (error 18).  Every distinct callee
// other than the formula itself is noted in the callee list at the far end
// of the header buffer.
#include <cstdlib>
#include <cstring>

#include "../registry/registry.h"
#include "parse_names.h"
#include "parse_tokens.h"

namespace tmx {

namespace {

struct ControlName {
    const char16_t *name;
    uint16_t kind;
};
constexpr ControlName kControlNames[] = {
    {u"if", kTokIf},       {u"while", kTokWhile}, {u"until", kTokUntil},
    {u"which", kTokWhich}, {u"break", kTokBreak}, {u"continue", kTokContinue},
};

// Words of the header that are keywords, not variables.
bool is_keyword(const char16_t *name, int32_t len) {
    return same_text(name, len, u"static", 6) || same_text(name, len, u"common", 6);
}

int32_t wide_length(const char16_t *s) {
    int32_t n = 0;
    while (s[n]) ++n;
    return n;
}

struct Classifier {
    CompileContext &cx;
    Token *tok;
    NameTable names;

    explicit Classifier(CompileContext &c) : cx(c), tok(c.tokens()) {}

    const char16_t *text(const Token &t) const { return token_text(cx, t); }

    int prepare();
    int address_of(int32_t amp);
    int operand(Token &t);
    int call(Token &t);
    int constant_of_used_module(Token &t, bool *found);
    int note_callee(uint32_t index);
    bool builtin(Token &t);
    bool control(Token &t);
    bool self_call(Token &t);

    bool is_parameter(const Token &t) const {
        return t.kind == kTokLocal && int32_t(t.value) <= cx.last_param;
    }
};

// The table holds the header variables (keywords aside) and, as they are
// found, the callees.
int Classifier::prepare() {
    if (!names.init(cx, cx.var_count + (cx.body_last - cx.body_first) / 3)) return kGrowTokens;
    for (int32_t v = 0; v < cx.var_count; ++v) {
        const HeaderVariable &hv = cx.vars()[v];
        if (is_keyword(cx.src + hv.first, hv.last - hv.first + 1)) continue;
        if (int r = names.add_variable(v)) return r;
    }
    return 0;
}

int Classifier::operand(Token &t) {
    const char16_t *name = text(t);
    int32_t len = token_length(t);
    int32_t v = names.find_variable(name, len);
    if (v >= 0) {
        const HeaderVariable &hv = cx.vars()[v];
        if (!hv.shared) {
            t.kind = kTokLocal;
            t.value = uint32_t(v);
            return 0;
        }
        uint32_t cell = shared_cell(cx.type->shared_type, cx.module, name, len, hv.common);
        if (!cell) return cx.fail(TM_CE_NO_MEMORY, t.first, t.last);
        t.kind = kTokShared;
        t.value = cell;
        return 0;
    }
    if (cx.type->imaginary_unit && (same_text(name, len, u"i", 1) || same_text(name, len, u"I", 1))) {
        static const double kUnit[2] = {0.0, 1.0};
        t.kind = kTokConstant;
        std::memcpy(t.constant, kUnit, sizeof kUnit);
        return 0;
    }
    if (const void *value = find_constant(cx.type->const_type, name, len)) {
        t.kind = kTokConstant;
        std::memcpy(t.constant, value, cx.type->slot);
        return 0;
    }
    bool found = false;
    if (int r = constant_of_used_module(t, &found)) return r;
    if (found) return 0;
    return cx.fail(TM_CE_UNKNOWN_VARIABLE, t.first, t.last);
}

// Tries "M::name" for each module M the formula's module uses.
int Classifier::constant_of_used_module(Token &t, bool *found) {
    const char16_t *const *used = used_modules(cx.module);
    if (!used) return 0;
    int32_t len = token_length(t);
    for (; *used; ++used) {
        int32_t mlen = wide_length(*used);
        size_t total = size_t(mlen) + 2 + size_t(len);
        auto *full = static_cast<char16_t *>(std::malloc(total * sizeof(char16_t)));
        if (!full) return cx.fail(TM_CE_NO_MEMORY, t.first, t.last);
        std::memcpy(full, *used, size_t(mlen) * sizeof(char16_t));
        full[mlen] = u':';
        full[mlen + 1] = u':';
        std::memcpy(full + mlen + 2, text(t), size_t(len) * sizeof(char16_t));
        const void *value = find_constant(cx.type->const_type, full, int32_t(total));
        std::free(full);
        if (value) {
            t.kind = kTokConstant;
            std::memcpy(t.constant, value, cx.type->slot);
            *found = true;
            return 0;
        }
    }
    return 0;
}

bool Classifier::builtin(Token &t) {
    const BuiltinTable &table = *cx.type->builtins;
    for (int k = 0; k < table.count; ++k) {
        if (token_is(cx, t, table.names[k])) {
            t.kind = kTokBuiltin;
            t.value = uint32_t(kFirstBuiltin + k);
            return true;
        }
    }
    return false;
}

bool Classifier::control(Token &t) {
    for (const ControlName &c : kControlNames) {
        if (token_is(cx, t, c.name)) {
            t.kind = c.kind;
            return true;
        }
    }
    return false;
}

bool Classifier::self_call(Token &t) {
    if (cx.name_token < 0) return false;
    const Token &name = tok[cx.name_token];
    if (!same_text(text(name), token_length(name), text(t), token_length(t))) return false;
    t.kind = uint16_t(kTokCallInt + cx.type->type - 1);
    t.value = cx.self_index;
    return true;
}

// Each distinct callee once; a new one needs 16 free words between the
// operand stream and the list.
int Classifier::note_callee(uint32_t index) {
    if (names.has_callee(index)) return 0;
    int32_t k = cx.callee_count;
    if (g_work.header_capacity - kOperandStart - k < 16 + 1) return kGrowHeader;
    g_work.header[g_work.header_capacity - 1 - k] = int32_t(index);
    if (int r = names.add_callee(k, index)) return r;
    cx.callee_count = k + 1;
    return 0;
}

int Classifier::call(Token &t) {
    if (builtin(t) || control(t) || self_call(t)) return 0;
    Callee callee{};
    if (!resolve_function(text(t), token_length(t), cx.module, cx.type->ext_type, &callee)) {
        return cx.fail(TM_CE_UNKNOWN_FUNCTION, t.first, t.last);
    }
    t.kind = uint16_t(callee.kind);
    t.value = callee.index;
    return note_callee(callee.index);
}

// "&" after "(" or ",": the next token must be a variable standing alone
// as an argument.  The "&" goes; the variable becomes a reference.
int Classifier::address_of(int32_t amp) {
    Token &var = tok[amp + 1];
    if (var.kind != kTokIdent || tok[amp + 2].kind == kTokOpen) {
        return cx.fail(TM_CE_BAD_ADDRESS_OF, tok[amp].first, var.last);
    }
    if (int r = operand(var)) return r;
    uint16_t after = tok[amp + 2].kind;
    if ((var.kind != kTokLocal && var.kind != kTokShared) ||
        (after != kTokClose && after != kTokComma)) {
        return cx.fail(TM_CE_BAD_ADDRESS_OF, tok[amp].first, var.last);
    }
    if (is_parameter(var)) cx.flags |= kFlagModifiesParams;
    var.kind = var.kind == kTokLocal ? uint16_t(kTokLocalRef) : uint16_t(kTokSharedRef);
    tok[amp].kind = kTokDeleted;
    return 0;
}

}  // namespace

int classify(CompileContext &cx) {
    Classifier c(cx);
    if (int r = c.prepare()) return r;
    Token *tok = cx.tokens();
    bool deleted = false;
    // The body's first and last tokens are its wrapping brackets.
    for (int32_t k = cx.body_first + 1; k < cx.body_last; ++k) {
        Token &t = tok[k];
        int r = 0;
        if (t.kind == kTokAnd && (tok[k - 1].kind == kTokOpen || tok[k - 1].kind == kTokComma)) {
            r = c.address_of(k);
            deleted = true;
            ++k; // the variable is done
        } else if (t.kind == kTokIdent) {
            r = tok[k + 1].kind == kTokOpen ? c.call(t) : c.operand(t);
        }
        if (r) return r;
    }
    if (deleted) compact_body(cx);
    return 0;
}

}  // namespace tmx
