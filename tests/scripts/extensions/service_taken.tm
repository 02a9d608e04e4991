// A library whose service name is already published fails its start-up and
// registers nothing; the first library is untouched.
// args: --load @LIBS@/libtmx_test_good.so --load @LIBS@/libtmx_test_taken.so
ext_scale(10);
// expect: 20
// expect stderr: OpenTM：扩展动态库初始化失败！: @LIBS@/libtmx_test_taken.so
