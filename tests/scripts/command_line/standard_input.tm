// "-" reads a program from standard input; it runs where it stands among
// the other programs.
// args: -e 1 - @FILE@
// stdin: ~from_stdin(x)= x*3;
// stdin: 2;
from_stdin(5);
// expect: 1
// expect: 2
// expect: 15
