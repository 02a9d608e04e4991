// The string:: functions, each on one Call (script_call.h).  Error codes are
// those every function of a family shares; see the .cpp files.
#pragma once

#include "script_call.h"

namespace strlib {

// Copies and appends (copies.cpp).
int64_t op_strcpy(const Call &call);
int64_t op_wcscpy(const Call &call);
int64_t op_strcat(const Call &call);
int64_t op_wcscat(const Call &call);
int64_t op_strcpys(const Call &call);
int64_t op_wcscpys(const Call &call);
int64_t op_strcats(const Call &call);
int64_t op_wcscats(const Call &call);
int64_t op_strtowcs(const Call &call);
int64_t op_wcstostr(const Call &call);

// Numbers appended as text (number_text.cpp).
int64_t op_strcati(const Call &call);
int64_t op_wcscati(const Call &call);
int64_t op_strcatr(const Call &call);
int64_t op_wcscatr(const Call &call);

// Comparison, length and capacity (measure.cpp).
int64_t op_strcmp(const Call &call);
int64_t op_wcscmp(const Call &call);
int64_t op_strlen(const Call &call);
int64_t op_wcslen(const Call &call);
int64_t op_setstrlen(const Call &call);

// Strings between formulas' string areas (between_formulas.cpp).
int64_t op_fstons(const Call &call);
int64_t op_nstofs(const Call &call);

}  // namespace strlib
