// A program file that does not exist.
// args: no_such_program.tm
1;
// expect exit: 66
// expect stderr: cannot read 'no_such_program.tm'
