// Without ':' the library gets no argument and uses its default.
// args: --load @LIBS@/libtmx_test_good.so
ext_scale(2);
// expect: 4
