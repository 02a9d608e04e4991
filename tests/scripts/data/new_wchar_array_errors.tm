// Character arrays refuse more than one value and values that are no string.
// args: --load TmData32W.dll
i: new(wchar_s, 5, EndType, "ab", "cd");
err();
i: new(wchar_s, EndType, "ab", "cd");
err();
i: new(wchar_s, 5, EndType, -1);
err();
i: new(wchar_s, EndType, 7);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: new wchar_s：初始化参数太多。
// expect stdout: 函数名：new wchar_s：需使用字符串参数进行初始化。  错误代码：1
