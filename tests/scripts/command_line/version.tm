// --version names this program and the kernel.
// args: --version
1;
// expect: tamrix 9.0 (command-line host)
// expect: kernel: TAMRIX32W.DLL V9.0 正式版 (Linux x86-64)
