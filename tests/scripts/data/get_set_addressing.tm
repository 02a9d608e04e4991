// Elements are addressed in row-major order, outermost index first; each
// index must lie below its dimension's length, and the argument count must
// fit the dimensions (one result slot, two for complex elements).
// args: --load TmData32W.dll
i: (:a,k)= a=new(int32_s, 2, 3, 4), k=0, while(k<24, set(a, k/12, k/4%3, k%4, k), k++), get(a, 1, 2, 3)*10000+get(a, 0, 1, 2)*100+get(a, 1, 0, 0);
i: (:a,x)= a=new(real64_s, 2, 3), set(a, 1, 2, 77), get(a, 1, 2, &x)+x;
// expect: i: 230612
// expect: i: 154

i: get();
err();
i: (:a)= a=new(real64_s, 2, 3), get(a, 1);
err();
i: (:a)= a=new(real64_s, 2, 3), get(a, 2, 0);
err();
i: (:a)= a=new(real64_s, 2, 3), get(a, 0, -1);
err();
i: (:a)= a=new(real64_s, 2, 3), get(a, 0, 3);
err();
i: (:a,x,y)= a=new(real64_s, 2, 3), get(a, 0, 0, &x, &y);
err();
i: (:a,x)= a=new(complex_s, 2), get(a, 0, &x);
err();
i: (:s,x,y)= s=new(int32), get(s, &x, &y);
err();
i: (:s,x)= s=new(complex), get(s, &x);
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
// expect stdout: 函数名：get：至少要有一个参数。  错误代码：1
// expect stdout: 函数名：get：数组维数不正确。  错误代码：1
// expect stdout: 函数名：get：数组维数非法。  错误代码：1
// expect stdout: 函数名：get：参数不匹配。  错误代码：1

i: set();
err();
i: (:a)= a=new(int8_s, 2, 3), set(a, 1);
err();
i: (:a)= a=new(int8_s, 2, 3), set(a, 1, 2);
err();
i: (:a)= a=new(int8_s, 2, 3), set(a, 2, 0, 9);
err();
i: (:a)= a=new(int8_s, 2, 3), set(a, 0, 0, 9, 9);
err();
i: (:a)= a=new(complex_s, 2), set(a, 0, 9);
err();
i: (:s)= s=new(int8), set(s);
err();
i: (:s)= s=new(int8), set(s, 1, 2);
err();
i: (:s)= s=new(complex), set(s, 1);
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
// expect run error: set：至少要有一个参数。
// expect stdout: 函数名：set：数组维数不正确。  错误代码：1
// expect stdout: 函数名：set：数组维数非法。  错误代码：1
// expect stdout: 函数名：set：参数不匹配。  错误代码：1

// A refused set leaves the element as it was.
i: (:a)= a=new(int8_s, 2, EndType, 5, 6), set(a, 2, 9), set(a, 1, 7, 7), get(a, 0)*10+get(a, 1);
err();
// expect: i: 56
// expect: 1
