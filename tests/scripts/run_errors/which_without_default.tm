// which() with no true condition and no default; later formulas still run
// and only the first error is reported.
(:x)= x=0, which(x, 1);
2;
(:x)= x=0, which(x, 1);
// expect: 0
// expect: 2
// expect: 0
// expect run error: which
// expect stdout: 实数函数名：which  错误代码：0
