// A shared library that is not an extension library is refused and
// unloaded; the program still runs.
// args: --load @LIBS@/libtmx_test_no_entry.so
1;
// expect: 1
// expect stderr: OpenTM：该库不是Tamrix扩展动态库！: @LIBS@/libtmx_test_no_entry.so
