#include "disasm.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "address_table.h"
#include "opcodes.h"
#include "platform/text.h"

namespace tmx {

namespace {

bool trace_from_environment() {
    const char *v = std::getenv("TAMRIX_TRACE");
    return v && *v && std::strcmp(v, "0") != 0;
}

void appendf(std::string &out, const char *fmt, ...) __attribute__((format(printf, 2, 3)));
void appendf(std::string &out, const char *fmt, ...) {
    char buf[256];
    va_list ap;
    va_start(ap, fmt);
    int n = std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    if (n > 0) out.append(buf, size_t(n) < sizeof buf ? size_t(n) : sizeof buf - 1);
}

void trim_right(std::string &s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

// The formula's name, read only inside the string area: a record without one
// (CodeStart 2, as in the compiler's folding records) has instructions there.
std::string record_name(const FormulaRecord *r) {
    const int32_t code_start = r->header[kCodeStart];
    std::u16string name;
    for (int32_t w = 1; 2 * w + 1 < code_start; ++w) {
        char16_t ch;
        std::memcpy(&ch, r->code + 2 * w, sizeof ch);
        if (ch == 0) break;
        name += ch;
    }
    return platform::to_utf8(name);
}

// Stream positions while walking a record.  The streams are laid out in code
// order, so a linear walk meets every operand and constant in turn.
struct Cursor {
    int32_t code;  // byte offset of the next instruction
    int32_t op;    // header index of the next operand
    int32_t cst;   // data index of the next constant
};

struct Walker {
    const FormulaRecord *r;
    int type;
    int32_t code_length, header_length, data_length, last_param, first_static;

    bool has_words(const Cursor &c, int n) const { return c.op + n <= header_length; }

    void slot_value(std::string &out, const void *slot) const {
        if (type == 1) {
            int64_t v;
            std::memcpy(&v, slot, sizeof v);
            appendf(out, "%" PRId64, v);
        } else if (type == 3) {
            double v[2];
            std::memcpy(v, slot, sizeof v);
            appendf(out, "(%.17g, %.17g)", v[0], v[1]);
        } else {
            double v;
            std::memcpy(&v, slot, sizeof v);
            appendf(out, "%.17g", v);
        }
    }

    void variable(std::string &out, int32_t v) const {
        const char *kind = v <= last_param ? "param" : v >= first_static ? "static" : "auto";
        appendf(out, "v%d (%s)", v, kind);
    }

    void callee(std::string &out, uint8_t op, int32_t index) const {
        appendf(out, "#%d", index);
        if (op == OpCallExternal) {
            out += " external";
            return;
        }
        const auto *f = static_cast<const FormulaRecord *>(
            address_lookup(uint32_t(index), AddressKind::Formula));
        if (!f) {
            out += " <no formula>";
            return;
        }
        std::string name = record_name(f);
        out += name.empty() ? " <anonymous>" : " \"" + name + "\"";
    }

    // Formats the instruction at c and moves c past it; false when it runs
    // off one of the record's arrays.
    bool instruction(Cursor &c, std::string &out) const {
        if (c.code < 0 || c.code >= code_length) return false;
        const uint8_t op = r->code[c.code];
        appendf(out, "%5d %5d %5d  %-16s ", c.code, c.op, c.cst, opcode_name(type, op));
        ++c.code;
        if (op >= kFirstBuiltin) return true;
        const Operands layout = kOpcodes[op].layout;
        const int words = jump_words(layout).words;
        if (!has_words(c, words)) {
            out += " <operands missing>";
            return false;
        }
        const int32_t *w = r->header + c.op;
        c.op += words;
        switch (layout) {
        case Operands::None: return true;
        case Operands::Constant:
            if (c.cst < 0 || c.cst >= data_length) {
                out += " <constant missing>";
                return false;
            }
            slot_value(out, static_cast<const char *>(r->data) + size_t(c.cst) * slot_size(type));
            ++c.cst;
            return true;
        case Operands::Var: variable(out, w[0]); return true;
        case Operands::Cell: appendf(out, "cell #%d", w[0]); return true;
        case Operands::Call:
            callee(out, op, w[0]);
            appendf(out, ", m=%d", w[1]);
            return write_back_list(c, out);
        case Operands::Count: appendf(out, "n=%d", w[0]); return true;
        case Operands::Branch: jump(out, read_jump<Operands::Branch>(w), false, false); return true;
        case Operands::Goto: jump(out, read_jump<Operands::Goto>(w), true, false); return true;
        case Operands::Until: jump(out, read_jump<Operands::Until>(w), true, false); return true;
        case Operands::WhichEnd:
            jump(out, read_jump<Operands::WhichEnd>(w), false, true);
            return true;
        }
        return true;
    }

    static void jump(std::string &out, const JumpOperands &j, bool slot, bool n) {
        if (n) appendf(out, "n=%d ", j.n);
        appendf(out, "-> code %d, const %d, int %d", j.code, j.konst, j.word);
        if (slot) appendf(out, ", slot %d", j.slot);
    }

    bool write_back_list(Cursor &c, std::string &out) const {
        bool first = true;
        for (;;) {
            if (c.code >= code_length) {
                out += " <write-back list unterminated>";
                return false;
            }
            const uint8_t tag = r->code[c.code++];
            if (tag == 0) break;
            if (!has_words(c, 2)) {
                out += " <write-back operands missing>";
                return false;
            }
            const int32_t k = r->header[c.op], target = r->header[c.op + 1];
            c.op += 2;
            out += first ? "; write back " : ", ";
            first = false;
            appendf(out, "arg%d -> ", k);
            if (tag == 2)
                variable(out, target);
            else
                appendf(out, "cell #%d", target);
        }
        return true;
    }
};

Walker walker_for(const FormulaRecord *r, int type) {
    const int32_t *h = r->header;
    if (type < 1 || type > 3) type = r->type >= 1 && r->type <= 3 ? r->type : 2;
    return {r, type, h[kCodeLength], h[kHeaderLength], h[kDataLength], h[kLastParam],
            h[kFirstStatic]};
}

const char *type_name(int type) {
    return type == 1 ? "integer" : type == 3 ? "complex" : "real";
}

}  // namespace

bool g_trace_enabled = trace_from_environment();

void set_trace(bool on) { g_trace_enabled = on; }

namespace {
TraceSink g_trace_sink = nullptr;
}  // namespace

void set_trace_sink(TraceSink sink) { g_trace_sink = sink; }

std::string disassemble(const FormulaRecord *r, int type) {
    if (!r || !r->code || !r->header) return "<no record>\n";
    const Walker w = walker_for(r, type);
    const int32_t *h = r->header;
    std::string out;
    std::string name = record_name(r);
    appendf(out, "%s formula \"%s\": params %d, vars %d (statics from %d), constants %d..%d, "
                 "stack %d..%d, code %d..%d\n",
            type_name(w.type), name.c_str(), h[kLastParam] + 1, h[kVarCount], h[kFirstStatic],
            h[kVarCount], h[kStackBase] - 1, h[kStackBase], h[kDataLength] - 1, h[kCodeStart],
            h[kCodeLength] - 1);
    if (h[kCodeStart] < 0) {
        appendf(out, "invalidated (CodeStart %d)\n", h[kCodeStart]);
        return out;
    }
    out += " code   int const  instruction\n";
    Cursor c = {h[kCodeStart], kOperandStart, h[kVarCount]};
    while (c.code < w.code_length) {
        bool ok = w.instruction(c, out);
        trim_right(out);
        if (!ok) {
            out += "\n<listing stops: damaged record>\n";
            break;
        }
        out += '\n';
    }
    return out;
}

void trace_instruction(const FormulaRecord *r, int type, const uint8_t *ip, const int32_t *op,
                       const void *cp, const void *sb, const void *sp) {
    const Walker w = walker_for(r, type);
    const size_t slot = slot_size(w.type);
    const auto *data = static_cast<const char *>(r->data);
    Cursor c = {int32_t(ip - r->code), int32_t(op - r->header),
                int32_t((static_cast<const char *>(cp) - data) / ptrdiff_t(slot))};
    const ptrdiff_t depth =
        (static_cast<const char *>(sp) - static_cast<const char *>(sb)) / ptrdiff_t(slot) + 1;
    if (g_trace_sink) {
        g_trace_sink({r, w.type, c.code, c.op, c.cst, int32_t(depth), sb});
        return;
    }
    std::string line;
    appendf(line, "[trace %p] ", static_cast<const void *>(r));
    w.instruction(c, line);
    trim_right(line);
    appendf(line, "    | depth %td", depth);
    if (depth > 0) {
        line += ", top ";
        w.slot_value(line, sp);
    }
    line += '\n';
    std::fputs(line.c_str(), stderr);
}

}  // namespace tmx
