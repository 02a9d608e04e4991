// A "*/" without its "/*".
1;
2 */ 3;
// expect compile error -4 at 3:3-4
