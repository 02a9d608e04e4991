// One compile front end on arbitrary text: bytes 0 and 1 choose the module
// number, the rest is the UTF-16 source.  A formula that compiles is deleted
// again.  Built once per number type (TAMRIX_FUZZ_TYPE 1, 2, 3).
#include <cstddef>
#include <cstdint>

#include "fuzz_input.h"
#include "kernel_session.h"

#ifndef TAMRIX_FUZZ_TYPE
#error "TAMRIX_FUZZ_TYPE selects the front end: 1 integer, 2 real, 3 complex"
#endif

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2) return 0;
    fuzz::KernelSession session;
    if (!session.ready()) fuzz::fail("the kernel did not start");
    const int module = fuzz::module_number(data[0], data[1]);
    const std::u16string source = fuzz::utf16_text(data + 2, size - 2);
    fuzz::Compiled formula = fuzz::compile(TAMRIX_FUZZ_TYPE, source, module);
    if (formula.status == 0) {
        DeleteFor(TAMRIX_FUZZ_TYPE, formula.handle);
        return 0;
    }
    // A failed compile names a range inside the text it was given.
    const int length = int(source.find(u'\0') == std::u16string::npos ? source.size()
                                                                      : source.find(u'\0'));
    const bool positions_apply = formula.status >= 2;
    if (positions_apply && (formula.errBegin < 0 || formula.errEnd < formula.errBegin - 1 ||
                            formula.errEnd > length))
        fuzz::fail("the error range lies outside the source");
    return 0;
}
