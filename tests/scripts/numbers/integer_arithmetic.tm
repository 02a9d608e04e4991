// Integer formulas: "i:" for one formula, "integer:" for all that follow.
i: 7*6;
// expect: i: 42
i: 7/2;
// expect: i: 3
i: -7/2;
// expect: i: -3
i: 17%5;
// expect: i: 2
// Wraps around like the machine's 64-bit integers.
i: 9223372036854775807+1;
// expect: i: -9223372036854775808
integer:
shl(1, 10) + xor(6, 3);
// expect: i: 1029
(:k)= k=10, k/3;
// expect: i: 3
abs(-5);
// expect: i: 5
r: 7/2;
// expect: 3.5
