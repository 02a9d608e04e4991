// --help prints the usage on standard output and runs nothing.
// args: --help
// output: unchecked
1;
// expect stdout: Usage: tamrix [OPTION]... [FILE]...
// expect stdout: --stack N
