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

void MuParserFormula::compile_loop(const std::string &text, long iterations) {
    double a = 1, b = 1, c = 1;
    mu::Parser parser;
    bind(parser, &a, &b, &c);
    for (long i = 0; i < iterations; ++i) {
        parser.SetExpr(text);
        keep(parser.Eval());
    }
}

}  // namespace bench
