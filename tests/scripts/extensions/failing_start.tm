// A library whose start-up fails shows its message box (on standard error)
// and is unloaded.
// args: --load @LIBS@/libtmx_test_failing.so
2;
// expect: 2
// expect stderr: TestFailing: start-up refused
// expect stderr: OpenTM：扩展动态库初始化失败！: @LIBS@/libtmx_test_failing.so
