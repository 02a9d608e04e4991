// --list-commands numbers the command items from 2000 across both sections.
// args: --workspace workspace/modules/demo.otm --list-commands
1
// output: unchecked
// expect stdout: 2000	first	double four	
// expect stdout: 2001	second	say hello	
// expect stdout: 1
