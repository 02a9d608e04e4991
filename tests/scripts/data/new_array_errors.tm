// Array creation refuses missing, non-positive and overflowing dimensions and
// odd complex values, each with its report and 0.
// args: --load TmData32W.dll
i: new(int32_s);
err();
i: new(int32_s, EndType);
err();
i: new(int8_s, 0);
err();
i: new(int8_s, 3, -1);
err();
i: new(complex_s, EndType, 1, 2, 3);
err();
i: new(complex_s, 2, EndType, 1, 2, 3);
err();
// The product of the dimensions overflows, or the bytes they take do.
i: new(int8_s, 65536, 65536);
err();
i: new(int8_s, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2);
err();
i: new(real64_s, 300000000);
err();
i: new(int8_s, 9223372036854775807);
err();
i: new(int8_s, -9223372036854775807);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: new 数组：没有指定数组长度。
// expect stdout: 函数名：new 多维数组：数组维数小于1。  错误代码：1
// expect stdout: 函数名：new 大于等于16字节的数据数组：参数不符合要求。  错误代码：1
// expect stdout: 函数名：new 多维数组：参数不符合要求。  错误代码：1
// expect stdout: 函数名：new 多维数组：数组元素个数太多。  错误代码：1
