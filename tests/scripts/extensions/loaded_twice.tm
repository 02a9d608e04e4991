// The same library twice: the second is ignored with a message, the first
// keeps working with its own argument.
// args: --load @LIBS@/libtmx_test_good.so:5 --load @LIBS@/../libs/libtmx_test_good.so:7
ext_scale(1);
// expect: 5
// expect stderr: OpenTM：扩展动态库重复加载，被忽略！: @LIBS@/../libs/libtmx_test_good.so
