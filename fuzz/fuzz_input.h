// Turning a fuzzer's raw bytes into the arguments the kernel takes: module
// numbers that include the extremes, and UTF-16 source texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

// A module number from two bytes.  Most values are small, so formulas of one
// input meet each other; a few are the numbers whose absolute value or
// successor overflows or that lie at the module compiler's limits.
int module_number(uint8_t low, uint8_t high);

// The bytes as little-endian UTF-16 (an odd last byte is dropped).  The text
// may hold zero characters; the kernel reads up to the first one.
std::u16string utf16_text(const uint8_t *data, size_t size);

// The text cut at its zero characters into at most `limit` pieces; pieces
// after the limit are dropped.
std::vector<std::u16string> split_at_zeros(const std::u16string &text, size_t limit);

// Reports a broken invariant and aborts, which the fuzzer counts as a crash.
[[noreturn]] void fail(const char *what);

}  // namespace fuzz
