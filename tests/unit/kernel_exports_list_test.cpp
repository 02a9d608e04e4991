// The export list in the public header is what the version script and the
// export test are generated from: every entry must be a function the header
// declares, and none may be listed twice.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <type_traits>

#include "tamrix/tamrix.h"

namespace {

TEST(KernelExportList, NamesEachDeclaredFunctionOnce) {
    std::set<std::string> names;
    int listed = 0;
#define TM_CHECK_EXPORT(name)                                                         \
    static_assert(std::is_function_v<decltype(name)>, #name " is not a function");    \
    names.insert(#name);                                                              \
    ++listed;
    TM_KERNEL_EXPORTS(TM_CHECK_EXPORT)
#undef TM_CHECK_EXPORT
    EXPECT_EQ(int(names.size()), listed);
    EXPECT_EQ(listed, 28);
}

}  // namespace
