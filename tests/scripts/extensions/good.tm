// A library started with --load adds its script functions; the text after
// ':' is its argument.
// args: --load @LIBS@/libtmx_test_good.so:3
ext_scale(2);
// expect: 6
i: ext_argc(1, 2, 3);
// expect: i: 3
