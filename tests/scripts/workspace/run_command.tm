// --command N runs a command's file as a program, before this file.
// args: --workspace workspace/modules/demo.otm --command 2000 --command 2001
1
// expect: 8
// expect: 7
// expect: 1
