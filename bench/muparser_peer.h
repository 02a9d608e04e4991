// muParser as a benchmark peer: one parser per expression with a, b and c
// bound to its own variables, parsed once; evaluation runs its byte code.
#pragma once

#include <memory>
#include <string>

namespace mu {
class Parser;
}

namespace bench {

class MuParserFormula {
public:
    explicit MuParserFormula(const std::string &text);
    ~MuParserFormula();
    MuParserFormula(const MuParserFormula &) = delete;
    MuParserFormula &operator=(const MuParserFormula &) = delete;

    // Empty when the expression parsed; muParser's message otherwise.
    const std::string &error() const { return error_; }

    void set(double a, double b, double c) { a_ = a, b_ = b, c_ = c; }
    void set_a(double a) { a_ = a; }
    double eval();

private:
    double a_ = 0, b_ = 0, c_ = 0;
    std::unique_ptr<mu::Parser> parser_;
    std::string error_;
};

// Compiles the same text again and again on one parser, made beforehand so
// that its construction is not timed.  muParser parses on the first
// evaluation after SetExpr, so both count as the compile.
class MuParserCompiler {
public:
    MuParserCompiler();
    ~MuParserCompiler();
    void compile_loop(const std::string &text, long iterations);

private:
    double a_ = 1, b_ = 1, c_ = 1;
    std::unique_ptr<mu::Parser> parser_;
};

}  // namespace bench
