// Scalars refuse argument counts their kind does not take, and wchar wants a
// string; each failure gives 0 and its report (err() prints and clears it).
// args: --load TmData32W.dll
i: new(int32, 1, 2);
err();
i: new(complex, 1);
err();
i: new(complex, 1, 2, 3);
err();
i: new(real64, 1, 2);
err();
i: new(wchar, -1);
err();
i: new(wchar)!=0;
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
// expect: i: 1
// expect: 0
// expect run error: new 变量：参数不符合要求。
// expect stdout: 函数名：new wchar：需使用字符串参数进行初始化。  错误代码：1
