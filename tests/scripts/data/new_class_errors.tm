// Class creation reports a capacity below the length and names that are no
// strings.
// args: --load TmData32W.dll
i: new(class, 2, 1);
err();
i: new(class, 2, EndType, "a", -1);
err();
i: new(class, EndType, 5);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: new class：类缓冲区必须大于等于类的大小。
// expect stdout: 函数名：new class：类成员名要用字符串定义。  错误代码：1
