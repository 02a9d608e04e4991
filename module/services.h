// The services the module library publishes (keys of type -256), as the
// plain C entry points hosts call.  None of them lets an exception out.
#pragma once

#include "tamrix/tamrix_ext.h"

namespace modlib {

int TM_CALL service_use_tamrix(int code);
int TM_CALL service_com_module(const char16_t *source, int *moduleNo, TmModuleNode **list,
                               int *errorStart, int *errorEnd);
void TM_CALL service_exe_module(TmModuleNode *list, TmIntOut intOut, TmRealOut realOut,
                                TmComplexOut complexOut);
void TM_CALL service_delete_module(int moduleNo);
int TM_CALL service_exe_tmdll(TmDllEntry entry, void *kernel, int init, const char16_t *argument);

}  // namespace modlib
