// A host for the data library's tests: the kernel, the module library (to
// run scripts) and libTmData32W.so, all through the platform loader and the
// extension protocol, as a host program starts them.
#pragma once

#include <cstdint>
#include <string>

#include "../module/module_host.h"
#include "tamrix/tamrix_data.h"

namespace datatest {

struct DataServices {
    TmRegTmDataType reg = nullptr;
    TmIsTmData is = nullptr;
    TmNewTmDataArray newArray = nullptr;
    TmDelTmDataArray delArray = nullptr;
    TmTmDataClass cls = nullptr;
    TmTmDataPayload payload = nullptr;
};

platform::LibraryHandle data_library();
TmDllEntry data_entry();

// The service names, published as keys of type -256.
inline const char *const kServiceNames[] = {"RegTmDataType",  "IsTmData",    "NewTmDataArray",
                                            "DelTmDataArray", "TmDataClass", "TmDataPayload"};

class DataHost : public modtest::ModuleHost {
protected:
    void SetUp() override;
    void TearDown() override;

    DataServices find_data_services() const;
    void start_data();
    void stop_data();

    // The value of one integer formula run through the module library.
    int64_t eval(const std::u16string &formula);
    // What one program printed through "TmMessage" (run-error reports).
    std::u16string report_of(const std::u16string &program);
    // A handle as formula text.
    static std::u16string text(int64_t value);
    // The kind code of a live object, 0 for anything else.
    int kind_of(int64_t handle) const;

    DataServices ds;
    bool dataStarted = false;
};

}  // namespace datatest
