// A library that cannot be loaded is reported and skipped.
// args: --load @LIBS@/libtmx_no_such_library.so
3;
// expect: 3
// expect stderr: OpenTM：加载动态库失败！: @LIBS@/libtmx_no_such_library.so
