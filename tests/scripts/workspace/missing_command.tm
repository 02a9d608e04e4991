// args: --workspace workspace/modules/demo.otm --command 2005
1
// expect exit: 64
// expect stderr: the workspace has no command 2005
