// "integer:", "real:" and "complex:" set the type of all that follows;
// "i:", "r:", "c:" of one formula.
5/2;
// expect: 2.5
integer:
5/2;
// expect: i: 2
c: 1+1i;
// expect: c: 1+1i
5/2;
// expect: i: 2
complex:
2i;
// expect: c: 0+2i
r: 1/4;
// expect: 0.25
real:
1/8;
// expect: 0.125
