// The registered built-ins that programs lean on most.
max(3, 7, 7);
// expect: 7
min(2, -1, 5);
// expect: -1
i: max(4, 9, 2);
// expect: i: 9
square(x)= x*x;
SimpIntegrate(0, 1, 1e-12, "square");
// expect: 0.3333333333333333
add(a,b)= a+b;
sum("add", 1, 2, 1, 10, 20, 10);
// expect: 66
pro("square", 1, 3, 1);
// expect: 36
(:ip)= modf(2.75, &ip) + ip*10;
// expect: 20.75
atan2(1, 1)*4;
// expect: 3.141592653589793
