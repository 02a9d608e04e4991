// The control functions.  Forward jumps reserve their operand words and are
// filled when the landing is reached; backward jumps (loop ends, continue)
// copy the positions recorded at the loop start.
//
// Stack depth along the jump paths (d0 = depth where the construct starts):
//   if(c, e1..en)     c stays on the stack; OpIfTest lands after OpIfEnd with
//                     depth d0+1 (c's slot set to 0), as the fall-through does.
//   while(c, e..)     OpJump resets to d0 (slot d0-1); OpWhileTest leaves with
//                     c on the stack (depth d0+1); a break lands there too,
//                     its slot d0 holding 0.
//   until(e.., c)     OpUntilTest resets to d0 for the next pass, else leaves
//                     0 at slot d0; breaks land there.
//   which(c1, v1, ..) OpWhichTest keeps the condition and adds a skipped slot,
//                     so the next condition starts where the fall-through
//                     through the value would; OpWhichEnd leaves the value at
//                     c1's slot (depth d0+1) and jumps to the end.
#include "codegen_internal.h"

namespace tmx {

namespace {

void fill_test(Generator &g, int32_t at, StreamPos to) {
    g.header[at] = to.code;
    g.header[at + 1] = to.konst;
    g.header[at + 2] = to.word;
}

// OpWhichEnd operands: code, const, n, int (n is written at emission).
void fill_which_end(Generator &g, int32_t at, StreamPos to) {
    g.header[at] = to.code;
    g.header[at + 1] = to.konst;
    g.header[at + 3] = to.word;
}

void fill_breaks(Generator &g, int32_t chain, StreamPos to, int32_t slot) {
    while (chain >= 0) {
        int32_t previous = g.header[chain];
        g.header[chain] = to.code;
        g.header[chain + 1] = to.konst;
        g.header[chain + 2] = slot;
        g.header[chain + 3] = to.word;
        chain = previous;
    }
}

// Emits an OpWhichEnd of drop count n; the pending OpWhichTest (top of the
// control stack) lands right after it, and its own entry takes the test's
// place to be filled at the end of the `which`.
void which_end(Generator &g, int32_t n) {
    g.emit(OpWhichEnd);
    int32_t at = g.reserve(4);
    if (g.status) return;
    g.header[at + 2] = n;
    ControlRecord &test = g.control(g.ncontrol - 1);
    fill_test(g, test.header_pos, g.here());
    test = {kCtlWhichEnd, at, 0, 0, 0};
}

void close_which(Generator &g, int32_t args) {
    if (args % 2 == 0) { // odd argument count: the last one is the default
        g.emit(OpWhichDefault);
        g.operand(args);
    } else {
        which_end(g, args);
        g.emit(OpWhichNone);
        g.operand(args);
    }
    if (g.status) return;
    StreamPos end = g.here();
    while (g.ncontrol > 0) {
        ControlRecord c = g.control(--g.ncontrol);
        if (c.kind == kCtlWhich) break;
        if (c.kind == kCtlWhichEnd) fill_which_end(g, c.header_pos, end);
    }
}

// Ends the innermost loop with its closing jump (OpJump back to the start, or
// OpUntilTest); breaks and the while test land after it.
void close_loop(Generator &g, bool is_while) {
    const ControlRecord start = g.control(g.loop);
    ControlRecord &links = g.control(g.loop + 1);
    if (is_while) {
        g.emit(OpJump);
        g.operand(start.code_pos);
        g.operand(start.const_pos);
        g.operand(start.depth - 1);
        g.operand(start.header_pos);
    } else {
        g.emit(OpUntilTest);
        g.operand(start.depth - 1);
        g.operand(start.code_pos);
        g.operand(start.const_pos);
        g.operand(start.header_pos);
    }
    if (g.status) return;
    StreamPos end = g.here();
    if (is_while) fill_test(g, while_test(links), end);
    fill_breaks(g, break_chain(links), end, start.depth);
    g.loop = outer_loop(links);
    g.ncontrol -= 2;
}

}  // namespace

int open_loop(Generator &g, int32_t kind) {
    ControlRecord start = {kind == kTokWhile ? kCtlWhile : kCtlUntil, g.op, g.pc, g.ci, g.depth};
    ControlRecord links = {kCtlLoopLinks, -1, g.loop, -1, 0};
    if (!g.push_control(start) || !g.push_control(links)) return 0;
    g.loop = g.ncontrol - 2;
    // The loop start is a landing: nothing before it may fold with its code.
    g.trailing_consts = 0;
    return 0;
}

int emit_break(Generator &g, int32_t name, int32_t args) {
    if (args != -1) return g.fail_range(TM_CE_BREAK_ARGUMENTS, name, name);
    if (g.loop < 0) return g.fail_range(TM_CE_BREAK_OUTSIDE_LOOP, name, name);
    g.emit(OpBreak);
    int32_t at = g.reserve(4);
    if (g.status) return 0;
    ControlRecord &links = g.control(g.loop + 1);
    g.header[at] = break_chain(links);
    break_chain(links) = at;
    return 0;
}

int emit_continue(Generator &g, int32_t name, int32_t args) {
    if (args != -1) return g.fail_range(TM_CE_CONTINUE_ARGUMENTS, name, name);
    if (g.loop < 0) return g.fail_range(TM_CE_CONTINUE_OUTSIDE_LOOP, name, name);
    const ControlRecord &start = g.control(g.loop);
    g.emit(OpContinue);
    g.operand(start.code_pos);
    g.operand(start.const_pos);
    g.operand(start.depth - 1);
    g.operand(start.header_pos);
    return 0;
}

void control_comma(Generator &g) {
    const BracketRecord &b = g.bracket();
    switch (b.kind) {
    case kTokIf:
        if (b.args != 0) return;
        g.emit(OpIfTest);
        g.push_control({kCtlIf, g.reserve(3), 0, 0, 0});
        return;
    case kTokWhile:
        if (b.args != 0) return;
        g.emit(OpWhileTest);
        while_test(g.control(g.loop + 1)) = g.reserve(3);
        return;
    case kTokWhich:
        if (b.args % 2 == 1) return which_end(g, b.args);
        g.emit(OpWhichTest);
        g.push_control({kCtlWhichTest, g.reserve(3), 0, 0, 0});
        return;
    default: return;
    }
}

int close_control(Generator &g, int32_t close) {
    const BracketRecord &b = g.bracket();
    if (b.args < 1) return g.fail_range(TM_CE_CONTROL_ARGUMENTS, b.name, close);
    switch (b.kind) {
    case kTokIf:
        g.emit(OpIfEnd);
        g.operand(b.args);
        if (g.status) return 0;
        fill_test(g, g.control(--g.ncontrol).header_pos, g.here());
        return 0;
    case kTokWhile: close_loop(g, true); return 0;
    case kTokUntil: close_loop(g, false); return 0;
    default: close_which(g, b.args); return 0;
    }
}

}  // namespace tmx
