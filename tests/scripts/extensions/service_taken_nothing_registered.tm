// ... and its function is unknown.
// args: --load @LIBS@/libtmx_test_good.so --load @LIBS@/libtmx_test_taken.so
ext_taken();
// expect compile error 25 at 3:1-9
