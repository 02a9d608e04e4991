// args: --workspace workspace/modules/no_such.otm
1
// expect exit: 66
// expect stderr: cannot read workspace
