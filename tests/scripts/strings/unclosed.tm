// A string that never closes runs to the end of the text.
1;
"never closed;
// expect compile error 6
