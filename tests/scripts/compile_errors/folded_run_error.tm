// A constant expression that fails while it is folded stops the compile.
i: 7/0;
// expect compile error 36
// expect stderr: 编译错误：因检测到运行错误而退出。
