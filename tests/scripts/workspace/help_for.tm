// --help-for prints a function's help text from the shipped texts.
// args: --help-for SimpIntegrate
1
// output: unchecked
// expect stdout: SimpIntegrate(a, b, eps, "f")
