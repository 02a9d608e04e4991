// The compiled formula record: what a formula handle points to.
//
// A handle is the address of a FormulaRecord.  Its first three fields are the
// three owning arrays (code, header, data), allocated at their exact sizes when
// a compile succeeds and freed together when the formula is deleted.  The next
// two link the record into its same-name list or its type's anonymous list.
// The rest is kernel bookkeeping that no evaluator reads.
//
// Code array (bytes):
//   0         activation flag: 0 idle, 1 running, 2 running and re-entered
//   1         flag bits: kFlagModifiesParams, kFlagExported, kFlagHandleIssued
//   2..       string area in UTF-16 words, word index 1 on: the name and its NUL,
//             then from word FirstString the string literals, each NUL-ended
//   CodeStart..CodeLength-1  instruction bytes; the last is always OpReturn
//
// Header array (int32), entries by index below; the operand stream starts at
// entry 15; after it the callee reference list, entries [10] to [11].
//
// Data array (slots of 8 bytes, 16 for complex):
//   0..LastParam             argument area (used only by callers without an
//                            argument array of their own)
//   LastParam+1..FirstStatic-1  automatic variables of the first activation
//   FirstStatic..VarCount-1  static variables
//   VarCount..StackBase-1    constants, in the order the code consumes them
//   StackBase..DataLength-1  evaluation stack of the first activation
//
// Variable addressing (every instruction with a variable operand v):
//   v <= LastParam    -> slot v of the argument array the activation received
//   v >= FirstStatic  -> data[v]
//   otherwise         -> slot v of the activation's frame (data for the first)
//
// Addresses in 32-bit fields.  The record format keeps callees, shared cells,
// external functions and the formula itself in 32-bit header words, and a
// pointer does not fit there on a 64-bit system.  Every such word holds an
// index into the kernel's address table (address_table.h) instead: a table
// the kernel owns, whose entries hold full pointers.  Index 0 is never used,
// so a cleared word reads as "nothing".  This applies to:
//   header[Self], call operands (callee), OpPushCommon and friends (cell),
//   write-back targets with tag 3 (cell), and the callee reference list.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tamrix/tamrix.h"

namespace tmx {

struct ReferrerCell;
struct FastCode;
struct FormulaRecord;

// How RealCal starts a first activation of a real formula: `args` is where
// the parameters live (the record's data when the host passed none).
using RealEntry = double (*)(double *args, FormulaRecord *rec);
// The entry that serves every record and every state: counts toward native
// code, refuses invalidated formulas, takes the nested path for a running one.
double real_general_entry(double *args, FormulaRecord *rec);

// Header entries.
enum HeaderIndex : int {
    kLastParam = 0,    // parameters minus one (-1: none)
    kVarCount = 1,     // parameter+automatic+static positions; first constant
    kCodeLength = 2,   // bytes in the code array
    kHeaderLength = 3, // words in the header array
    kDataLength = 4,   // slots in the data array
    kCodeStart = 5,    // first instruction byte; <0: invalidated (run error -value)
    kStackBase = 6,    // first evaluation-stack slot of the first activation
    kModuleNo = 7,     // module number, with the sign given to the compiler
    kSelf = 8,         // address-table index of this record
    kReferrers = 9,    // unused (0): the referrer list lives in FormulaRecord
    kCalleeFirst = 10, // first header index of the callee reference list
    kCalleeLast = 11,  // last header index of it (first-1 when empty)
    kFirstStatic = 12, // first static variable index
    kFreeVar = 13,     // 0, or the variable index of the free marker
    kFirstString = 14, // word index of the first string literal
    kOperandStart = 15 // the operand stream
};

// Code byte 1.
enum FlagBits : uint8_t {
    kFlagModifiesParams = 0x80, // assigns a parameter or passes it by reference
    kFlagExported = 0x40,       // marked by "OutFun"
    kFlagHandleIssued = 0x20,   // handle registered by "HFor"
};

// Activation flag values (code byte 0).
enum Activation : uint8_t { kIdle = 0, kRunning = 1, kReentered = 2 };

// CodeStart values that mark an invalidated formula.
inline constexpr int32_t kInvalidCalleeDeleted = -4;
inline constexpr int32_t kInvalidFunctionRemoved = -5;

struct FormulaRecord {
    uint8_t *code = nullptr;
    int32_t *header = nullptr;
    void *data = nullptr;
    FormulaRecord *prev = nullptr; // same-name or anonymous list, newest first
    FormulaRecord *next = nullptr;
    // --- kernel bookkeeping below this line ---
    ReferrerCell *referrers = nullptr; // formulas that call this one
    // This formula's cell in each callee's referrer list, one per word of its
    // callee range (null where none): leaving a callee that thousands of
    // formulas call is then one unlink, not a walk of its list.
    ReferrerCell **callee_cells = nullptr; // std::malloc, freed with the record
    int8_t type = 0;                   // a NumberType
    bool anonymous = false;            // in the anonymous list, not a name list
    // The name the formula is filed under, copied when it is filed: the copy
    // in the string area is not fixed, since setc/setw/setn may write there,
    // and unlinking by a changed name would leave the record in its list.
    char16_t *filed_name = nullptr;    // std::malloc, freed with the record
    size_t filed_name_length = 0;
    FastCode *fast = nullptr;          // pre-decoded form (eval/real_fast.h), or null
    // Native code of a first activation (jit/jit.h), or null; released with
    // the record.  The countdown runs to the evaluation that compiles it
    // (0: nothing to count, the record is not or no longer a candidate).
    double (*jit)(double *args) = nullptr;
    // Native code of a nested activation on the in-place path (a recursive
    // call), or null; made and released with `jit`.
    double (*jit_nested)(double *args) = nullptr;
    uint32_t jit_countdown = 0;
    // RealCal's whole dispatch, chosen again whenever the fields above change
    // (choose_real_entry, eval/real_fast.h): a straight-line formula's runner
    // or its native code when nothing else can apply, else the general entry.
    // One indirect call then replaces the tests of every field per evaluation.
    RealEntry entry = real_general_entry;
    // --- fields RealCal does not read (after `entry`, so that adding to them
    // leaves where RealCal's fields lie alone) ---
    // Its batch form for the built-ins (jit_batch), translated once on
    // demand after `jit`, and released with it.
    bool jit_batch_tried = false;
    void (*jit_batch)(double *points, int64_t count, double *out) = nullptr;
    // Its line form (jit_line), likewise.
    bool jit_line_tried = false;
    double (*jit_line)(double *args, int64_t j, int64_t stop, double first, double min,
                       double step, double offset, double total) = nullptr;
};

// One cell of a referrer list: the referring formula.  `link` is the pointer
// that points at the cell (the list head or the previous cell's `next`).
struct ReferrerCell {
    FormulaRecord *formula;
    ReferrerCell *next;
    ReferrerCell **link;
};

// Size of one value slot of a type (1, 2, 3).
// The number types, by their interface codes (run errors, call contexts,
// record types, name-tree formula lists).
enum NumberType : int8_t {
    kTypeInteger = TM_INTEGER,
    kTypeReal = TM_REAL,
    kTypeComplex = TM_COMPLEX,
};

inline constexpr size_t slot_size(int type) { return type == kTypeComplex ? 16 : 8; }

// The formula's name: the string area starts at code byte 2.
inline const char16_t *formula_name(const FormulaRecord *r) {
    return reinterpret_cast<const char16_t *>(r->code + 2);
}

}  // namespace tmx

namespace tmx {

// Frees a record's three arrays (std::free), releases its address-table index
// (header[kSelf]) and deletes the record itself (allocated with new).  Knows
// nothing of lists, referrers or modules: the registry unlinks first.
void destroy_record(FormulaRecord *r);

}  // namespace tmx
