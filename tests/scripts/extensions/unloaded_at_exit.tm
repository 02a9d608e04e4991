// Formulas that call a library's function are deleted before the library
// stops; a library-backed formula defined but never run is fine too.
// args: --load @LIBS@/libtmx_test_good.so:2
scaled(x)= ext_scale(x)+1;
scaled(20);
// expect: 41
