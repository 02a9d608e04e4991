// Alone, the same library starts and its function works.
// args: --load @LIBS@/libtmx_test_taken.so
ext_taken();
// expect: 1
