// Where the text of the last array printfs appended to ends.  Finding the end
// means scanning for the terminator, so a loop appending line after line
// would scan all its output again at every call.  The end is remembered and
// trusted only while nothing may have written into a character array since:
// every function of the library that writes array elements counts a write,
// and so does the payload service, whose caller may write anything.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tmdata {

inline uint64_t g_array_writes = 0;
inline void note_array_write() { ++g_array_writes; }

struct TextEnd {
    uint32_t handle = 0;
    const void *buffer = nullptr;
    size_t length = 0;
    uint64_t writes = 0;  // g_array_writes when it was remembered
};
inline TextEnd g_text_end;

}  // namespace tmdata
