// Real arithmetic: precedence, associativity, powers and the output form
// (16 significant digits, general notation).
1+2*3;
// expect: 7
(1+2)*3;
// expect: 9
2^3^2;
// expect: 64
10-4-3;
// expect: 3
1/3;
// expect: 0.3333333333333333
2/3;
// expect: 0.6666666666666666
0.1+0.2;
// expect: 0.3
(-2)^2;
// expect: 4
-(2^2);
// expect: -4
1e20*10;
// expect: 1e+21
1.5e-7;
// expect: 1.5e-07
[1+2]*{3};
// expect: 9
123456789012345678;
// expect: 1.234567890123457e+17
fmod(7.5, 2);
// expect: 1.5
sqrt(2)*sqrt(2) == 2;
// expect: 0
abs(-2.5) + floor(2.7) + ceil(2.1);
// expect: 7.5
