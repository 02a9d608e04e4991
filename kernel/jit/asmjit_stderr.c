/* Debian's asmjit is a static library built as position-dependent code, and
 * its diagnostics name the C library's `stderr` directly; such a reference
 * cannot be linked into a shared library.  The kernel library therefore
 * carries a private `stderr` of its own that points at the C library's
 * standard error stream (glibc's object behind `stderr`), so asmjit's
 * references resolve inside the library.  Plain C, without <stdio.h>, whose
 * declaration of `stderr` this definition would contradict. */
struct _IO_FILE;
extern struct _IO_FILE _IO_2_1_stderr_;
__attribute__((visibility("hidden"))) struct _IO_FILE *stderr = &_IO_2_1_stderr_;
