#include "work_buffers.h"

#include <climits>
#include <cstdlib>

#include "limits.h"

namespace tmx {

WorkBuffers g_work;

namespace {

constexpr int32_t kInitialTokens = 30;
constexpr int32_t kInitialCode = 30;
constexpr int32_t kInitialHeader = 60;
constexpr int32_t kInitialConstants = 30;
constexpr int32_t kInitialStacks = 30;

template <class T> void release(T *&p) {
    std::free(p);
    p = nullptr;
}

// Allocates `count` entries of `size` bytes; null when the byte count would
// overflow a signed 32-bit integer or memory is exhausted.
void *alloc_entries(int64_t count, size_t size) {
    int64_t bytes = count * int64_t(size);
    if (count <= 0 || bytes > INT_MAX) return nullptr;
    return std::malloc(size_t(bytes));
}

template <class T> bool alloc(T *&p, int32_t &capacity, int32_t count) {
    release(p);
    capacity = 0;
    p = static_cast<T *>(alloc_entries(count, sizeof(T)));
    if (!p) return false;
    capacity = count;
    return true;
}

bool alloc_complex(int32_t count) {
    release(g_work.complex_data);
    g_work.complex_capacity = 0;
    g_work.complex_data = static_cast<unsigned char *>(alloc_entries(count, 16));
    if (!g_work.complex_data) return false;
    g_work.complex_capacity = count;
    return true;
}

bool alloc_tokens(int32_t count) {
    WorkBuffers &w = g_work;
    int32_t c1 = 0, c2 = 0, c3 = 0;
    bool ok = alloc(w.tokens, w.token_capacity, count) &&
              alloc(w.bracket_chars, c1, count) && alloc(w.bracket_positions, c2, count) &&
              alloc(w.header_vars, c3, count);
    if (!ok) {
        release(w.tokens);
        release(w.bracket_chars);
        release(w.bracket_positions);
        release(w.header_vars);
        w.token_capacity = 0;
    }
    return ok;
}

// New capacity after a growth request: 2 * old + 30, but never beyond the
// work-buffer limit; -1 when the buffer is at the limit already.  Clamping
// (rather than refusing the step that would cross the limit) lets a compile
// use every byte up to it.
int64_t grown(int32_t old, size_t entry_size) {
    const int64_t most = kMaxWorkBufferBytes / int64_t(entry_size);
    if (old >= most) return -1;
    const int64_t n = int64_t(old) * 2 + 30;
    return n < most ? n : most;
}

}  // namespace

void work_buffers_release() {
    WorkBuffers &w = g_work;
    release(w.tokens);
    release(w.bracket_chars);
    release(w.bracket_positions);
    release(w.header_vars);
    release(w.code);
    release(w.header);
    release(w.real_data);
    release(w.int_data);
    release(w.complex_data);
    release(w.bracket_stack);
    release(w.control_stack);
    release(w.store_stack);
    w = WorkBuffers{};
}

bool work_buffers_allocate() {
    work_buffers_release();
    WorkBuffers &w = g_work;
    bool ok = alloc_tokens(kInitialTokens) && alloc(w.code, w.code_capacity, kInitialCode) &&
              alloc(w.header, w.header_capacity, kInitialHeader) &&
              alloc(w.real_data, w.real_capacity, kInitialConstants) &&
              alloc(w.int_data, w.int_capacity, kInitialConstants) &&
              alloc_complex(kInitialConstants) &&
              alloc(w.bracket_stack, w.bracket_stack_capacity, kInitialStacks) &&
              alloc(w.control_stack, w.control_stack_capacity, kInitialStacks) &&
              alloc(w.store_stack, w.store_stack_capacity, kInitialStacks);
    if (!ok) {
        work_buffers_release();
        return false;
    }
    w.allocated = true;
    return true;
}

bool work_buffers_grow(int growth_code, int type) {
    WorkBuffers &w = g_work;
    int64_t n = -1;
    bool ok = false;
    switch (growth_code) {
    case kGrowTokens:
        n = grown(w.token_capacity, sizeof(Token));
        ok = n > 0 && alloc_tokens(int32_t(n));
        break;
    case kGrowCode:
        n = grown(w.code_capacity, 1);
        ok = n > 0 && alloc(w.code, w.code_capacity, int32_t(n));
        break;
    case kGrowHeader:
        n = grown(w.header_capacity, 4);
        ok = n > 0 && alloc(w.header, w.header_capacity, int32_t(n));
        break;
    case kGrowConstants:
        if (type == 1) {
            n = grown(w.int_capacity, 8);
            ok = n > 0 && alloc(w.int_data, w.int_capacity, int32_t(n));
        } else if (type == 3) {
            n = grown(w.complex_capacity, 16);
            ok = n > 0 && alloc_complex(int32_t(n));
        } else {
            n = grown(w.real_capacity, 8);
            ok = n > 0 && alloc(w.real_data, w.real_capacity, int32_t(n));
        }
        break;
    case kGrowBracketStack:
        n = grown(w.bracket_stack_capacity, sizeof(BracketRecord));
        ok = n > 0 && alloc(w.bracket_stack, w.bracket_stack_capacity, int32_t(n));
        break;
    case kGrowControlStack:
        n = grown(w.control_stack_capacity, sizeof(ControlRecord));
        ok = n > 0 && alloc(w.control_stack, w.control_stack_capacity, int32_t(n));
        break;
    case kGrowStoreStack:
        n = grown(w.store_stack_capacity, sizeof(StoreRecord));
        ok = n > 0 && alloc(w.store_stack, w.store_stack_capacity, int32_t(n));
        break;
    default:
        break;
    }
    if (!ok) work_buffers_release();
    return ok;
}

}  // namespace tmx
