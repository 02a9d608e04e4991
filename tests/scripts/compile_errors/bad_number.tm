// Malformed number literals.
1..2;
// expect compile error 17 at 2:1-3
