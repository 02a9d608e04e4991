// The compile driver: the passes in order, each restartable from scratch (the
// front end runs the whole chain again after growing a work buffer).
#include "context.h"

namespace tmx {

int compile_formula(CompileContext &cx) {
    using Pass = int (*)(CompileContext &);
    static constexpr Pass kPasses[] = {lex,      parse_header,    match_brackets, rewrite_members,
                                       classify, check_operators, check_shape,    generate};
    for (Pass pass : kPasses) {
        if (int rc = pass(cx)) return rc;
    }
    return 0;
}

// The data array under construction is the constants buffer of the type.
unsigned char *CompileContext::data() const {
    switch (type->type) {
    case 1: return reinterpret_cast<unsigned char *>(g_work.int_data);
    case 3: return g_work.complex_data;
    default: return reinterpret_cast<unsigned char *>(g_work.real_data);
    }
}

int32_t CompileContext::data_capacity() const {
    switch (type->type) {
    case 1: return g_work.int_capacity;
    case 3: return g_work.complex_capacity;
    default: return g_work.real_capacity;
    }
}

}  // namespace tmx
