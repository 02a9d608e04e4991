// Integer division by zero at run time.
i: (:x)= x=0, 7/x;
// expect: i: 7
// expect run error: Integer division by zero
// expect stdout: 整数表达式名称：
