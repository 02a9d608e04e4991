#include "activation.h"

#include "../run_error.h"

namespace tmx {

void refuse_invalidated(FormulaRecord *rec, int type, int32_t code_start) {
    record_run_error(-code_start, nullptr, 0, type, rec);
}

void refuse_stack_overflow(FormulaRecord *rec, int type) {
    record_run_error(type, u"StackOverFlow", 0, type, rec);
}

}  // namespace tmx
