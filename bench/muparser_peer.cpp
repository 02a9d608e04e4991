#include "muparser_peer.h"

#include <muParser.h>

#include "timing.h"

namespace bench {
namespace {

void bind(mu::Parser &parser, double *a, double *b, double *c) {
    parser.DefineVar("a", a);
    parser.DefineVar("b", b);
    parser.DefineVar("c", c);
}

}  // namespace

MuParserFormula::MuParserFormula(const std::string &text) : parser_(new mu::Parser) {
    try {
        bind(*parser_, &a_, &b_, &c_);
        parser_->SetExpr(text);
        parser_->Eval();
    } catch (const mu::Parser::exception_type &e) {
        error_ = e.GetMsg();
    }
}

MuParserFormula::~MuParserFormula() = default;

double MuParserFormula::eval() { return parser_->Eval(); }

MuParserCompiler::MuParserCompiler() : parser_(new mu::Parser) {
    bind(*parser_, &a_, &b_, &c_);
}

MuParserCompiler::~MuParserCompiler() = default;

void MuParserCompiler::compile_loop(const std::string &text, long iterations) {
    for (long i = 0; i < iterations; ++i) {
        parser_->SetExpr(text);
        keep(parser_->Eval());
    }
}

}  // namespace bench
