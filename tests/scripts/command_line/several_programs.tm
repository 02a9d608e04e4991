// Programs run in order and stay loaded: this file calls the public formula
// of the -e program before it.
// args: -e ~twice(x)=x*2; -e 1+1 @FILE@
twice(21);
// expect: 2
// expect: 42
