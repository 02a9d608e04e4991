// An unknown option is bad usage.
// args: --frobnicate
1;
// expect exit: 64
// expect stderr: unknown option '--frobnicate'
// expect stderr: Usage: tamrix
