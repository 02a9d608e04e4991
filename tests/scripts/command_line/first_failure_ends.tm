// The first program that fails ends the run: this file never runs.
// args: -e 1+ @FILE@
5;
// expect compile error 23 at 1:2-2
// expect stderr: -e:1:2:
