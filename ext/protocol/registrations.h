// Script functions and constants a library registers from tables.  A row
// that fails (its name is taken, no memory) does not stop start-up: a
// message box names it and the rest goes on.  At shutdown exactly the rows
// that succeeded are removed, so a failed row never deletes somebody else's
// function of the same name.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "kernel_binding.h"

namespace extproto {

// Registration types of SetFunction (4 integer, 5 real, 6 complex) and of
// SetConst (7, 8, 9).
enum RegistrationType : int {
    kIntFunction = 4,
    kRealFunction = 5,
    kComplexFunction = 6,
    kIntConst = 7,
    kRealConst = 8,
    kComplexConst = 9,
};

struct ScriptFunction {
    int type;                // kIntFunction .. kComplexFunction
    const char16_t *name;    // may carry a library prefix ("sys::")
    void *entry;
    int lastParam;           // parameters minus one; -2 any number
};

struct ScriptConstant {
    int type;                // kIntConst .. kComplexConst
    const char16_t *name;
    const void *value;       // 8 bytes, or 16 for a complex constant
};

class Registrations {
public:
    // Each row is registered; a failure shows failureText with the row's
    // name as caption.  Returns the number of rows that failed.
    int add_functions(const KernelExports &kernel, std::span<const ScriptFunction> rows,
                      const std::u16string &failureText);
    int add_constants(const KernelExports &kernel, std::span<const ScriptConstant> rows,
                      const std::u16string &failureText);
    // How a failure shows: by default failureText is the box's text and the
    // row's name its caption, with an error icon; a library may swap the
    // two (the name as text, failureText as caption) and pick the icon.
    void set_failure_box(bool nameAsText, int style) {
        nameAsText_ = nameAsText;
        style_ = style;
    }
    // Removes what succeeded, last first.
    void remove_all(const KernelExports &kernel);
    size_t size() const { return done_.size(); }

private:
    struct Registered {
        int type;
        std::u16string name;
    };
    template <typename Row, typename Add>
    int add_rows(std::span<const Row> rows, Add add, const std::u16string &failureText);
    bool remember(int type, const char16_t *name);
    void report_failure(const std::u16string &failureText, const char16_t *name) const;
    std::vector<Registered> done_;
    bool nameAsText_ = false;
    int style_ = -1;  // -1: OK button and error icon
};

}  // namespace extproto
