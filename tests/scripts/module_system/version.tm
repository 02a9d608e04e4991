// MTamrixVer prints the kernel's and the module library's versions.
MTamrixVer();
// expect stdout: TAMRIX32W.DLL V9.0
// expect stdout: MTamrix32W
// expect: TAMRIX32W.DLL V9.0 正式版 (Linux x86-64)
// expect: MTamrix32W 模块库 9.0
// expect: 0
