#include "script_table.h"

#include <array>
#include <cstdint>

#include "script_functions.h"
#include "tamrix/tamrix_data.h"

namespace tmdata {

namespace {

using extproto::kComplexFunction;
using extproto::kIntConst;
using extproto::kIntFunction;
using extproto::kRealConst;
using extproto::kRealFunction;
using extproto::ScriptConstant;
using extproto::ScriptFunction;

constexpr int kAny = -2;

void *entry(auto function) { return reinterpret_cast<void *>(function); }

const ScriptFunction kIntegerFunctions[] = {
    {kIntFunction, u"new", entry(int_new), kAny},
    {kIntFunction, u"newcopy", entry(int_newcopy), kAny},
    {kIntFunction, u"delete", entry(int_delete), 0},
    {kIntFunction, u"DelAllTMD", entry(int_del_all), -1},
    {kIntFunction, u"DelAllTMDNum", entry(int_del_all_num), -1},
    {kIntFunction, u"NowTMDNum", entry(int_now_num), 0},
    {kIntFunction, u"SetTMDMax", entry(int_set_max), 0},
    {kIntFunction, u"SetTMDRecurMax", entry(int_set_recur_max), 0},
    {kIntFunction, u"typedef", entry(int_typedef), 1},
    {kIntFunction, u"TMDType", entry(int_type), 1},
    {kIntFunction, u"TMDLen", entry(int_len), kAny},
    {kIntFunction, u"copy", entry(int_copy), kAny},
    {kIntFunction, u"get", entry(int_get), kAny},
    {kIntFunction, u"set", entry(int_set), kAny},
    {kIntFunction, u"TMDToStr", entry(int_to_str), kAny},
    {kIntFunction, u"StrToTMD", entry(int_from_str), kAny},
    {kIntFunction, u"TMDstrlen", entry(int_strlen), kAny},
    {kIntFunction, u"TMDstrcpy", entry(int_strcpy), kAny},
    {kIntFunction, u"TMDstrcat", entry(int_strcat), kAny},
    {kIntFunction, u"TMDstrcmp", entry(int_strcmp), kAny},
    {kIntFunction, u"associated", entry(int_associated), 0},
    {kIntFunction, u"null", entry(int_null), 0},
    {kIntFunction, u"ftod", entry(int_ftod), 0},
    {kIntFunction, u"dtof", entry(int_dtof), 0},
    {kIntFunction, u"printff", entry(int_printff), kAny},
    {kIntFunction, u"printfs", entry(int_printfs), kAny},
    {kIntFunction, u"scanfs", entry(int_scanfs), kAny},
    {kIntFunction, u"CSetLen", entry(int_c_set_len), kAny},
    {kIntFunction, u"CHasName", entry(int_c_has_name), 1},
    {kIntFunction, u"CDupName", entry(int_c_dup_name), 3},
    {kIntFunction, u"CSetAllAttr", entry(int_c_set_all_attr), 1},
    {kIntFunction, u"CSD", entry(int_c_sd), 1},
    {kIntFunction, u"CSB", entry(int_c_sb), 1},
    {kIntFunction, u"CSetItem", entry(int_c_set_item), kAny},
    {kIntFunction, u"CSetItemI", entry(int_c_set_item_i), kAny},
    {kIntFunction, u"CGetNameI", entry(int_c_get_name_i), 3},
    {kIntFunction, u"CSetName", entry(int_c_set_name), 2},
    {kIntFunction, u"CSetNameI", entry(int_c_set_name_i), 2},
    {kIntFunction, u"CGetP", entry(int_c_get_p), kAny},
    {kIntFunction, u"CGetPI", entry(int_c_get_pi), kAny},
    {kIntFunction, u"CSetP", entry(int_c_set_p), kAny},
    {kIntFunction, u"CSetPI", entry(int_c_set_pi), kAny},
    {kIntFunction, u"CGetA", entry(int_c_get_a), kAny},
    {kIntFunction, u"CGetAI", entry(int_c_get_ai), kAny},
    {kIntFunction, u"CSetA", entry(int_c_set_a), kAny},
    {kIntFunction, u"CSetAI", entry(int_c_set_ai), kAny},
    {kIntFunction, u"CAdd", entry(int_c_add), 1},
    {kIntFunction, u"CAppend", entry(int_c_append), kAny},
    {kIntFunction, u"CInsert", entry(int_c_insert), kAny},
    {kIntFunction, u"CInsertI", entry(int_c_insert_i), kAny},
    {kIntFunction, u"CPop", entry(int_c_pop), kAny},
    {kIntFunction, u"CDelete", entry(int_c_delete), 1},
    {kIntFunction, u"CDeleteI", entry(int_c_delete_i), 1},
    {kIntFunction, u"CReverse", entry(int_c_reverse), 0},
    {kIntFunction, u"CSwap", entry(int_c_swap), 2},
    {kIntFunction, u"CSort", entry(int_c_sort), 1},
    {kIntFunction, u"CDFSBase", entry(int_c_dfs_base), 1},
};
static_assert(std::size(kIntegerFunctions) == 57);

const ScriptFunction kRealFunctions[] = {
    {kRealFunction, u"new", entry(real_new), kAny},
    {kRealFunction, u"newcopy", entry(real_newcopy), kAny},
    {kRealFunction, u"delete", entry(real_delete), 0},
    {kRealFunction, u"get", entry(real_get), kAny},
    {kRealFunction, u"set", entry(real_set), kAny},
    {kRealFunction, u"copy", entry(real_copy), kAny},
    {kRealFunction, u"associated", entry(real_associated), 0},
    {kRealFunction, u"printff", entry(real_printff), kAny},
    {kRealFunction, u"printfs", entry(real_printfs), kAny},
    {kRealFunction, u"null", entry(real_null), 0},
    {kRealFunction, u"scanfs", entry(real_scanfs), kAny},
};
static_assert(std::size(kRealFunctions) == 11);

const ScriptFunction kComplexFunctions[] = {
    {kComplexFunction, u"delete", entry(complex_delete), 0},
    {kComplexFunction, u"associated", entry(complex_associated), 0},
    {kComplexFunction, u"null", entry(complex_null), 0},
};
static_assert(std::size(kComplexFunctions) == 3);

// The forty constants, by name and value, in registration order.
struct Named {
    const char16_t *name;
    int value;
};
constexpr Named kConstants[] = {
    {u"INULL", 0},
    {u"int8", TMD_INT8}, {u"Uint8", TMD_UINT8}, {u"int16", TMD_INT16}, {u"Uint16", TMD_UINT16},
    {u"wchar", TMD_WCHAR}, {u"int32", TMD_INT32}, {u"Uint32", TMD_UINT32},
    {u"int64", TMD_INT64}, {u"Uint64", TMD_UINT64}, {u"real32", TMD_REAL32},
    {u"real64", TMD_REAL64}, {u"complex", TMD_COMPLEX},
    {u"int8_s", TMD_INT8_S}, {u"Uint8_s", TMD_UINT8_S}, {u"int16_s", TMD_INT16_S},
    {u"Uint16_s", TMD_UINT16_S}, {u"wchar_s", TMD_WCHAR_S}, {u"int32_s", TMD_INT32_S},
    {u"Uint32_s", TMD_UINT32_S}, {u"int64_s", TMD_INT64_S}, {u"Uint64_s", TMD_UINT64_S},
    {u"real32_s", TMD_REAL32_S}, {u"real64_s", TMD_REAL64_S}, {u"complex_s", TMD_COMPLEX_S},
    {u"char", TMD_UINT8}, {u"char_s", TMD_UINT8_S}, {u"string", TMD_WCHAR_S},
    {u"int", TMD_INT64}, {u"int_s", TMD_INT64_S}, {u"pointer", TMD_UINT64},
    {u"pointer_s", TMD_UINT64_S}, {u"real", TMD_REAL64}, {u"real_s", TMD_REAL64_S},
    {u"class", TMD_CLASS}, {u"EndType", TMD_END_TYPE}, {u"NotDelete", 0}, {u"NULL", 0},
    {u"true", 1}, {u"false", 0},
};
constexpr size_t kConstantCount = std::size(kConstants);
static_assert(kConstantCount == 40);

// The values live as long as the library: the kernel copies them, but a
// table of rows pointing at them is simplest kept static.
struct ConstantTables {
    int64_t integers[kConstantCount];
    double reals[kConstantCount];
    ScriptConstant integerRows[kConstantCount];
    ScriptConstant realRows[kConstantCount];
    ConstantTables() {
        for (size_t i = 0; i < kConstantCount; ++i) {
            integers[i] = kConstants[i].value;
            reals[i] = kConstants[i].value;
            integerRows[i] = {kIntConst, kConstants[i].name, &integers[i]};
            realRows[i] = {kRealConst, kConstants[i].name, &reals[i]};
        }
    }
};
const ConstantTables &constant_tables() {
    static const ConstantTables tables;
    return tables;
}

}  // namespace

std::span<const ScriptFunction> integer_functions() { return kIntegerFunctions; }
std::span<const ScriptConstant> integer_constants() { return constant_tables().integerRows; }
std::span<const ScriptFunction> real_functions() { return kRealFunctions; }
std::span<const ScriptConstant> real_constants() { return constant_tables().realRows; }
std::span<const ScriptFunction> complex_functions() { return kComplexFunctions; }

}  // namespace tmdata
