// A compile error in standard input is reported as "<stdin>".
// args: -
// stdin: 1;
// stdin: (2
1;
// expect compile error 2 at 2:1-2:2
// expect stderr: <stdin>:2:1:
