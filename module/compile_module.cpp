#include "compile_module.h"

#include <climits>
#include <new>
#include <string>
#include <vector>

#include "evaluate.h"
#include "ext/protocol/room_for_one.h"
#include "module_list.h"
#include "source_text.h"

namespace modlib {

namespace {

// What follows the optional type prefix of a formula.
enum class Marker { None, RunOnce, DefinitionOnly };

constexpr char kLoaderKey[] = "MTM_LoadModule";

// Longest source accepted: every position must fit an int.
constexpr size_t kMaxSourceLength = INT_MAX / 2;

size_t source_length(const char16_t *source) {
    size_t n = 0;
    while (n <= kMaxSourceLength && source[n] != 0) ++n;
    return n;
}

class ModuleCompiler {
public:
    explicit ModuleCompiler(Library &lib) : lib_(lib), kernel_(lib.kernel) {}

    int run(const char16_t *source, int &moduleNo, TmModuleNode *&list);
    int errorStart() const { return errorStart_; }
    int errorEnd() const { return errorEnd_; }

private:
    int compile_text(int &moduleNo, TmModuleNode *&list);
    int compile_statements();
    int statement(const Statement &st);
    int use_directive(const Statement &st, size_t pos);
    int open_sub_module(const Statement &st);
    int formula(size_t pos, size_t end, int type, int module, Marker marker);
    int call_compiler(size_t pos, int type, int module, void **hFor, int *lastParam);
    int file(int &moduleNo, TmModuleNode *&list);
    void give_back_numbers();
    int fail_at(int code, size_t start, size_t end);

    Library &lib_;
    const extproto::KernelExports &kernel_;
    std::u16string text_;
    TmLoadModuleFn loader_ = nullptr;
    int main_ = 0;
    int sub_ = 0;
    int defaultType_ = TM_REAL;
    std::vector<int> reserved_;  // numbers this call took, main first
    std::vector<TmModuleNode *> nodes_;
    int errorStart_ = 0;
    int errorEnd_ = 0;
};

int ModuleCompiler::fail_at(int code, size_t start, size_t end) {
    errorStart_ = int(start);
    errorEnd_ = int(end);
    return code;
}

int ModuleCompiler::run(const char16_t *source, int &moduleNo, TmModuleNode *&list) {
    size_t length = source ? source_length(source) : 0;
    if (length == 0) return fail_at(TM_CE_NO_EXPRESSION, 0, size_t(-1));
    if (length > kMaxSourceLength) return TM_CE_NO_MEMORY;
    try {
        text_.assign(source, length);
        reserved_.reserve(8);
    } catch (...) {
        return TM_CE_NO_MEMORY;
    }
    main_ = lib_.numbers.take_main(kernel_, moduleNo);
    if (main_ == 0) return TM_CE_MODULE_LOCKED;
    reserved_.push_back(main_);
    moduleNo = main_;

    int rc;
    try {
        rc = compile_text(moduleNo, list);
    } catch (...) {  // out of memory in the middle: undo like any failure
        rc = TM_CE_NO_MEMORY;
    }
    if (rc != TM_CE_OK) {
        list = nullptr;
        delete_nodes(kernel_, nodes_);
    }
    give_back_numbers();
    return rc;
}

int ModuleCompiler::compile_text(int &moduleNo, TmModuleNode *&list) {
    loader_ = reinterpret_cast<TmLoadModuleFn>(
        kernel_.SearchKey(kLoaderKey, int(sizeof kLoaderKey - 1), TM_HOST_KEY_TYPE));
    CommentCheck comments = remove_comments(text_);
    if (comments.code != TM_CE_OK) {
        return fail_at(comments.code, comments.errorStart, comments.errorEnd);
    }
    kernel_.SetRunErr(0, nullptr, 0, 0, nullptr);
    if (int rc = compile_statements(); rc != TM_CE_OK) return rc;
    if (nodes_.empty()) return fail_at(TM_CE_NO_EXPRESSION, 0, text_.size() - 1);
    return file(moduleNo, list);
}

int ModuleCompiler::compile_statements() {
    size_t pos = 0;
    Statement st;
    while (next_statement(text_, pos, st)) {
        if (int rc = statement(st); rc != TM_CE_OK) return rc;
    }
    return TM_CE_OK;
}

// statement -> { "#USE#" name | "#MODULE#" | "#END#" | "integer:" | "real:"
//               | "complex:" } [ "~" ] [ "i:" | "r:" | "c:" ] [ "!" | ":" ] formula
int ModuleCompiler::statement(const Statement &st) {
    size_t pos = st.begin;
    const size_t end = st.end;
    for (;;) {
        if (take_word(text_, pos, end, u"#USE#")) return use_directive(st, pos);
        if (take_word(text_, pos, end, u"#MODULE#")) {
            if (int rc = open_sub_module(st); rc != TM_CE_OK) return rc;
        } else if (take_word(text_, pos, end, u"#END#")) {
            sub_ = 0;
        } else if (take_word(text_, pos, end, u"integer:")) {
            defaultType_ = TM_INTEGER;
        } else if (take_word(text_, pos, end, u"real:")) {
            defaultType_ = TM_REAL;
        } else if (take_word(text_, pos, end, u"complex:")) {
            defaultType_ = TM_COMPLEX;
        } else {
            break;
        }
    }
    if (pos >= end) return TM_CE_OK;

    int module = sub_ ? sub_ : main_;
    if (!take_word(text_, pos, end, u"~")) module = -module;
    int type = defaultType_;
    if (take_word(text_, pos, end, u"i:")) {
        type = TM_INTEGER;
    } else if (take_word(text_, pos, end, u"r:")) {
        type = TM_REAL;
    } else if (take_word(text_, pos, end, u"c:")) {
        type = TM_COMPLEX;
    }
    Marker marker = Marker::None;
    if (take_word(text_, pos, end, u"!")) {
        marker = Marker::RunOnce;
    } else if (take_word(text_, pos, end, u":")) {
        marker = Marker::DefinitionOnly;
    }
    return formula(pos, end, type, module, marker);
}

// "#USE#" name: the host compiles and files the named module itself.
int ModuleCompiler::use_directive(const Statement &st, size_t pos) {
    size_t nameEnd = st.end;
    while (nameEnd > pos && is_blank(text_[nameEnd - 1])) --nameEnd;
    if (nameEnd == pos) return fail_at(TM_CE_MODULE_NAME_MISSING, st.begin, st.end - 1);
    if (!loader_) return fail_at(TM_CE_MODULES_UNAVAILABLE, st.begin, st.end - 1);
    std::u16string name(text_, pos, nameEnd - pos);
    int rc = loader_(name.c_str());
    if (rc != TM_CE_OK) return fail_at(rc, st.begin, st.end - 1);
    return TM_CE_OK;
}

int ModuleCompiler::open_sub_module(const Statement &st) {
    extproto::room_for_one(reserved_);  // the push below cannot throw then
    int number = lib_.numbers.take_sub(kernel_);
    if (number == 0) return fail_at(TM_CE_MODULE_LOCKED, st.begin, st.end - 1);
    reserved_.push_back(number);
    sub_ = number;
    return TM_CE_OK;
}

// The formula text is cut at its statement's end for the compiler (so a
// long source is never rescanned per formula) and restored afterwards.
int ModuleCompiler::call_compiler(size_t pos, int type, int module, void **hFor, int *lastParam) {
    int begin = 0, end = 0;
    const char16_t *formulaText = text_.c_str() + pos;
    void *data = nullptr;
    *hFor = reinterpret_cast<void *>(&module_lock_token);
    int rc;
    switch (type) {
    case TM_INTEGER:
        rc = kernel_.IntCom(formulaText, module, hFor, lastParam,
                            reinterpret_cast<int64_t **>(&data), &begin, &end);
        break;
    case TM_COMPLEX:
        rc = kernel_.ComplexCom(formulaText, module, hFor, lastParam,
                                reinterpret_cast<TmComplex **>(&data), &begin, &end);
        break;
    default:
        rc = kernel_.RealCom(formulaText, module, hFor, lastParam,
                             reinterpret_cast<double **>(&data), &begin, &end);
        break;
    }
    if (rc != TM_CE_OK) fail_at(rc, pos + size_t(begin), pos + size_t(end));
    return rc;
}

int ModuleCompiler::formula(size_t pos, size_t end, int type, int module, Marker marker) {
    extproto::room_for_one(nodes_);  // the push below cannot throw then
    const char16_t saved = text_[end];  // the ';' or the terminating 0
    text_[end] = 0;
    void *hFor = nullptr;
    int lastParam = -1;
    int rc = call_compiler(pos, type, module, &hFor, &lastParam);
    text_[end] = saved;
    if (rc != TM_CE_OK) return rc;

    auto *node = new (std::nothrow) TmModuleNode{type, hFor, 0, nullptr, nullptr};
    if (!node) {
        kernel_.DeleteFor(type, hFor);
        return fail_at(TM_CE_NO_MEMORY, pos, end - 1);
    }
    node->run = lastParam == -1 && marker == Marker::None ? 1 : 0;
    nodes_.push_back(node);
    if (marker == Marker::RunOnce && lastParam == -1) evaluate_formula(kernel_, type, hFor);
    return TM_CE_OK;
}

// The module keeps its main number (the key of its list) and every
// sub-module number that holds formulas; the numbers it leaves empty go back.
int ModuleCompiler::file(int &moduleNo, TmModuleNode *&list) {
    ModuleInfo info;
    info.numbers.push_back(main_);
    for (size_t k = 1; k < reserved_.size(); ++k) {
        if (formulas_in_module(kernel_, reserved_[k]) != 0) info.numbers.push_back(reserved_[k]);
    }
    TmModuleNode *first = link_nodes(nodes_);
    if (file_module(lib_, main_, first, info) != 0) {
        return fail_at(TM_CE_NO_MEMORY, 0, 0);
    }
    nodes_.clear();  // the key owns them now
    for (int number : info.numbers) {
        std::erase(reserved_, number);
    }
    moduleNo = main_;
    list = first;
    return TM_CE_OK;
}

// After success only the numbers the module does not keep are left here.
void ModuleCompiler::give_back_numbers() {
    for (int number : reserved_) lib_.numbers.give_back(kernel_, number);
    reserved_.clear();
}

}  // namespace

int compile_module(Library &lib, const char16_t *source, int *moduleNo, TmModuleNode **list,
                   int *errorStart, int *errorEnd) {
    int number = moduleNo ? *moduleNo : 0;
    TmModuleNode *first = nullptr;
    if (list) *list = nullptr;
    if (errorStart) *errorStart = 0;
    if (errorEnd) *errorEnd = 0;
    if (lib.compileDepth >= kMaxCompileDepth) return TM_CE_MODULE_RECURSION;

    ++lib.compileDepth;
    ModuleCompiler compiler(lib);
    int rc = compiler.run(source, number, first);
    --lib.compileDepth;

    if (moduleNo) *moduleNo = number;
    if (list) *list = first;
    if (errorStart) *errorStart = compiler.errorStart();
    if (errorEnd) *errorEnd = compiler.errorEnd();
    return rc;
}

}  // namespace modlib
