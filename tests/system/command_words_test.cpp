// The words sys::ShellExecute makes of a parameter text: shell quoting
// rules, never an expansion.
#include <gtest/gtest.h>

#include "ext/system/command_words.h"

namespace {

struct Case {
    const char *text;
    std::vector<std::string> words;
};

const Case kCases[] = {
    {"", {}},
    {"   \t ", {}},
    {"a  b\tc\n", {"a", "b", "c"}},
    {"a;b|c&&d>e", {"a;b|c&&d>e"}},
    {"$HOME ~ * $(id) `id`", {"$HOME", "~", "*", "$(id)", "`id`"}},
    {"'a b' \"c d\"", {"a b", "c d"}},
    {"'it'\\''s'", {"it's"}},
    {"\"say \\\"hi\\\" \\\\ \\$x \\n\"", {"say \"hi\" \\ $x \\n"}},
    {"a\\ b \\\"", {"a b", "\""}},
    {"\"\" ''", {"", ""}},
    {"x\"y z\"w", {"xy zw"}},
    {"'unclosed rest", {"unclosed rest"}},
    {"\"unclosed \\", {"unclosed \\"}},
    {"trailing\\", {"trailing\\"}},
    {"中文 参数", {"中文", "参数"}},
};

TEST(CommandWords, SplitsLikeAShellWithoutExpanding) {
    for (const Case &c : kCases) EXPECT_EQ(syslib::command_words(c.text), c.words) << c.text;
}

}  // namespace
