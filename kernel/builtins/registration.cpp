// The three tables of registered built-ins, in the order InitTamrix files
// them.  Parameter counts are "parameters minus one"; -2 takes any number.
#include "../eval/value_stacks.h"
#include "builtins.h"

namespace tmx {

namespace {

struct BuiltinRow {
    int type; // 4 integer, 5 real, 6 complex
    const char16_t *name;
    void *function;
    int param_count;
};

template <class F> void *fn(F *f) { return reinterpret_cast<void *>(f); }

const BuiltinRow kRegisteredBuiltins[] = {
    {4, u"max", fn(&builtin_max_int), -2},
    {4, u"min", fn(&builtin_min_int), -2},
    {4, u"SetIntStackMax", fn(&builtin_set_int_stack_max), 0},
    {4, u"const", fn(&builtin_const_int), -2},
    {4, u"GetCalByte", fn(&builtin_get_cal_byte_int), -2},
    {4, u"Module", fn(&builtin_module_int), -2},
    {4, u"OutFun", fn(&builtin_out_fun_int), -2},
    {4, u"HFor", fn(&builtin_hfor_int), -2},
    {4, u"using", fn(&builtin_using_int), -2},

    {5, u"max", fn(&builtin_max_real), -2},
    {5, u"min", fn(&builtin_min_real), -2},
    {5, u"modf", fn(&builtin_modf), 1},
    {5, u"SimpIntegrate", fn(&builtin_simp_integrate), 3},
    {5, u"sum", fn(&builtin_sum), -2},
    {5, u"pro", fn(&builtin_pro), -2},
    {5, u"DataSum", fn(&builtin_data_sum), -2},
    {5, u"DataPro", fn(&builtin_data_pro), -2},
    {5, u"SetRealStackMax", fn(&builtin_set_real_stack_max), 0},
    {5, u"const", fn(&builtin_const_real), -2},
    {5, u"GetCalByte", fn(&builtin_get_cal_byte_real), -2},
    {5, u"Module", fn(&builtin_module_real), -2},
    {5, u"OutFun", fn(&builtin_out_fun_real), -2},
    {5, u"HFor", fn(&builtin_hfor_real), -2},
    {5, u"using", fn(&builtin_using_real), -2},

    {6, u"SetComplexStackMax", fn(&builtin_set_complex_stack_max), 0},
    {6, u"const", fn(&builtin_const_complex), -2},
    {6, u"GetCalByte", fn(&builtin_get_cal_byte_complex), -2},
    {6, u"Module", fn(&builtin_module_complex), -2},
    {6, u"OutFun", fn(&builtin_out_fun_complex), -2},
    {6, u"HFor", fn(&builtin_hfor_complex), -2},
    {6, u"using", fn(&builtin_using_complex), -2},
};

}  // namespace

void register_builtins() {
    for (const BuiltinRow &row : kRegisteredBuiltins)
        SetFunction(row.type, row.name, row.function, row.param_count);
}

}  // namespace tmx
