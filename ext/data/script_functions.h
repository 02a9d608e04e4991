// Entry points of the script functions, as the kernel calls them.  Each is
// one template over the argument reader (args.h) instantiated for integer
// and real formulas by the macros below; none lets an exception out.
#pragma once

#include <cstdint>

#include "args.h"
#include "tamrix/tamrix.h"

#define TMDATA_INT_ENTRY(entry, impl)                                         \
    int64_t TM_CALL entry(int m, int64_t *slots, TmCallContext *ctx) {        \
        try {                                                                 \
            if (!library()) return 0;                                         \
            return impl(IntArgs(m, slots, ctx));                              \
        } catch (...) {                                                       \
            return 0;                                                         \
        }                                                                     \
    }
#define TMDATA_REAL_ENTRY(entry, impl)                                        \
    double TM_CALL entry(int m, double *slots, TmCallContext *ctx) {          \
        try {                                                                 \
            if (!library()) return 0.0;                                       \
            return impl(RealArgs(m, slots, ctx));                             \
        } catch (...) {                                                       \
            return 0.0;                                                       \
        }                                                                     \
    }

namespace tmdata {

#define TMDATA_DECLARE_INT(entry) int64_t TM_CALL entry(int m, int64_t *slots, TmCallContext *ctx);
#define TMDATA_DECLARE_REAL(entry) double TM_CALL entry(int m, double *slots, TmCallContext *ctx);
#define TMDATA_DECLARE_COMPLEX(entry) \
    void TM_CALL entry(TmComplex *result, int m, TmComplex *slots, TmCallContext *ctx);

// Creation, deletion and housekeeping.
TMDATA_DECLARE_INT(int_new) TMDATA_DECLARE_REAL(real_new)
TMDATA_DECLARE_INT(int_newcopy) TMDATA_DECLARE_REAL(real_newcopy)
TMDATA_DECLARE_INT(int_delete) TMDATA_DECLARE_REAL(real_delete)
TMDATA_DECLARE_COMPLEX(complex_delete)
TMDATA_DECLARE_INT(int_del_all) TMDATA_DECLARE_INT(int_del_all_num)
TMDATA_DECLARE_INT(int_now_num) TMDATA_DECLARE_INT(int_set_max)
TMDATA_DECLARE_INT(int_set_recur_max) TMDATA_DECLARE_INT(int_typedef)
TMDATA_DECLARE_INT(int_type) TMDATA_DECLARE_INT(int_len)
TMDATA_DECLARE_INT(int_associated) TMDATA_DECLARE_REAL(real_associated)
TMDATA_DECLARE_COMPLEX(complex_associated)
TMDATA_DECLARE_INT(int_null) TMDATA_DECLARE_REAL(real_null) TMDATA_DECLARE_COMPLEX(complex_null)
TMDATA_DECLARE_INT(int_ftod) TMDATA_DECLARE_INT(int_dtof)

// Access, copying and text conversion.
TMDATA_DECLARE_INT(int_get) TMDATA_DECLARE_REAL(real_get)
TMDATA_DECLARE_INT(int_set) TMDATA_DECLARE_REAL(real_set)
TMDATA_DECLARE_INT(int_copy) TMDATA_DECLARE_REAL(real_copy)
TMDATA_DECLARE_INT(int_to_str) TMDATA_DECLARE_INT(int_from_str)

// Character arrays and formatted text.
TMDATA_DECLARE_INT(int_strlen) TMDATA_DECLARE_INT(int_strcpy)
TMDATA_DECLARE_INT(int_strcat) TMDATA_DECLARE_INT(int_strcmp)
TMDATA_DECLARE_INT(int_printff) TMDATA_DECLARE_REAL(real_printff)
TMDATA_DECLARE_INT(int_printfs) TMDATA_DECLARE_REAL(real_printfs)
TMDATA_DECLARE_INT(int_scanfs) TMDATA_DECLARE_REAL(real_scanfs)

// Class objects.
TMDATA_DECLARE_INT(int_c_set_len) TMDATA_DECLARE_INT(int_c_has_name)
TMDATA_DECLARE_INT(int_c_dup_name) TMDATA_DECLARE_INT(int_c_set_all_attr)
TMDATA_DECLARE_INT(int_c_sd) TMDATA_DECLARE_INT(int_c_sb)
TMDATA_DECLARE_INT(int_c_set_item) TMDATA_DECLARE_INT(int_c_set_item_i)
TMDATA_DECLARE_INT(int_c_get_name_i) TMDATA_DECLARE_INT(int_c_set_name)
TMDATA_DECLARE_INT(int_c_set_name_i)
TMDATA_DECLARE_INT(int_c_get_p) TMDATA_DECLARE_INT(int_c_get_pi)
TMDATA_DECLARE_INT(int_c_set_p) TMDATA_DECLARE_INT(int_c_set_pi)
TMDATA_DECLARE_INT(int_c_get_a) TMDATA_DECLARE_INT(int_c_get_ai)
TMDATA_DECLARE_INT(int_c_set_a) TMDATA_DECLARE_INT(int_c_set_ai)
TMDATA_DECLARE_INT(int_c_add) TMDATA_DECLARE_INT(int_c_append)
TMDATA_DECLARE_INT(int_c_insert) TMDATA_DECLARE_INT(int_c_insert_i)
TMDATA_DECLARE_INT(int_c_pop) TMDATA_DECLARE_INT(int_c_delete)
TMDATA_DECLARE_INT(int_c_delete_i) TMDATA_DECLARE_INT(int_c_reverse)
TMDATA_DECLARE_INT(int_c_swap) TMDATA_DECLARE_INT(int_c_sort)
TMDATA_DECLARE_INT(int_c_dfs_base)

}  // namespace tmdata
