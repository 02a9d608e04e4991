// The member operator.
//
//   chain   -> object { "." element }
//   element -> call | identifier | string | ( ... )
//
// A call in a chain takes everything before it as its first arguments:
//   x.f(a, b)        reads  f(x, a, b)
//   x.f()            reads  f(x)
//   x.f().g(1)       reads  g(f(x), 1)
// and a plain element between them is one more leading argument:
//   x.y.f(1)         reads  f(x, y, 1)
//   h."name".(i).f() reads  f(h, "name", (i))
// A chain must end with a call (error 31 otherwise), and after "." only an
// identifier, a string literal or a bracket may follow (error 31).
//
// Moving call names in front of their objects would be quadratic on long
// chains if done in the array, so the body is threaded into a singly linked
// list (next[] in the bracket-position buffer) and each call costs one
// splice; one permutation at the end puts the array in list order.
#include <cstring>

#include "parse_tokens.h"

namespace tmx {

namespace {

// What a bracket level knows about the element that will be complete when
// its ")" is read.  It is kept in the "(" token itself (its constant bytes;
// value links to the enclosing level's "("), so nesting of any depth needs
// no stack of its own.
struct LevelRecord {
    int32_t start;  // list head of the element: a call name or the "("
    int32_t pred;   // the token before `start` in the list
    int32_t src;    // source index where the element's text begins
    int32_t member; // 1: the bracket is a plain element of a chain
};
static_assert(sizeof(LevelRecord) <= sizeof(Token::constant));

struct MemberRewriter {
    CompileContext &cx;
    Token *tok;
    int32_t *next;
    int32_t top = -1;  // innermost open "("
    int32_t prev = -1; // the token read last (list predecessor of the next one)

    // The element (or chain so far) that ends at the last token read at the
    // current level; cur_start < 0 when the last token ended no element.
    int32_t cur_start = -1, cur_pred = -1, cur_src = 0;
    bool chain_needs_call = false; // a plain element was chained: a call must follow
    int32_t member_last = -1;      // its last token

    explicit MemberRewriter(CompileContext &c)
        : cx(c), tok(c.tokens()), next(g_work.bracket_positions) {}

    void push(int32_t open, LevelRecord r) {
        std::memcpy(tok[open].constant, &r, sizeof r);
        tok[open].value = uint32_t(top);
        top = open;
        cur_start = -1;
        chain_needs_call = false;
    }

    void pop(int32_t close) {
        Token &open = tok[top];
        LevelRecord r;
        std::memcpy(&r, open.constant, sizeof r);
        top = int32_t(open.value);
        std::memset(open.constant, 0, sizeof open.constant);
        open.value = 0;
        cur_start = r.start;
        cur_pred = r.pred;
        cur_src = r.src;
        chain_needs_call = r.member != 0;
        member_last = close;
    }

    void operand(int32_t i) {
        cur_start = i;
        cur_pred = prev;
        cur_src = tok[i].first;
    }

    bool is_string(const Token &t) const {
        return t.kind == kTokConstant && (cx.src[t.first] == u'"' || cx.src[t.first] == u'@');
    }

    int run();
    int member(int32_t dot, int32_t &i);
    void to_list_order();
};

int MemberRewriter::run() {
    int32_t first = cx.body_first, last = cx.body_last;
    for (int32_t k = first; k < last; ++k) next[k] = k + 1;
    next[last] = -1;
    int32_t i = first;
    while (i >= 0) {
        Token &t = tok[i];
        if (chain_needs_call && t.kind != kTokMember) {
            return cx.fail(TM_CE_BAD_MEMBER, cur_src, tok[member_last].last);
        }
        switch (t.kind) {
        case kTokMember:
            if (int r = member(i, i)) return r;
            continue;
        case kTokOpen:
            push(i, {i, prev, t.first, 0});
            break;
        case kTokClose:
            pop(i);
            break;
        case kTokIdent:
            if (next[i] >= 0 && tok[next[i]].kind == kTokOpen) {
                int32_t open = next[i];
                push(open, {i, prev, t.first, 0});
                prev = open;
                i = next[open];
                continue;
            }
            operand(i);
            break;
        case kTokConstant:
            operand(i);
            break;
        default:
            cur_start = -1;
            break;
        }
        prev = i;
        i = next[i];
    }
    to_list_order();
    compact_body(cx);
    return 0;
}

// The "." at `dot` follows the element cur_start..dot-1 (the lexer only
// makes member operators after something that ends an operand).
int MemberRewriter::member(int32_t dot, int32_t &i) {
    int32_t nx = next[dot]; // never -1: the body's closing bracket follows
    const Token &n = tok[nx];
    if (cur_start < 0) return cx.fail(TM_CE_BAD_MEMBER, tok[dot].first, n.last);
    if (n.kind == kTokIdent && tok[next[nx]].kind == kTokOpen) {
        // Splice "name (" in front of the chain; the "." becomes the comma
        // after the chain, or goes when the call had no arguments.
        int32_t open = next[nx], after = next[open];
        tok[dot].kind = tok[after].kind == kTokClose ? uint16_t(kTokDeleted) : uint16_t(kTokComma);
        next[cur_pred] = nx;
        next[open] = cur_start;
        next[dot] = after;
        push(open, {nx, cur_pred, cur_src, 0});
        prev = dot;
        i = after;
        return 0;
    }
    if (n.kind == kTokIdent || is_string(n)) {
        tok[dot].kind = kTokComma;
        chain_needs_call = true;
        member_last = nx;
        prev = nx;
        i = next[nx];
        return 0;
    }
    if (n.kind == kTokOpen) {
        tok[dot].kind = kTokComma;
        push(nx, {cur_start, cur_pred, cur_src, 1});
        prev = nx;
        i = next[nx];
        return 0;
    }
    return cx.fail(TM_CE_BAD_MEMBER, cur_src, n.last);
}

// Replaces next[] by each token's rank in the list, then swaps every token
// to its rank: each swap settles one token, so this is linear.
void MemberRewriter::to_list_order() {
    int32_t rank = cx.body_first;
    for (int32_t k = cx.body_first; k >= 0;) {
        int32_t after = next[k];
        next[k] = rank++;
        k = after;
    }
    for (int32_t j = cx.body_first; j <= cx.body_last; ++j) {
        while (next[j] != j) {
            int32_t to = next[j];
            Token held = tok[to];
            tok[to] = tok[j];
            tok[j] = held;
            next[j] = next[to];
            next[to] = to;
        }
    }
}

}  // namespace

int rewrite_members(CompileContext &cx) {
    bool any = false;
    for (int32_t k = cx.body_first; k <= cx.body_last && !any; ++k) {
        any = cx.tokens()[k].kind == kTokMember;
    }
    if (!any) return 0;
    MemberRewriter m(cx);
    return m.run();
}

}  // namespace tmx
