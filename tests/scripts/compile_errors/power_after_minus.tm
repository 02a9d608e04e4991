// -2^2 must say which comes first.
-2^2;
// expect compile error 30 at 2:1-3
