#include "record.h"

#include <cstdlib>

#include "address_table.h"
#include "eval/real_fast.h"
#include "jit/jit.h"

namespace tmx {

void destroy_record(FormulaRecord *r) {
    if (!r) return;
    if (r->header) address_release(uint32_t(r->header[kSelf]));
    free_fast_code(r->fast);
    jit_release(r);
    std::free(r->code);
    std::free(r->header);
    std::free(r->data);
    std::free(r->filed_name);
    std::free(r->callee_cells);
    delete r;
}

}  // namespace tmx
